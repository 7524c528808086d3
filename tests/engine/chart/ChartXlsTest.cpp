// Charts of binary workbooks: chart substreams on worksheets and chart sheets, their series
// from cached values or from the cells they refer to, and substreams that are broken.

#include "engine/read/ReadWorkbook.h"
#include "engine/xls/WorkbookStream.h"
#include "tests/engine/xls/BiffBuilder.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::BiffWriter;
using testing_support::Bytes;

namespace {

constexpr std::uint16_t begin = 0x1033, end = 0x1034;

// A series whose values are the area firstRow..lastRow of column `col` on EXTERNSHEET entry 0,
// its categories in the same rows of columns `categoryCol`..`lastCategoryCol`.
void seriesReferringTo(BiffWriter& w, std::uint16_t col, std::uint16_t firstRow,
                       std::uint16_t lastRow, std::uint16_t categoryCol,
                       std::uint16_t lastCategoryCol = 0) {
    lastCategoryCol = std::max(categoryCol, lastCategoryCol);
    w.record(0x1003, Bytes().u16(3).u16(1).u16(3).u16(3).u16(1).u16(0));
    w.record(begin, Bytes());
    const auto area = [&](std::uint8_t id, std::uint16_t c, std::uint16_t last) {
        return Bytes()
            .u8(id)
            .u8(2)
            .u16(0)
            .u16(0)
            .u16(11)
            .u8(0x3B)
            .u16(0)
            .u16(firstRow)
            .u16(lastRow)
            .u16(c)
            .u16(last);
    };
    w.record(0x1051, Bytes().u8(0).u8(1).u16(0).u16(0).u16(0));
    w.record(0x1051, area(1, col, col));
    w.record(0x1051, area(2, categoryCol, lastCategoryCol));
    w.record(0x100D, Bytes().u16(0).str8("Revenue"));
    w.record(0x1006, Bytes().u16(0xFFFF).u16(0).u16(0).u16(0));
    w.record(begin, Bytes());
    // An explicit fill for the series, and one for its second point.
    w.record(0x100A, Bytes().u8(0x12).u8(0x34).u8(0x56).u8(0).u32(0).u16(1).u16(0).u16(0).u16(0));
    w.record(end, Bytes());
    w.record(0x1006, Bytes().u16(1).u16(0).u16(0).u16(0));
    w.record(begin, Bytes());
    w.record(0x100A, Bytes().u8(0xFF).u8(0).u8(0).u8(0).u32(0).u16(1).u16(0).u16(0).u16(0));
    w.record(end, Bytes());
    w.record(0x1045, Bytes().u16(0));
    w.record(end, Bytes());
}

void chartGroup(BiffWriter& w, std::uint16_t kindRecord, const Bytes& kind, bool legend) {
    w.record(0x1014, Bytes().u32(0).u32(0).u32(0).u32(0).u16(0).u16(0));
    w.record(begin, Bytes());
    w.record(kindRecord, kind);
    if (legend) {
        // A legend framed in a medium blue line.
        w.record(0x1015, Bytes().u32(0).u32(0).u32(0).u32(0).u8(0).u8(1).u16(0));
        w.record(begin, Bytes());
        w.record(0x1032, Bytes().u16(0).u16(3));
        w.record(begin, Bytes());
        w.record(0x1007, Bytes().u8(0).u8(0).u8(0xFF).u8(0).u16(0).u16(1).u16(0).u16(0));
        w.record(end, Bytes());
        w.record(end, Bytes());
    }
    w.record(end, Bytes());
}

// A text block naming `target`; the value axis's title and the data labels in dark red and
// the workbook's first font.
void title(BiffWriter& w, const std::string& text, std::uint16_t target = 1) {
    if (target == 2 || target == 4)
        w.record(
            0x1025,
            Bytes().u32(0).u8(0x80).u8(0).u8(0).u8(0).u32(0).u32(0).u32(0).u32(0).u16(0).u16(0).u32(
                0));
    else
        w.record(0x1025, Bytes().u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0));
    w.record(begin, Bytes());
    if (target == 2 || target == 4)
        w.record(0x1026, Bytes().u16(0));
    w.record(0x100D, Bytes().u16(0).str8(text));
    w.record(0x1027, Bytes().u16(target).u16(0).u16(0));
    w.record(end, Bytes());
}

// The primary value axis fixed to -5..50 in steps of 5 with green gridlines, a grey plot area
// and titles on both axes.
void axesAndPlotArea(BiffWriter& w) {
    w.record(0x1041, Bytes().u16(0).u32(0).u32(0).u32(0).u32(0));
    w.record(begin, Bytes());
    w.record(0x101D, Bytes().u16(1).u32(0).u32(0).u32(0).u32(0));
    w.record(begin, Bytes());
    w.record(0x101F, Bytes().f64(-5).f64(50).f64(5).f64(1).f64(0).u16(0x0018));
    w.record(0x1021, Bytes().u16(1));
    w.record(0x1007, Bytes().u8(0).u8(0x80).u8(0).u8(0).u16(0).u16(0).u16(0).u16(0));
    // Labels in the workbook's own format 164 and its first font.
    w.record(0x104E, Bytes().u16(164));
    w.record(0x1026, Bytes().u16(0));
    w.record(end, Bytes());
    // The category axis keeps to its source's format (General).
    w.record(0x101D, Bytes().u16(0).u32(0).u32(0).u32(0).u32(0));
    w.record(begin, Bytes());
    w.record(0x104E, Bytes().u16(0));
    w.record(end, Bytes());
    w.record(end, Bytes());
    title(w, "Units", 2);
    title(w, "Quarter", 3);
    w.record(0x1035, Bytes());
    w.record(0x1032, Bytes().u16(0).u16(3));
    w.record(begin, Bytes());
    w.record(0x100A, Bytes().u8(0xEE).u8(0xEE).u8(0xEE).u8(0).u32(0).u16(1).u16(0).u16(0).u16(0));
    // An automatic outline: left to the drawing.
    w.record(0x1007, Bytes().u8(0).u8(0).u8(0).u8(0).u16(0).u16(0).u16(1).u16(0));
    w.record(end, Bytes());
}

// Globals, a worksheet "Data" with numbers in A1:A3, texts in B1:B3 and a stacked bar chart on
// it referring to them, then a chart sheet with a pie of cached values. With `levels`, the
// chart's categories are C1:D3 instead: regions over quarters.
std::vector<std::uint8_t> chartWorkbook(bool levels = false) {
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t dataField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Data"));
    const std::size_t chartField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(2).str8("Pie sheet"));
    // One font, which the value axis's title uses.
    w.record(0x0031,
             Bytes().u16(240).u16(0).u16(0x7FFF).u16(700).u16(0).u8(0).u8(0).u8(0).u8(0).str8(
                 "Georgia"));
    w.record(0x041E, Bytes().u16(164).str16("0.0\" u\""));
    w.record(0x01AE, Bytes().u16(2).u16(0x0401));
    w.record(0x0017, Bytes().u16(1).u16(0).u16(0).u16(0));
    w.eof();

    w.patch32(dataField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    for (std::uint16_t row = 0; row < 3; ++row) {
        w.record(0x0203, Bytes().u16(row).u16(0).u16(15).f64(10.0 * (row + 1)));
        w.record(0x0204, Bytes().u16(row).u16(1).u16(15).str16("Q" + std::to_string(row + 1)));
        if (levels && row != 1)
            w.record(0x0204, Bytes().u16(row).u16(2).u16(15).str16(row == 0 ? "North" : "South"));
        if (levels)
            w.record(0x0204, Bytes().u16(row).u16(3).u16(15).str16(
                                 row == 2 ? "Q1" : "Q" + std::to_string(row + 1)));
    }
    // The chart's shape: anchored from C2 to E10 (columns of 64 px, rows of 15 pt).
    Bytes anchor;
    anchor.u16(0).u16(0xF010).u32(18).u16(0).u16(2).u16(0).u16(1).u16(0).u16(4).u16(0).u16(9).u16(
        0);
    Bytes shape;
    shape.u16(0x000F).u16(0xF004).u32(static_cast<std::uint32_t>(anchor.size()));
    shape.data.insert(shape.data.end(), anchor.data.begin(), anchor.data.end());
    w.record(0x00EC, shape);
    w.record(0x005D, Bytes().u16(0x15).u16(0x12).u16(5).u16(1).u16(0).u32(0).u32(0).u32(0));
    w.bof(0x0020);
    w.record(0x1002, Bytes().u32(0).u32(0).u32(300u << 16).u32(200u << 16));
    w.record(begin, Bytes());
    if (levels)
        seriesReferringTo(w, 0, 0, 2, 2, 3);
    else
        seriesReferringTo(w, 0, 0, 2, 1);
    title(w, "Quarterly <revenue>");
    title(w, "", 4);
    axesAndPlotArea(w);
    chartGroup(w, 0x1017, Bytes().u16(0).u16(150).u16(0x0003), true); // horizontal, stacked
    w.record(end, Bytes());
    w.eof();
    w.eof();

    w.patch32(chartField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0020);
    w.record(0x1002, Bytes().u32(0).u32(0).u32(500u << 16).u32(300u << 16));
    w.record(begin, Bytes());
    w.record(0x1003, Bytes().u16(1).u16(1).u16(2).u16(2).u16(1).u16(0));
    w.record(begin, Bytes());
    w.record(0x1045, Bytes().u16(0));
    w.record(end, Bytes());
    chartGroup(w, 0x1019, Bytes().u16(0).u16(50).u16(0), false); // a doughnut
    w.record(end, Bytes());
    w.record(0x1065, Bytes().u16(1));
    w.record(0x0203, Bytes().u16(0).u16(0).u16(15).f64(3));
    w.record(0x0203, Bytes().u16(1).u16(0).u16(15).f64(1));
    // Cached cells of series and points that do not exist are ignored.
    w.record(0x0203, Bytes().u16(0).u16(7).u16(15).f64(99));
    w.record(0x0203, Bytes().u16(60000).u16(0).u16(15).f64(99));
    w.record(0x1065, Bytes().u16(2));
    w.record(0x0204, Bytes().u16(0).u16(0).u16(15).str16("Left"));
    w.record(0x0204, Bytes().u16(1).u16(0).u16(15).str16("Right"));
    w.eof();
    return w.bytes;
}

} // namespace

TEST(XlsCharts, SeriesFollowTheirReferencesAndCachedValues) {
    const Workbook book = xls::readWorkbookStream(chartWorkbook(), false);
    ASSERT_EQ(book.sheets.size(), 2u);
    ASSERT_EQ(book.sheets[0].charts.size(), 1u);
    const Chart& bars = book.sheets[0].charts[0];
    EXPECT_EQ(bars.title, "Quarterly <revenue>");
    EXPECT_EQ(bars.legend, LegendPosition::Bottom);
    EXPECT_EQ(bars.anchor.col, 2);
    EXPECT_EQ(bars.anchor.row, 1u);
    EXPECT_NEAR(bars.anchor.widthPt, 2 * 64 * 0.75, 1);
    EXPECT_NEAR(bars.anchor.heightPt, 8 * 15, 1);
    ASSERT_EQ(bars.plots.size(), 1u);
    EXPECT_EQ(bars.plots[0].kind, ChartKind::Bar);
    EXPECT_EQ(bars.plots[0].grouping, ChartGrouping::Stacked);
    ASSERT_EQ(bars.plots[0].series.size(), 1u);
    const ChartSeries& revenue = bars.plots[0].series[0];
    EXPECT_EQ(revenue.name, "Revenue");
    EXPECT_EQ(revenue.values, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(revenue.categories, (std::vector<std::string>{"Q1", "Q2", "Q3"}));
    EXPECT_EQ(revenue.color, Color::fromRgb(0x123456));
    ASSERT_GE(revenue.pointColors.size(), 2u);
    EXPECT_EQ(revenue.pointColors[1], Color::fromRgb(0xFF0000));

    ASSERT_EQ(book.sheets[1].kind, SheetKind::Chart);
    ASSERT_EQ(book.sheets[1].charts.size(), 1u);
    const Chart& ring = book.sheets[1].charts[0];
    EXPECT_DOUBLE_EQ(ring.anchor.widthPt, 500);
    ASSERT_EQ(ring.plots.size(), 1u);
    EXPECT_EQ(ring.plots[0].kind, ChartKind::Doughnut);
    EXPECT_EQ(ring.plots[0].holePercent, 50);
    const ChartSeries& cached = ring.plots[0].series[0];
    EXPECT_EQ(cached.values, (std::vector<double>{3, 1}));
    EXPECT_EQ(cached.categories, (std::vector<std::string>{"Left", "Right"}));
    // Automatic colours are the format's own: palette entries 24 on for fills.
    EXPECT_EQ(cached.pointColors.at(0), Color::fromRgb(0x9999FF));
}

TEST(XlsCharts, BrokenSubstreamsCostTheChartNotTheWorkbook) {
    std::vector<std::uint8_t> bytes = chartWorkbook();
    // Every cut of the stream reads or fails with a ReadError, never worse.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + cut);
        try {
            xls::readWorkbookStream(part, false);
        } catch (const ReadError&) {
        }
    }
    // Records shorter than their kind needs are left out.
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(2).str8("Chart"));
    w.record(0x0017, Bytes().u16(500).u16(0)); // claims more entries than it holds
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0020);
    for (std::uint16_t id : {0x1002, 0x1003, 0x1051, 0x100D, 0x1006, 0x1007, 0x100A, 0x1009, 0x1014,
                             0x1017, 0x1019, 0x1015, 0x1065, 0x0203, 0x0204})
        w.record(id, Bytes().u8(1));
    w.record(begin, Bytes());
    w.record(0x1003, Bytes().u16(1).u16(1).u16(1).u16(1).u16(1).u16(0));
    w.record(begin, Bytes());
    w.record(0x1051, Bytes().u8(1).u8(2).u16(0).u16(0).u16(11).u8(0x3B).u16(9).u16(0).u16(5000));
    for (int i = 0; i < 200; ++i)
        w.record(end, Bytes()); // more ends than begins
    w.eof();
    const Workbook book = xls::readWorkbookStream(w.bytes, false);
    ASSERT_EQ(book.sheets.size(), 1u);
    ASSERT_EQ(book.sheets[0].charts.size(), 1u);
    EXPECT_TRUE(book.sheets[0].charts[0].plots.at(0).series.at(0).values.empty());
}

TEST(XlsCharts, CorpusChartsComeWithTheirValues) {
    const Workbook formate =
        readWorkbook(testing_support::corpusFile("xls/xlrd-Formate.xls").string());
    const Sheet* withChart = nullptr;
    for (const Sheet& sheet : formate.sheets)
        if (!sheet.charts.empty())
            withChart = &sheet;
    ASSERT_NE(withChart, nullptr);
    EXPECT_EQ(withChart->name, "Bl\xC3\xA4tt3");
    const Chart& line = withChart->charts[0];
    ASSERT_EQ(line.plots.size(), 1u);
    EXPECT_EQ(line.plots[0].kind, ChartKind::Line);
    ASSERT_EQ(line.plots[0].series.size(), 1u);
    // No cached values: they come from the cells A1:A12 the series refers to.
    const auto& values = line.plots[0].series[0].values;
    ASSERT_EQ(values.size(), 12u);
    EXPECT_EQ(values.front(), 100);
    EXPECT_EQ(values.back(), 1200);
    EXPECT_FALSE(line.plots[0].series[0].markers);

    const Workbook cross = readWorkbook(
        testing_support::corpusFile("xls/calamine-xls_cross_sheet_chart.xls").string());
    ASSERT_EQ(cross.sheets[0].name, "Report");
    ASSERT_EQ(cross.sheets[0].charts.size(), 1u);
    const ChartPlot& scatter = cross.sheets[0].charts[0].plots.at(0);
    EXPECT_EQ(scatter.kind, ChartKind::Scatter);
    ASSERT_EQ(scatter.series.size(), 2u);
    EXPECT_EQ(scatter.series[1].values.size(), 8u);
    EXPECT_EQ(scatter.series[1].values[0], 1.75);

    const Workbook anySheets =
        readWorkbook(testing_support::corpusFile("xls/calamine-any_sheets.xls").string());
    const Sheet& chartSheet = anySheets.sheets.back();
    ASSERT_EQ(chartSheet.kind, SheetKind::Chart);
    ASSERT_EQ(chartSheet.charts.size(), 1u);
    EXPECT_EQ(chartSheet.charts[0].plots.at(0).kind, ChartKind::Column);
    EXPECT_EQ(chartSheet.charts[0].plots[0].series.at(1).values, (std::vector<double>{2, 4, 6}));
}

TEST(XlsCharts, AxesTitlesAndPlotAreaComeFromTheirRecords) {
    const Workbook book = xls::readWorkbookStream(chartWorkbook(), false);
    const Chart& bars = book.sheets.at(0).charts.at(0);
    EXPECT_EQ(bars.title, "Quarterly <revenue>");
    EXPECT_EQ(bars.valueAxis.title, "Units");
    EXPECT_EQ(bars.valueAxis.titleFont.color, Color::fromRgb(0x800000));
    EXPECT_EQ(bars.valueAxis.titleFont.family, "Georgia");
    EXPECT_EQ(bars.valueAxis.titleFont.sizePt, 12);
    EXPECT_EQ(bars.valueAxis.titleFont.bold, true);
    EXPECT_EQ(bars.titleFont.family, ""); // automatic colour, no font of its own
    EXPECT_EQ(bars.categoryAxis.title, "Quarter");
    EXPECT_EQ(bars.valueAxis.min, -5);
    EXPECT_EQ(bars.valueAxis.max, 50);
    EXPECT_EQ(bars.valueAxis.majorUnit, 5);
    EXPECT_EQ(bars.valueAxis.gridColor, Color::fromRgb(0x008000));
    EXPECT_EQ(bars.valueAxis.format, "0.0\" u\"");
    EXPECT_EQ(bars.valueAxis.labelFont.family, "Georgia");
    EXPECT_EQ(bars.categoryAxis.format, "");
    EXPECT_EQ(bars.plotFill.kind, ChartFill::Kind::Solid);
    EXPECT_EQ(bars.plotFill.rgb, 0xEEEEEEu);
    // The automatic parts stay automatic: the chart area and the category axis's bounds.
    EXPECT_EQ(bars.chartFill.kind, ChartFill::Kind::Automatic);
    EXPECT_FALSE(bars.categoryAxis.min);
    EXPECT_EQ(bars.plotBorder.kind, ChartLine::Kind::Automatic);
    // The legend's frame and the data labels' font.
    EXPECT_EQ(bars.legendBorder.kind, ChartLine::Kind::Solid);
    EXPECT_EQ(bars.legendBorder.rgb, 0x0000FFu);
    EXPECT_DOUBLE_EQ(bars.legendBorder.widthPt, 1.5);
    ASSERT_FALSE(bars.plots.empty());
    EXPECT_EQ(bars.plots[0].labelFont.family, "Georgia");
    EXPECT_EQ(bars.plots[0].labelFont.color, Color::fromRgb(0x800000));
}

namespace {

// A GelFrame whose fill colour is `rgb`, with `flags` in the colour's last byte.
Bytes gelFrame(std::uint32_t rgb, std::uint8_t flags = 0x02) {
    const std::uint32_t colorRef = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16 |
                                   static_cast<std::uint32_t>(flags) << 24;
    return Bytes().u16(2 << 4 | 3).u16(0xF00B).u32(12).u16(0x0180).u32(0).u16(0x0181).u32(colorRef);
}

// One series of two cached values in the first chart group, whose DataFormat blocks
// `formats` writes.
template <typename F> void formattedSeries(BiffWriter& w, F&& formats) {
    w.record(0x1003, Bytes().u16(1).u16(1).u16(2).u16(2).u16(1).u16(0));
    w.record(begin, Bytes());
    formats();
    w.record(0x1045, Bytes().u16(0));
    w.record(end, Bytes());
}

// A DataFormat block for `point` (0xFFFF: the whole series) with a legacy format record
// (`id`: LineFormat or AreaFormat) and a GelFrame.
void dataFormat(BiffWriter& w, std::uint16_t point, std::uint16_t id, const Bytes& legacy,
                const Bytes& frame) {
    w.record(0x1006, Bytes().u16(point).u16(0).u16(0).u16(0));
    w.record(begin, Bytes());
    w.record(id, legacy);
    w.record(0x1066, frame);
    w.record(end, Bytes());
}

// Two chart sheets as the current writers leave them: a pie and a line chart whose legacy
// colours are the palette's stand-ins for the colours their GelFrames carry.
std::vector<std::uint8_t> currentLookWorkbook() {
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t pieField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(2).str8("Pie"));
    const std::size_t lineField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(2).str8("Lines"));
    w.eof();
    const auto area = [](std::uint32_t rgb, bool automatic) {
        return Bytes()
            .u8(rgb >> 16)
            .u8(rgb >> 8)
            .u8(rgb)
            .u8(0)
            .u32(0)
            .u16(1)
            .u16(automatic)
            .u16(0x4D)
            .u16(0x4D);
    };
    const auto line = [](std::uint32_t rgb) {
        return Bytes().u8(rgb >> 16).u8(rgb >> 8).u8(rgb).u8(0).u16(0).u16(2).u16(0).u16(0x15);
    };
    const auto values = [&] {
        w.record(0x1065, Bytes().u16(1));
        w.record(0x0203, Bytes().u16(0).u16(0).u16(15).f64(3));
        w.record(0x0203, Bytes().u16(1).u16(0).u16(15).f64(1));
    };

    w.patch32(pieField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0020);
    w.record(0x1002, Bytes().u32(0).u32(0).u32(500u << 16).u32(300u << 16));
    w.record(begin, Bytes());
    formattedSeries(w, [&] {
        // The series' own colour given by the scheme's index: left to the legacy records.
        dataFormat(w, 0xFFFF, 0x100A, area(0x123456, false), gelFrame(0x000004, 0x08));
        // The first slice automatic in the legacy records, the second in their stand-in.
        dataFormat(w, 0, 0x100A, area(0, true), gelFrame(0xED7D31));
        dataFormat(w, 1, 0x100A, area(0x33CCCC, false), gelFrame(0x5B9BD5));
    });
    chartGroup(w, 0x1019, Bytes().u16(0).u16(0).u16(0), false);
    w.record(end, Bytes());
    values();
    w.eof();

    w.patch32(lineField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0020);
    w.record(0x1002, Bytes().u32(0).u32(0).u32(500u << 16).u32(300u << 16));
    w.record(begin, Bytes());
    for (const auto& colors : {std::pair(0x008080u, 0x156082u), {0x0000FFu, 0xE97132u}})
        formattedSeries(
            w, [&] { dataFormat(w, 0xFFFF, 0x1007, line(colors.first), gelFrame(colors.second)); });
    chartGroup(w, 0x1018, Bytes().u16(0), false);
    w.record(end, Bytes());
    values();
    w.eof();
    return w.bytes;
}

} // namespace

TEST(XlsCharts, ColoursOfTheCurrentLookFromGelFramesOverTheLegacyStandIns) {
    const Workbook book = xls::readWorkbookStream(currentLookWorkbook(), false);
    ASSERT_EQ(book.sheets.size(), 2u);
    const ChartSeries& pie = book.sheets[0].charts.at(0).plots.at(0).series.at(0);
    EXPECT_EQ(pie.color, Color::fromRgb(0x123456));
    ASSERT_EQ(pie.pointColors.size(), 2u);
    EXPECT_EQ(pie.pointColors[0], Color::fromRgb(0xED7D31));
    EXPECT_EQ(pie.pointColors[1], Color::fromRgb(0x5B9BD5));

    const auto& lines = book.sheets[1].charts.at(0).plots.at(0).series;
    ASSERT_EQ(lines.size(), 2u);
    // Teal is the palette's nearest to the fill: the line takes the fill's colour. Blue is a
    // line colour of its own, kept.
    EXPECT_EQ(lines[0].color, Color::fromRgb(0x156082));
    EXPECT_EQ(lines[1].color, Color::fromRgb(0x0000FF));
}

TEST(XlsCharts, CorpusChartsOfTheCurrentLookKeepItsColours) {
    const Workbook anySheets =
        readWorkbook(testing_support::corpusFile("xls/calamine-any_sheets.xls").string());
    const auto& columns = anySheets.sheets.back().charts.at(0).plots.at(0).series;
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].color, Color::fromRgb(0x5B9BD5));
    EXPECT_EQ(columns[1].color, Color::fromRgb(0xED7D31));
    const Workbook cross = readWorkbook(
        testing_support::corpusFile("xls/calamine-xls_cross_sheet_chart.xls").string());
    const auto& scatter = cross.sheets[0].charts.at(0).plots.at(0).series;
    ASSERT_EQ(scatter.size(), 2u);
    EXPECT_EQ(scatter[0].color, Color::fromRgb(0x156082));
    EXPECT_EQ(scatter[1].color, Color::fromRgb(0xE97132));
}

TEST(XlsCharts, CategoriesOfSeveralColumnsAreLevelsOfGroups) {
    const Workbook book = xls::readWorkbookStream(chartWorkbook(true), false);
    const ChartSeries& series = book.sheets.at(0).charts.at(0).plots.at(0).series.at(0);
    EXPECT_EQ(series.values, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(series.categories, (std::vector<std::string>{"Q1", "Q2", "Q1"}));
    ASSERT_EQ(series.categoryGroups.size(), 1u);
    EXPECT_EQ(series.categoryGroups[0], (std::vector<std::string>{"North", "", "South"}));
}
