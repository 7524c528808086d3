// Diagonal borders on the page: each direction, its line style and colour, a blank cell that
// shows only its diagonals, and the diagonals of every format that stores them, read from a
// workbook built here and written as a page.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "engine/xls/WorkbookStream.h"
#include "tests/engine/ods/OdsBuilder.h"
#include "tests/engine/web/SampleWorkbooks.h"
#include "tests/engine/xls/BiffBuilder.h"
#include "tests/engine/xlsb/RecordWriter.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;

namespace {

std::string page(const Workbook& workbook) {
    PageContent content;
    content.sheets = {0};
    content.title = "Lines";
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

// The style rule of cell format `format`, or "" when the page has none.
std::string ruleOf(const std::string& html, std::uint32_t format) {
    const std::string selector = ".x" + std::to_string(format) + "{";
    const auto at = html.find(selector);
    if (at == std::string::npos)
        return {};
    return html.substr(at, html.find('}', at) - at);
}

constexpr const char* downLine = "%3Cline x1='0' y1='0' x2='100%25' y2='100%25'";
constexpr const char* upLine = "%3Cline x1='0' y1='100%25' x2='100%25' y2='0'";

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(DiagonalBorders, EachDirectionWithItsStyleAndColour) {
    Workbook workbook;
    workbook.borders.resize(5);
    workbook.borders[1].diagonalDown = true;
    workbook.borders[1].diagonal = {BorderStyle::Dashed, Color::fromRgb(0xFF0000)};
    workbook.borders[2].diagonalUp = true;
    workbook.borders[2].diagonal = {BorderStyle::Medium, Color{}};
    workbook.borders[3].diagonalUp = workbook.borders[3].diagonalDown = true;
    workbook.borders[3].diagonal = {BorderStyle::Double, Color::fromRgb(0x0000FF)};
    // Flags without a line style draw nothing, as in the application.
    workbook.borders[4].diagonalUp = true;
    workbook.cellFormats.resize(5);
    for (std::uint32_t i = 1; i < 5; ++i)
        workbook.cellFormats[i].border = i;
    Sheet sheet;
    sheet.name = "Lines";
    for (std::uint16_t col = 0; col < 4; ++col)
        sheet.cells.push_back(web_samples::numberCell(0, col, col, col + 1u));
    // A blank cell with nothing but its diagonal still shows, merged over two columns.
    Cell blank;
    blank.row = 1;
    blank.col = 0;
    blank.type = CellType::Empty;
    blank.format = 3;
    sheet.cells.push_back(blank);
    sheet.merges.push_back(Range{1, 1, 0, 1});
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook);

    const std::string down = ruleOf(html, 1);
    EXPECT_NE(down.find(downLine), std::string::npos) << down;
    EXPECT_EQ(down.find(upLine), std::string::npos);
    EXPECT_NE(down.find("stroke='%23FF0000' stroke-width='1' stroke-dasharray='4 2'"),
              std::string::npos)
        << down;
    // The picture is stretched to the cell, whatever size the browser gives it.
    EXPECT_NE(down.find("background-repeat:no-repeat;background-size:100% 100%"),
              std::string::npos);

    const std::string up = ruleOf(html, 2);
    EXPECT_NE(up.find(upLine), std::string::npos) << up;
    EXPECT_EQ(up.find(downLine), std::string::npos);
    EXPECT_NE(up.find("stroke='%23000000' stroke-width='2'/%3E"), std::string::npos) << up;

    const std::string both = ruleOf(html, 3);
    EXPECT_EQ(count(both, downLine), 2u) << both; // a double line is two
    EXPECT_EQ(count(both, upLine), 2u);
    EXPECT_NE(both.find("stroke='%230000FF'"), std::string::npos);

    EXPECT_EQ(ruleOf(html, 4).find("background-image"), std::string::npos);
    // Nothing in the picture may end the style element or the CSS string.
    const std::string styles = html.substr(0, html.find("</style>"));
    EXPECT_EQ(styles.find('<', styles.find("<style>") + 1), std::string::npos);
    EXPECT_EQ(count(both, "\""), 2u);

    EXPECT_NE(html.find("<td colspan=\"2\" class=\"x3\"></td>"), std::string::npos) << html;
}

// Red diagonals both ways, thin, on the cell A1 that holds 1, in each format's own terms.
void expectCrossedCell(const Workbook& book) {
    ASSERT_FALSE(book.sheets.empty());
    ASSERT_FALSE(book.sheets[0].cells.empty());
    const std::string html = page(book);
    const std::string rule = ruleOf(html, book.sheets[0].cells[0].format);
    EXPECT_NE(rule.find(downLine), std::string::npos) << html;
    EXPECT_NE(rule.find(upLine), std::string::npos);
    EXPECT_NE(rule.find("stroke='%23FF0000' stroke-width='1'/%3E"), std::string::npos) << rule;
}

TEST(DiagonalBorders, FromEveryFormatThatStoresThem) {
    {
        SCOPED_TRACE("xlsx");
        const auto package = testing_support::minimalWorkbook(
            {"<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row></sheetData>"}, {},
            "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
            "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
            "<borders count=\"2\"><border/><border diagonalUp=\"1\" diagonalDown=\"1\">"
            "<diagonal style=\"thin\"><color rgb=\"FFFF0000\"/></diagonal></border></borders>"
            "<cellXfs count=\"2\"><xf/><xf borderId=\"1\" applyBorder=\"1\"/></cellXfs>");
        expectCrossedCell(readWorkbookBytes(package.bytes()));
    }
    {
        SCOPED_TRACE("xlsb");
        using testing_support::Fields;
        using testing_support::RecordWriter;
        const auto side = [](std::uint32_t style, std::uint32_t rgb) {
            return Fields().u8(style).u8(0).color(rgb ? 2 : 0, 0, rgb).bytes;
        };
        const std::string none = side(0, 0);
        const std::string styles =
            RecordWriter()
                .add(278)
                .add(611, Fields().u32(1))
                .add(43, Fields()
                             .u16(220)
                             .u16(0)
                             .u16(400)
                             .u16(0)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .color(0)
                             .u8(0)
                             .wide(u"Calibri"))
                .add(612)
                .add(613, Fields().u32(2))
                .add(46, Fields().u8(0).raw(none + none + none + none + none))
                .add(46, Fields().u8(3).raw(none + none + none + none + side(1, 0xFF0000)))
                .add(614)
                .add(617, Fields().u32(2))
                .add(47, Fields().u16(0).u16(0).u16(0).u16(0).u16(0).u8(0).u8(0).u16(0).u16(0))
                .add(47, Fields().u16(0).u16(0).u16(0).u16(0).u16(1).u8(0).u8(0).u16(0).u16(0))
                .add(618)
                .add(279)
                .bytes;
        testing_support::BinarySheet sheet;
        sheet.name = "Lines";
        sheet.records =
            testing_support::sheetData(testing_support::rowHeader(0) +
                                       RecordWriter().add(5, Fields().cell(0, 1).f64(1)).bytes);
        expectCrossedCell(
            readWorkbookBytes(testing_support::binaryWorkbook({sheet}, {}, styles).bytes()));
    }
    {
        SCOPED_TRACE("xls");
        using testing_support::Bytes;
        testing_support::BiffWriter w;
        w.bof(0x0005);
        w.record(0x0031, Bytes()
                             .u16(220)
                             .u16(0)
                             .u16(0x7FFF)
                             .u16(400)
                             .u16(0)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u8(7)
                             .u8(0)
                             .chars("Calibri"));
        const auto xf = [](std::uint32_t border1, std::uint32_t border2) {
            return Bytes()
                .u16(0)
                .u16(0)
                .u16(0)
                .u8(0)
                .u8(0)
                .u8(0)
                .u8(0)
                .u32(border1)
                .u32(border2)
                .u16(64 | 65 << 7);
        };
        w.record(0x00E0, xf(0, 0));
        // Both diagonals, thin, in palette entry 10 (red).
        w.record(0x00E0, xf(3u << 30, 10u << 14 | 1u << 21));
        const std::size_t position = w.position() + 4;
        w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Lines"));
        w.eof();
        w.patch32(position, static_cast<std::uint32_t>(w.position()));
        w.bof(0x0010);
        w.record(0x0203, Bytes().u16(0).u16(0).u16(1).f64(1));
        w.eof();
        expectCrossedCell(xls::readWorkbookStream(w.bytes, false));
    }
    {
        SCOPED_TRACE("ods");
        using namespace testing_support;
        const std::string automatic =
            "<style:style style:name=\"ce1\" style:family=\"table-cell\">"
            "<style:table-cell-properties style:diagonal-bl-tr=\"0.74pt solid #ff0000\" "
            "style:diagonal-tl-br=\"0.74pt solid #ff0000\"/></style:style>";
        const std::string table =
            odsTable("<table:table-row><table:table-cell table:style-name=\"ce1\" "
                     "office:value-type=\"float\" office:value=\"1\"><text:p>1</text:p>"
                     "</table:table-cell></table:table-row>",
                     "Lines");
        expectCrossedCell(readWorkbookBytes(odsPackage(odsContent(table, automatic)).bytes()));
    }
}

} // namespace
