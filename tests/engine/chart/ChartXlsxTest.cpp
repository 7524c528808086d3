// Charts read from DrawingML chart parts: series and their cached values, colours, titles,
// legends, anchors, chart sheets, and parts that try to make the reader work too hard.

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/chart/ChartSvg.h"
#include "engine/drawingml/ChartPart.h"
#include "engine/package/Colors.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/xlsx/PackageWriter.h"
#include "tests/support/TestPaths.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

const std::string chartOpen =
    "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><c:chart>";
const std::string chartClose = "</c:chart></c:chartSpace>";

Chart parse(const std::string& inner) {
    const package::Colors colors;
    return drawingml::parseChartXml(chartOpen + inner + chartClose, "xl/charts/chart1.xml", colors,
                                    DateSystem::Date1900);
}

std::string numCache(const std::string& format, const std::vector<std::string>& values) {
    std::string xml = "<c:numRef><c:f>Sheet1!$B$2:$B$9</c:f><c:numCache><c:formatCode>" + format +
                      "</c:formatCode><c:ptCount val=\"" + std::to_string(values.size()) + "\"/>";
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!values[i].empty())
            xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + values[i] + "</c:v></c:pt>";
    return xml + "</c:numCache></c:numRef>";
}

std::string strCache(const std::vector<std::string>& values) {
    std::string xml = "<c:strRef><c:f>Sheet1!$A$2</c:f><c:strCache><c:ptCount val=\"" +
                      std::to_string(values.size()) + "\"/>";
    for (std::size_t i = 0; i < values.size(); ++i)
        xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + values[i] + "</c:v></c:pt>";
    return xml + "</c:strCache></c:strRef>";
}

} // namespace

TEST(ChartPart, SeriesTakeTheirCachedNamesCategoriesAndValues) {
    const Chart chart =
        parse("<c:title><c:tx><c:rich><a:p><a:r><a:t>Sales </a:t></a:r><a:r><a:t>2024</a:t></a:r>"
              "</a:p><a:p><a:r><a:t>by month</a:t></a:r></a:p></c:rich></c:tx></c:title>"
              "<c:plotArea><c:barChart><c:barDir val=\"bar\"/><c:grouping val=\"percentStacked\"/>"
              "<c:ser><c:idx val=\"0\"/><c:tx>" +
              strCache({"North"}) + "</c:tx><c:cat>" + strCache({"Jan", "Feb", "Mar"}) +
              "</c:cat><c:val>" + numCache("0.0", {"1.5", "", "3"}) +
              "</c:val></c:ser><c:dLbls><c:showVal val=\"1\"/><c:showPercent val=\"0\"/></c:dLbls>"
              "</c:barChart><c:valAx><c:majorGridlines/><c:numFmt formatCode=\"0%\" "
              "sourceLinked=\"0\"/></c:valAx></c:plotArea><c:legend><c:legendPos val=\"b\"/>"
              "</c:legend>");
    EXPECT_EQ(chart.title, "Sales 2024 by month");
    EXPECT_EQ(chart.legend, LegendPosition::Bottom);
    EXPECT_EQ(chart.valueAxis.format, "0%");
    EXPECT_TRUE(chart.valueAxis.gridlines);
    ASSERT_EQ(chart.plots.size(), 1u);
    const ChartPlot& plot = chart.plots[0];
    EXPECT_EQ(plot.kind, ChartKind::Bar);
    EXPECT_EQ(plot.grouping, ChartGrouping::PercentStacked);
    EXPECT_TRUE(plot.showValues);
    EXPECT_FALSE(plot.showPercent);
    ASSERT_EQ(plot.series.size(), 1u);
    const ChartSeries& series = plot.series[0];
    EXPECT_EQ(series.name, "North");
    EXPECT_EQ(series.categories, (std::vector<std::string>{"Jan", "Feb", "Mar"}));
    ASSERT_EQ(series.values.size(), 3u);
    EXPECT_EQ(series.values[0], 1.5);
    EXPECT_TRUE(std::isnan(series.values[1]));
    EXPECT_EQ(series.values[2], 3);
    EXPECT_EQ(series.formatCode, "0.0");
    EXPECT_TRUE(series.color.automatic);
}

TEST(ChartPart, NumericCategoriesAreShownByTheirFormat) {
    const Chart chart =
        parse("<c:plotArea><c:lineChart><c:ser><c:cat>" + numCache("d-mmm", {"45292", "45323"}) +
              "</c:cat><c:val>" + numCache("General", {"1", "2"}) +
              "</c:val></c:ser></c:lineChart></c:plotArea>");
    ASSERT_EQ(chart.plots.size(), 1u);
    EXPECT_EQ(chart.plots[0].series[0].categories, (std::vector<std::string>{"1-Jan", "1-Feb"}));
}

TEST(ChartPart, TitlesFollowTheAutomaticRules) {
    const std::string oneSeries = "<c:plotArea><c:pieChart><c:ser><c:tx>" + strCache({"Share"}) +
                                  "</c:tx><c:val>" + numCache("General", {"1"}) +
                                  "</c:val></c:ser></c:pieChart></c:plotArea>";
    // A title element without text shows the only series' name.
    EXPECT_EQ(parse("<c:title/>" + oneSeries).title, "Share");
    // No title element: still the series' name, unless the title was deleted.
    EXPECT_EQ(parse(oneSeries).title, "Share");
    EXPECT_EQ(parse("<c:autoTitleDeleted val=\"1\"/>" + oneSeries).title, "");
    const std::string twoSeries = "<c:plotArea><c:barChart><c:ser><c:val>" +
                                  numCache("General", {"1"}) + "</c:val></c:ser><c:ser><c:val>" +
                                  numCache("General", {"2"}) +
                                  "</c:val></c:ser></c:barChart></c:plotArea>";
    EXPECT_EQ(parse("<c:title><c:overlay val=\"0\"/></c:title>" + twoSeries).title, "Chart Title");
    EXPECT_EQ(parse(twoSeries).title, "");
}

TEST(ChartPart, ColoursComeFromTheSeriesFillLineAndPoints) {
    const Chart chart = parse(
        "<c:plotArea><c:pieChart><c:varyColors val=\"1\"/><c:ser>"
        "<c:spPr><a:solidFill><a:srgbClr val=\"123456\"/></a:solidFill></c:spPr>"
        "<c:dPt><c:idx val=\"1\"/><c:spPr><a:solidFill><a:schemeClr val=\"accent2\">"
        "<a:lumMod val=\"75000\"/></a:schemeClr></a:solidFill></c:spPr></c:dPt>"
        "<c:dLbls><c:spPr><a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill></c:spPr>"
        "<c:showPercent val=\"1\"/></c:dLbls>"
        "<c:val>" +
        numCache("General", {"1", "2", "3"}) +
        "</c:val></c:ser><c:holeSize val=\"75\"/></c:pieChart>"
        "<c:lineChart><c:ser><c:spPr><a:ln><a:solidFill><a:schemeClr val=\"accent1\">"
        "<a:lumMod val=\"60000\"/><a:lumOff val=\"40000\"/></a:schemeClr></a:solidFill></a:ln>"
        "</c:spPr><c:marker><c:symbol val=\"none\"/><c:spPr><a:solidFill><a:srgbClr "
        "val=\"00FF00\"/></a:solidFill></c:spPr></c:marker><c:val>" +
        numCache("General", {"1"}) + "</c:val></c:ser></c:lineChart></c:plotArea>");
    ASSERT_EQ(chart.plots.size(), 2u);
    const ChartSeries& slices = chart.plots[0].series[0];
    EXPECT_EQ(slices.color, Color::fromRgb(0x123456));
    ASSERT_EQ(slices.pointColors.size(), 2u);
    EXPECT_TRUE(slices.pointColors[0].automatic);
    const package::Colors theme;
    EXPECT_EQ(slices.pointColors[1],
              Color::fromRgb(package::applyTint(theme.themeColor(5), -0.25)));
    EXPECT_TRUE(chart.plots[0].showPercent);
    const ChartSeries& line = chart.plots[1].series[0];
    EXPECT_EQ(line.color, Color::fromRgb(package::applyTint(theme.themeColor(4), 0.4)));
    EXPECT_FALSE(line.markers);
    EXPECT_TRUE(line.line);
}

TEST(ChartPart, KindsAndScatterStyles) {
    const Chart chart =
        parse("<c:plotArea><c:radarChart><c:ser><c:val>" + numCache("General", {"1"}) +
              "</c:val></c:ser></c:radarChart><c:scatterChart><c:scatterStyle val=\"marker\"/>"
              "<c:ser><c:xVal>" +
              numCache("General", {"0.5", "1.5"}) + "</c:xVal><c:yVal>" +
              numCache("General", {"3", "4"}) + "</c:yVal></c:ser><c:ser><c:xVal>" +
              strCache({"a", "b"}) + "</c:xVal><c:yVal>" + numCache("General", {"1", "2"}) +
              "</c:yVal></c:ser></c:scatterChart><c:doughnutChart><c:holeSize val=\"300\"/>"
              "</c:doughnutChart><c:areaChart/><mc:AlternateContent><mc:Choice Requires=\"c14\">"
              "</mc:Choice><mc:Fallback><c:bubbleChart/></mc:Fallback></mc:AlternateContent>"
              "</c:plotArea>");
    ASSERT_EQ(chart.plots.size(), 4u);
    EXPECT_EQ(chart.plots[0].kind, ChartKind::Unsupported);
    EXPECT_EQ(chart.plots[0].unsupportedName, "Radar");
    const ChartPlot& scatter = chart.plots[1];
    EXPECT_EQ(scatter.kind, ChartKind::Scatter);
    EXPECT_FALSE(scatter.series[0].line);
    EXPECT_EQ(scatter.series[0].xValues, (std::vector<double>{0.5, 1.5}));
    EXPECT_TRUE(scatter.series[1].xValues.empty()); // text x values count 1, 2, 3 ...
    EXPECT_EQ(chart.plots[2].kind, ChartKind::Doughnut);
    EXPECT_EQ(chart.plots[2].holePercent, 50); // out of range: the default
    EXPECT_EQ(chart.plots[3].kind, ChartKind::Area);
}

TEST(ChartPart, HostilePartsAreBounded) {
    // An index far past the points given would make a tiny part hold a huge list.
    const Chart sparse = parse("<c:plotArea><c:lineChart><c:ser><c:val><c:numCache>"
                               "<c:pt idx=\"999999\"><c:v>1</c:v></c:pt>"
                               "<c:pt idx=\"3\"><c:v>2</c:v></c:pt></c:numCache></c:val></c:ser>"
                               "</c:lineChart></c:plotArea>");
    ASSERT_EQ(sparse.plots[0].series[0].values.size(), 4u);
    EXPECT_EQ(sparse.plots[0].series[0].values[3], 2);
    // Points past the declared count and malformed values are left out or blank.
    const Chart counted = parse("<c:plotArea><c:lineChart><c:ser><c:val><c:numCache>"
                                "<c:ptCount val=\"2\"/><c:pt idx=\"5\"><c:v>1</c:v></c:pt>"
                                "<c:pt idx=\"1\"><c:v>x</c:v></c:pt><c:pt idx=\"-1\"><c:v>1"
                                "</c:v></c:pt></c:numCache></c:val></c:ser></c:lineChart>"
                                "</c:plotArea>");
    ASSERT_EQ(counted.plots[0].series[0].values.size(), 2u);
    EXPECT_TRUE(std::isnan(counted.plots[0].series[0].values[1]));

    // A plot inside a series (met by fuzzing) neither starts a plot nor loses the series.
    const Chart nested =
        parse("<c:plotArea><c:barChart><c:ser><c:plotArea><c:lineChart><c:ser/>"
              "</c:lineChart></c:plotArea><c:val>" +
              numCache("General", {"4"}) + "</c:val></c:ser></c:barChart></c:plotArea>");
    ASSERT_EQ(nested.plots.size(), 1u);
    ASSERT_EQ(nested.plots[0].series.size(), 1u);
    EXPECT_EQ(nested.plots[0].series[0].values, std::vector<double>{4});

    // A title past the bound is cut between characters, not inside the two bytes of an "ü".
    const Chart longTitle = parse("<c:title><c:tx><c:rich><a:p><a:r><a:t>" +
                                  std::string(limits::maxChartTextBytes - 1, 'a') +
                                  "\xC3\xBC</a:t></a:r></a:p></c:rich>"
                                  "</c:tx></c:title>");
    EXPECT_EQ(longTitle.title, std::string(limits::maxChartTextBytes - 1, 'a'));

    const package::Colors colors;
    EXPECT_THROW(drawingml::parseChartXml("<c:chartSpace><c:chart>", "xl/charts/chart9.xml", colors,
                                          DateSystem::Date1900),
                 ReadError);
    try {
        drawingml::parseChartXml("<!DOCTYPE x [<!ENTITY a 'b'>]><x>&a;</x>", "xl/charts/chart9.xml",
                                 colors, DateSystem::Date1900);
        FAIL();
    } catch (const ReadError& error) {
        EXPECT_NE(error.detail().find("xl/charts/chart9.xml"), std::string::npos);
    }
}

namespace {

std::string drawingWithChart(const std::string& anchor) {
    return "<xdr:wsDr "
           "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">" +
           anchor + "</xdr:wsDr>";
}

std::string frame(const std::string& id) {
    return "<xdr:graphicFrame><xdr:xfrm/><a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart r:id=\"" +
           id + "\"/></a:graphicData></a:graphic></xdr:graphicFrame>";
}

Workbook readPackage(const PackageWriter& package) {
    const std::vector<std::uint8_t> bytes = package.bytes();
    return readWorkbookBytes(bytes);
}

} // namespace

TEST(ChartDrawing, EmbeddedChartsArePlacedByTheirAnchors) {
    PackageWriter package = minimalWorkbook(
        {"<sheetFormatPr defaultRowHeight=\"15\"/><cols><col min=\"1\" max=\"2\" width=\"10\"/>"
         "</cols><sheetData/><drawing r:id=\"rD\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    package.add(
        "xl/drawings/drawing1.xml",
        drawingWithChart(
            "<xdr:twoCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>12700</xdr:colOff>"
            "<xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>3"
            "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row><xdr:rowOff>0</xdr:rowOff>"
            "</xdr:to>" +
            frame("rC") +
            "<xdr:clientData/></xdr:twoCellAnchor>"
            "<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>"
            "<xdr:ext cx=\"1270000\" cy=\"635000\"/>" +
            frame("rMissing") +
            "</xdr:oneCellAnchor><xdr:absoluteAnchor><xdr:pos x=\"0\" "
            "y=\"0\"/><xdr:ext cx=\"1\" cy=\"1\"/>" +
            frame("rExternal") + "</xdr:absoluteAnchor>"));
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rC", "chart", "../charts/chart1.xml"},
                                  {"rMissing", "chart", "../charts/chart2.xml"},
                                  {"rExternal", "chart", "https://example.com/chart.xml"}}));
    package.add("xl/charts/chart1.xml", chartOpen + "<c:plotArea><c:barChart><c:ser><c:val>" +
                                            numCache("General", {"1", "2"}) +
                                            "</c:val></c:ser></c:barChart></c:plotArea>" +
                                            chartClose);
    const Workbook book = readPackage(package);
    const auto& charts = book.sheets[0].charts;
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_EQ(charts[0].anchor.col, 1);
    EXPECT_EQ(charts[0].anchor.row, 2u);
    EXPECT_DOUBLE_EQ(charts[0].anchor.colOffsetPt, 1);
    EXPECT_DOUBLE_EQ(charts[0].anchor.widthPt, 70 * 0.75 + 64 * 0.75 - 1);
    EXPECT_DOUBLE_EQ(charts[0].anchor.heightPt, 30);
    EXPECT_EQ(charts[0].plots[0].series[0].values, (std::vector<double>{1, 2}));
}

TEST(ChartDrawing, CorpusChartSheetsHoldTheirCharts) {
    const Workbook anySheets =
        readWorkbook(testing_support::corpusFile("xlsx/calamine-any_sheets.xlsx").string());
    const Sheet* chartSheet = nullptr;
    for (const Sheet& sheet : anySheets.sheets)
        if (sheet.kind == SheetKind::Chart)
            chartSheet = &sheet;
    ASSERT_NE(chartSheet, nullptr);
    ASSERT_EQ(chartSheet->charts.size(), 1u);
    const Chart& columns = chartSheet->charts[0];
    ASSERT_EQ(columns.plots.size(), 1u);
    EXPECT_EQ(columns.plots[0].kind, ChartKind::Column);
    ASSERT_EQ(columns.plots[0].series.size(), 2u);
    EXPECT_EQ(columns.plots[0].series[0].values, (std::vector<double>{1, 3, 5}));
    EXPECT_EQ(columns.plots[0].series[1].values, (std::vector<double>{2, 4, 6}));
    EXPECT_FALSE(columns.plots[0].series[0].color.automatic);
    EXPECT_EQ(columns.title, "Chart Title");
    EXPECT_GT(columns.anchor.widthPt, 700);

    const Workbook tealeg =
        readWorkbook(testing_support::corpusFile("xlsx/tealeg-testchartsheet.xlsx").string());
    ASSERT_EQ(tealeg.sheets[0].kind, SheetKind::Chart);
    ASSERT_EQ(tealeg.sheets[0].charts.size(), 1u);
    const Chart& line = tealeg.sheets[0].charts[0];
    EXPECT_EQ(line.title, "Value");
    EXPECT_EQ(line.legend, LegendPosition::Right);
    ASSERT_EQ(line.plots.size(), 1u);
    EXPECT_EQ(line.plots[0].kind, ChartKind::Line);
    EXPECT_EQ(line.plots[0].series[0].values, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_FALSE(line.plots[0].series[0].markers);
}

TEST(ChartDrawing, NewerChartKindsArePlaceholdersWithTheirTitle) {
    PackageWriter package = minimalWorkbook({"<sheetData/><drawing r:id=\"rD\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    package.add(
        "xl/drawings/drawing1.xml",
        drawingWithChart(
            "<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>"
            "<xdr:ext cx=\"1270000\" cy=\"635000\"/><mc:AlternateContent "
            "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
            "<mc:Choice Requires=\"cx1\">" +
            frame("rX") +
            "</mc:Choice><mc:Fallback><xdr:sp/></mc:Fallback></mc:AlternateContent>"
            "</xdr:oneCellAnchor>"));
    package.add(
        "xl/drawings/_rels/drawing1.xml.rels",
        relationshipsXml({{"rX", "http://schemas.microsoft.com/office/2014/relationships/chartEx",
                           "../charts/chartEx1.xml"}}));
    package.add(
        "xl/charts/chartEx1.xml",
        "<cx:chartSpace xmlns:cx=\"http://schemas.microsoft.com/office/drawing/2014/chartex\">"
        "<cx:chart><cx:title><cx:tx><cx:txData><cx:v>Waterfall</cx:v></cx:txData></cx:tx>"
        "</cx:title><cx:plotArea><cx:plotAreaRegion><cx:series layoutId=\"waterfall\"/>"
        "</cx:plotAreaRegion></cx:plotArea></cx:chart></cx:chartSpace>");
    const Workbook book = readPackage(package);
    ASSERT_EQ(book.sheets[0].charts.size(), 1u);
    const Chart& chart = book.sheets[0].charts[0];
    EXPECT_EQ(chart.title, "Waterfall");
    ASSERT_EQ(chart.plots.size(), 1u);
    EXPECT_EQ(chart.plots[0].kind, ChartKind::Unsupported);
    EXPECT_DOUBLE_EQ(chart.anchor.widthPt, 100);
}

namespace {

std::string richTitle(const std::string& text, const std::string& runProperties) {
    return "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:r><a:rPr " + runProperties +
           "><a:solidFill><a:srgbClr val=\"C00000\"/></a:solidFill><a:latin typeface=\"Georgia\"/>"
           "</a:rPr><a:t>" +
           text + "</a:t></a:r></a:p></c:rich></c:tx></c:title>";
}

} // namespace

TEST(ChartPart, AxesTitlesBoundsFontsAndFillsAreRead) {
    const Chart chart = parse(
        richTitle("Revenue", "sz=\"2000\" b=\"0\"") +
        "<c:plotArea><c:barChart><c:barDir val=\"col\"/><c:ser><c:spPr><a:gradFill><a:gsLst>"
        "<a:gs pos=\"0\"><a:srgbClr val=\"FF0000\"/></a:gs><a:gs pos=\"100000\"><a:schemeClr "
        "val=\"accent1\"/></a:gs></a:gsLst><a:lin ang=\"5400000\"/></a:gradFill></c:spPr><c:val>" +
        numCache("General", {"5", "15"}) +
        "</c:val></c:ser></c:barChart><c:catAx><c:axPos val=\"b\"/>" + richTitle("Quarter", "") +
        "<c:txPr><a:p><a:pPr><a:defRPr sz=\"800\" i=\"1\"/></a:pPr></a:p></c:txPr></c:catAx>"
        "<c:valAx><c:scaling><c:max val=\"40\"/><c:min val=\"-10\"/></c:scaling><c:delete "
        "val=\"0\"/><c:axPos val=\"l\"/><c:majorGridlines><c:spPr><a:ln><a:solidFill><a:srgbClr "
        "val=\"00FF00\"/></a:solidFill></a:ln></c:spPr></c:majorGridlines>" +
        richTitle("Euro", "b=\"1\"") +
        "<c:numFmt formatCode=\"#,##0 &quot;k&quot;\" sourceLinked=\"0\"/><c:majorUnit "
        "val=\"10\"/></c:valAx><c:spPr><a:solidFill><a:srgbClr val=\"F2F2F2\"/></a:solidFill>"
        "</c:spPr></c:plotArea>");
    EXPECT_EQ(chart.title, "Revenue");
    EXPECT_EQ(chart.titleFont.sizePt, 20);
    EXPECT_EQ(chart.titleFont.bold, false);
    EXPECT_EQ(chart.titleFont.color, Color::fromRgb(0xC00000));
    EXPECT_EQ(chart.titleFont.family, "Georgia");

    const ChartAxis& values = chart.valueAxis;
    EXPECT_EQ(values.title, "Euro");
    EXPECT_EQ(values.titleFont.bold, true);
    EXPECT_EQ(values.min, -10);
    EXPECT_EQ(values.max, 40);
    EXPECT_EQ(values.majorUnit, 10);
    EXPECT_EQ(values.format, "#,##0 \"k\"");
    EXPECT_TRUE(values.gridlines);
    EXPECT_EQ(values.gridColor, Color::fromRgb(0x00FF00));
    EXPECT_EQ(chart.categoryAxis.title, "Quarter");
    EXPECT_EQ(chart.categoryAxis.labelFont.sizePt, 8);
    EXPECT_TRUE(chart.categoryAxis.labelFont.italic);
    EXPECT_FALSE(chart.categoryAxis.gridlines);

    EXPECT_EQ(chart.plotFill.kind, ChartFill::Kind::Solid);
    EXPECT_EQ(chart.plotFill.rgb, 0xF2F2F2u);
    const ChartSeries& series = chart.plots.at(0).series.at(0);
    ASSERT_EQ(series.fill.kind, ChartFill::Kind::Gradient);
    ASSERT_EQ(series.fill.stops.size(), 2u);
    EXPECT_EQ(series.fill.stops[1].rgb, package::Colors().themeColor(4));
    EXPECT_EQ(series.fill.stops[1].position, 1);
    EXPECT_EQ(series.fill.angle, 90);
    // The legend shows a gradient's first colour.
    EXPECT_EQ(series.color, Color::fromRgb(0xFF0000));
}

TEST(ChartPart, ScatterAxesAreToldApartByTheirPlace) {
    const Chart chart = parse(
        "<c:plotArea><c:scatterChart><c:ser><c:xVal>" + numCache("General", {"1", "2"}) +
        "</c:xVal><c:yVal>" + numCache("General", {"3", "4"}) +
        "</c:yVal></c:ser></c:scatterChart><c:valAx><c:scaling><c:min val=\"100\"/></c:scaling>"
        "<c:axPos val=\"l\"/></c:valAx><c:valAx><c:scaling><c:max val=\"9\"/></c:scaling><c:axPos "
        "val=\"b\"/></c:valAx></c:plotArea>");
    EXPECT_EQ(chart.valueAxis.min, 100);
    EXPECT_FALSE(chart.valueAxis.max);
    EXPECT_EQ(chart.categoryAxis.max, 9);
}

TEST(ChartPart, PieSlicesArePulledOutAndThemeAccentsColourSeries) {
    package::Colors colors;
    std::array<std::uint32_t, 12> scheme{};
    for (std::size_t i = 0; i < scheme.size(); ++i)
        scheme[i] = 0x101010 * static_cast<std::uint32_t>(i);
    colors.setScheme(scheme);
    const Chart chart = drawingml::parseChartXml(
        chartOpen +
            "<c:plotArea><c:pieChart><c:ser><c:explosion val=\"10\"/><c:dPt><c:idx val=\"2\"/>"
            "<c:explosion val=\"30\"/></c:dPt><c:val>" +
            numCache("General", {"1", "2", "3"}) + "</c:val></c:ser></c:pieChart></c:plotArea>" +
            chartClose,
        "xl/charts/chart1.xml", colors, DateSystem::Date1900);
    const ChartSeries& series = chart.plots.at(0).series.at(0);
    EXPECT_DOUBLE_EQ(series.seriesExplosion, 0.1);
    EXPECT_EQ(series.explosion, (std::vector<double>{0, 0, 0.3}));
    // The scheme's accents (its fifth to tenth colours), not the default theme's.
    EXPECT_EQ(chart.accents[0], 0x404040u);
    EXPECT_EQ(chart.accents[5], 0x909090u);
}

TEST(ChartPart, TwoLevelCategoriesKeepTheirGroupsAndShowThemUnderTheLabels) {
    const std::string levels =
        "<c:multiLvlStrRef><c:f>Sheet1!$A$2:$B$5</c:f><c:multiLvlStrCache><c:ptCount val=\"4\"/>"
        "<c:lvl><c:pt idx=\"0\"><c:v>Jan</c:v></c:pt><c:pt idx=\"1\"><c:v>Feb</c:v></c:pt>"
        "<c:pt idx=\"2\"><c:v>Jan</c:v></c:pt><c:pt idx=\"3\"><c:v>Feb</c:v></c:pt></c:lvl>"
        "<c:lvl><c:pt idx=\"0\"><c:v>2023</c:v></c:pt><c:pt idx=\"2\"><c:v>2024</c:v></c:pt>"
        "<c:pt idx=\"9\"><c:v>past the points</c:v></c:pt></c:lvl>"
        "</c:multiLvlStrCache></c:multiLvlStrRef>";
    for (const char* direction : {"col", "bar"}) {
        SCOPED_TRACE(direction);
        const Chart chart = parse(std::string("<c:plotArea><c:barChart><c:barDir val=\"") +
                                  direction + "\"/><c:ser><c:idx val=\"0\"/><c:cat>" + levels +
                                  "</c:cat><c:val>" + numCache("General", {"1", "2", "3", "4"}) +
                                  "</c:val></c:ser></c:barChart></c:plotArea>");
        const ChartSeries& series = chart.plots.at(0).series.at(0);
        EXPECT_EQ(series.categories, (std::vector<std::string>{"Jan", "Feb", "Jan", "Feb"}));
        ASSERT_EQ(series.categoryGroups.size(), 1u);
        EXPECT_EQ(series.categoryGroups[0], (std::vector<std::string>{"2023", "", "2024"}));
        const std::string svg = chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900);
        EXPECT_NE(svg.find(">2023<"), std::string::npos);
        EXPECT_NE(svg.find(">2024<"), std::string::npos);
        EXPECT_EQ(svg.find("past the points"), std::string::npos);
        if (std::string(direction) == "col") {
            // A group's name stands midway between its first and last points' labels.
            const auto x = [&](const std::string& text, std::size_t nth) {
                std::size_t at = 0;
                for (std::size_t i = 0; i <= nth; ++i)
                    at = svg.find(">" + text + "<", at + 1);
                const std::size_t open = svg.rfind("<text x=\"", at);
                return std::stod(svg.substr(open + 9));
            };
            EXPECT_NEAR(x("2023", 0), (x("Jan", 0) + x("Feb", 0)) / 2, 0.2);
            EXPECT_NEAR(x("2024", 0), (x("Jan", 1) + x("Feb", 1)) / 2, 0.2);
        }
    }
}

TEST(ChartPart, PlotAreaBordersLegendFramesAndDataLabelLooksAreDrawn) {
    const Chart chart =
        parse("<c:plotArea><c:barChart><c:barDir val=\"col\"/><c:ser><c:idx val=\"0\"/><c:val>" +
              numCache("General", {"1", "2"}) +
              "</c:val><c:dLbls><c:txPr><a:bodyPr/><a:p><a:pPr><a:defRPr sz=\"1400\" b=\"1\">"
              "<a:solidFill><a:srgbClr val=\"C00000\"/></a:solidFill></a:defRPr></a:pPr></a:p>"
              "</c:txPr><c:showVal val=\"1\"/></c:dLbls></c:ser></c:barChart>"
              "<c:spPr><a:noFill/><a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"00B050\"/>"
              "</a:solidFill></a:ln></c:spPr></c:plotArea>"
              "<c:legend><c:legendPos val=\"r\"/><c:spPr><a:solidFill><a:srgbClr val=\"FFFF00\"/>"
              "</a:solidFill><a:ln><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill></a:ln>"
              "</c:spPr></c:legend>");
    EXPECT_EQ(chart.plotBorder.kind, ChartLine::Kind::Solid);
    EXPECT_EQ(chart.plotBorder.rgb, 0x00B050u);
    EXPECT_DOUBLE_EQ(chart.plotBorder.widthPt, 2);
    EXPECT_EQ(chart.plotFill.kind, ChartFill::Kind::None);
    EXPECT_EQ(chart.legendBorder.kind, ChartLine::Kind::Solid);
    EXPECT_EQ(chart.legendBorder.rgb, 0x0000FFu);
    EXPECT_EQ(chart.legendFill.rgb, 0xFFFF00u);
    const ChartFont& labels = chart.plots.at(0).labelFont;
    EXPECT_DOUBLE_EQ(labels.sizePt, 14);
    EXPECT_EQ(labels.bold, true);
    EXPECT_EQ(labels.color, Color::fromRgb(0xC00000));

    const std::string svg = chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900);
    EXPECT_NE(svg.find("stroke=\"#00B050\" stroke-width=\"2.7\""), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#0000FF\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#FFFF00\""), std::string::npos);
    EXPECT_NE(svg.find("font-size=\"18.7\" fill=\"#C00000\" text-anchor=\"middle\" "
                       "font-weight=\"bold\">2<"),
              std::string::npos)
        << svg;
    // Without outlines in the file, none are drawn.
    const Chart plain =
        parse("<c:plotArea><c:barChart><c:ser><c:idx val=\"0\"/><c:val>" +
              numCache("General", {"1"}) + "</c:val></c:ser></c:barChart></c:plotArea><c:legend/>");
    EXPECT_EQ(plain.plotBorder.kind, ChartLine::Kind::Automatic);
    EXPECT_EQ(chart::chartSvgDocument(plain, 400, 300, DateSystem::Date1900).find("stroke-width"),
              std::string::npos);
}
