// Every binary workbook of the shared corpus, checked against the manifest and the values its
// source projects' tests assert.

#include "engine/read/ReadWorkbook.h"
#include "tests/support/CorpusTables.h"
#include "tests/support/TestPaths.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

using testing_support::corpusFile;

// A file is ours when it is a compound file or a raw BIFF stream named .xls.
bool isBinaryWorkbook(const std::string& path) {
    std::ifstream in(corpusFile(path), std::ios::binary);
    unsigned char magic[4] = {};
    in.read(reinterpret_cast<char*>(magic), 4);
    const bool compound = magic[0] == 0xD0 && magic[1] == 0xCF && magic[2] == 0x11;
    return compound || path.ends_with(".xls");
}

struct Manifest {
    std::string file, format, expected;
};

std::vector<Manifest> binaryManifest() {
    std::vector<Manifest> rows;
    for (const auto& f : testing_support::readCorpusTable("manifest.tsv"))
        if (f.size() >= 3 && isBinaryWorkbook(f[0]))
            rows.push_back({f[0], f[1], f[2]});
    return rows;
}

// "AB12" -> row 11, column 27.
bool parseA1(const std::string& ref, std::uint32_t& row, std::uint16_t& col) {
    std::size_t i = 0;
    unsigned c = 0;
    while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])))
        c = c * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
    if (i == 0 || i == ref.size())
        return false;
    row = static_cast<std::uint32_t>(std::stoul(ref.substr(i)) - 1);
    col = static_cast<std::uint16_t>(c - 1);
    return true;
}

const engine::Sheet* findSheet(const engine::Workbook& book, const std::string& key) {
    for (const auto& sheet : book.sheets)
        if (sheet.name == key)
            return &sheet;
    if (!key.empty() && std::all_of(key.begin(), key.end(), ::isdigit)) {
        const std::size_t index = std::stoul(key);
        if (index >= 1 && index <= book.sheets.size())
            return &book.sheets[index - 1];
    }
    return nullptr;
}

const engine::Cell* findCell(const engine::Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col)
            return &cell;
    return nullptr;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r')) {
            out.push_back(text[++i] == 'n' ? '\n' : '\r');
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The civil date of a day count from 1970-01-01 (Howard Hinnant's algorithm).
void civilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int>(yoe + era * 400);
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// A serial date as "YYYY-MM-DD HH:MM:SS" in the given date system, seconds rounded.
std::string serialToText(double serial, engine::DateSystem system) {
    long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    const long long secondOfDay = seconds % 86400;
    long long unixDays;
    if (system == engine::DateSystem::Date1904) {
        unixDays = days - 24107; // 1904-01-01 is day -24107
    } else {
        // Serial 60 is the fictitious 1900-02-29; before it the serials are one day behind.
        if (days < 60)
            ++days;
        unixDays = days - 25569;
    }
    int y;
    unsigned m, d;
    civilFromDays(unixDays, y, m, d);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02lld:%02lld:%02lld", y, m, d,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return buffer;
}

TEST(SerialToText, ConvertsBothDateSystemsAndTheFictitiousLeapDay) {
    using engine::DateSystem;
    EXPECT_EQ(serialToText(1, DateSystem::Date1900), "1900-01-01 00:00:00");
    EXPECT_EQ(serialToText(61, DateSystem::Date1900), "1900-03-01 00:00:00");
    EXPECT_EQ(serialToText(44197.5, DateSystem::Date1900), "2021-01-01 12:00:00");
    EXPECT_EQ(serialToText(42735, DateSystem::Date1904), "2021-01-01 00:00:00");
}

// Files the manifest lists as encrypted whose FILEPASS holds the application's default
// password: the application opens them without asking, and so do we.
bool opensWithTheDefaultPassword(const std::string& file) {
    return file == "bad/calamine-issue_385.xls";
}

class XlsCorpus : public ::testing::TestWithParam<Manifest> {};

TEST_P(XlsCorpus, OpensOrFailsAsTheManifestSays) {
    const Manifest& m = GetParam();
    const std::string path = corpusFile(m.file).string();
    if (m.expected == "ok" || (m.expected == "encrypted" && opensWithTheDefaultPassword(m.file))) {
        engine::Workbook book;
        ASSERT_NO_THROW(book = engine::readWorkbook(path)) << m.file;
        EXPECT_FALSE(book.sheets.empty()) << m.file;
        return;
    }
    try {
        engine::readWorkbook(path);
        ADD_FAILURE() << m.file << " opened but should fail as " << m.expected;
    } catch (const engine::ReadError& error) {
        using Kind = engine::ReadError::Kind;
        if (m.expected == "encrypted") {
            EXPECT_EQ(error.kind(), Kind::Encrypted) << m.file << ": " << error.detail();
        } else if (m.format == "other" && error.kind() == Kind::NotWorkbook) {
            // Not a workbook at all (an image, a stub): saying so is the honest answer.
            SUCCEED();
        } else {
            EXPECT_EQ(error.kind(), Kind::Damaged) << m.file << ": " << error.detail();
        }
        EXPECT_FALSE(error.detail().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, XlsCorpus, ::testing::ValuesIn(binaryManifest()),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(XlsExpectations, EveryAssertedValueMatches) {
    std::map<std::string, engine::Workbook> books;
    int checked = 0;
    for (const auto& row : testing_support::readCorpusTable("expectations.tsv")) {
        if (row.size() < 5 || !isBinaryWorkbook(row[0]))
            continue;
        const std::string& file = row[0];
        const std::string& sheetKey = row[1];
        const std::string& ref = row[2];
        const std::string& expected = row[3];
        const std::string& kind = row[4];
        if (!books.count(file))
            books[file] = engine::readWorkbook(corpusFile(file).string());
        const engine::Workbook& book = books[file];
        SCOPED_TRACE(file + " " + sheetKey + "!" + ref + " (" + kind + ")");
        ++checked;
        if (kind == "sheet_count") {
            EXPECT_EQ(std::to_string(book.sheets.size()), expected);
            continue;
        }
        if (kind == "sheet_names") {
            std::string names = "[";
            for (std::size_t i = 0; i < book.sheets.size(); ++i)
                names += (i ? ", \"" : "\"") + book.sheets[i].name + "\"";
            names += "]";
            EXPECT_EQ(names, expected);
            continue;
        }
        const engine::Sheet* sheet = findSheet(book, sheetKey);
        ASSERT_NE(sheet, nullptr);
        std::uint32_t r;
        std::uint16_t c;
        ASSERT_TRUE(parseA1(ref, r, c));
        const engine::Cell* cell = findCell(*sheet, r, c);
        ASSERT_NE(cell, nullptr);
        if (kind == "text") {
            ASSERT_EQ(cell->type, engine::CellType::Text);
            EXPECT_EQ(book.strings[cell->text].text, unescape(expected));
        } else if (kind == "number") {
            ASSERT_EQ(cell->type, engine::CellType::Number);
            const double want = std::stod(expected);
            const auto dot = expected.find('.');
            const auto exp = expected.find_first_of("eE");
            double tolerance = std::abs(want) * 1e-9 + 1e-300;
            if (dot != std::string::npos && exp == std::string::npos)
                tolerance =
                    std::max(tolerance, 0.5 * std::pow(10.0, -double(expected.size() - dot - 1)));
            EXPECT_NEAR(cell->number, want, tolerance);
        } else if (kind == "bool") {
            ASSERT_EQ(cell->type, engine::CellType::Boolean);
            EXPECT_EQ(cell->boolean ? "TRUE" : "FALSE", expected);
        } else if (kind == "error") {
            ASSERT_EQ(cell->type, engine::CellType::Error);
            EXPECT_EQ(engine::errorText(cell->error), expected);
        } else if (kind == "date") {
            ASSERT_EQ(cell->type, engine::CellType::Number);
            const std::string text = serialToText(cell->number, book.dateSystem);
            if (expected.size() == 8) // a time of day
                EXPECT_EQ(text.substr(11), expected);
            else if (expected.size() == 10)
                EXPECT_EQ(text.substr(0, 10), expected);
            else
                EXPECT_EQ(text, expected);
        } else {
            ADD_FAILURE() << "unknown kind";
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(XlsCorpusDetails, PicturesKeepTheirImageBytesAndAnchors) {
    const engine::Workbook book =
        engine::readWorkbook(corpusFile("xls/calamine-picture.xls").string());
    ASSERT_EQ(book.sheets.size(), 2u);
    ASSERT_EQ(book.sheets[0].pictures.size(), 1u);
    ASSERT_EQ(book.sheets[1].pictures.size(), 1u);
    const engine::Picture& jpeg = book.sheets[0].pictures[0];
    EXPECT_EQ(jpeg.mimeType, "image/jpeg");
    ASSERT_GE(jpeg.data.size(), 4u);
    EXPECT_EQ(jpeg.data[0], 0xFF);
    EXPECT_EQ(jpeg.data[1], 0xD8);
    const engine::Picture& png = book.sheets[1].pictures[0];
    EXPECT_EQ(png.mimeType, "image/png");
    ASSERT_GE(png.data.size(), 8u);
    EXPECT_EQ(std::string(png.data.begin() + 1, png.data.begin() + 4), "PNG");
    EXPECT_GT(jpeg.anchor.widthPt, 0);
    EXPECT_GT(jpeg.anchor.heightPt, 0);
}

// The same small sheet saved in four generations of the format: the raw BIFF2-4 streams must
// give the values the BIFF5 workbook gives (their number formats differ in the files).
TEST(XlsCorpusDetails, RawBiff2To4StreamsMatchTheirBiff5Twin) {
    const engine::Workbook twin =
        engine::readWorkbook(corpusFile("xls/edr-as3xls_BIFF5.xls").string());
    const engine::Sheet& expected = twin.sheets.at(0);
    for (const char* name :
         {"xls/edr-as3xls_BIFF2.xls", "xls/edr-as3xls_BIFF3.xls", "xls/edr-as3xls_BIFF4.xls"}) {
        SCOPED_TRACE(name);
        const engine::Workbook book = engine::readWorkbook(corpusFile(name).string());
        ASSERT_EQ(book.sheets.size(), 1u);
        EXPECT_EQ(book.dateSystem, twin.dateSystem);
        const engine::Sheet& sheet = book.sheets[0];
        ASSERT_EQ(sheet.cells.size(), expected.cells.size());
        for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
            const engine::Cell& a = sheet.cells[i];
            const engine::Cell& b = expected.cells[i];
            ASSERT_EQ(a.row, b.row);
            ASSERT_EQ(a.col, b.col);
            ASSERT_EQ(a.type, b.type) << a.row << "," << a.col;
            if (a.type == engine::CellType::Number) {
                EXPECT_DOUBLE_EQ(a.number, b.number);
            }
            if (a.type == engine::CellType::Text) {
                // The older files carry one word with a trailing space the BIFF5 one lacks.
                auto trimmed = [](std::string t) {
                    while (!t.empty() && t.back() == ' ')
                        t.pop_back();
                    return t;
                };
                EXPECT_EQ(trimmed(book.strings[a.text].text), trimmed(twin.strings[b.text].text));
            }
        }
    }
}

} // namespace
