// The SVG of each plot kind, checked for its structure: series, points, labels and texts.

#include "engine/chart/ChartSvg.h"

#include "engine/chart/AxisScale.h"
#include "tests/engine/chart/ChartSamples.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace engine;
using testing_support::countOf;
using testing_support::groupOf;
using testing_support::sampleChart;
using testing_support::samplePlot;

namespace {

std::string svgOf(const Chart& chart, int width = 480, int height = 288) {
    std::string out;
    chart::appendChartSvg(out, chart, width, height, DateSystem::Date1900);
    return out;
}

// The texts of the <text> elements of `markup`, in order.
std::vector<std::string> textsOf(std::string_view markup) {
    std::vector<std::string> texts;
    for (std::size_t at = markup.find("<text"); at != std::string_view::npos;
         at = markup.find("<text", at + 5)) {
        const std::size_t start = markup.find('>', at) + 1;
        texts.emplace_back(markup.substr(start, markup.find("</text>", start) - start));
    }
    return texts;
}

const double blank = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(AxisScale, RoundBoundsAndSteps) {
    struct Row {
        const char* name;
        double low, high;
        int steps;
        double min, max, step;
    } rows[] = {
        {"small counts start at zero with room above", 1, 6, 10, 0, 7, 1},
        {"thousands leave a twentieth free above", 120, 4800, 8, 0, 6000, 1000},
        {"negatives and positives", -35, 80, 10, -60, 100, 20},
        {"all negative ends at zero", -50, -5, 10, -60, 0, 10},
        {"far from zero keeps its own start", 1000, 1010, 10, 1000, 1012, 2},
        {"a single value", 5, 5, 10, 0, 6, 1},
        {"all zero", 0, 0, 10, 0, 1, 0.2},
    };
    for (const Row& row : rows) {
        const chart::AxisScale scale = chart::niceScale(row.low, row.high, row.steps);
        EXPECT_DOUBLE_EQ(scale.min, row.min) << row.name;
        EXPECT_DOUBLE_EQ(scale.max, row.max) << row.name;
        EXPECT_DOUBLE_EQ(scale.step, row.step) << row.name;
    }
    const chart::AxisScale broken = chart::niceScale(blank, 1e308 * 10, 5);
    EXPECT_LT(broken.min, broken.max);
    const chart::AxisScale huge = chart::niceScale(-1.7e308, 1.7e308, 5);
    EXPECT_LT(huge.min, huge.max);
}

TEST(ChartSvg, ClusteredColumnsHaveABarPerPointAndSeries) {
    const std::string svg =
        svgOf(sampleChart(samplePlot(ChartKind::Column, {{1, 2, 3}, {4, 5, 6}})));
    EXPECT_EQ(
        svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"480\" height=\"288\"", 0), 0u);
    EXPECT_EQ(countOf(svg, "<g class=\"series\">"), 2u);
    EXPECT_EQ(countOf(groupOf(svg, "series", 0), "<rect"), 3u);
    EXPECT_EQ(countOf(groupOf(svg, "series", 1), "<rect"), 3u);
    // Default colours: the theme's first two accents.
    EXPECT_NE(groupOf(svg, "series", 0).find("#4472C4"), std::string::npos);
    EXPECT_NE(groupOf(svg, "series", 1).find("#ED7D31"), std::string::npos);
    EXPECT_EQ(textsOf(groupOf(svg, "category-axis")), (std::vector<std::string>{"C1", "C2", "C3"}));
    EXPECT_EQ(textsOf(groupOf(svg, "legend")), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(textsOf(groupOf(svg, "title")), std::vector<std::string>{"Sales"});
    EXPECT_EQ(textsOf(groupOf(svg, "value-axis")).front(), "0");
    EXPECT_EQ(svg.substr(svg.size() - 6), "</svg>");
}

TEST(ChartSvg, StackedBarsShareOneColumnPerPoint) {
    ChartPlot plot = samplePlot(ChartKind::Column, {{1, 2}, {3, 4}});
    plot.grouping = ChartGrouping::Stacked;
    const std::string stacked = svgOf(sampleChart(plot));
    // Stacked columns stand on each other: the axis passes the sum 6.
    const auto labels = textsOf(groupOf(stacked, "value-axis"));
    EXPECT_EQ(labels.back(), "8");

    plot.grouping = ChartGrouping::PercentStacked;
    const std::string percent = svgOf(sampleChart(plot));
    const auto percentLabels = textsOf(groupOf(percent, "value-axis"));
    EXPECT_EQ(percentLabels.front(), "0%");
    EXPECT_EQ(percentLabels.back(), "100%");
    EXPECT_EQ(countOf(groupOf(percent, "series", 1), "<rect"), 2u);
}

TEST(ChartSvg, HorizontalBarsListCategoriesFromTheBottom) {
    const std::string svg = svgOf(sampleChart(samplePlot(ChartKind::Bar, {{5, 10}})));
    const std::string series = groupOf(svg, "series");
    EXPECT_EQ(countOf(series, "<rect"), 2u);
    const auto categories = textsOf(groupOf(svg, "category-axis"));
    EXPECT_EQ(categories, (std::vector<std::string>{"C1", "C2"}));
}

TEST(ChartSvg, LinesBreakAtMissingPointsAndCarryMarkers) {
    const std::string svg = svgOf(sampleChart(samplePlot(ChartKind::Line, {{1, 2, blank, 4, 5}})));
    const std::string series = groupOf(svg, "series");
    // The line: two pieces; the markers: one path with a shape per present point.
    EXPECT_EQ(countOf(series, "<path"), 2u);
    const std::size_t line = series.find("<path d=\"");
    const std::string lineData = series.substr(line, series.find('"', line + 9) - line);
    EXPECT_EQ(countOf(lineData, "M"), 2u);
    EXPECT_EQ(countOf(lineData, "L"), 2u);
    EXPECT_EQ(countOf(series.substr(series.find("<path", line + 5)), "Z"), 4u);

    ChartPlot plain = samplePlot(ChartKind::Line, {{1, 2}});
    plain.series[0].markers = false;
    EXPECT_EQ(countOf(groupOf(svgOf(sampleChart(plain)), "series"), "<path"), 1u);
}

TEST(ChartSvg, AreasAreClosedShapesStackedOnEachOther) {
    ChartPlot plot = samplePlot(ChartKind::Area, {{1, 2, 3}, {1, 1, 1}});
    plot.grouping = ChartGrouping::Stacked;
    const std::string svg = svgOf(sampleChart(plot));
    EXPECT_EQ(countOf(svg, "<g class=\"series\">"), 2u);
    EXPECT_EQ(countOf(groupOf(svg, "series", 1), "Z"), 1u);
    EXPECT_EQ(textsOf(groupOf(svg, "value-axis")).back(), "5");
}

TEST(ChartSvg, PiesHaveASlicePerPointAndPercentLabels) {
    ChartPlot plot = samplePlot(ChartKind::Pie, {{1, 1, 2, 0, blank}});
    plot.varyColors = true;
    plot.showPercent = true;
    const std::string svg = svgOf(sampleChart(plot));
    const std::string series = groupOf(svg, "series");
    EXPECT_EQ(countOf(series, "<path"), 3u); // zero and missing points have no slice
    EXPECT_EQ(textsOf(series), (std::vector<std::string>{"25%", "25%", "50%"}));
    // The legend names the categories, each in its slice's colour.
    EXPECT_EQ(textsOf(groupOf(svg, "legend")),
              (std::vector<std::string>{"C1", "C2", "C3", "C4", "C5"}));
    EXPECT_NE(series.find("#A5A5A5"), std::string::npos);
    EXPECT_EQ(svg.find("value-axis"), std::string::npos);

    // One value is a whole circle, which a single arc cannot draw.
    const std::string whole = svgOf(sampleChart(samplePlot(ChartKind::Pie, {{7}})));
    EXPECT_EQ(countOf(groupOf(whole, "series"), "A"), 2u);
}

TEST(ChartSvg, DoughnutsHaveARingPerSeries) {
    ChartPlot plot = samplePlot(ChartKind::Doughnut, {{1, 2}, {3, 4}});
    plot.holePercent = 60;
    const std::string svg = svgOf(sampleChart(plot));
    EXPECT_EQ(countOf(svg, "<g class=\"series\">"), 2u);
    EXPECT_EQ(countOf(groupOf(svg, "series", 1), "<path"), 2u);
    // Each ring segment has an outer and an inner arc.
    EXPECT_EQ(countOf(groupOf(svg, "series", 0), "A"), 4u);
}

TEST(ChartSvg, ScatterPlotsUseNumericXValues) {
    ChartPlot plot = samplePlot(ChartKind::Scatter, {{1, 4, 9}}, false);
    plot.series[0].xValues = {10, 20, 30};
    plot.series[0].line = false;
    const std::string svg = svgOf(sampleChart(plot));
    const std::string series = groupOf(svg, "series");
    EXPECT_EQ(countOf(series, "<path"), 1u); // markers only
    EXPECT_EQ(countOf(series, "Z"), 3u);
    const auto xLabels = textsOf(groupOf(svg, "category-axis"));
    EXPECT_EQ(xLabels.front(), "0");
    EXPECT_EQ(xLabels.back(), "35");
}

TEST(ChartSvg, TickAndDataLabelsFollowTheSeriesFormat) {
    ChartPlot plot = samplePlot(ChartKind::Column, {{1250.5, 2500}});
    plot.series[0].formatCode = "#,##0.00 \"EUR\"";
    plot.showValues = true;
    const std::string svg = svgOf(sampleChart(plot));
    const auto ticks = textsOf(groupOf(svg, "value-axis"));
    EXPECT_EQ(ticks.front(), "0.00 EUR");
    EXPECT_NE(std::find(ticks.begin(), ticks.end(), "1,000.00 EUR"), ticks.end());
    EXPECT_EQ(textsOf(groupOf(svg, "series")),
              (std::vector<std::string>{"1,250.50 EUR", "2,500.00 EUR"}));

    Chart own = sampleChart(plot);
    own.valueAxis.format = "0%";
    EXPECT_EQ(textsOf(groupOf(svgOf(own), "value-axis")).front(), "0%");
}

TEST(ChartSvg, ColoursFromTheFileWinOverThePalette) {
    ChartPlot plot = samplePlot(ChartKind::Column, {{1, 2}});
    plot.series[0].color = Color::fromRgb(0x12AB34);
    const std::string svg = svgOf(sampleChart(plot));
    EXPECT_NE(groupOf(svg, "series").find("#12AB34"), std::string::npos);
    EXPECT_EQ(groupOf(svg, "series").find("#4472C4"), std::string::npos);

    ChartPlot pie = samplePlot(ChartKind::Pie, {{1, 2}});
    pie.series[0].pointColors = {Color{}, Color::fromRgb(0xFF0000)};
    const std::string pieSvg = groupOf(svgOf(sampleChart(pie)), "series");
    EXPECT_NE(pieSvg.find("#4472C4"), std::string::npos);
    EXPECT_NE(pieSvg.find("#FF0000"), std::string::npos);
}

TEST(ChartSvg, EveryTextIsEscaped) {
    ChartPlot plot = samplePlot(ChartKind::Column, {{1}});
    plot.series[0].name = "<script>alert(1)</script>";
    plot.series[0].categories = {"a & \"b\"\x01"};
    const std::string svg = svgOf(sampleChart(plot, "<b>Title</b> & 'more'"));
    EXPECT_EQ(svg.find("<script"), std::string::npos);
    EXPECT_EQ(svg.find("<b>"), std::string::npos);
    EXPECT_NE(svg.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(svg.find("a &amp; &quot;b&quot;\xEF\xBF\xBD"), std::string::npos);
    EXPECT_NE(svg.find("aria-label=\"&lt;b&gt;Title&lt;/b&gt; &amp; &#39;more&#39;\""),
              std::string::npos);
}

TEST(ChartSvg, KindsNotDrawnShowAFramedPlaceholderWithTheTitle) {
    ChartPlot radar = samplePlot(ChartKind::Unsupported, {{1, 2, 3}});
    radar.unsupportedName = "Radar";
    const std::string svg = svgOf(sampleChart(radar, "Skills"));
    const std::string placeholder = groupOf(svg, "placeholder");
    ASSERT_FALSE(placeholder.empty());
    EXPECT_NE(placeholder.find("stroke-dasharray"), std::string::npos);
    EXPECT_EQ(textsOf(placeholder),
              (std::vector<std::string>{"Skills", "(Radar chart not shown)"}));
    EXPECT_EQ(svg.find("class=\"series\""), std::string::npos);
}

TEST(ChartSvg, DegenerateChartsStillGiveAFrame) {
    Chart empty;
    const std::string nothing = svgOf(empty, 0, 100000);
    EXPECT_NE(nothing.find("width=\"16\" height=\"4000\""), std::string::npos);
    EXPECT_NE(nothing.find("<rect"), std::string::npos);

    ChartPlot wild = samplePlot(ChartKind::Column, {{1e308, -1e308, blank, 0}});
    wild.grouping = ChartGrouping::Stacked;
    const std::string svg = svgOf(sampleChart(wild));
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);

    // Many categories: labels are thinned rather than written over each other.
    std::vector<double> many(2000, 1.0);
    const std::string crowded = svgOf(sampleChart(samplePlot(ChartKind::Column, {many})));
    EXPECT_EQ(countOf(groupOf(crowded, "series"), "<rect"), 2000u);
    EXPECT_LT(countOf(groupOf(crowded, "category-axis"), "<text"), 60u);
}

TEST(ChartSvg, TheSameChartGivesTheSameBytes) {
    const Chart chart = sampleChart(samplePlot(ChartKind::Line, {{1.25, 2.5, 3.75}}));
    EXPECT_EQ(svgOf(chart), svgOf(chart));
    const std::string document = chart::chartSvgDocument(chart, 300, 200, DateSystem::Date1900);
    EXPECT_EQ(document.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
}

namespace {

Chart columns(std::size_t seriesCount) {
    Chart chart;
    ChartPlot& plot = chart.plots.emplace_back();
    plot.series.resize(seriesCount);
    for (ChartSeries& series : plot.series)
        series.values = {1, 2};
    return chart;
}

} // namespace

TEST(ChartLooks, FixedBoundsAndStepsLabelTheValueAxis) {
    Chart chart = columns(1);
    chart.valueAxis.min = -10;
    chart.valueAxis.max = 35;
    chart.valueAxis.majorUnit = 15;
    chart.valueAxis.title = "Litres";
    chart.categoryAxis.title = "Month";
    const std::string svg = chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900);
    for (const char* label : {">-10<", ">5<", ">20<", ">35<", ">Litres<", ">Month<"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_EQ(svg.find(">40<"), std::string::npos);
    EXPECT_NE(svg.find("rotate(-90"), std::string::npos);

    // A maximum between two steps: the top label is the last step below it, not the next.
    chart.valueAxis.min = 0;
    chart.valueAxis.max = 75;
    chart.valueAxis.majorUnit = 10;
    const std::vector<std::string> between =
        textsOf(chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900));
    EXPECT_NE(std::find(between.begin(), between.end(), "70"), between.end());
    EXPECT_EQ(std::find(between.begin(), between.end(), "80"), between.end());
    EXPECT_EQ(std::find(between.begin(), between.end(), "75"), between.end());

    // Bounds that contradict each other leave the automatic scale.
    chart.valueAxis.min = 50;
    chart.valueAxis.max = 5;
    const std::string fallback = chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900);
    EXPECT_NE(fallback.find(">0<"), std::string::npos);
    EXPECT_EQ(fallback.find(">50<"), std::string::npos);
}

TEST(ChartLooks, SeriesBeyondSixAccentsAreDarkenedThenLightened) {
    Chart chart = columns(13);
    chart.accents = {0x336699, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555};
    const std::string svg = chart::chartSvgDocument(chart, 600, 300, DateSystem::Date1900);
    EXPECT_NE(svg.find("fill=\"#336699\""), std::string::npos);
    // Series 7 is accent 1 at 60 % of its luminance, series 13 at 80 % plus 20 %.
    EXPECT_NE(svg.find("fill=\"#1F3D5C\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#4785C2\""), std::string::npos);
    EXPECT_EQ(svg.find("#4472C4"), std::string::npos);
}

TEST(ChartLooks, GradientsAndFillsAreDefinedInsideTheDrawing) {
    Chart chart = columns(2);
    ChartFill gradient;
    gradient.kind = ChartFill::Kind::Gradient;
    gradient.stops = {{0, 0xFF0000}, {1, 0x0000FF}};
    chart.plots[0].series[0].fill = gradient;
    chart.plots[0].series[1].fill = gradient;
    chart.plotFill.kind = ChartFill::Kind::Solid;
    chart.plotFill.rgb = 0xEEEEEE;
    chart.valueAxis.gridColor = Color::fromRgb(0x00AA00);
    chart.titleFont.sizePt = 24;
    chart.title = "Big";
    const std::string svg = chart::chartSvgDocument(chart, 400, 300, DateSystem::Date1900);
    const std::size_t definition = svg.find("<linearGradient id=\"");
    ASSERT_NE(definition, std::string::npos);
    const std::size_t idStart = definition + 20;
    const std::string id = svg.substr(idStart, svg.find('"', idStart) - idStart);
    EXPECT_NE(svg.find("fill=\"url(#" + id + ")\""), std::string::npos);
    // Both series share the one definition: ids stay unique in the page.
    EXPECT_EQ(svg.find("<linearGradient", definition + 1), std::string::npos);
    EXPECT_NE(svg.find("stop-color=\"#0000FF\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#EEEEEE\""), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#00AA00\""), std::string::npos);
    EXPECT_NE(svg.find("font-size=\"32\""), std::string::npos);
}
