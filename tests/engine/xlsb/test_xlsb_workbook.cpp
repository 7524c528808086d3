// Binary workbooks built record by record open through the format-neutral entry point with
// every feature the model holds: sheets, cell values, strings, styles, sizes, merges, links and
// pictures.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine::CellType;

namespace {

engine::Workbook open(const PackageWriter& package) {
    return engine::readWorkbookBytes(package.bytes());
}

const engine::Cell* cellAt(const engine::Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col)
            return &cell;
    return nullptr;
}

std::string textAt(const engine::Workbook& book, const engine::Sheet& sheet, std::uint32_t row,
                   std::uint16_t col) {
    const engine::Cell* cell = cellAt(sheet, row, col);
    if (!cell || cell->type != CellType::Text)
        return "<no text>";
    return book.strings.at(cell->text).text;
}

BinarySheet worksheet(const std::string& name, const std::string& records) {
    BinarySheet sheet;
    sheet.name = name;
    sheet.records = records;
    return sheet;
}

TEST(XlsbWorkbook, SheetsKeepTheirOrderNamesKindsAndVisibility) {
    BinarySheet hidden = worksheet("Hidden", sheetData(""));
    hidden.state = 1;
    BinarySheet veryHidden = worksheet("VeryHidden", sheetData(""));
    veryHidden.state = 2;
    BinarySheet chart = worksheet("Chart", "");
    chart.kind = "chartsheet";
    const auto book = open(binaryWorkbook(
        {worksheet("Visible", sheetData("")), hidden, veryHidden, chart}, {}, {}, true));
    ASSERT_EQ(book.sheets.size(), 4u);
    EXPECT_EQ(book.sheets[0].name, "Visible");
    EXPECT_EQ(book.sheets[1].visibility, engine::Visibility::Hidden);
    EXPECT_EQ(book.sheets[2].visibility, engine::Visibility::VeryHidden);
    EXPECT_EQ(book.sheets[3].kind, engine::SheetKind::Chart);
    EXPECT_EQ(book.sheets[3].name, "Chart");
    EXPECT_EQ(book.dateSystem, engine::DateSystem::Date1904);
}

TEST(XlsbWorkbook, EveryKindOfCellValueIsRead) {
    RecordWriter rows;
    rows.raw(rowHeader(0))
        .add(2, Fields().cell(0).u32(0x3FF00000))    // RK double 1.0
        .add(2, Fields().cell(1).u32(1234 << 2 | 2)) // RK integer 1234
        .add(2, Fields().cell(2).u32(-5 * 4 | 3))    // RK integer -5 / 100
        .add(5, Fields().cell(3).f64(3.25))
        .add(4, Fields().cell(4).u8(1))
        .add(3, Fields().cell(5).u8(0x07))
        .add(6, Fields().cell(6).wide(u"inline \u00e9\U0001F600"))
        .add(7, Fields().cell(7).u32(0));
    rows.raw(rowHeader(2))
        .add(9, Fields().cell(0).f64(42).u16(0).u32(0))
        .add(8, Fields().cell(1).wide(u"formula text").u16(0).u32(0))
        .add(10, Fields().cell(2).u8(0).u16(0).u32(0))
        .add(11, Fields().cell(3).u8(0x2A).u16(0).u32(0))
        .add(3, Fields().cell(4).u8(0x99)); // an unknown error code
    const std::string strings = RecordWriter()
                                    .add(159, Fields().u32(1).u32(1))
                                    .add(19, Fields().u8(0).wide(u"shared"))
                                    .add(160)
                                    .bytes;
    const auto book = open(binaryWorkbook({worksheet("S", sheetData(rows.bytes))}, strings));
    const auto& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cells.size(), 13u);
    EXPECT_EQ(cellAt(sheet, 0, 0)->number, 1.0);
    EXPECT_EQ(cellAt(sheet, 0, 1)->number, 1234.0);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 2)->number, -0.05);
    EXPECT_EQ(cellAt(sheet, 0, 3)->number, 3.25);
    EXPECT_EQ(cellAt(sheet, 0, 4)->type, CellType::Boolean);
    EXPECT_TRUE(cellAt(sheet, 0, 4)->boolean);
    EXPECT_EQ(cellAt(sheet, 0, 5)->error, engine::CellError::Div0);
    EXPECT_EQ(textAt(book, sheet, 0, 6), "inline \xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(textAt(book, sheet, 0, 7), "shared");
    EXPECT_FALSE(cellAt(sheet, 0, 0)->isFormula);
    EXPECT_TRUE(cellAt(sheet, 2, 0)->isFormula);
    EXPECT_EQ(cellAt(sheet, 2, 0)->number, 42.0);
    EXPECT_EQ(textAt(book, sheet, 2, 1), "formula text");
    EXPECT_EQ(cellAt(sheet, 2, 2)->type, CellType::Boolean);
    EXPECT_FALSE(cellAt(sheet, 2, 2)->boolean);
    EXPECT_EQ(cellAt(sheet, 2, 3)->error, engine::CellError::NA);
    EXPECT_EQ(cellAt(sheet, 2, 4)->error, engine::CellError::NA);
}

TEST(XlsbWorkbook, RichSharedStringsKeepTheirRunsAsByteOffsets) {
    // "ab\u00e9cd" with a run from unit 2 ("\u00e9", two bytes in UTF-8) and one from unit 3.
    Fields item;
    item.u8(1).wide(u"ab\u00e9cd").u32(2).u16(2).u16(1).u16(3).u16(2);
    const std::string strings =
        RecordWriter().add(159, Fields().u32(1).u32(1)).add(19, item).add(160).bytes;
    const std::string rows = rowHeader(0) + RecordWriter().add(7, Fields().cell(0).u32(0)).bytes;
    const std::string styles = RecordWriter()
                                   .add(278)
                                   .add(611, Fields().u32(3))
                                   .raw([] {
                                       RecordWriter fonts;
                                       for (int i = 0; i < 3; ++i)
                                           fonts.add(43, Fields()
                                                             .u16(220)
                                                             .u16(0)
                                                             .u16(i == 1 ? 700 : 400)
                                                             .u16(0)
                                                             .u8(0)
                                                             .u8(0)
                                                             .u8(0)
                                                             .u8(0)
                                                             .color(0)
                                                             .u8(0)
                                                             .wide(u"Calibri"));
                                       return fonts.bytes;
                                   }())
                                   .add(612)
                                   .add(279)
                                   .bytes;
    const auto book = open(binaryWorkbook({worksheet("S", sheetData(rows))}, strings, styles));
    const auto& text = book.strings.at(0);
    EXPECT_EQ(text.text, "ab\xC3\xA9"
                         "cd");
    ASSERT_EQ(text.runs.size(), 2u);
    EXPECT_EQ(text.runs[0].start, 2u);
    EXPECT_EQ(text.runs[0].font, 1u);
    EXPECT_EQ(text.runs[1].start, 4u);
    EXPECT_EQ(text.runs[1].font, 2u);
    EXPECT_TRUE(book.fonts.at(1).bold);
}

std::string stylesPart() {
    RecordWriter styles;
    styles.add(278);
    styles.add(615, Fields().u32(1)).add(44, Fields().u16(164).wide(u"0.000%")).add(616);
    styles.add(611, Fields().u32(2));
    styles.add(
        43, Fields().u16(220).u16(0).u16(400).u16(0).u8(0).u8(2).u8(0).u8(0).color(3, 1).u8(2).wide(
                u"Calibri"));
    styles.add(43, Fields()
                       .u16(280)    // 14 pt
                       .u16(0x000A) // italic, strike-through
                       .u16(700)
                       .u16(1) // superscript
                       .u8(0x22)
                       .u8(2)
                       .u8(0)
                       .u8(0)
                       .color(2, 0, 0x3366FF)
                       .u8(0)
                       .wide(u"Arial"));
    styles.add(612);
    const auto fill = [](std::uint32_t pattern, Fields fore, Fields back) {
        Fields body;
        body.u32(pattern).raw(fore.bytes).raw(back.bytes).u32(0);
        for (int i = 0; i < 5; ++i)
            body.f64(0);
        return body.u32(0);
    };
    styles.add(603, Fields().u32(3));
    styles.add(45, fill(0, Fields().color(1, 64), Fields().color(1, 65)));
    styles.add(45, fill(1, Fields().color(1, 10), Fields().color(1, 64))); // palette red
    {
        Fields gradient;
        gradient.u32(0x28).color(0).color(0).u32(0);
        for (int i = 0; i < 5; ++i)
            gradient.f64(0);
        gradient.u32(2).color(2, 0, 0x00FF00).f64(0).color(2, 0, 0x0000FF).f64(1);
        styles.add(45, gradient);
    }
    styles.add(604);
    styles.add(613, Fields().u32(2));
    const auto side = [](std::uint32_t style, std::uint32_t rgb) {
        return Fields().u8(style).u8(0).color(rgb ? 2 : 0, 0, rgb).bytes;
    };
    styles.add(46,
               Fields().u8(0).raw(side(0, 0) + side(0, 0) + side(0, 0) + side(0, 0) + side(0, 0)));
    styles.add(46, Fields().u8(0).raw(side(1, 0xFF0000) + side(6, 0) + side(2, 0) + side(13, 0) +
                                      side(0, 0)));
    styles.add(614);
    // A cell style format between them uses the same record and must not count.
    styles.add(626, Fields().u32(1))
        .add(47, Fields().u16(0xFFFF).u16(0).u16(0).u16(0).u16(0).u8(0).u8(0).u16(0x10).u16(0))
        .add(627);
    styles.add(617, Fields().u32(2));
    styles.add(47, Fields().u16(0).u16(0).u16(0).u16(0).u16(0).u8(0).u8(0).u16(2 << 3).u16(0));
    styles.add(47, Fields()
                       .u16(0)
                       .u16(164)
                       .u16(1)
                       .u16(1)
                       .u16(1)
                       .u8(135) // 45 degrees down
                       .u8(2)
                       .u16(2 | 1 << 3 | 0x40 | 0x100) // centre, middle, wrap, shrink
                       .u16(0));
    styles.add(618);
    // The palette override comes last and still recolours the fill above.
    styles.add(473).add(565);
    for (int i = 0; i < 11; ++i)
        styles.add(
            475,
            Fields().u8(i == 10 ? 0x12 : 0).u8(i == 10 ? 0x34 : 0).u8(i == 10 ? 0x56 : 0).u8(0));
    styles.add(566).add(474);
    styles.add(279);
    return styles.bytes;
}

TEST(XlsbWorkbook, StylesGiveFontsFillsBordersFormatsAndAlignment) {
    const std::string rows =
        rowHeader(0) + RecordWriter().add(5, Fields().cell(0, 1).f64(0.5)).bytes;
    const auto book = open(binaryWorkbook({worksheet("S", sheetData(rows))}, {}, stylesPart()));
    ASSERT_EQ(book.cellFormats.size(), 2u);
    ASSERT_EQ(book.fonts.size(), 2u);
    EXPECT_EQ(book.numberFormats.at(164), "0.000%");
    const engine::Font& font = book.fonts[1];
    EXPECT_EQ(font.name, "Arial");
    EXPECT_EQ(font.size, 14.0);
    EXPECT_TRUE(font.bold && font.italic && font.strike);
    EXPECT_EQ(font.script, engine::Script::Superscript);
    EXPECT_EQ(font.underline, engine::Underline::DoubleAccounting);
    EXPECT_EQ(font.color, engine::Color::fromRgb(0x3366FF));
    EXPECT_EQ(book.fonts[0].color, engine::Color::fromRgb(0x000000)); // theme dark 1

    ASSERT_EQ(book.fills.size(), 3u);
    EXPECT_EQ(book.fills[0].pattern, engine::FillPattern::None);
    EXPECT_EQ(book.fills[1].pattern, engine::FillPattern::Solid);
    EXPECT_EQ(book.fills[1].foreground, engine::Color::fromRgb(0x123456));
    EXPECT_TRUE(book.fills[1].background.automatic);
    EXPECT_EQ(book.fills[2].pattern, engine::FillPattern::Solid);
    EXPECT_EQ(book.fills[2].foreground, engine::Color::fromRgb(0x00FF00));

    const engine::Border& border = book.borders.at(1);
    EXPECT_EQ(border.top.style, engine::BorderStyle::Thin);
    EXPECT_EQ(border.top.color, engine::Color::fromRgb(0xFF0000));
    EXPECT_EQ(border.bottom.style, engine::BorderStyle::Double);
    EXPECT_EQ(border.left.style, engine::BorderStyle::Medium);
    EXPECT_EQ(border.right.style, engine::BorderStyle::SlantDashDot);

    EXPECT_EQ(book.cellFormats[0].alignment.vertical, engine::VAlign::Bottom);
    const engine::CellFormat& format = book.cellFormats[1];
    EXPECT_EQ(format.numFmtId, 164u);
    EXPECT_EQ(format.font, 1u);
    EXPECT_EQ(format.fill, 1u);
    EXPECT_EQ(format.border, 1u);
    EXPECT_EQ(format.alignment.horizontal, engine::HAlign::Center);
    EXPECT_EQ(format.alignment.vertical, engine::VAlign::Center);
    EXPECT_TRUE(format.alignment.wrap);
    EXPECT_TRUE(format.alignment.shrinkToFit);
    EXPECT_EQ(format.alignment.indent, 2);
    EXPECT_EQ(format.alignment.rotation, -45);
    EXPECT_EQ(book.sheets[0].cells.at(0).format, 1u);
}

TEST(XlsbWorkbook, SizesHiddenRowsAndColumnsMergesAndView) {
    RecordWriter records;
    records.add(137, Fields().u16(0x0000).u32(0).u32(0).u32(0)); // grid lines off
    records.add(485, Fields().u32(0xFFFFFFFF).u16(10).u16(400).u16(0).u8(0).u8(0));
    records.add(390)
        .add(60, Fields().u32(0).u32(1).u32(20 * 256).u32(0).u16(0x0002))
        .add(60, Fields().u32(3).u32(99999).u32(5 * 256).u32(0).u16(0x0001))
        .add(391);
    std::string rows =
        rowHeader(0, 400) + rowHeader(1, 600, 0x20) + rowHeader(2, 400, 0x10) + rowHeader(5000000);
    rows += RecordWriter().add(5, Fields().cell(0).f64(1)).bytes; // in a row past the grid
    records.raw(sheetData(rows));
    records.add(177, Fields().u32(2))
        .add(176, Fields().u32(0).u32(1).u32(0).u32(2))
        .add(176, Fields().u32(5).u32(2).u32(0).u32(0)) // reversed: left out
        .add(178);
    const auto book = open(binaryWorkbook({worksheet("S", records.bytes)}));
    const auto& sheet = book.sheets.at(0);
    EXPECT_FALSE(sheet.showGridLines);
    EXPECT_EQ(sheet.defaultRowHeight, 20.0);
    EXPECT_NEAR(sheet.defaultColumnWidth, 80.0 / 7, 1e-9); // 10 digits + padding in 8-px steps
    ASSERT_EQ(sheet.columns.size(), 2u);
    EXPECT_EQ(sheet.columns[0].width, 20.0);
    EXPECT_TRUE(sheet.columns[0].customWidth);
    EXPECT_EQ(sheet.columns[1].lastCol, 16383);
    EXPECT_TRUE(sheet.columns[1].hidden);
    ASSERT_EQ(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[0].row, 1u);
    EXPECT_EQ(sheet.rows[0].height, 30.0);
    EXPECT_TRUE(sheet.rows[0].customHeight);
    EXPECT_TRUE(sheet.rows[1].hidden);
    EXPECT_TRUE(sheet.cells.empty());
    ASSERT_EQ(sheet.merges.size(), 1u);
    EXPECT_EQ(sheet.merges[0], (engine::Range{0, 1, 0, 2}));
}

TEST(XlsbWorkbook, HyperlinksTakeExternalTargetsFromTheSheetRelationships) {
    RecordWriter records;
    records.raw(
        sheetData(rowHeader(0) + RecordWriter().add(6, Fields().cell(0).wide(u"link")).bytes));
    records.add(
        494,
        Fields().u32(0).u32(0).u32(0).u32(0).wide(u"rId1").wide(u"").wide(u"Go there").wide(u""));
    records.add(
        494, Fields().u32(1).u32(1).u32(1).u32(1).nullWide().wide(u"Other!B2").wide(u"").wide(u""));
    records.add(494,
                Fields().u32(2).u32(2).u32(0).u32(0).wide(u"rId9").wide(u"").wide(u"").wide(u""));
    BinarySheet sheet = worksheet("S", records.bytes);
    sheet.relationships = {{"rId1", "hyperlink", "https://example.org/a?b=1"}};
    const auto book = open(binaryWorkbook({sheet}));
    const auto& links = book.sheets.at(0).hyperlinks;
    ASSERT_EQ(links.size(), 2u); // the one without a known target or location is left out
    EXPECT_EQ(links[0].target, "https://example.org/a?b=1");
    EXPECT_EQ(links[0].tooltip, "Go there");
    EXPECT_EQ(links[1].location, "Other!B2");
    EXPECT_EQ(links[1].range, (engine::Range{1, 1, 1, 1}));
}

TEST(XlsbWorkbook, PicturesComeFromTheDrawingPart) {
    static const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0,
                                        0,    13,  'I', 'H', 'D',  'R',  0,    0,    0, 2,
                                        0,    0,   0,   3,   8,    6,    0,    0,    0};
    RecordWriter records;
    records.raw(sheetData(""));
    records.add(550, Fields().wide(u"rId1"));
    BinarySheet sheet = worksheet("S", records.bytes);
    sheet.relationships = {{"rId1", "drawing", "../drawings/drawing1.xml"}};
    auto package = binaryWorkbook({sheet});
    package.add("xl/drawings/drawing1.xml",
                "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
                "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/"
                "main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships\"><xdr:oneCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</"
                "xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext "
                "cx=\"127000\" cy=\"254000\"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"2\" "
                "name=\"p\" descr=\"a dot\"/></xdr:nvPicPr><xdr:blipFill><a:blip "
                "r:embed=\"rId1\"/></xdr:blipFill></xdr:pic></xdr:oneCellAnchor></xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rId1", "image", "../media/image1.png"}}));
    package.add("xl/media/image1.png", std::string(reinterpret_cast<const char*>(png), sizeof png));
    const auto book = open(package);
    const auto& pictures = book.sheets.at(0).pictures;
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].mimeType, "image/png");
    EXPECT_EQ(pictures[0].anchor.col, 1u);
    EXPECT_EQ(pictures[0].anchor.row, 2u);
    EXPECT_EQ(pictures[0].anchor.widthPt, 10.0);
    EXPECT_EQ(pictures[0].description, "a dot");
}

TEST(XlsbWorkbook, AnXmlWorkbookStillGoesToItsOwnReader) {
    const auto book = engine::readWorkbookBytes(
        minimalWorkbook({"<sheetData><row r=\"1\"><c r=\"A1\"><v>7</v></c></row></sheetData>"})
            .bytes());
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].cells.at(0).number, 7.0);
}

} // namespace
