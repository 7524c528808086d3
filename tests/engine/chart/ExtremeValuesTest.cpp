// Values at the edges of what a double holds: every chart kind still draws a bounded SVG with
// finite coordinates, and values that are not numbers are points without a value.

#include "engine/base/Limits.h"
#include "engine/chart/AxisScale.h"
#include "engine/chart/ChartSvg.h"
#include "engine/drawingml/ChartPart.h"
#include "engine/package/Colors.h"
#include "engine/xls/ChartStream.h"
#include "tests/engine/chart/ChartSamples.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace engine;
using testing_support::countOf;
using testing_support::groupOf;
using testing_support::sampleChart;
using testing_support::samplePlot;

namespace {

constexpr double largest = std::numeric_limits<double>::max();
constexpr double infinity = std::numeric_limits<double>::infinity();
const double blank = std::numeric_limits<double>::quiet_NaN();

std::string svgOf(const Chart& chart) {
    std::string out;
    chart::appendChartSvg(out, chart, 480, 288, DateSystem::Date1900);
    return out;
}

// A drawing that is whole, small and free of coordinates that are not numbers.
void expectBounded(const std::string& svg, const std::string& what) {
    EXPECT_EQ(svg.rfind("<svg ", 0), 0u) << what;
    EXPECT_TRUE(svg.ends_with("</svg>")) << what;
    EXPECT_LT(svg.size(), 100000u) << what;
    EXPECT_LE(countOf(svg, "<text"), 2u * limits::maxAxisLabels) << what;
    EXPECT_EQ(svg.find("nan"), std::string::npos) << what;
    EXPECT_EQ(svg.find("inf"), std::string::npos) << what;
}

struct Kind {
    const char* name;
    ChartKind kind;
    ChartGrouping grouping;
};

constexpr Kind kinds[] = {
    {"column", ChartKind::Column, ChartGrouping::Clustered},
    {"stacked column", ChartKind::Column, ChartGrouping::Stacked},
    {"100% column", ChartKind::Column, ChartGrouping::PercentStacked},
    {"bar", ChartKind::Bar, ChartGrouping::Clustered},
    {"stacked bar", ChartKind::Bar, ChartGrouping::Stacked},
    {"line", ChartKind::Line, ChartGrouping::Standard},
    {"stacked line", ChartKind::Line, ChartGrouping::Stacked},
    {"area", ChartKind::Area, ChartGrouping::Standard},
    {"stacked area", ChartKind::Area, ChartGrouping::Stacked},
    {"pie", ChartKind::Pie, ChartGrouping::Standard},
    {"doughnut", ChartKind::Doughnut, ChartGrouping::Standard},
    {"scatter", ChartKind::Scatter, ChartGrouping::Standard},
};

struct Values {
    const char* name;
    std::vector<std::vector<double>> series;
};

const Values valueSets[] = {
    {"-1.6e308 and 0", {{-1.6e308, 0}}},
    {"1.6e308 and 0", {{1.6e308, 0}}},
    {"one point near the lowest double", {{-1.538e308}}},
    {"the largest doubles of both signs", {{largest, -largest}, {largest, largest}}},
    {"all equal", {{4, 4, 4}, {4, 4, 4}}},
    {"a single point", {{2.5}}},
    {"the largest double alone", {{largest}}},
    {"a point that is not a number", {{blank, 3, blank}}},
    {"infinities", {{infinity, 1, -infinity}}},
    {"nothing but gaps", {{blank, infinity, -infinity}}},
    {"close together far from zero", {{1e300, std::nextafter(1e300, infinity)}}},
};

} // namespace

TEST(AxisScale, StaysFiniteNearTheLargestDoubles) {
    struct Row {
        double low, high;
    } rows[] = {
        {-1.6e308, 0},
        {0, 1.6e308},
        {-1.538e308, -1.538e308},
        {-largest, largest},
        {largest, largest},
        {-largest, -largest},
        {1e300, std::nextafter(1e300, infinity)},
        {5e-324, 5e-324},
        {-1e-300, 1e-300},
    };
    for (const Row& row : rows) {
        const chart::AxisScale scale = chart::niceScale(row.low, row.high, 10);
        const std::string what = std::to_string(row.low) + ".." + std::to_string(row.high);
        ASSERT_TRUE(std::isfinite(scale.min) && std::isfinite(scale.max)) << what;
        ASSERT_TRUE(std::isfinite(scale.step) && scale.step > 0) << what;
        EXPECT_LT(scale.min, scale.max) << what;
        EXPECT_LT(scale.steps(), limits::maxAxisLabels) << what;
        // The values themselves are on the axis.
        EXPECT_LE(scale.min, row.low) << what;
        EXPECT_GE(scale.max, row.high) << what;
        for (int i = 0; i <= scale.steps(); ++i)
            ASSERT_TRUE(std::isfinite(scale.at(i))) << what;
        EXPECT_DOUBLE_EQ(scale.share(scale.min), 0) << what;
        EXPECT_DOUBLE_EQ(scale.share(scale.max), 1) << what;
    }
    // Round bounds that are still doubles keep their labels.
    const chart::AxisScale low = chart::niceScale(-1.6e308, 0, 10);
    EXPECT_TRUE(low.labelled);
    EXPECT_GE(low.steps(), 2);
    EXPECT_DOUBLE_EQ(low.max, 0);
    const chart::AxisScale high = chart::niceScale(0, 1.6e308, 10);
    EXPECT_TRUE(high.labelled);
    EXPECT_DOUBLE_EQ(high.min, 0);
    // Bounds past the largest double leave the axis without labels rather than looping.
    const chart::AxisScale widest = chart::niceScale(-largest, largest, 10);
    EXPECT_DOUBLE_EQ(widest.share(0), 0.5);
    EXPECT_DOUBLE_EQ(widest.share(blank), 0);
}

TEST(ChartSvg, EveryKindDrawsValuesAtTheEdgesOfADouble) {
    for (const Kind& kind : kinds) {
        for (const Values& values : valueSets) {
            ChartPlot plot = samplePlot(kind.kind, values.series);
            plot.grouping = kind.grouping;
            plot.showValues = true;
            if (kind.kind == ChartKind::Scatter)
                for (ChartSeries& series : plot.series)
                    series.xValues = series.values; // the same extremes across
            expectBounded(svgOf(sampleChart(plot)), std::string(kind.name) + ", " + values.name);
        }
    }
}

TEST(ChartSvg, AxisNearTheLargestDoublesIsLabelledWithRoundValues) {
    const std::string svg = svgOf(sampleChart(samplePlot(ChartKind::Column, {{-1.6e308, 0}})));
    const std::string axis = groupOf(svg, "value-axis");
    EXPECT_GE(countOf(axis, "<text"), 3u);
    EXPECT_LE(countOf(axis, "<text"), 21u);
    EXPECT_NE(axis.find("E+308"), std::string::npos) << axis;
    EXPECT_EQ(countOf(groupOf(svg, "series"), "<rect"), 2u);
}

// The shrunk fuzz inputs: one cached value of -1.538e308 in a chart substream and in its
// DrawingML twin. Drawing them once never finished.
TEST(ChartReaders, AValueNearTheLowestDoubleDrawsAChart) {
    const std::uint8_t substream[] = {
        0x02, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0xe0, 0x01, 0x00, 0x00, 0x20, 0x01, 0x03, 0x10, 0x0c, 0x00, 0x01, 0x00,
        0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x34, 0x10, 0x00,
        0x00, 0x65, 0x10, 0x02, 0x00, 0x01, 0x00, 0x03, 0x02, 0x0e, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x04, 0x88, 0x7b, 0x4e, 0x97, 0x60, 0xeb, 0xff};
    xls::RecordReader reader(substream);
    const Chart binary =
        xls::readChartStream(reader, [](std::uint16_t) { return std::string("General"); }).chart;
    ASSERT_EQ(binary.plots.size(), 1u);
    ASSERT_EQ(binary.plots[0].series.size(), 1u);
    EXPECT_EQ(binary.plots[0].series[0].values, std::vector<double>{-1.538e308});
    expectBounded(svgOf(binary), "chart substream");

    const package::Colors colors;
    const Chart drawing = drawingml::parseChartXml(
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
        "<c:chart><c:plotArea><c:barChart><c:barDir val=\"col\"/><c:ser><c:val><c:numRef>"
        "<c:numCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>-1.538e308</c:v></c:pt>"
        "</c:numCache></c:numRef></c:val></c:ser></c:barChart></c:plotArea></c:chart>"
        "</c:chartSpace>",
        "chart", colors, DateSystem::Date1900);
    ASSERT_EQ(drawing.plots.size(), 1u);
    ASSERT_EQ(drawing.plots[0].series.size(), 1u);
    EXPECT_EQ(drawing.plots[0].series[0].values, std::vector<double>{-1.538e308});
    expectBounded(svgOf(drawing), "DrawingML part");
}

TEST(ChartReaders, CachedValuesThatAreNotFiniteAreGaps) {
    // NUMBER records of the values cache holding +inf and NaN.
    const auto number = [](std::uint16_t point, double value) {
        std::vector<std::uint8_t> bytes = {0x03, 0x02, 0x0e, 0x00, static_cast<std::uint8_t>(point),
                                           0x00, 0x00, 0x00, 0x00, 0x00};
        std::uint8_t raw[8];
        std::memcpy(raw, &value, 8);
        bytes.insert(bytes.end(), raw, raw + 8);
        return bytes;
    };
    std::vector<std::uint8_t> substream = {0x03, 0x10, 0x0c, 0x00, 0x01, 0x00, 0x01, 0x00,
                                           0x03, 0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00,
                                           0x65, 0x10, 0x02, 0x00, 0x01, 0x00};
    for (const auto& record : {number(0, infinity), number(1, 2.0), number(2, blank)})
        substream.insert(substream.end(), record.begin(), record.end());
    xls::RecordReader reader(substream);
    const Chart binary =
        xls::readChartStream(reader, [](std::uint16_t) { return std::string("General"); }).chart;
    ASSERT_EQ(binary.plots.size(), 1u);
    ASSERT_EQ(binary.plots[0].series.size(), 1u);
    const std::vector<double>& values = binary.plots[0].series[0].values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_TRUE(std::isnan(values[0]));
    EXPECT_EQ(values[1], 2.0);
    EXPECT_TRUE(std::isnan(values[2]));

    const package::Colors colors;
    const Chart drawing = drawingml::parseChartXml(
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
        "<c:chart><c:plotArea><c:lineChart><c:ser><c:val><c:numRef><c:numCache>"
        "<c:pt idx=\"0\"><c:v>1e999</c:v></c:pt><c:pt idx=\"1\"><c:v>2</c:v></c:pt>"
        "<c:pt idx=\"2\"><c:v>-1e999</c:v></c:pt></c:numCache></c:numRef></c:val></c:ser>"
        "</c:lineChart></c:plotArea></c:chart></c:chartSpace>",
        "chart", colors, DateSystem::Date1900);
    ASSERT_EQ(drawing.plots.size(), 1u);
    ASSERT_EQ(drawing.plots[0].series.size(), 1u);
    const std::vector<double>& parsed = drawing.plots[0].series[0].values;
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_TRUE(std::isnan(parsed[0]));
    EXPECT_EQ(parsed[1], 2.0);
    EXPECT_TRUE(std::isnan(parsed[2]));
}
