// Every ZIP workbook of the shared corpus opens with the facts its source projects assert, and
// every broken or foreign ZIP fails with the right kind of error.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/support/CorpusTables.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using engine::ReadError;
using testing_support::corpusFile;

namespace {

std::vector<std::uint8_t> fileBytes(const std::string& relative) {
    std::ifstream in(corpusFile(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool isZip(const std::string& relative) {
    const auto bytes = fileBytes(relative);
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K';
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// ["a", "b"] as a list of strings (names hold no quotes or commas in the corpus).
std::vector<std::string> jsonStrings(const std::string& text) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    while ((pos = text.find('"', pos)) != std::string::npos) {
        const std::size_t end = text.find('"', pos + 1);
        items.push_back(text.substr(pos + 1, end - pos - 1));
        pos = end + 1;
    }
    return items;
}

const engine::Sheet* findSheet(const engine::Workbook& book, const std::string& name) {
    for (const auto& sheet : book.sheets)
        if (sheet.name == name)
            return &sheet;
    const std::size_t position = std::strtoul(name.c_str(), nullptr, 10);
    return position >= 1 && position <= book.sheets.size() ? &book.sheets[position - 1] : nullptr;
}

const engine::Cell* findCell(const engine::Sheet& sheet, const std::string& ref) {
    std::uint32_t col = 0;
    std::size_t i = 0;
    for (; i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])); ++i)
        col = col * 26 + static_cast<std::uint32_t>(ref[i] - 'A' + 1);
    const std::uint32_t row = static_cast<std::uint32_t>(std::stoul(ref.substr(i))) - 1;
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col - 1)
            return &cell;
    return nullptr;
}

// A serial date as "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss" or "hh:mm:ss", as the expectation
// writes it.
std::string dateText(double serial, engine::DateSystem system, const std::string& like) {
    long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    seconds %= 86400;
    // Days from 1970-01-01 of each epoch; the 1900 system's serials before 61 count a
    // non-existent 29 February.
    long long civil = system == engine::DateSystem::Date1904 ? days - 24107 : days - 25569;
    if (system == engine::DateSystem::Date1900 && days < 61)
        civil += 1;
    const long long z = civil + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2);
    char date[64], time[64];
    std::snprintf(date, sizeof date, "%04lld-%02lld-%02lld", y, m, d);
    std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    if (like.size() == 8 && like[2] == ':')
        return time;
    if (like.size() > 10)
        return std::string(date) + " " + time;
    return date;
}

bool handledHere(const std::string& file) {
    return (file.rfind("xlsx/", 0) == 0 || file.rfind("bad/", 0) == 0 ||
            file.rfind("other/", 0) == 0 || file.rfind("ods/", 0) == 0) &&
           isZip(file);
}

TEST(XlsxCorpus, EveryZipFileOpensOrFailsAsTheManifestSays) {
    int opened = 0, refused = 0;
    for (const auto& row : testing_support::readCorpusTable("manifest.tsv")) {
        const std::string& file = row.at(0);
        const std::string& format = row.at(1);
        const std::string& expected = row.at(2);
        if (!handledHere(file))
            continue;
        SCOPED_TRACE(file);
        const auto bytes = fileBytes(file);
        const bool ours = format == "xlsx" || format == "xlsm";
        if (ours && expected == "ok") {
            EXPECT_NO_THROW(engine::xlsx::readPackage(bytes));
            ++opened;
            continue;
        }
        // An empty archive and foreign packages (OpenDocument, binary workbooks) are simply
        // not workbooks we read; broken ones are damaged.
        ReadError::Kind want = ReadError::Kind::NotWorkbook;
        if (ours && expected == "corrupt")
            want = ReadError::Kind::Damaged;
        if (ours && expected == "encrypted")
            want = ReadError::Kind::Encrypted;
        try {
            engine::xlsx::readPackage(bytes);
            ADD_FAILURE() << "opened, expected " << expected;
        } catch (const ReadError& error) {
            EXPECT_EQ(static_cast<int>(error.kind()), static_cast<int>(want)) << error.detail();
            ++refused;
        }
    }
    EXPECT_GE(opened, 50);
    EXPECT_GE(refused, 4);
}

TEST(XlsxCorpus, ExpectedValuesMatch) {
    std::map<std::string, engine::Workbook> books;
    int checked = 0;
    for (const auto& row : testing_support::readCorpusTable("expectations.tsv")) {
        const std::string& file = row.at(0);
        if (file.rfind("xlsx/", 0) != 0)
            continue;
        SCOPED_TRACE(file + " " + row.at(1) + "!" + row.at(2) + " = " + row.at(3));
        if (!books.count(file)) {
            try {
                books.emplace(file, engine::readWorkbook(corpusFile(file).string()));
            } catch (const ReadError& error) {
                ADD_FAILURE() << error.detail();
                continue;
            }
        }
        const engine::Workbook& book = books.at(file);
        const std::string& kind = row.at(4);
        const std::string expected = unescape(row.at(3));
        ++checked;
        if (kind == "sheet_names") {
            std::vector<std::string> names;
            for (const auto& sheet : book.sheets)
                names.push_back(sheet.name);
            EXPECT_EQ(names, jsonStrings(expected));
            continue;
        }
        if (kind == "sheet_count") {
            EXPECT_EQ(std::to_string(book.sheets.size()), expected);
            continue;
        }
        const engine::Sheet* sheet = findSheet(book, row.at(1));
        ASSERT_NE(sheet, nullptr);
        const engine::Cell* cell = findCell(*sheet, row.at(2));
        ASSERT_NE(cell, nullptr);
        if (kind == "text") {
            ASSERT_EQ(cell->type, engine::CellType::Text);
            EXPECT_EQ(book.strings.at(cell->text).text, expected);
        } else if (kind == "number") {
            ASSERT_EQ(cell->type, engine::CellType::Number);
            const double want = std::stod(expected);
            EXPECT_NEAR(cell->number, want, std::abs(want) * 1e-14);
        } else if (kind == "bool") {
            ASSERT_EQ(cell->type, engine::CellType::Boolean);
            EXPECT_EQ(cell->boolean ? "TRUE" : "FALSE", expected);
        } else if (kind == "error") {
            ASSERT_EQ(cell->type, engine::CellType::Error);
            EXPECT_EQ(engine::errorText(cell->error), expected);
        } else if (kind == "date") {
            ASSERT_EQ(cell->type, engine::CellType::Number);
            EXPECT_EQ(dateText(cell->number, book.dateSystem, expected), expected);
        } else {
            ADD_FAILURE() << "unknown kind " << kind;
        }
    }
    EXPECT_GE(checked, 100);
}

} // namespace
