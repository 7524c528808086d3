#include "engine/web/ChartPlacement.h"

#include "engine/chart/ChartSvg.h"
#include "engine/web/HtmlText.h"
#include "engine/web/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace engine::web {
namespace {

constexpr int defaultWidth = 480, defaultHeight = 288;
// No chart is drawn larger than this; a bigger anchor is taken as damage.
constexpr int maxPixels = 4000;

int pointsToPixels(double points) {
    if (!std::isfinite(points))
        return 0;
    return static_cast<int>(std::lround(std::clamp(points, -1e6, 1e6) * 96.0 / 72.0));
}

void appendPixels(std::string& out, int value) {
    out += std::to_string(value);
    out += "px";
}

void appendPosition(std::string& out, const PlacedChart& placed) {
    out += "position:absolute;left:";
    appendPixels(out, placed.left);
    out += ";top:";
    appendPixels(out, placed.top);
    out += ";width:";
    appendPixels(out, placed.width);
    out += ";height:";
    appendPixels(out, placed.height);
}

} // namespace

std::pair<int, int> chartPixelSize(const Chart& chart) {
    const int width = pointsToPixels(chart.anchor.widthPt);
    const int height = pointsToPixels(chart.anchor.heightPt);
    if (width <= 0 || height <= 0)
        return {defaultWidth, defaultHeight};
    return {std::clamp(width, 16, maxPixels), std::clamp(height, 16, maxPixels)};
}

std::vector<PlacedChart> placeCharts(const Sheet& sheet, const SheetLayout& layout) {
    std::vector<PlacedChart> placed;
    placed.reserve(sheet.charts.size());
    for (std::size_t i = 0; i < sheet.charts.size(); ++i) {
        const Chart& chart = sheet.charts[i];
        const auto [width, height] = chartPixelSize(chart);
        placed.push_back({i,
                          layout.left(chart.anchor.col) + pointsToPixels(chart.anchor.colOffsetPt),
                          layout.top(chart.anchor.row) + pointsToPixels(chart.anchor.rowOffsetPt),
                          width, height});
    }
    return placed;
}

void writeCharts(std::string& out, const Workbook& workbook, std::size_t sheetIndex,
                 const std::vector<PlacedChart>& charts,
                 const std::function<std::string(std::size_t sheet, std::size_t chart)>& source) {
    const Sheet& sheet = workbook.sheets[sheetIndex];
    for (const PlacedChart& placed : charts) {
        const Chart& chart = sheet.charts[placed.index];
        const std::string url = source ? source(sheetIndex, placed.index) : std::string();
        if (!url.empty()) {
            out += "<img class=\"chart\" src=\"";
            appendEscaped(out, url);
            out += "\" alt=\"";
            appendEscaped(out, utf8Prefix(chart.title.empty() ? "Chart" : chart.title, 1024));
            out += "\" style=\"";
            appendPosition(out, placed);
            out += "\">\n";
            continue;
        }
        out += "<div class=\"chart\" style=\"";
        appendPosition(out, placed);
        out += "\">";
        chart::appendChartSvg(out, chart, placed.width, placed.height, workbook.dateSystem);
        out += "</div>\n";
    }
}

} // namespace engine::web
