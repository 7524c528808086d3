// Every page the writer produces, from workbooks built in code and from the corpus, goes
// through a conforming HTML5 parser (check_html5.py); the corpus cells whose values are known
// are compared with what the pages show.

#include "engine/numfmt/CellText.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/web/HtmlText.h"
#include "engine/web/Publish.h"
#include "tests/engine/web/SampleWorkbooks.h"
#include "tests/support/TestPaths.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace engine;
namespace fs = std::filesystem;

namespace {

const fs::path checker = fs::path(QM_SOURCE_DIR) / "tests/engine/web/check_html5.py";

struct CommandResult {
    int status;
    std::string output;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

CommandResult run(const std::string& command) {
    CommandResult result{-1, {}};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Every output kind for every worksheet, and the whole workbook in both formats. With
// `sampled`, only one page per kind of HTML goes to `pages` (the per-sheet web pages and the
// whole-workbook archive), since the others hold the same markup and the parser is slow.
void writeAllKinds(const Workbook& workbook, const fs::path& folder,
                   std::vector<std::string>& pages, bool sampled = false) {
    fs::create_directories(folder);
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i) {
        if (workbook.sheets[i].kind != SheetKind::Worksheet)
            continue;
        for (const char* extension : {".htm", ".mht"}) {
            fs::path page = folder / ("sheet" + std::to_string(i) + extension);
            web::publishSheet(workbook, i, page.string(), i % 2 ? "" : "Title of sheet");
            if (!sampled || page.extension() == ".htm")
                pages.push_back(page.string());
        }
    }
    web::saveWorkbook(workbook, (folder / "whole.htm").string(), web::WorkbookFormat::WebPage, "");
    web::saveWorkbook(workbook, (folder / "whole.mht").string(), web::WorkbookFormat::WebArchive,
                      "Whole");
    if (!sampled)
        pages.push_back((folder / "whole.htm").string());
    pages.push_back((folder / "whole.mht").string());
}

CommandResult check(const std::vector<std::string>& pages) {
    std::string command = "/usr/bin/python3 " + quoted(checker.string());
    for (const std::string& page : pages)
        command += " " + quoted(page);
    return run(command);
}

TEST(Html5Pages, PagesOfBuiltWorkbooksParseWithoutError) {
    testing_support::ScratchDir dir;
    std::vector<std::string> pages;
    writeAllKinds(web_samples::styledWorkbook(), dir / "styled", pages);
    writeAllKinds(web_samples::plainWorkbook(), dir / "plain", pages);
    writeAllKinds(web_samples::annotatedWorkbook(), dir / "annotated", pages);

    Workbook hostile;
    Sheet sheet;
    sheet.name = "<!-- ]]> \"'&";
    sheet.cells.push_back(
        web_samples::textCell(hostile, 0, 0, "</table><script>x</script>\x0c\x7f"));
    sheet.cells.push_back(web_samples::textCell(hostile, 0, 1, "\xed\xa0\x80 \xef\xbf\xbe"));
    sheet.hyperlinks.push_back(
        Hyperlink{Range{0, 0, 0, 0}, " JaVa\tScRiPt:alert(1)", "", "\"><b>"});
    sheet.hyperlinks.push_back(Hyperlink{Range{0, 0, 1, 1}, "http://x\" onclick=\"y", "", ""});
    Picture svg;
    svg.mimeType = "image/svg+xml";
    svg.data = {'<', 's', 'v', 'g', '>'};
    sheet.pictures.push_back(svg);
    hostile.sheets.push_back(std::move(sheet));
    hostile.finish();
    writeAllKinds(hostile, dir / "hostile", pages);

    CommandResult result = check(pages);
    EXPECT_EQ(result.status, 0) << result.output;
}

struct Expectation {
    std::string file, sheet, cell, expected, kind;
};

std::vector<Expectation> expectations() {
    std::vector<Expectation> rows;
    std::ifstream in(testing_support::corpusFile("expectations.tsv"));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');)
            fields.push_back(field);
        if (fields.size() >= 5)
            rows.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return rows;
}

bool parseCell(const std::string& reference, std::uint32_t& row, std::uint16_t& col) {
    std::size_t i = 0;
    std::uint32_t column = 0;
    while (i < reference.size() && std::isalpha(static_cast<unsigned char>(reference[i])))
        column = column * 26 + static_cast<std::uint32_t>(std::toupper(reference[i++]) - 'A' + 1);
    if (column == 0 || i == reference.size())
        return false;
    row = static_cast<std::uint32_t>(std::stoul(reference.substr(i))) - 1;
    col = static_cast<std::uint16_t>(column - 1);
    return true;
}

std::string normalised(const std::string& text) {
    std::string out;
    for (char c : text) {
        bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Each page's cells as the shared html-cells.py tool reads them, one line a cell. The tool
// is slow on big pages, so the pages are listed a few at a time.
std::map<fs::path, std::string> listCells(const std::vector<fs::path>& pages) {
    const fs::path tool = testing_support::corpusDir().parent_path() / "tools" / "html-cells.py";
    std::vector<std::string> listed(pages.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < pages.size();)
            listed[i] =
                run("/usr/bin/python3 " + quoted(tool.string()) + " " + quoted(pages[i].string()))
                    .output;
    };
    std::vector<std::thread> workers;
    for (unsigned n = std::max(2u, std::thread::hardware_concurrency()); n > 0; --n)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    std::map<fs::path, std::string> listings;
    for (std::size_t i = 0; i < pages.size(); ++i)
        listings.emplace(pages[i], std::move(listed[i]));
    return listings;
}

// True when one of the listed cells displays `text` (whitespace normalised).
bool listingShows(const std::string& listing, const std::string& text) {
    std::istringstream lines(listing);
    const std::string wanted = normalised(text);
    for (std::string line; std::getline(lines, line);) {
        auto tab = line.find('\t', line.find('\t', line.find('\t') + 1) + 1);
        if (tab != std::string::npos && line.substr(tab + 1) == wanted)
            return true;
    }
    return wanted.empty();
}

TEST(Html5Pages, CorpusPagesParseAndShowTheKnownCells) {
    testing_support::ScratchDir dir;
    std::vector<std::string> pages;
    std::map<std::string, std::pair<Workbook, fs::path>> opened;
    std::ifstream manifest(testing_support::corpusFile("manifest.tsv"));
    std::string line;
    std::getline(manifest, line);
    int index = 0;
    while (std::getline(manifest, line)) {
        std::string file = line.substr(0, line.find('\t'));
        try {
            Workbook workbook = readWorkbook(testing_support::corpusFile(file).string());
            fs::path folder = dir / std::to_string(index);
            writeAllKinds(workbook, folder, pages, true);
            opened.emplace(file, std::make_pair(std::move(workbook), folder));
        } catch (const ReadError&) {
            // Files the readers refuse are the readers' tests' business.
        }
        ++index;
    }
    if (opened.empty())
        GTEST_SKIP() << "no corpus workbook can be read yet";
    CommandResult result = check(pages);
    EXPECT_EQ(result.status, 0) << result.output.substr(0, 20000);

    std::vector<Expectation> known = expectations();
    std::erase_if(known, [](const Expectation& row) {
        return row.kind != "text" && row.kind != "number" && row.kind != "date" &&
               row.kind != "bool" && row.kind != "error";
    });
    // Known cells: what the page shows against the value the corpus documents.
    std::vector<fs::path> listed;
    for (const auto& entry : opened) {
        const auto& [book, folder] = entry.second;
        const bool expected = std::any_of(known.begin(), known.end(), [&](const Expectation& row) {
            return row.file == entry.first;
        });
        for (std::size_t i = 0; expected && i < book.sheets.size(); ++i)
            if (book.sheets[i].kind == SheetKind::Worksheet)
                listed.push_back(folder / ("sheet" + std::to_string(i) + ".htm"));
    }
    const std::map<fs::path, std::string> listings = listCells(listed);
    std::ofstream expected(dir / "expected.tsv"), shown(dir / "shown.tsv");
    int compared = 0;
    for (const Expectation& row : known) {
        auto workbook = opened.find(row.file);
        std::uint32_t r = 0;
        std::uint16_t c = 0;
        if (workbook == opened.end() || !parseCell(row.cell, r, c))
            continue;
        const Workbook& book = workbook->second.first;
        auto sheet = std::find_if(book.sheets.begin(), book.sheets.end(),
                                  [&](const Sheet& s) { return s.name == row.sheet; });
        // A sheet given by number counts worksheets from 1.
        if (sheet == book.sheets.end() && !row.sheet.empty() &&
            row.sheet.find_first_not_of("0123456789") == std::string::npos) {
            std::size_t wanted = std::stoul(row.sheet);
            for (auto it = book.sheets.begin(); it != book.sheets.end(); ++it)
                if (it->kind == SheetKind::Worksheet && --wanted == 0) {
                    sheet = it;
                    break;
                }
        }
        if (sheet == book.sheets.end()) {
            ADD_FAILURE() << row.file << ": no sheet " << row.sheet;
            continue;
        }
        // A cell merged away under another keeps its value in the file, but the page shows
        // the merged area's top-left cell there, as the spreadsheet does.
        if (std::any_of(sheet->merges.begin(), sheet->merges.end(), [&](const Range& m) {
                return m.contains(r, c) && !(m.firstRow == r && m.firstCol == c);
            }))
            continue;
        auto cell = std::find_if(sheet->cells.begin(), sheet->cells.end(),
                                 [&](const Cell& x) { return x.row == r && x.col == c; });
        std::string text;
        if (cell != sheet->cells.end()) {
            numfmt::CellTextFormatter formatter(book);
            numfmt::Shown displayed;
            formatter.format(*cell, displayed);
            text = displayed.text;
        }
        // The text must be on the sheet's page, as a cell's displayed text.
        std::replace_if(
            text.begin(), text.end(), [](char x) { return x == '\t' || x == '\n' || x == '\r'; },
            ' ');
        std::size_t sheetIndex = static_cast<std::size_t>(sheet - book.sheets.begin());
        fs::path page = workbook->second.second / ("sheet" + std::to_string(sheetIndex) + ".htm");
        const auto listing = listings.find(page);
        EXPECT_TRUE(listing != listings.end() && listingShows(listing->second, text))
            << row.file << " " << row.sheet << "!" << row.cell << " shows \"" << text << '"';
        std::string key = row.file + "|" + row.sheet;
        expected << key << '\t' << r + 1 << '\t' << c + 1 << '\t' << row.expected << '\n';
        shown << key << '\t' << r + 1 << '\t' << c + 1 << '\t' << text << '\n';
        ++compared;
    }
    expected.close();
    shown.close();
    ASSERT_GT(compared, 0);
    fs::path tool = testing_support::corpusDir().parent_path() / "tools" / "compare-cells.py";
    CommandResult comparison =
        run("/usr/bin/python3 " + quoted(tool.string()) + " --pair name --strict --show 50 " +
            quoted((dir / "expected.tsv").string()) + " " + quoted((dir / "shown.tsv").string()));
    // Displays the comparison cannot read as the documented value, each checked by hand: an
    // elapsed-hours format ([h]:mm:ss of 10.632 days), a month-and-year date format and a
    // date with era codes, shown with the Gregorian year.
    const std::vector<std::string> verified = {
        "|1 3 1: 10.632060185185185 | 255:10:10",
        "calamine-date_quoted_format.xlsx|1 1 1: 2021-01-01 | January 2021",
        "calamine-date_quoted_format.xlsx|1 4 1: 2021-01-01 | 2021\xE5\xB9\xB4"
        "1\xE6\x9C\x88"
        "1\xE6\x97\xA5",
    };
    std::istringstream report(comparison.output);
    int unexplained = 0;
    for (std::string line; std::getline(report, line);) {
        if (line.rfind("  disagree", 0) != 0 && line.rfind("  only in", 0) != 0)
            continue;
        bool known = std::any_of(verified.begin(), verified.end(), [&](const std::string& v) {
            return line.find(v) != std::string::npos;
        });
        if (!known) {
            ++unexplained;
            ADD_FAILURE() << line;
        }
    }
    EXPECT_EQ(unexplained, 0) << comparison.output;
}

} // namespace
