#include "engine/web/ChartPlacement.h"

#include "engine/base/Limits.h"
#include "engine/chart/ChartSvg.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/web/ChartText.h"
#include "engine/web/ClassNames.h"
#include "engine/web/HtmlText.h"

#include <algorithm>
#include <cmath>

namespace engine::web {
namespace {

constexpr int defaultWidth = 480, defaultHeight = 288;

void appendPixels(std::string& out, int value) {
    out += std::to_string(value);
    out += "px";
}

void appendPosition(std::string& out, const PlacedChart& placed) {
    out += placed.fromRight ? "position:absolute;right:" : "position:absolute;left:";
    appendPixels(out, placed.left);
    out += ";top:";
    appendPixels(out, placed.top);
    out += ";width:";
    appendPixels(out, placed.width);
    out += ";height:";
    appendPixels(out, placed.height);
}

// The chart's values in words, out of sight, for the chart's aria-describedby.
void appendDescription(std::string& out, const Chart& chart, const std::string& id) {
    out += "<div class=\"";
    out += classes::hidden;
    out += "\" id=\"" + id + "\">";
    appendEscaped(out, chartDescription(chart));
    out += "</div>";
}

} // namespace

std::pair<int, int> chartPixelSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return {defaultWidth, defaultHeight};
    return {std::clamp(width, 16, limits::maxChartSidePixels),
            std::clamp(height, 16, limits::maxChartSidePixels)};
}

std::pair<int, int> chartPixelSize(const Chart& chart) {
    return chartPixelSize(drawing::pointsToPixels(chart.anchor.widthPt),
                          drawing::pointsToPixels(chart.anchor.heightPt));
}

void writeCharts(std::string& out, const Workbook& workbook, std::size_t sheetIndex,
                 const std::vector<PlacedChart>& charts,
                 const std::function<std::string(std::size_t sheet, std::size_t chart)>& source) {
    const Sheet& sheet = workbook.sheets[sheetIndex];
    for (const PlacedChart& placed : charts) {
        const Chart& chart = sheet.charts[placed.index];
        const std::string url = source ? source(sheetIndex, placed.index) : std::string();
        // A chart is an image to assistive tools: named by its title or its series, and
        // described by its values.
        const std::string id =
            "chart" + std::to_string(sheetIndex) + "_" + std::to_string(placed.index);
        if (!url.empty()) {
            out += "<img class=\"";
            out += classes::chart;
            out += "\" src=\"";
            appendEscaped(out, url);
            out += "\" alt=\"";
            appendEscaped(out, chartName(chart));
            out += "\" aria-describedby=\"" + id + "\" style=\"";
            appendPosition(out, placed);
            out += "\">";
            appendDescription(out, chart, id);
            out += '\n';
            continue;
        }
        out += "<div class=\"";
        out += classes::chart;
        out += "\" role=\"img\" aria-label=\"";
        appendEscaped(out, chartName(chart));
        out += "\" aria-describedby=\"" + id + "\" style=\"";
        appendPosition(out, placed);
        out += "\">";
        chart::appendChartSvg(out, chart, placed.width, placed.height, workbook.dateSystem);
        appendDescription(out, chart, id);
        out += "</div>\n";
    }
}

} // namespace engine::web
