// The formula records of hand-built binary workbooks, read and computed.

#include "engine/formula/Calculator.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xls/WorkbookStream.h"
#include "engine/xlsb/XlsbReader.h"
#include "tests/engine/xls/BiffBuilder.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::BiffWriter;
using testing_support::Bytes;
using testing_support::Fields;
using testing_support::RecordWriter;

namespace {

const CellFormula* formulaAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const CellFormula& f : sheet.formulas)
        if (f.row == row && f.col == col)
            return &f;
    return nullptr;
}

double numberAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const Cell& c : sheet.cells)
        if (c.row == row && c.col == col && c.type == CellType::Number)
            return c.number;
    return -1;
}

// A FORMULA record whose stored result is `result`.
Bytes formulaRecord(std::uint16_t row, std::uint16_t col, double result, const Bytes& tokens) {
    Bytes body;
    body.u16(row).u16(col).u16(0).f64(result).u16(0).u32(0);
    body.u16(static_cast<std::uint32_t>(tokens.size()));
    body.data.insert(body.data.end(), tokens.data.begin(), tokens.data.end());
    return body;
}

Bytes pointer(std::uint16_t row, std::uint16_t col) {
    return Bytes().u8(0x01).u16(row).u16(col);
}

// Two sheets, "Data" with formulas of every record kind and "Other" with one number; the
// results stored in "Data" are stale, as a writer that never computes leaves them.
std::vector<std::uint8_t> biffWorkbook(bool uncalced = true, bool withToday = false) {
    BiffWriter w;
    w.bof(0x0005);
    std::vector<std::size_t> positions;
    for (const char* name : {"Data", "Other"}) {
        positions.push_back(w.position() + 4);
        w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8(name));
    }
    w.record(0x01AE, Bytes().u16(2).u16(0x0401));                  // this workbook
    w.record(0x01AE, Bytes().u16(1).u16(0x3A01));                  // add-ins
    w.record(0x0023, Bytes().u16(0).u32(0).str8("_xlfn.IFERROR")); // of the add-ins
    w.record(0x0017, Bytes().u16(2).u16(0).u16(1).u16(1).u16(1).u16(0xFFFE).u16(0xFFFE));
    // Rate = Other!$A$1, for the whole workbook; a print area that "Data" defines.
    const Bytes rate = Bytes().u8(0x3A).u16(0).u16(0).u16(0);
    w.record(0x0018, Bytes()
                         .u16(0)
                         .u8(0)
                         .u8(4)
                         .u16(static_cast<std::uint32_t>(rate.size()))
                         .u16(0)
                         .u16(0)
                         .u32(0)
                         .u8(0)
                         .chars("Rate")
                         .chars(std::string(rate.data.begin(), rate.data.end())));
    const Bytes area = Bytes().u8(0x3B).u16(0).u16(0).u16(9).u16(0).u16(1);
    w.record(0x0018, Bytes()
                         .u16(0x0020)
                         .u8(0)
                         .u8(1)
                         .u16(static_cast<std::uint32_t>(area.size()))
                         .u16(0)
                         .u16(1)
                         .u32(0)
                         .u8(0)
                         .u8(0x06)
                         .chars(std::string(area.data.begin(), area.data.end())));
    w.eof();

    w.patch32(positions[0], static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    if (uncalced)
        w.record(0x005E, Bytes().u16(0)); // saved without computing
    if (withToday) // F1 = TODAY(), marked volatile as the application marks it
        w.record(0x0006,
                 formulaRecord(0, 5, 0, Bytes().u8(0x19).u8(0x01).u16(0).u8(0x41).u16(221)));
    // A1 = Other!A1*2
    w.record(0x0006,
             formulaRecord(0, 0, 0,
                           Bytes().u8(0x3A).u16(0).u16(0).u16(0xC000).u8(0x1E).u16(2).u8(0x05)));
    // B1:B3 share =A1*10, counted from each cell.
    w.record(0x0006, formulaRecord(0, 1, 0, pointer(0, 1)));
    w.record(0x04BC, Bytes()
                         .u16(0)
                         .u16(2)
                         .u8(1)
                         .u8(1)
                         .u8(0)
                         .u8(3)
                         .u16(9)
                         .u8(0x2C)
                         .u16(0)
                         .u16(0xC0FF)
                         .u8(0x1E)
                         .u16(10)
                         .u8(0x05));
    w.record(0x0006, formulaRecord(1, 1, 0, pointer(0, 1)));
    w.record(0x0006, formulaRecord(2, 1, 0, pointer(0, 1)));
    // C1:C2 hold the array formula =$A$1:$A$2+1.
    w.record(0x0006, formulaRecord(0, 2, 0, pointer(0, 2)));
    w.record(0x0221, Bytes()
                         .u16(0)
                         .u16(1)
                         .u8(2)
                         .u8(2)
                         .u16(0)
                         .u32(0)
                         .u16(13)
                         .u8(0x65)
                         .u16(0)
                         .u16(1)
                         .u16(0)
                         .u16(0)
                         .u8(0x1E)
                         .u16(1)
                         .u8(0x03));
    w.record(0x0006, formulaRecord(1, 2, 0, pointer(0, 2)));
    w.record(0x0203, Bytes().u16(2).u16(0).u16(0).f64(4)); // A3, for B3's formula
    // D1 = Rate; E1 = IFERROR(1/0,5) through the add-in name.
    w.record(0x0006, formulaRecord(0, 3, 0, Bytes().u8(0x43).u32(1)));
    w.record(0x0006, formulaRecord(0, 4, 0,
                                   Bytes()
                                       .u8(0x39)
                                       .u16(1)
                                       .u32(1)
                                       .u8(0x1E)
                                       .u16(1)
                                       .u8(0x1E)
                                       .u16(0)
                                       .u8(0x06)
                                       .u8(0x1E)
                                       .u16(5)
                                       .u8(0x42)
                                       .u8(3)
                                       .u16(0xFF)));
    w.eof();

    w.patch32(positions[1], static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x0203, Bytes().u16(0).u16(0).u16(0).f64(21));
    w.eof();
    return w.bytes;
}

TEST(BinaryFormulaReaders, BiffFormulasSharedArrayAndNames) {
    Workbook book = xls::readWorkbookStream(biffWorkbook(), false);
    ASSERT_EQ(book.sheets.size(), 2u);
    const Sheet& data = book.sheets[0];
    ASSERT_TRUE(formulaAt(data, 0, 0));
    EXPECT_EQ(formulaAt(data, 0, 0)->text, "Other!A1*2");
    // The group is decoded once: B2:B3 follow B1, whose text moved to them gives theirs.
    const CellFormula* b1 = formulaAt(data, 0, 1);
    const CellFormula* b3 = formulaAt(data, 2, 1);
    ASSERT_TRUE(b1 && b3);
    EXPECT_EQ(b1->text, "A1*10");
    EXPECT_NE(b1->sharedIndex, CellFormula::noShare);
    EXPECT_EQ(b3->text, "");
    EXPECT_EQ(b3->sharedIndex, b1->sharedIndex);
    const CellFormula* array = formulaAt(data, 0, 2);
    ASSERT_TRUE(array);
    EXPECT_TRUE(array->array);
    EXPECT_EQ(array->text, "$A$1:$A$2+1");
    EXPECT_EQ(array->arrayRange, (Range{0, 1, 2, 2}));
    EXPECT_FALSE(formulaAt(data, 1, 2)) << "only the anchor holds an array formula";
    EXPECT_EQ(formulaAt(data, 0, 3)->text, "Rate");
    EXPECT_EQ(formulaAt(data, 0, 4)->text, "_xlfn.IFERROR(1/0,5)");

    ASSERT_EQ(book.definedNames.size(), 2u);
    EXPECT_EQ(book.definedNames[0].name, "Rate");
    EXPECT_EQ(book.definedNames[0].formula, "Other!$A$1");
    EXPECT_EQ(book.definedNames[0].sheet, DefinedName::noSheet);
    EXPECT_EQ(book.definedNames[1].name, "_xlnm.Print_Area");
    EXPECT_EQ(book.definedNames[1].formula, "Other!$A$1:$B$10");
    EXPECT_EQ(book.definedNames[1].sheet, 0u);
    EXPECT_TRUE(book.fullCalcOnLoad);

    // The stale zeros give way to what the formulas compute.
    formula::computeFormulas(book);
    EXPECT_EQ(numberAt(data, 0, 0), 42);
    EXPECT_EQ(numberAt(data, 0, 1), 420);
    EXPECT_EQ(numberAt(data, 1, 1), 0);
    EXPECT_EQ(numberAt(data, 2, 1), 40);
    EXPECT_EQ(numberAt(data, 0, 2), 43);
    EXPECT_EQ(numberAt(data, 1, 2), 1);
    EXPECT_EQ(numberAt(data, 0, 3), 21);
    EXPECT_EQ(numberAt(data, 0, 4), 5);
}

TEST(BinaryFormulaReaders, FormulaTextIsBuiltOnlyWhenSomethingIsComputed) {
    // Every result stored and nothing volatile: the formulas would never be looked at.
    const Workbook stored = xls::readWorkbookStream(biffWorkbook(false), false);
    EXPECT_FALSE(stored.fullCalcOnLoad);
    EXPECT_TRUE(stored.sheets[0].formulas.empty());
    const Workbook asked =
        xls::readWorkbookStream(biffWorkbook(false), false, formula::tokens::FormulaText::Always);
    EXPECT_EQ(asked.sheets[0].formulas.size(), 7u);
    // A volatile formula needs the rest too: any of them may read it.
    const Workbook today = xls::readWorkbookStream(biffWorkbook(false, true), false);
    EXPECT_EQ(today.sheets[0].formulas.size(), 8u);
    ASSERT_TRUE(formulaAt(today.sheets[0], 0, 5));
    EXPECT_EQ(formulaAt(today.sheets[0], 0, 5)->text, "TODAY()");
}

TEST(BinaryFormulaReaders, BrokenFormulaRecordsKeepTheirStoredResults) {
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t position = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Data"));
    w.record(0x0018, Bytes().u16(0).u8(0).u8(200).u16(50)); // a name cut short
    w.eof();
    w.patch32(position, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x005E, Bytes().u16(0));
    Bytes past = formulaRecord(0, 0, 7, Bytes().u8(0x1E).u16(1));
    past.data[20] = 0xFF; // the token count runs past the record
    w.record(0x0006, past);
    w.record(0x0006, formulaRecord(1, 0, 8, pointer(9, 9))); // a group that never comes
    w.record(0x0006, formulaRecord(2, 0, 9, pointer(2, 0)));
    w.record(0x04BC, Bytes().u16(2).u16(2).u8(0).u8(0).u8(0).u8(1).u16(40).u8(0x1E));
    w.record(0x0006, formulaRecord(3, 0, 10, pointer(3, 0)));
    w.record(0x0221, Bytes().u16(3).u16(3)); // an array record cut short
    w.eof();
    Workbook book = xls::readWorkbookStream(w.bytes, false);
    EXPECT_TRUE(book.sheets[0].formulas.empty());
    EXPECT_TRUE(book.definedNames.empty());
    formula::computeFormulas(book);
    for (std::uint16_t row = 0; row < 4; ++row)
        EXPECT_EQ(numberAt(book.sheets[0], row, 0), 7 + row);
}

// A cell formula of the newer format: the result, flags, then the sized tokens and extra data.
Fields fmlaNum(std::uint32_t col, double result, const Fields& tokens, const Fields& extra = {}) {
    return Fields()
        .cell(col)
        .f64(result)
        .u16(0)
        .u32(static_cast<std::uint32_t>(tokens.bytes.size()))
        .raw(tokens.bytes)
        .u32(static_cast<std::uint32_t>(extra.bytes.size()))
        .raw(extra.bytes);
}

TEST(BinaryFormulaReaders, XlsbFormulasSharedNamesAndFullCalculation) {
    const Fields sharedPointer = Fields().u8(0x01).u32(0);
    RecordWriter data;
    data.add(145).raw(testing_support::rowHeader(0));
    // A1 = Other!A1*2; B1:B2 share =A1*10; C1 = Rate.
    data.add(9,
             fmlaNum(0, 0, Fields().u8(0x3A).u16(0).u32(0).u16(0xC000).u8(0x1E).u16(2).u8(0x05)));
    data.add(9, fmlaNum(1, 0, sharedPointer, Fields().u32(1)));
    data.add(427, Fields()
                      .u32(0)
                      .u32(1)
                      .u32(1)
                      .u32(1)
                      .u32(11)
                      .u8(0x2C)
                      .u32(0)
                      .u16(0xFFFF)
                      .u8(0x1E)
                      .u16(10)
                      .u8(0x05)
                      .u32(0));
    data.add(9, fmlaNum(2, 0, Fields().u8(0x23).u32(1)));
    data.raw(testing_support::rowHeader(1));
    data.add(5, Fields().cell(0).f64(3));
    data.add(9, fmlaNum(1, 0, sharedPointer, Fields().u32(1)));
    data.add(146);
    RecordWriter other;
    other.add(145).raw(testing_support::rowHeader(0)).add(5, Fields().cell(0).f64(21)).add(146);

    const Fields rate = Fields().u8(0x3A).u16(0).u32(0).u16(0);
    RecordWriter book;
    book.add(357).add(362, Fields().u32(1).u32(0).u32(1).u32(1));
    book.add(39, Fields()
                     .u32(0)
                     .u8(0)
                     .u32(0xFFFFFFFFu)
                     .wide(u"Rate")
                     .u32(static_cast<std::uint32_t>(rate.bytes.size()))
                     .raw(rate.bytes)
                     .u32(0));
    book.add(157, Fields().u32(0).u32(1).u32(100).f64(0.001).u32(1).u16(0x0001));

    testing_support::BinarySheet first, second;
    first.name = "Data";
    first.records = data.bytes;
    second.name = "Other";
    second.records = other.bytes;
    const Workbook wb = readWorkbookBytes(
        testing_support::binaryWorkbook({first, second}, {}, {}, false, book.bytes).bytes());
    EXPECT_TRUE(wb.fullCalcOnLoad);
    ASSERT_EQ(wb.definedNames.size(), 1u);
    EXPECT_EQ(wb.definedNames[0].formula, "Other!$A$1");
    const Sheet& sheet = wb.sheets.at(0);
    ASSERT_TRUE(formulaAt(sheet, 1, 1));
    EXPECT_EQ(formulaAt(sheet, 0, 0)->text, "Other!A1*2");
    // B2 follows B1: B1's text, moved down a row, computes it.
    EXPECT_EQ(formulaAt(sheet, 0, 1)->text, "A1*10");
    EXPECT_EQ(formulaAt(sheet, 1, 1)->text, "");
    EXPECT_EQ(formulaAt(sheet, 1, 1)->sharedIndex, formulaAt(sheet, 0, 1)->sharedIndex);
    EXPECT_EQ(formulaAt(sheet, 0, 2)->text, "Rate");
    // The whole workbook was computed on reading, the stale zeros replaced.
    EXPECT_EQ(numberAt(sheet, 0, 0), 42);
    EXPECT_EQ(numberAt(sheet, 0, 1), 420);
    EXPECT_EQ(numberAt(sheet, 0, 2), 21);
    EXPECT_EQ(numberAt(sheet, 1, 1), 30);
}

} // namespace
