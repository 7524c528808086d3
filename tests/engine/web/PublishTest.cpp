// Pages and archives written to disk through the entry points the host calls.

#include "engine/web/Publish.h"

#include "engine/web/ShapeSvg.h"
#include "tests/engine/web/SampleWorkbooks.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>

using namespace engine;
using namespace engine::web;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct MimePart {
    std::map<std::string, std::string> headers;
    std::string body; // decoded
};

std::string decodeQuotedPrintable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (text[i] == '=' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string decodeBase64(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        auto at = alphabet.find(c);
        if (at == std::string::npos)
            continue;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(at);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

// Splits an MHTML file into its parts, checking the framing on the way.
std::vector<MimePart> parseArchive(const std::string& file) {
    std::vector<MimePart> parts;
    auto marker = file.find("boundary=\"");
    EXPECT_NE(marker, std::string::npos);
    std::string boundary = file.substr(marker + 10, file.find('"', marker + 10) - marker - 10);
    std::string delimiter = "\r\n--" + boundary;
    EXPECT_NE(file.find(delimiter + "--\r\n"), std::string::npos) << "no closing delimiter";
    std::size_t at = file.find(delimiter);
    while (at != std::string::npos) {
        std::size_t start = at + delimiter.size();
        if (file.compare(start, 2, "--") == 0)
            break;
        start += 2;
        std::size_t next = file.find(delimiter, start);
        std::string part = file.substr(start, next - start);
        std::size_t headerEnd = part.find("\r\n\r\n");
        MimePart parsed;
        std::istringstream headers(part.substr(0, headerEnd));
        for (std::string line; std::getline(headers, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            auto colon = line.find(": ");
            parsed.headers[line.substr(0, colon)] = line.substr(colon + 2);
        }
        std::string body = part.substr(headerEnd + 4);
        for (std::size_t i = 1; i < body.size(); ++i) {
            if (body[i] == '\n') {
                EXPECT_EQ(body[i - 1], '\r') << "bare LF in a part";
            }
        }
        if (parsed.headers["Content-Transfer-Encoding"] == "quoted-printable") {
            std::istringstream lines(body);
            for (std::string line; std::getline(lines, line);)
                EXPECT_LE(line.size(), 77u) << "line too long";
            parsed.body = decodeQuotedPrintable(body);
        } else {
            parsed.body = decodeBase64(body);
        }
        parts.push_back(parsed);
        at = next;
    }
    return parts;
}

Picture png(std::uint32_t row) {
    Picture picture;
    picture.mimeType = "image/png";
    picture.data = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    picture.anchor.row = row;
    return picture;
}

// A white box outlined in black holding `text`, as a shape description.
Shape textBox(const std::string& text) {
    Shape shape;
    shape.fill = 0xFFFFFF;
    shape.outline = 0x000000;
    shape.fonts.push_back({"", 11, false, false, 0x000000});
    shape.paragraphs.push_back({{{text, 0}}, ShapeAlign::Left});
    return shape;
}

bool isRoot() {
    return ::geteuid() == 0;
}

TEST(PublishSheet, WebPageWithoutPicturesHasNoFilesFolder) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::plainWorkbook();
    publishSheet(workbook, 0, (dir / "Data.htm").string(), "");
    std::string html = readAll(dir / "Data.htm");
    EXPECT_NE(html.find("<title>Data</title>"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "Data_files"));
    // Only the page: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(PublishSheet, PicturesGoToTheFilesFolder) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::styledWorkbook();
    publishSheet(workbook, 0, (dir / "My Summary.html").string(), "Report");
    std::string html = readAll(dir / "My Summary.html");
    EXPECT_NE(html.find("src=\"My%20Summary_files/image001.png\""), std::string::npos);
    const auto& picture = workbook.sheets[0].pictures[0].data;
    EXPECT_EQ(readAll(dir / "My Summary_files" / "image001.png"),
              std::string(picture.begin(), picture.end()));
    EXPECT_NE(html.find("<h1>Report</h1>"), std::string::npos);
}

TEST(PublishSheet, ArchiveHoldsThePageAndItsPictures) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::styledWorkbook();
    publishSheet(workbook, 0, (dir / "Summary.MHT").string(), "");
    std::string file = readAll(dir / "Summary.MHT");
    EXPECT_EQ(file.rfind("MIME-Version: 1.0\r\n", 0), 0u);
    EXPECT_NE(file.find("Content-Type: multipart/related;"), std::string::npos);
    auto parts = parseArchive(file);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].headers["Content-Type"], "text/html; charset=\"utf-8\"");
    const std::string& html = parts[0].body;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("Quarterly &lt;report&gt;"), std::string::npos);
    EXPECT_EQ(parts[1].headers["Content-Type"], "image/png");
    std::string id = parts[1].headers["Content-ID"];
    ASSERT_GE(id.size(), 2u);
    EXPECT_NE(html.find("src=\"cid:" + id.substr(1, id.size() - 2) + "\""), std::string::npos);
    const auto& picture = workbook.sheets[0].pictures[0].data;
    EXPECT_EQ(parts[1].body, std::string(picture.begin(), picture.end()));
    EXPECT_EQ(html.find("file:"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "Summary_files"));
}

TEST(PublishSheet, OutputIsDeterministicAndReplacesExistingFiles) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::styledWorkbook();
    for (const char* name : {"a.mht", "a.htm"}) {
        std::ofstream(dir / name) << "old content that is longer than nothing";
        publishSheet(workbook, 0, (dir / name).string(), "T");
        std::string first = readAll(dir / name);
        EXPECT_EQ(first.find("old content"), std::string::npos);
        publishSheet(workbook, 0, (dir / name).string(), "T");
        EXPECT_EQ(readAll(dir / name), first) << name;
    }
}

TEST(PublishSheet, FailuresAreWriteErrorsWithAMessage) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::plainWorkbook();
    try {
        publishSheet(workbook, 0, (dir / "missing" / "a.htm").string(), "");
        FAIL() << "no error for a missing folder";
    } catch (const WriteError& error) {
        EXPECT_NE(std::string(error.what()).find("does not exist"), std::string::npos);
    }
    EXPECT_THROW(publishSheet(workbook, 5, (dir / "a.htm").string(), ""), WriteError);
    fs::create_directory(dir / "page.htm");
    EXPECT_THROW(publishSheet(workbook, 0, (dir / "page.htm").string(), ""), WriteError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// The page is put in place last: when that fails, what its pictures replaced comes back and
// what they added goes, folder and all.
TEST(PublishSheet, AFailedPageLeavesItsFolderAsItWas) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::styledWorkbook();
    const auto entries = [](const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    fs::create_directory(dir / "Summary.htm"); // no file can replace it
    EXPECT_THROW(publishSheet(workbook, 0, (dir / "Summary.htm").string(), ""), WriteError);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"Summary.htm"});

    fs::create_directory(dir / "Summary_files");
    std::ofstream(dir / "Summary_files" / "image001.png") << "old";
    std::ofstream(dir / "Summary_files" / "keep.txt") << "mine";
    EXPECT_THROW(publishSheet(workbook, 0, (dir / "Summary.htm").string(), ""), WriteError);
    EXPECT_EQ(entries(dir / "Summary_files"),
              (std::vector<std::string>{"image001.png", "keep.txt"}));
    EXPECT_EQ(readAll(dir / "Summary_files" / "image001.png"), "old");

    fs::remove(dir / "Summary.htm");
    publishSheet(workbook, 0, (dir / "Summary.htm").string(), "");
    const auto& picture = workbook.sheets[0].pictures[0].data;
    EXPECT_EQ(readAll(dir / "Summary_files" / "image001.png"),
              std::string(picture.begin(), picture.end()));
    EXPECT_EQ(entries(dir / "Summary_files"),
              (std::vector<std::string>{"image001.png", "keep.txt"}));
}

TEST(PublishSheet, UnwritableFolderIsAWriteError) {
    Workbook workbook = web_samples::plainWorkbook();
    // /proc takes no new files, whoever asks; a read-only folder binds all but the superuser.
    try {
        publishSheet(workbook, 0, "/proc/page.htm", "");
        FAIL() << "no error for an unwritable folder";
    } catch (const WriteError& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot write to the folder"), std::string::npos);
    }
    if (isRoot())
        return;
    testing_support::ScratchDir dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(publishSheet(workbook, 0, (dir / "a.htm").string(), ""), WriteError);
}

TEST(ShapePages, ShapesAreDrawnWhenThePageIsWrittenAndKeepTheirPlaceAmongPictures) {
    Workbook workbook = web_samples::plainWorkbook();
    Sheet& sheet = workbook.sheets[0];
    Picture shape;
    shape.anchor.row = 2;
    shape.anchor.widthPt = 75;
    shape.anchor.heightPt = 30;
    shape.description = "A note on the totals";
    shape.shape = textBox("Totals <up>");
    sheet.pictures = {png(0), shape, png(4)};

    testing_support::ScratchDir dir;
    publishSheet(workbook, 0, (dir / "Data.htm").string(), "");
    const std::string html = readAll(dir / "Data.htm");
    EXPECT_NE(html.find("src=\"Data_files/image002.svg\""), std::string::npos) << html;
    EXPECT_NE(html.find("alt=\"A note on the totals\""), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "Data_files" / "image001.png"));
    EXPECT_TRUE(fs::exists(dir / "Data_files" / "image003.png"));
    // Drawn at the size the reader measured: 75 by 30 points.
    const std::string svg = readAll(dir / "Data_files" / "image002.svg");
    EXPECT_EQ(svg, shapeSvg(*shape.shape, 100, 40));
    EXPECT_NE(svg.find(">Totals &lt;up&gt;<"), std::string::npos) << svg;

    // An archive carries the same drawing as a part of its own type.
    publishSheet(workbook, 0, (dir / "Data.mht").string(), "");
    const auto parts = parseArchive(readAll(dir / "Data.mht"));
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[2].headers.at("Content-Type"), "image/svg+xml");
    EXPECT_EQ(parts[2].headers.at("Content-ID"), "<image002.svg@quillmere>");
    EXPECT_EQ(parts[2].body, svg);
}

TEST(SaveWorkbook, VisibleWorksheetsOnlyInBothFormats) {
    testing_support::ScratchDir dir;
    Workbook workbook = web_samples::styledWorkbook();
    saveWorkbook(workbook, (dir / "Book.htm").string(), WorkbookFormat::WebPage, "");
    std::string html = readAll(dir / "Book.htm");
    EXPECT_NE(html.find("<title>Book</title>"), std::string::npos);
    EXPECT_EQ(html.find("<h1>"), std::string::npos);
    EXPECT_NE(html.find("href=\"#sheet0\""), std::string::npos);
    EXPECT_NE(html.find("href=\"#sheet3\""), std::string::npos);
    EXPECT_EQ(html.find("hidden sheet text"), std::string::npos);
    EXPECT_EQ(html.find(">Chart<"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "Book_files" / "image001.png"));

    saveWorkbook(workbook, (dir / "Book.mht").string(), WorkbookFormat::WebArchive, "All");
    auto parts = parseArchive(readAll(dir / "Book.mht"));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_NE(parts[0].body.find("<h1>All</h1>"), std::string::npos);
    EXPECT_NE(parts[0].body.find("<section id=\"sheet3\">"), std::string::npos);
}

} // namespace
