// The binary workbooks of the shared corpus open with the facts their source projects assert,
// and hold what the XML twin written from the same workbook holds.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/support/CorpusTables.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using testing_support::corpusFile;

namespace {

bool isBinaryWorkbook(const std::string& file) {
    return file.size() > 5 && file.substr(file.size() - 5) == ".xlsb";
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

TEST(XlsbCorpus, EveryBinaryWorkbookOpensWithTheSheetsItsSourceAsserts) {
    int checked = 0;
    for (const auto& row : testing_support::readCorpusTable("manifest.tsv")) {
        const std::string& file = row.at(0);
        if (!isBinaryWorkbook(file) || row.at(2) != "ok")
            continue;
        SCOPED_TRACE(file);
        engine::Workbook book;
        ASSERT_NO_THROW(book = engine::readWorkbook(corpusFile(file).string()));
        EXPECT_FALSE(book.sheets.empty());
        for (const auto& fact : testing_support::readCorpusTable("expectations.tsv")) {
            if (fact.at(0) != file)
                continue;
            if (fact.at(4) == "sheet_count") {
                EXPECT_EQ(std::to_string(book.sheets.size()), fact.at(3));
                ++checked;
            } else if (fact.at(4) == "sheet_names") {
                std::vector<std::string> names;
                for (const auto& sheet : book.sheets)
                    names.push_back(sheet.name);
                EXPECT_EQ(names, jsonStrings(fact.at(3)));
                ++checked;
            }
        }
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

// The corpus's binary workbook was saved from the same workbook as its .xlsx twin.
TEST(XlsbCorpus, TheBinaryWorkbookHoldsWhatItsXmlTwinHolds) {
    const auto binary = engine::readWorkbook(corpusFile("other/calamine-any_sheets.xlsb").string());
    const auto xml = engine::readWorkbook(corpusFile("xlsx/calamine-any_sheets.xlsx").string());
    ASSERT_EQ(binary.sheets.size(), xml.sheets.size());
    EXPECT_EQ(binary.dateSystem, xml.dateSystem);
    for (std::size_t i = 0; i < xml.sheets.size(); ++i) {
        const auto& ours = binary.sheets[i];
        const auto& theirs = xml.sheets[i];
        SCOPED_TRACE(theirs.name);
        EXPECT_EQ(ours.name, theirs.name);
        EXPECT_EQ(ours.kind, theirs.kind);
        EXPECT_EQ(ours.visibility, theirs.visibility);
        EXPECT_EQ(ours.showGridLines, theirs.showGridLines);
        EXPECT_EQ(ours.defaultRowHeight, theirs.defaultRowHeight);
        // The XML twin leaves the default width out, the binary one stores its 8 digits.
        EXPECT_NEAR(ours.defaultColumnWidth, theirs.defaultColumnWidth, 0.01);
        ASSERT_EQ(ours.cells.size(), theirs.cells.size());
        for (std::size_t c = 0; c < theirs.cells.size(); ++c) {
            const auto& a = ours.cells[c];
            const auto& b = theirs.cells[c];
            EXPECT_EQ(a.row, b.row);
            EXPECT_EQ(a.col, b.col);
            ASSERT_EQ(a.type, b.type);
            if (a.type == engine::CellType::Number) {
                EXPECT_EQ(a.number, b.number);
            } else if (a.type == engine::CellType::Text) {
                EXPECT_EQ(binary.strings.at(a.text).text, xml.strings.at(b.text).text);
            }
        }
    }
    // The binary save carries one more font than the XML one; the default font, the two
    // fills every workbook has and the empty border agree.
    EXPECT_EQ(binary.fonts.at(0), xml.fonts.at(0));
    ASSERT_GE(binary.fills.size(), 2u);
    ASSERT_GE(xml.fills.size(), 2u);
    EXPECT_EQ(binary.fills[0], xml.fills[0]);
    EXPECT_EQ(binary.fills[1], xml.fills[1]);
    EXPECT_EQ(binary.borders.at(0), xml.borders.at(0));
}

} // namespace
