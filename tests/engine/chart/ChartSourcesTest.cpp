// Series of charts that cache no values take them from the cells their references name.

#include "engine/chart/ChartSources.h"

#include "engine/chart/ChartSvg.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

std::string inlineText(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

std::string number(const std::string& ref, const std::string& value) {
    return "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
}

// A workbook whose first sheet holds a small table and a chart whose series name only the
// cells of it, as scripts write them.
Workbook cachelessChart(const std::string& series,
                        const std::string& b3 = "<c r=\"B3\"><f>B2*2</f><v>20</v></c>") {
    PackageWriter package = minimalWorkbook(
        {"<sheetData><row r=\"1\">" + inlineText("B1", "Sales") + "</row><row r=\"2\">" +
             inlineText("A2", "North") + number("B2", "10") + "</row><row r=\"3\">" +
             inlineText("A3", "South") + b3 + "</row><row r=\"4\">" + inlineText("A4", "West") +
             inlineText("B4", "n/a") +
             "</row></sheetData>"
             "<drawing r:id=\"rD\"/>",
         "<sheetData><row r=\"1\">" + number("A1", "7") + "</row></sheetData>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    package.add(
        "xl/drawings/drawing1.xml",
        "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><xdr:oneCellAnchor>"
        "<xdr:from><xdr:col>3</xdr:col><xdr:row>0</xdr:row></xdr:from><xdr:ext cx=\"3810000\" "
        "cy=\"2540000\"/><xdr:graphicFrame><a:graphic><a:graphicData><c:chart r:id=\"rC\"/>"
        "</a:graphicData></a:graphic></xdr:graphicFrame></xdr:oneCellAnchor></xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rC", "chart", "../charts/chart1.xml"}}));
    package.add("xl/charts/chart1.xml",
                "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
                "<c:chart><c:plotArea>" +
                    series + "</c:plotArea></c:chart></c:chartSpace>");
    const std::vector<std::uint8_t> bytes = package.bytes();
    return readWorkbookBytes(bytes);
}

std::string barSeries(const std::string& name, const std::string& categories,
                      const std::string& values) {
    return "<c:barChart><c:ser><c:tx><c:strRef><c:f>" + name +
           "</c:f></c:strRef></c:tx><c:cat>"
           "<c:strRef><c:f>" +
           categories + "</c:f></c:strRef></c:cat><c:val><c:numRef><c:f>" + values +
           "</c:f></c:numRef></c:val></c:ser><c:dLbls><c:showVal val=\"1\"/>"
           "</c:dLbls></c:barChart>";
}

} // namespace

TEST(ChartSources, CachelessSeriesReadTheCellsTheyName) {
    const Workbook book =
        cachelessChart(barSeries("Sheet1!$B$1", "Sheet1!$A$2:$A$4", "Sheet1!$B$2:$B$4"));
    ASSERT_EQ(book.sheets[0].charts.size(), 1u);
    const Chart& chart = book.sheets[0].charts[0];
    const ChartSeries& series = chart.plots.at(0).series.at(0);
    EXPECT_EQ(series.name, "Sales");
    EXPECT_EQ(series.categories, (std::vector<std::string>{"North", "South", "West"}));
    // A formula's result counts like any number; text in a value cell is plotted as zero.
    EXPECT_EQ(series.values, (std::vector<double>{10, 20, 0}));

    std::string svg;
    chart::appendChartSvg(svg, chart, 400, 300, book.dateSystem);
    EXPECT_NE(svg.find(">South<"), std::string::npos);
    EXPECT_NE(svg.find(">20<"), std::string::npos);
}

TEST(ChartSources, AFormulaWithoutAStoredResultIsPlottedAsComputed) {
    const Workbook book =
        cachelessChart(barSeries("Sheet1!$B$1", "Sheet1!$A$2:$A$4", "Sheet1!$B$2:$B$4"),
                       "<c r=\"B3\"><f>B2*3</f></c>");
    const ChartSeries& series = book.sheets[0].charts.at(0).plots.at(0).series.at(0);
    EXPECT_EQ(series.values, (std::vector<double>{10, 30, 0}));
}

TEST(ChartSources, ReferencesOutsideTheWorkbookStayEmpty) {
    const Workbook external =
        cachelessChart(barSeries("[1]Sheet1!$B$1", "[1]Sheet1!$A$2:$A$4", "[1]Sheet1!$B$2:$B$4"));
    const ChartSeries& series = external.sheets[0].charts.at(0).plots.at(0).series.at(0);
    EXPECT_TRUE(series.name.empty());
    EXPECT_TRUE(series.values.empty());
    EXPECT_TRUE(series.categories.empty());
    // A union over two sheets and a reference without a sheet (its chart's own).
    const Workbook mixed = cachelessChart(barSeries("B1", "A2", "(Sheet1!$B$2,'Sheet2'!A1)"));
    const ChartSeries& joined = mixed.sheets[0].charts.at(0).plots.at(0).series.at(0);
    EXPECT_EQ(joined.values, (std::vector<double>{10, 7}));
    EXPECT_EQ(joined.name, "Sales");
}

TEST(ChartSources, ReferenceTextIsParsedStrictly) {
    Workbook book;
    book.sheets.resize(2);
    book.sheets[0].name = "Data";
    book.sheets[1].name = "Q1 '24";
    const auto areas = chart::parseSeriesReference("'Q1 ''24'!$c$3:$A$1", book, 0);
    ASSERT_TRUE(areas);
    ASSERT_EQ(areas->size(), 1u);
    EXPECT_EQ((*areas)[0].sheet, 1u);
    EXPECT_EQ((*areas)[0].range, (Range{0, 2, 0, 2}));
    for (const char* bad : {"Other!A1", "Data!A1:", "Data!A0", "Data!XFE1", "SUM(Data!A1:A2)",
                            "Data!A1+1", "[1]Data!A1", "MyName", "", "()", "Data!A1,,Data!B1"})
        EXPECT_FALSE(chart::parseSeriesReference(bad, book, 0)) << bad;
}

TEST(ChartSources, ABudgetBoundsTheCellsTaken) {
    Workbook book;
    book.sheets.resize(1);
    book.sheets[0].name = "S";
    ChartSeries series;
    series.source.values = "S!A1:A5000";
    book.sheets[0].charts.resize(1);
    book.sheets[0].charts[0].plots.resize(1);
    book.sheets[0].charts[0].plots[0].series.push_back(series);
    book.finish();
    chart::fillChartsFromCells(book, 1000);
    EXPECT_TRUE(book.sheets[0].charts[0].plots[0].series[0].values.empty());
    chart::fillChartsFromCells(book);
    EXPECT_EQ(book.sheets[0].charts[0].plots[0].series[0].values.size(), 5000u);
}
