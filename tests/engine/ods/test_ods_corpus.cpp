// Every OpenDocument workbook of the shared corpus opens with the facts its source projects
// assert, and the encrypted and hostile ones fail as the manifest says.

#include "engine/base/ReadError.h"
#include "engine/ods/OdsReader.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/support/CorpusTables.h"
#include "tests/support/TestPaths.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using engine::ReadError;
using testing_support::corpusFile;

namespace {

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

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
    const auto row = static_cast<std::uint32_t>(std::stoul(ref.substr(i))) - 1;
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col - 1)
            return &cell;
    return nullptr;
}

// A serial of the 1900 system as "YYYY-MM-DD" or "YYYY-MM-DD hh:mm:ss".
std::string dateText(double serial, bool withTime) {
    const long long seconds = std::llround(serial * 86400.0);
    const long long days = seconds / 86400;
    std::tm tm{};
    const std::time_t unix = static_cast<std::time_t>((days - 25569) * 86400 + seconds % 86400);
    gmtime_r(&unix, &tm);
    char text[32];
    std::strftime(text, sizeof text, withTime ? "%Y-%m-%d %H:%M:%S" : "%Y-%m-%d", &tm);
    return text;
}

ReadError::Kind kindFor(const std::string& expected) {
    if (expected == "encrypted")
        return ReadError::Kind::Encrypted;
    if (expected == "corrupt")
        return ReadError::Kind::Damaged;
    return ReadError::Kind::NotWorkbook;
}

TEST(OdsCorpus, EveryOpenDocumentFileOpensOrFailsAsTheManifestSays) {
    int opened = 0, refused = 0;
    for (const auto& row : testing_support::readCorpusTable("manifest.tsv")) {
        if (row.at(1) != "ods")
            continue;
        const std::string& file = row.at(0);
        const std::string& expected = row.at(2);
        SCOPED_TRACE(file);
        const auto started = std::chrono::steady_clock::now();
        try {
            const engine::Workbook book = engine::readWorkbook(corpusFile(file).string());
            EXPECT_EQ(expected, "ok");
            EXPECT_FALSE(book.sheets.empty());
            ++opened;
        } catch (const ReadError& error) {
            EXPECT_NE(expected, "ok") << error.detail();
            EXPECT_EQ(static_cast<int>(error.kind()), static_cast<int>(kindFor(expected)))
                << error.detail();
            ++refused;
        }
        // Bounded work: a hostile file is refused at once, not after materialising it.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
    EXPECT_EQ(opened, 12);
    EXPECT_EQ(refused, 2);
}

TEST(OdsCorpus, TheRepeatBombIsRefusedWithTheCellLimit) {
    try {
        engine::readWorkbook(corpusFile("bad/calamine-issue_594_dos.ods").string());
        FAIL() << "opened";
    } catch (const ReadError& error) {
        EXPECT_NE(error.detail().find("table 'Sheet1'"), std::string::npos) << error.detail();
        EXPECT_NE(error.detail().find("repeated 999999999 times"), std::string::npos)
            << error.detail();
    }
}

TEST(OdsCorpus, ExpectedValuesMatch) {
    std::map<std::string, engine::Workbook> books;
    int checked = 0;
    for (const auto& row : testing_support::readCorpusTable("expectations.tsv")) {
        const std::string& file = row.at(0);
        if (file.rfind("ods/", 0) != 0)
            continue;
        SCOPED_TRACE(file + " " + row.at(1) + "!" + row.at(2) + " = " + row.at(3));
        if (!books.count(file))
            books.emplace(file, engine::readWorkbook(corpusFile(file).string()));
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
            EXPECT_DOUBLE_EQ(cell->number, std::stod(expected));
        } else if (kind == "bool") {
            ASSERT_EQ(cell->type, engine::CellType::Boolean);
            EXPECT_EQ(cell->boolean ? "TRUE" : "FALSE", expected);
        } else if (kind == "date") {
            ASSERT_EQ(cell->type, engine::CellType::Number);
            EXPECT_EQ(dateText(cell->number, expected.size() > 10), expected);
        } else {
            ADD_FAILURE() << "unknown kind " << kind;
        }
    }
    EXPECT_GE(checked, 30);
}

} // namespace
