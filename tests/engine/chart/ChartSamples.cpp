#include "tests/engine/chart/ChartSamples.h"

namespace testing_support {

using namespace engine;

ChartPlot samplePlot(ChartKind kind, const std::vector<std::vector<double>>& values,
                     bool categories) {
    ChartPlot plot;
    plot.kind = kind;
    plot.grouping = kind == ChartKind::Column || kind == ChartKind::Bar ? ChartGrouping::Clustered
                                                                        : ChartGrouping::Standard;
    for (std::size_t s = 0; s < values.size(); ++s) {
        ChartSeries& series = plot.series.emplace_back();
        series.name = "S" + std::to_string(s + 1);
        series.values = values[s];
        if (categories)
            for (std::size_t i = 0; i < values[s].size(); ++i)
                series.categories.push_back("C" + std::to_string(i + 1));
    }
    return plot;
}

Chart sampleChart(ChartPlot plot, std::string title) {
    Chart chart;
    chart.title = std::move(title);
    chart.legend = LegendPosition::Right;
    chart.plots.push_back(std::move(plot));
    chart.anchor.widthPt = 360;
    chart.anchor.heightPt = 216;
    return chart;
}

Workbook workbookWithCharts(std::size_t charts, std::size_t points) {
    Workbook workbook;
    Sheet& sheet = workbook.sheets.emplace_back();
    sheet.name = "Data";
    for (std::uint16_t col = 0; col < 3; ++col) {
        Cell cell;
        cell.row = 0;
        cell.col = col;
        cell.type = CellType::Number;
        cell.number = col + 1;
        sheet.cells.push_back(cell);
    }
    for (std::size_t c = 0; c < charts; ++c) {
        std::vector<double> values(points);
        for (std::size_t i = 0; i < points; ++i)
            values[i] = static_cast<double>((i * 37 + c * 11) % 1000) / 10.0;
        Chart chart = sampleChart(samplePlot(c % 2 ? ChartKind::Line : ChartKind::Column, {values}),
                                  "Chart " + std::to_string(c + 1));
        chart.anchor.row = static_cast<std::uint32_t>(2 + c * 16);
        chart.anchor.col = 4;
        sheet.charts.push_back(std::move(chart));
    }
    workbook.finish();
    return workbook;
}

std::size_t countOf(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

std::string groupOf(std::string_view svg, std::string_view className, std::size_t n) {
    const std::string open = "<g class=\"" + std::string(className) + "\">";
    std::size_t at = svg.find(open);
    for (std::size_t i = 0; i < n && at != std::string_view::npos; ++i)
        at = svg.find(open, at + open.size());
    if (at == std::string_view::npos)
        return {};
    const std::size_t end = svg.find("</g>", at);
    return std::string(svg.substr(at, end == std::string_view::npos ? end : end - at + 4));
}

} // namespace testing_support
