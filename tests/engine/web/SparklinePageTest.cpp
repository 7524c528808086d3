// Sparklines on a page: an SVG in their cell, drawn from the cells their data names.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace engine;
using namespace engine::web;
using testing_support::minimalWorkbook;

namespace {

std::string cell(const std::string& ref, const std::string& value) {
    return value.empty() ? std::string() : "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
}

std::string render(const std::string& body) {
    const auto bytes = minimalWorkbook({body}).bytes();
    const Workbook workbook = readWorkbookBytes(bytes);
    PageContent content;
    content.sheets = {0};
    content.title = "t";
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

// A sheet of `cells` (the XML of <sheetData>) and one sparkline group of `attributes`
// drawing `data` in cell `at`; `before` goes ahead of <sheetData>.
std::string sheetBody(const std::string& cells, const std::string& attributes,
                      const std::string& data, const std::string& at,
                      const std::string& before = {}) {
    return before + "<sheetData>" + cells +
           "</sheetData><extLst><ext uri=\"{05C60535-1F16-4fd2-B633-F4F36F0B64E0}\" "
           "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
           "<x14:sparklineGroups "
           "xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">"
           "<x14:sparklineGroup " +
           attributes +
           "><x14:colorSeries rgb=\"FF112233\"/><x14:colorNegative rgb=\"FFCC0000\"/>"
           "<x14:colorHigh rgb=\"FF00AA00\"/><x14:sparklines><x14:sparkline><xm:f>" +
           data + "</xm:f><xm:sqref>" + at +
           "</xm:sqref></x14:sparkline></x14:sparklines></x14:sparklineGroup>"
           "</x14:sparklineGroups></ext></extLst>";
}

// `values` in row 1 from column A on (an empty one leaves its cell out), drawn in H1.
std::string page(const std::vector<std::string>& values, const std::string& attributes,
                 const std::string& before = {}) {
    std::string row = "<row r=\"1\">";
    for (std::size_t i = 0; i < values.size(); ++i)
        row += cell(std::string(1, static_cast<char>('A' + i)) + "1", values[i]);
    row += "</row>";
    const std::string last(1, static_cast<char>('A' + values.size() - 1));
    return render(sheetBody(row, attributes, "Sheet1!A1:" + last + "1", "H1", before));
}

std::string sparklineOf(const std::string& html) {
    const std::size_t at = html.find("<svg class=\"spk\"");
    if (at == std::string::npos)
        return {};
    return html.substr(at, html.find("</svg>", at) + 6 - at);
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The numbers of the first `points="..."` list, as x,y pairs.
std::vector<std::pair<double, double>> linePoints(const std::string& svg) {
    std::vector<std::pair<double, double>> points;
    std::size_t at = svg.find("points=\"");
    if (at == std::string::npos)
        return points;
    const std::string list = svg.substr(at + 8, svg.find('"', at + 8) - at - 8);
    std::size_t position = 0;
    while (position < list.size()) {
        const std::size_t comma = list.find(',', position);
        const std::size_t space = list.find(' ', comma);
        points.emplace_back(std::stod(list.substr(position, comma - position)),
                            std::stod(list.substr(comma + 1, space - comma - 1)));
        position = space == std::string::npos ? list.size() : space + 1;
    }
    return points;
}

} // namespace

TEST(SparklinePage, LineFillsItsCellAndDrawsComputedValues) {
    // C1 is a formula without a stored result: the sparkline draws what it computes to.
    const std::string withFormula =
        render(sheetBody("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>3</v></c>"
                         "<c r=\"C1\"><f>A1+B1</f></c><c r=\"D1\"><v>2</v></c></row>",
                         "high=\"1\"", "Sheet1!A1:D1", "F1"));
    const std::string svg = sparklineOf(withFormula);
    ASSERT_FALSE(svg.empty());
    // The default grid: 64-pixel columns, 20-pixel rows; the table runs to the sparkline's F.
    EXPECT_NE(svg.find("width=\"64\" height=\"20\""), std::string::npos) << svg;
    EXPECT_EQ(count(withFormula, "<col "), 6u);
    const auto points = linePoints(svg);
    ASSERT_EQ(points.size(), 4u) << svg;
    // Evenly spread, left to right, inside the cell; the computed 4 is the top, 1 the bottom.
    EXPECT_LT(points[0].first, points[1].first);
    EXPECT_NEAR(points[1].first - points[0].first, points[3].first - points[2].first, 0.15);
    EXPECT_GE(points[0].first, 0);
    EXPECT_LE(points[3].first, 64);
    EXPECT_LT(points[2].second, points[1].second);
    EXPECT_LT(points[1].second, points[3].second);
    EXPECT_LT(points[3].second, points[0].second);
    EXPECT_GE(points[2].second, 0);
    EXPECT_LE(points[0].second, 20);
    // Only the highest point carries a marker.
    EXPECT_EQ(count(svg, "<circle"), 1u);
    EXPECT_NE(svg.find("fill=\"#00AA00\""), std::string::npos);
}

TEST(SparklinePage, EmptyCellsBreakJoinOrDropToZero) {
    const std::vector<std::string> values = {"1", "2", "", "3", "4"};
    const std::string gap = sparklineOf(page(values, "displayEmptyCellsAs=\"gap\""));
    EXPECT_EQ(count(gap, "<polyline"), 2u) << gap;
    EXPECT_EQ(linePoints(gap).size(), 2u);
    const std::string span = sparklineOf(page(values, "displayEmptyCellsAs=\"span\""));
    EXPECT_EQ(count(span, "<polyline"), 1u);
    EXPECT_EQ(linePoints(span).size(), 4u);
    const std::string zero = sparklineOf(page(values, ""));
    ASSERT_EQ(linePoints(zero).size(), 5u);
    // The zero is the lowest value now: the bottom of the scale.
    EXPECT_GT(linePoints(zero)[2].second, linePoints(zero)[0].second);
}

TEST(SparklinePage, ColumnsAndWinLossBars) {
    const std::string columns =
        sparklineOf(page({"2", "-1", "3"}, "type=\"column\" negative=\"1\" displayXAxis=\"1\""));
    EXPECT_EQ(count(columns, "<rect"), 3u) << columns;
    EXPECT_EQ(count(columns, "fill=\"#CC0000\""), 1u);
    EXPECT_EQ(count(columns, "fill=\"#112233\""), 2u);
    EXPECT_EQ(count(columns, "<line"), 1u); // zero lies inside the scale

    // Win/loss: a zero draws nothing; every bar is half the height, up or down.
    const std::string winLoss = sparklineOf(page({"5", "0", "-0.1", "7"}, "type=\"stacked\""));
    EXPECT_EQ(count(winLoss, "<rect"), 3u) << winLoss;
    EXPECT_EQ(count(winLoss, "height=\"8\""), 3u);
    EXPECT_EQ(count(winLoss, "<line"), 0u);
}

TEST(SparklinePage, ScaleDirectionAndHiddenColumns) {
    // A custom top above every value keeps the line off the cell's top.
    const auto custom = linePoints(sparklineOf(
        page({"0", "10"}, "maxAxisType=\"custom\" manualMax=\"20\" minAxisType=\"custom\" "
                          "manualMin=\"0\"")));
    ASSERT_EQ(custom.size(), 2u);
    EXPECT_NEAR(custom[1].second, 10, 0.11); // halfway up the 16 pixels between the margins
    // Right to left: the first value at the right.
    const auto mirrored = linePoints(sparklineOf(page({"1", "2", "3"}, "rightToLeft=\"1\"")));
    ASSERT_EQ(mirrored.size(), 3u);
    EXPECT_GT(mirrored[0].first, mirrored[2].first);
    // A hidden column's value is left out unless the group shows hidden data.
    const std::string hidden = "<cols><col min=\"2\" max=\"2\" hidden=\"1\"/></cols>";
    EXPECT_EQ(linePoints(sparklineOf(page({"1", "9", "3"}, "", hidden))).size(), 2u);
    EXPECT_EQ(linePoints(sparklineOf(page({"1", "9", "3"}, "displayHidden=\"1\"", hidden))).size(),
              3u);
}

TEST(SparklinePage, DataThatNamesNothingDrawsNothing) {
    const std::string text = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c></row>";
    EXPECT_TRUE(sparklineOf(render(sheetBody(text, "", "Sheet1!A1:A1", "B2"))).empty());
    EXPECT_TRUE(sparklineOf(render(sheetBody(text, "", "Nowhere!A1:C1", "B2"))).empty());
    EXPECT_TRUE(sparklineOf(render(sheetBody(text, "", "[1]Sheet1!A1:C1", "B2"))).empty());
}

TEST(SparklinePage, AMergedCellIsFilledWhole) {
    const std::string body =
        sheetBody("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>", "",
                  "Sheet1!A1:B1", "D1");
    EXPECT_NE(sparklineOf(render(body)).find("width=\"64\" height=\"20\""), std::string::npos);
    // The merge list goes after the cells, before the extension list.
    const std::size_t extensions = body.find("<extLst>");
    const std::string merged = body.substr(0, extensions) +
                               "<mergeCells count=\"1\"><mergeCell ref=\"D1:E2\"/></mergeCells>" +
                               body.substr(extensions);
    const std::string whole = sparklineOf(render(merged));
    EXPECT_NE(whole.find("width=\"128\" height=\"40\""), std::string::npos) << whole;
}
