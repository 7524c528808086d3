// Where pictures and charts land on a page: on the grid the page draws, in their anchor rows.

#include "engine/numfmt/DigitWidth.h"
#include "engine/web/PageWriter.h"
#include "tests/engine/web/SampleWorkbooks.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace engine;
using namespace engine::web;
using web_samples::numberCell;
using web_samples::textCell;

namespace {

std::string page(const Workbook& workbook) {
    PageContent content;
    content.sheets = {0};
    content.title = "t";
    content.pictureSource = [](std::size_t, std::size_t index) {
        return "p" + std::to_string(index) + ".png";
    };
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

// The markup of the table row `index` (0 for the first) of the page's only table.
std::string tableRow(const std::string& html, std::size_t index) {
    std::size_t at = html.find("<tbody>");
    for (std::size_t i = 0; i <= index && at != std::string::npos; ++i)
        at = html.find("<tr", at + 1);
    if (at == std::string::npos)
        return {};
    return html.substr(at, html.find("</tr>", at) - at);
}

Picture pictureAt(std::uint32_t row, std::uint16_t col) {
    Picture picture;
    picture.mimeType = "image/png";
    picture.data = {0x89, 'P', 'N', 'G'};
    picture.anchor.row = row;
    picture.anchor.col = col;
    return picture;
}

Workbook withNormalFont(const std::string& family, double size) {
    Workbook workbook;
    workbook.fonts.resize(1);
    workbook.fonts[0].name = family;
    workbook.fonts[0].size = size;
    return workbook;
}

TEST(DrawingPlacement, GridStartsWhereTheDrawingsStart) {
    Workbook workbook;
    Sheet sheet;
    for (std::uint32_t row = 18; row < 22; ++row)
        sheet.cells.push_back(numberCell(row, 2, row));
    Chart chart;
    chart.anchor.twoCell = true;
    chart.anchor.toRow = 17;
    chart.anchor.toCol = 5;
    sheet.charts.push_back(chart);
    Picture picture = pictureAt(3, 1); // left of the first value's column
    sheet.pictures.push_back(picture);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook);
    // The table starts at A1, so the values follow the 17 rows the chart covers; the empty
    // rows between the drawings are one row each.
    const std::string first = tableRow(html, 0);
    EXPECT_NE(first.find("class=\"da\""), std::string::npos) << first;
    EXPECT_NE(first.find("aria-describedby=\"chart0_0\" style=\"position:absolute;left:0px;"
                         "top:0px;width:320px;height:340px\">"),
              std::string::npos)
        << first;
    EXPECT_NE(tableRow(html, 1).find("height:40px"), std::string::npos);
    EXPECT_NE(tableRow(html, 2).find("<img src=\"p0.png\""), std::string::npos);
    EXPECT_NE(tableRow(html, 3).find("height:" + std::to_string(14 * 20) + "px"),
              std::string::npos);
    EXPECT_NE(tableRow(html, 4).find(">18<"), std::string::npos);
    EXPECT_NE(html.find("<col style=\"width:64px\"><col style=\"width:64px\"><col"),
              std::string::npos);
}

TEST(DrawingPlacement, SizesFollowTheGridAtAnyNormalFont) {
    for (const auto& [family, size] :
         {std::pair<std::string, double>{"Calibri", 12}, {"Courier New", 16}, {"Calibri", 11}}) {
        SCOPED_TRACE(family + " " + std::to_string(size));
        Workbook workbook = withNormalFont(family, size);
        Sheet sheet;
        sheet.cells.push_back(numberCell(0, 0, 1));
        sheet.columns.push_back(ColumnInfo{1, 3, 12.0, false, true, 0});
        // From the middle of B2 (a binary workbook's shares) to D5.
        Picture shared = pictureAt(1, 1);
        shared.anchor.colShare = 0.5;
        shared.anchor.twoCell = true;
        shared.anchor.toCol = 3;
        shared.anchor.toRow = 4;
        sheet.pictures.push_back(shared);
        // From C1 with offsets in points to E3 and three points into it.
        Picture offset = pictureAt(0, 2);
        offset.anchor.colOffsetPt = 6;
        offset.anchor.twoCell = true;
        offset.anchor.toCol = 4;
        offset.anchor.toRow = 2;
        offset.anchor.toColOffsetPt = 3;
        sheet.pictures.push_back(offset);
        workbook.sheets.push_back(std::move(sheet));
        workbook.finish();

        const int digit = numfmt::maxDigitPixels(family, size);
        const int column = numfmt::columnWidthPixels(12.0, digit);
        const int first = numfmt::columnWidthPixels(Sheet{}.defaultColumnWidth, digit);
        const std::string html = page(workbook);
        const std::string sharedRow = tableRow(html, 1);
        const std::string expectShared =
            "left:" + std::to_string(first + (column + 1) / 2) +
            "px;top:0px;width:" + std::to_string(2 * column - (column + 1) / 2) + "px;height:60px";
        EXPECT_NE(sharedRow.find(expectShared), std::string::npos) << sharedRow;
        const std::string offsetRow = tableRow(html, 0);
        const std::string expectOffset = "left:" + std::to_string(first + column + 8) +
                                         "px;top:0px;width:" + std::to_string(2 * column - 4) +
                                         "px;height:40px";
        EXPECT_NE(offsetRow.find(expectOffset), std::string::npos) << offsetRow;
    }
}

TEST(DrawingPlacement, DrawingsRideInTheirAnchorRow) {
    Workbook workbook = web_samples::plainWorkbook();
    Sheet& sheet = workbook.sheets[0];
    // Under a merged area covering the row's start, the row's first cell is B5: offsets count
    // from there.
    sheet.cells.push_back(textCell(workbook, 3, 0, "merged"));
    sheet.merges.push_back(Range{3, 4, 0, 0});
    Picture covered = pictureAt(4, 1);
    covered.anchor.colOffsetPt = 3;
    covered.anchor.rowOffsetPt = 7.5;
    sheet.pictures.push_back(covered);
    // Whole rows under merged areas leave no cell to sit in: the drawing floats over the grid.
    sheet.cells.push_back(textCell(workbook, 6, 0, "wide"));
    sheet.merges.push_back(Range{6, 7, 0, 1});
    sheet.pictures.push_back(pictureAt(7, 0));
    // A hidden row shows none of its drawings' offsets.
    RowInfo hidden;
    hidden.row = 2;
    hidden.hidden = true;
    sheet.rows.push_back(hidden);
    sheet.pictures.push_back(pictureAt(2, 1));
    const std::string html = page(workbook);
    const std::string row = tableRow(html, 3); // rows 1, 2, 4, 5: the hidden row is left out
    EXPECT_NE(row.find("<td class=\"da\"><img src=\"p0.png\" alt=\"\" "
                       "style=\"position:absolute;left:4px;top:10px\">"),
              std::string::npos)
        << row;
    const std::size_t tableEnd = html.find("</table>");
    EXPECT_NE(html.find("<img src=\"p1.png\" alt=\"\" style=\"position:absolute;left:0px;top:120px",
                        tableEnd),
              std::string::npos);
    EXPECT_NE(html.find("<img src=\"p2.png\" alt=\"\" style=\"position:absolute;left:64px;top:40px",
                        tableEnd),
              std::string::npos);
}

TEST(DrawingPlacement, SparseSheetCollapsesEmptyRuns) {
    Workbook workbook;
    Sheet sheet;
    sheet.cells.push_back(numberCell(0, 0, 1));
    sheet.cells.push_back(numberCell(999'999, 0, 2));
    RowInfo tall;
    tall.row = 10;
    tall.height = 30;
    tall.customHeight = true;
    sheet.rows.push_back(tall);
    sheet.pictures.push_back(pictureAt(500'000, 1));
    sheet.merges.push_back(Range{700'000, 700'002, 0, 0});
    sheet.cells.push_back(textCell(workbook, 700'000, 0, "m"));
    std::sort(sheet.cells.begin(), sheet.cells.end(),
              [](const Cell& a, const Cell& b) { return a.row < b.row; });
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook);
    EXPECT_LT(html.size(), 20000u);
    // Rows 2..500000 (one of them 40 px) in one, the picture's row, then up to the merge.
    EXPECT_NE(tableRow(html, 1).find("height:" + std::to_string(499'999 * 20 + 20)),
              std::string::npos)
        << tableRow(html, 1);
    EXPECT_NE(tableRow(html, 2).find("<img src=\"p0.png\""), std::string::npos);
    EXPECT_NE(tableRow(html, 3).find("height:" + std::to_string(199'999 * 20)), std::string::npos);
    EXPECT_NE(tableRow(html, 4).find("rowspan=\"3\""), std::string::npos);
    EXPECT_EQ(tableRow(html, 5), "<tr>"); // the merged area's rows stay rows
    EXPECT_EQ(tableRow(html, 6), "<tr>");
    EXPECT_NE(tableRow(html, 7).find("height:" + std::to_string(299'996 * 20)), std::string::npos);
    EXPECT_NE(tableRow(html, 8).find(">2<"), std::string::npos);
}

TEST(DrawingPlacement, RightAlignedTextKeepsItsEndAndRightToLeftSheetsSitRight) {
    Workbook workbook;
    workbook.cellFormats.resize(2);
    workbook.cellFormats[1].alignment.horizontal = HAlign::Right;
    Sheet sheet;
    sheet.rightToLeft = true;
    sheet.cells.push_back(textCell(workbook, 0, 0, "a text far too long for its column", 1));
    sheet.cells.push_back(textCell(workbook, 0, 1, "x"));
    sheet.cells.push_back(textCell(workbook, 0, 3, "another text too long for its cell", 1));
    Picture picture = pictureAt(1, 1);
    sheet.pictures.push_back(picture);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook);
    // Latin text reads from the left even here. Aligned right, it runs to the left, which on
    // this sheet is where the next columns lie: the first has none free, so it is cut at its
    // start inside its cell; the last has the open grid beyond the used columns, not the
    // empty column before it, which lies to its right.
    EXPECT_NE(html.find("<td class=\"x1 o\" dir=\"ltr\"><div class=\"re\" style=\"width:60px\">a "
                        "text"),
              std::string::npos);
    const auto another = html.find("\">another");
    ASSERT_NE(another, std::string::npos);
    const std::string box =
        html.substr(html.rfind("<div", another), another - html.rfind("<div", another));
    EXPECT_NE(box.find("<div class=\"re\" style=\"width:"), std::string::npos) << box;
    EXPECT_NE(box.find(";margin-left:-"), std::string::npos) << box;
    EXPECT_EQ(box.find("margin-left:-64px"), std::string::npos) << box;
    EXPECT_NE(html.find("<table class=\"grid\" dir=\"rtl\" style=\"margin-left:auto;"),
              std::string::npos);
    EXPECT_NE(tableRow(html, 1).find("style=\"position:absolute;right:64px;top:0px\""),
              std::string::npos)
        << tableRow(html, 1);
}

} // namespace

TEST(DrawingPlacement, DrawingsInARowAddNoLineToItsCell) {
    // Cells keep their white space: a line break after a drawing would make the row taller
    // in the browser and push every row below it down, away from the drawings beneath.
    Workbook workbook;
    Sheet sheet;
    sheet.cells.push_back(numberCell(0, 0, 5));
    sheet.pictures.push_back(pictureAt(0, 0));
    Chart chart;
    chart.anchor.col = 1;
    sheet.charts.push_back(chart);
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string row = tableRow(page(workbook), 0);
    ASSERT_NE(row.find("<img"), std::string::npos) << row;
    ASSERT_NE(row.find("class=\"chart\""), std::string::npos) << row;
    EXPECT_EQ(row.find('\n'), std::string::npos) << row;
}
