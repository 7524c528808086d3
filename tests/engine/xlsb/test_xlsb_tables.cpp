// Tables of binary workbooks: their list records, the list tokens formulas refer to them with,
// and the dynamic-array mark, computed on a full calculation.

#include "engine/read/ReadWorkbook.h"
#include "engine/xlsb/MetadataBin.h"
#include "engine/xlsb/TablesBin.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine::CellType;

namespace {

const engine::Cell* cellAt(const engine::Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    return sheet.cellAt(row, col);
}

double numberAt(const engine::Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    const engine::Cell* cell = cellAt(sheet, row, col);
    return cell && cell->type == CellType::Number ? cell->number : -1;
}

// A table part: BrtBeginList over rows `first`..`last`, columns A.. as many as `columns`, then
// a BrtBeginListCol per column named by its caption.
std::string tablePart(std::uint32_t id, const std::u16string& name, std::uint32_t first,
                      std::uint32_t last, const std::vector<std::u16string>& columns,
                      std::uint32_t totals = 1, std::uint32_t width = 0) {
    Fields list;
    list.u32(first).u32(last).u32(0).u32(width ? width - 1 : columns.size() - 1);
    list.u32(0).u32(id).u32(1).u32(totals).u32(0);
    for (int i = 0; i < 7; ++i)
        list.u32(0xFFFFFFFFu);
    list.wide(u"internal_" + name).wide(name).nullWide().nullWide().nullWide().nullWide();
    RecordWriter part;
    part.add(343, list).add(345, Fields().u32(static_cast<std::uint32_t>(columns.size())));
    for (std::uint32_t i = 0; i < columns.size(); ++i) {
        Fields column;
        column.u32(i + 1).u32(0).u32(0xFFFFFFFFu).u32(0xFFFFFFFFu).u32(0xFFFFFFFFu).u32(0);
        column.nullWide().wide(columns[i]).nullWide().nullWide().nullWide().nullWide();
        part.add(347, column).add(348);
    }
    return part.add(346).add(344).bytes;
}

// A formula cell of the newer format with a stale result of 0.
Fields formula(std::uint32_t col, const Fields& tokens, const Fields& extra = {}) {
    return Fields()
        .cell(col)
        .f64(0)
        .u16(0)
        .u32(static_cast<std::uint32_t>(tokens.bytes.size()))
        .raw(tokens.bytes)
        .u32(static_cast<std::uint32_t>(extra.bytes.size()))
        .raw(extra.bytes);
}

// A PtgList of table 7.
Fields list(std::uint32_t rowType, std::uint32_t columns, std::uint16_t first = 0,
            std::uint16_t last = 0) {
    return Fields()
        .u8(0x18)
        .u8(0x19)
        .u16(0)
        .u16(columns | rowType << 2)
        .u32(7)
        .u16(first)
        .u16(last);
}

Fields then(Fields tokens, const Fields& more) {
    tokens.raw(more.bytes);
    return tokens;
}

// An array formula over `rows` rows of column `col` from row 0, anchored at its top.
std::string arrayFormula(std::uint32_t col, std::uint32_t rows, const Fields& tokens,
                         bool dynamic) {
    RecordWriter out;
    if (dynamic)
        out.add(49, Fields().u32(1));
    out.add(9, formula(col, Fields().u8(0x01).u32(0), Fields().u32(col)));
    out.add(426, Fields()
                     .u32(0)
                     .u32(rows - 1)
                     .u32(col)
                     .u32(col)
                     .u8(0)
                     .u32(static_cast<std::uint32_t>(tokens.bytes.size()))
                     .raw(tokens.bytes)
                     .u32(0));
    return out.bytes;
}

// A metadata part whose one cell metadata block refers to the first block of future metadata
// of type `type`, holding dynamic array properties with fDynamic as given.
std::string metadataPart(const std::u16string& type, bool dynamic) {
    return RecordWriter()
        .add(332)                                    // BrtBeginMetadata
        .add(334, Fields().u32(1))                   // BrtBeginEsmdtinfo
        .add(335, Fields().u32(0).u32(1).wide(type)) // BrtMdtinfo
        .add(336)
        .add(339, Fields().u32(1).wide(type)) // BrtBeginEsfmd
        .add(52)                              // BrtBeginFmd
        .add(35, Fields().u32(0))             // BrtFRTBegin
        .add(4096, Fields().u32(dynamic ? 1 : 0))
        .add(4097)
        .add(36)
        .add(53)
        .add(340)
        .add(337, Fields().u32(1).u32(1))       // BrtBeginEsmdb of cell metadata
        .add(51, Fields().u32(1).u32(1).u32(0)) // BrtMdb: type 1, its block 0
        .add(338)
        .add(333)
        .bytes;
}

// Sales on A1:C5 (Region, Amount, Rate; a total row), its calculated column C =[@Amount]*2,
// its total B5 =SUBTOTAL(109,Sales[Amount]), and formulas beside it that refer to it. With
// `metadata`, the workbook has that metadata part.
engine::Workbook salesWorkbook(const std::string& metadata = {}) {
    RecordWriter rows;
    rows.add(145).raw(rowHeader(0));
    rows.add(6, Fields().cell(0).wide(u"Region"));
    rows.add(6, Fields().cell(1).wide(u"Amount"));
    rows.add(6, Fields().cell(2).wide(u"Rate"));
    rows.add(9, formula(4, then(list(0x00, 1, 1), Fields().u8(0x22).u8(1).u16(4)))); // SUM
    rows.add(9, formula(5, then(list(0x01, 0), Fields().u8(0x21).u16(76))));         // ROWS
    // =Sales[Amount]*10 marked dynamic spills; the same unmarked stays in its one cell.
    rows.raw(arrayFormula(6, 1, then(list(0x00, 1, 1), Fields().u8(0x1E).u16(10).u8(0x05)), true));
    rows.raw(arrayFormula(7, 1, then(list(0x00, 1, 1), Fields().u8(0x1E).u16(10).u8(0x05)), false));
    const char16_t* regions[] = {u"North", u"South", u"East"};
    for (std::uint32_t r = 1; r <= 3; ++r) {
        rows.raw(rowHeader(r));
        rows.add(6, Fields().cell(0).wide(regions[r - 1]));
        rows.add(5, Fields().cell(1).f64(10.0 * r));
        rows.add(9, formula(2, then(list(0x10, 1, 1), Fields().u8(0x1E).u16(2).u8(0x05))));
    }
    rows.raw(rowHeader(4));
    rows.add(9, formula(1, then(Fields().u8(0x1E).u16(109),
                                then(list(0x00, 1, 1), Fields().u8(0x22).u8(2).u16(344)))));
    rows.add(9, formula(2, then(list(0x08, 1, 1), Fields().u8(0x1E).u16(1).u8(0x03))));
    rows.add(146);

    BinarySheet sheet;
    sheet.name = "Data";
    sheet.records = rows.bytes;
    sheet.relationships = {{"rIdT1", "table", "../tables/table1.bin"}};
    RecordWriter book;
    book.add(157, Fields().u32(0).u32(1).u32(100).f64(0.001).u32(1).u16(0x0001));
    PackageWriter package = binaryWorkbook({sheet}, {}, {}, false, book.bytes);
    package.add("xl/tables/table1.bin",
                tablePart(7, u"Sales", 0, 4, {u"Region", u"Amount", u"Rate"}));
    if (!metadata.empty()) {
        package.add("xl/metadata.bin", metadata);
        package.add("xl/_rels/workbook.bin.rels",
                    relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.bin"},
                                      {"rIdM", "sheetMetadata", "metadata.bin"}}));
    }
    return engine::readWorkbookBytes(package.bytes());
}

TEST(XlsbTables, ListRecordsDefineTheTable) {
    const engine::Workbook book = salesWorkbook();
    ASSERT_EQ(book.tables.size(), 1u);
    const engine::Table& sales = book.tables[0];
    EXPECT_EQ(sales.name, "Sales");
    EXPECT_EQ(sales.sheet, 0u);
    EXPECT_EQ(sales.range, (engine::Range{0, 4, 0, 2}));
    EXPECT_EQ(sales.headerRows, 1u);
    EXPECT_EQ(sales.totalsRows, 1u);
    EXPECT_EQ(sales.columns, (std::vector<std::string>{"Region", "Amount", "Rate"}));
}

TEST(XlsbTables, ListTokensComputeOnAFullCalculation) {
    const engine::Workbook book = salesWorkbook();
    const engine::Sheet& sheet = book.sheets.at(0);
    EXPECT_EQ(numberAt(sheet, 0, 4), 60); // SUM(Sales[Amount])
    EXPECT_EQ(numberAt(sheet, 0, 5), 5);  // ROWS(Sales[#All])
    EXPECT_EQ(numberAt(sheet, 1, 2), 20); // [@Amount]*2, each on its own row
    EXPECT_EQ(numberAt(sheet, 3, 2), 60); //
    EXPECT_EQ(numberAt(sheet, 4, 1), 60); // SUBTOTAL(109,Sales[Amount])
    EXPECT_EQ(numberAt(sheet, 4, 2), 61); // Sales[[#Totals],[Amount]]+1
}

TEST(XlsbTables, OnlyTheMarkedArrayFormulaSpills) {
    const engine::Workbook book = salesWorkbook();
    const engine::Sheet& sheet = book.sheets.at(0);
    EXPECT_EQ(numberAt(sheet, 0, 6), 100);
    EXPECT_EQ(numberAt(sheet, 1, 6), 200);
    EXPECT_EQ(numberAt(sheet, 2, 6), 300);
    EXPECT_EQ(numberAt(sheet, 0, 7), 100);
    EXPECT_EQ(cellAt(sheet, 1, 7), nullptr);
}

TEST(XlsbTables, TheMetadataPartSaysWhichCellMetadataIsTheMark) {
    const struct {
        const char* name;
        std::string metadata;
        bool spills;
    } cases[] = {
        {"dynamic array properties", metadataPart(u"XLDAPR", true), true},
        {"fDynamic clear", metadataPart(u"XLDAPR", false), false},
        {"metadata of another kind", metadataPart(u"XLRICHVALUE", true), false},
        {"a damaged part counts as none", RecordWriter().add(335, Fields().u32(0)).bytes, true},
    };
    for (const auto& c : cases) {
        const engine::Workbook book = salesWorkbook(c.metadata);
        const engine::Sheet& sheet = book.sheets.at(0);
        EXPECT_EQ(numberAt(sheet, 0, 6), 100) << c.name;
        EXPECT_EQ(numberAt(sheet, 2, 6), c.spills ? 300 : -1) << c.name;
    }
    // Blocks are named from 1; a number past them marks nothing.
    const std::string part = metadataPart(u"XLDAPR", true);
    const auto marks = engine::xlsb::parseMetadataBin(part, "metadata.bin");
    EXPECT_TRUE(marks.dynamic(1));
    EXPECT_FALSE(marks.dynamic(0));
    EXPECT_FALSE(marks.dynamic(2));
    const std::string lying = RecordWriter()
                                  .add(337, Fields().u32(1).u32(1))
                                  .add(51, Fields().u32(0x10000000).u32(1).u32(0))
                                  .bytes;
    EXPECT_THROW(engine::xlsb::parseMetadataBin(lying, "metadata.bin"), engine::ReadError);
}

TEST(XlsbTables, PartsThatNameTooLittleOrAreDamaged) {
    engine::Table table;
    std::uint32_t id = 0;
    // Columns the part leaves unnamed get the application's names; names past the range go.
    const std::string few = tablePart(3, u"Few", 0, 3, {u"One"}, 0, 3);
    ASSERT_TRUE(engine::xlsb::parseTableBin(
        {reinterpret_cast<const std::uint8_t*>(few.data()), few.size()}, "t.bin", table, id));
    EXPECT_EQ(id, 3u);
    EXPECT_EQ(table.totalsRows, 0u);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"One", "Column2", "Column3"}));

    engine::Table many;
    const std::string extra = tablePart(4, u"Many", 0, 3, {u"A", u"B", u"C"}, 0, 2);
    ASSERT_TRUE(engine::xlsb::parseTableBin(
        {reinterpret_cast<const std::uint8_t*>(extra.data()), extra.size()}, "t.bin", many, id));
    EXPECT_EQ(many.columns.size(), 2u);

    // A header and a total row with nothing between them is no table.
    engine::Table empty;
    const std::string hollow = tablePart(5, u"Hollow", 0, 1, {u"A"});
    EXPECT_FALSE(engine::xlsb::parseTableBin(
        {reinterpret_cast<const std::uint8_t*>(hollow.data()), hollow.size()}, "t.bin", empty, id));

    // A list record cut short fails naming its part; in a workbook the table is left out and
    // the cells keep their stored results.
    const std::string cut = RecordWriter().add(343, Fields().u32(0).u32(3)).bytes;
    engine::Table broken;
    EXPECT_THROW(
        engine::xlsb::parseTableBin({reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size()},
                                    "t.bin", broken, id),
        engine::ReadError);
    BinarySheet sheet;
    sheet.name = "Data";
    sheet.records = RecordWriter()
                        .add(145)
                        .raw(rowHeader(0))
                        .add(9, formula(0, then(list(0x00, 1, 0), Fields().u8(0x22).u8(1).u16(4))))
                        .add(146)
                        .bytes;
    sheet.relationships = {{"rIdT1", "table", "../tables/table1.bin"}};
    RecordWriter calc;
    calc.add(157, Fields().u32(0).u32(1).u32(100).f64(0.001).u32(1).u16(0x0001));
    PackageWriter package = binaryWorkbook({sheet}, {}, {}, false, calc.bytes);
    package.add("xl/tables/table1.bin", cut);
    const engine::Workbook book = engine::readWorkbookBytes(package.bytes());
    EXPECT_TRUE(book.tables.empty());
    const engine::Cell* a1 = cellAt(book.sheets.at(0), 0, 0);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->type, CellType::Number);
    EXPECT_EQ(a1->number, 0);
}

} // namespace
