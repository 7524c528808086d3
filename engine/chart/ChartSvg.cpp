#include "engine/chart/ChartSvg.h"

#include "engine/base/Limits.h"
#include "engine/chart/ChartParts.h"
#include "engine/chart/Palette.h"
#include "engine/util/MarkupText.h"
#include "engine/util/Utf8.h"

#include <algorithm>
#include <cmath>

namespace engine::chart {
namespace {

constexpr double titleSizePx = 18.7; // 14 points
constexpr double defaultLegendPx = 12;
constexpr double padding = 8;

struct LegendEntry {
    std::string text;
    std::uint32_t rgb;
    bool lineKey; // a short line (series drawn as lines) rather than a square
};

bool isPieKind(ChartKind kind) {
    return kind == ChartKind::Pie || kind == ChartKind::Doughnut;
}

std::string seriesName(const ChartSeries& series, std::size_t index) {
    return series.name.empty() ? "Series" + std::to_string(index + 1) : series.name;
}

std::vector<LegendEntry> legendEntries(const Chart& chart,
                                       const std::vector<std::size_t>& firstPalette) {
    std::vector<LegendEntry> entries;
    for (std::size_t p = 0; p < chart.plots.size(); ++p) {
        const ChartPlot& plot = chart.plots[p];
        if (plot.kind == ChartKind::Unsupported)
            continue;
        // One series whose points vary in colour is told apart by its categories.
        const bool byPoint = (isPieKind(plot.kind) || plot.varyColors) && !plot.series.empty() &&
                             (isPieKind(plot.kind) || plot.series.size() == 1);
        if (byPoint) {
            const ChartSeries& series = plot.series.front();
            for (std::size_t i = 0;
                 i < series.values.size() && entries.size() < limits::maxLegendEntries; ++i)
                entries.push_back(
                    {categoryLabel(series, i), pointColor(series, i, chart.accents), false});
            continue;
        }
        const bool lined = plot.kind == ChartKind::Line || plot.kind == ChartKind::Scatter;
        for (std::size_t s = 0; s < plot.series.size() && entries.size() < limits::maxLegendEntries;
             ++s)
            entries.push_back({seriesName(plot.series[s], firstPalette[p] + s),
                               seriesColor(plot.series[s], firstPalette[p] + s, chart.accents),
                               lined && plot.series[s].line});
    }
    return entries;
}

void drawLegendKey(SvgCanvas& svg, const LegendEntry& entry, double x, double middle) {
    if (entry.lineKey)
        svg.line(x, middle, x + 14, middle, entry.rgb, 2.5);
    else
        svg.rect(x + 3, middle - 4, 8, 8, entry.rgb);
}

// Draws the legend on its side of `area` and takes its room from `area`.
void drawLegend(SvgCanvas& svg, const std::vector<LegendEntry>& entries, const Chart& chart,
                Box& area) {
    const LegendPosition position = chart.legend;
    const ChartFont& font = chart.legendFont;
    if (entries.empty() || position == LegendPosition::None)
        return;
    // The legend's own fill and frame, drawn around its entries before them.
    const auto box = [&](double x, double y, double width, double height) {
        if (chart.legendFill.kind == ChartFill::Kind::Solid ||
            chart.legendFill.kind == ChartFill::Kind::Gradient) {
            const std::string paint = svg.paint(chart.legendFill, 0xFFFFFF);
            svg.rect(x, y, width, height, paint);
        }
        svg.outline(x, y, width, height, chart.legendBorder);
    };
    TextLook look = lookOf(font, defaultLegendPx, labelColor);
    look.sizePx = std::clamp(look.sizePx, 4.0, 96.0);
    const double legendSizePx = look.sizePx;
    const double rowHeight = legendSizePx * 1.5;
    svg.group("legend");
    double widest = 0;
    for (const LegendEntry& entry : entries)
        widest = std::max(widest, textWidth(entry.text, legendSizePx));
    if (position == LegendPosition::Right || position == LegendPosition::Left) {
        const double width = std::min(widest + 24, area.width * 0.35);
        const double x = position == LegendPosition::Right ? area.x + area.width - width : area.x;
        const std::size_t fit =
            std::max<std::size_t>(1, static_cast<std::size_t>(area.height / rowHeight));
        const std::size_t shown = std::min(entries.size(), fit);
        double y = area.y + (area.height - static_cast<double>(shown) * rowHeight) / 2;
        box(x - 2, y - 2, width + 2, static_cast<double>(shown) * rowHeight + 4);
        for (std::size_t i = 0; i < shown; ++i, y += rowHeight) {
            drawLegendKey(svg, entries[i], x, y + rowHeight / 2);
            svg.text(x + 18, y + rowHeight / 2 + legendSizePx * 0.35, entries[i].text, look,
                     TextAnchor::Start);
        }
        svg.endGroup();
        area.width -= width + padding;
        if (position == LegendPosition::Left)
            area.x += width + padding;
        return;
    }
    // Top and bottom: one row, as many entries as fit.
    double total = 0;
    std::size_t shown = 0;
    for (const LegendEntry& entry : entries) {
        const double width = textWidth(entry.text, legendSizePx) + 30;
        if (shown > 0 && total + width > area.width)
            break;
        total += width;
        ++shown;
    }
    const double y = position == LegendPosition::Top ? area.y : area.y + area.height - rowHeight;
    double x = area.x + std::max(0.0, (area.width - total) / 2);
    box(x - 4, y, total - 8, rowHeight);
    for (std::size_t i = 0; i < shown; ++i) {
        drawLegendKey(svg, entries[i], x, y + rowHeight / 2);
        svg.text(x + 18, y + rowHeight / 2 + legendSizePx * 0.35, entries[i].text, look,
                 TextAnchor::Start);
        x += textWidth(entries[i].text, legendSizePx) + 30;
    }
    svg.endGroup();
    area.height -= rowHeight + padding / 2;
    if (position == LegendPosition::Top)
        area.y += rowHeight + padding / 2;
}

void drawPlaceholder(SvgCanvas& svg, const Chart& chart, const std::string& kind, double width,
                     double height) {
    svg.group("placeholder");
    svg.frame(4.5, 4.5, width - 9, height - 9, 0xA6A6A6, true);
    const std::string title = chart.title.empty() ? "Chart" : chart.title;
    svg.text(width / 2, height / 2 - 4, title, titleSizePx * 0.8, TextAnchor::Middle, 0x404040);
    svg.text(width / 2, height / 2 + 16, "(" + kind + " chart not shown)", labelSizePx,
             TextAnchor::Middle, labelColor);
    svg.endGroup();
}

} // namespace

std::uint32_t seriesColor(const ChartSeries& series, std::size_t paletteIndex,
                          const Accents& accents) {
    return series.color.automatic ? defaultSeriesColor(paletteIndex, accents) : series.color.rgb;
}

std::uint32_t pointColor(const ChartSeries& series, std::size_t point, const Accents& accents) {
    if (point < series.pointColors.size() && !series.pointColors[point].automatic)
        return series.pointColors[point].rgb;
    return defaultSeriesColor(point, accents);
}

TextLook lookOf(const ChartFont& font, double defaultPx, std::uint32_t defaultColor,
                bool defaultBold) {
    TextLook look;
    // Points to pixels at 96 dpi.
    look.sizePx = font.sizePt > 0 ? font.sizePt * 4 / 3 : defaultPx;
    look.fill = font.color.automatic ? defaultColor : font.color.rgb;
    look.bold = font.bold.value_or(defaultBold);
    look.italic = font.italic;
    look.family = font.family;
    return look;
}

std::string formatValue(double value, const numfmt::NumberFormat& format, DateSystem dates) {
    numfmt::Shown shown;
    format.formatNumber(value, dates, shown);
    return shown.text;
}

std::string categoryLabel(const ChartSeries& series, std::size_t point) {
    if (point < series.categories.size())
        return series.categories[point];
    return std::to_string(point + 1);
}

void appendChartSvg(std::string& out, const Chart& chart, int width, int height, DateSystem dates) {
    width = std::clamp(width, 16, 4000);
    height = std::clamp(height, 16, 4000);
    const double w = width, h = height;
    SvgCanvas svg(out);
    {
        // Charts of one page differ in where they start in it, or else in what they show.
        std::uint64_t hash = 1469598103934665603ull ^ out.size();
        const auto mix = [&](std::string_view text) {
            for (unsigned char c : text)
                hash = (hash ^ c) * 1099511628211ull;
        };
        mix(chart.title);
        for (const ChartPlot& plot : chart.plots)
            for (const ChartSeries& series : plot.series)
                mix(series.name), mix(series.source.values);
        mix(std::to_string(chart.anchor.row) + ":" + std::to_string(chart.anchor.col));
        svg.setIdPrefix("qm" + std::to_string(hash % 1000000007));
    }
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    svg.number(w);
    out += "\" height=\"";
    svg.number(h);
    out += "\" viewBox=\"0 0 ";
    svg.number(w);
    out += ' ';
    svg.number(h);
    out += "\" font-family=\"Calibri, Carlito, 'Liberation Sans', sans-serif\" role=\"img\" "
           "aria-label=\"";
    util::appendEscaped(out, util::utf8Prefix(chart.title.empty() ? "Chart" : chart.title, 512));
    out += "\">";
    if (!chart.title.empty()) {
        out += "<title>";
        util::appendEscaped(out, util::utf8Prefix(chart.title, 512));
        out += "</title>";
    }

    // A plot the page cannot draw makes the whole chart a placeholder: half a chart would
    // mislead more than none.
    for (const ChartPlot& plot : chart.plots) {
        if (plot.kind == ChartKind::Unsupported) {
            drawPlaceholder(svg, chart,
                            plot.unsupportedName.empty() ? "This" : plot.unsupportedName, w, h);
            out += "</svg>";
            return;
        }
    }

    // The chart's own background, framed as the application frames charts by default.
    if (chart.chartFill.kind == ChartFill::Kind::Automatic) {
        svg.frame(0.5, 0.5, w - 1, h - 1, gridColor);
    } else {
        const std::string background = svg.paint(chart.chartFill, 0xFFFFFF);
        svg.rect(0, 0, w, h, background);
    }
    Box area{padding, padding, w - 2 * padding, h - 2 * padding};
    if (!chart.title.empty()) {
        svg.group("title");
        TextLook look = lookOf(chart.titleFont, titleSizePx, labelColor);
        look.sizePx = std::clamp(look.sizePx, 4.0, std::max(4.0, h / 4));
        svg.text(w / 2, padding + look.sizePx, chart.title, look, TextAnchor::Middle);
        svg.endGroup();
        area.y += look.sizePx + padding;
        area.height -= look.sizePx + padding;
    }

    std::vector<std::size_t> firstPalette;
    std::size_t seriesSoFar = 0;
    for (const ChartPlot& plot : chart.plots) {
        firstPalette.push_back(seriesSoFar);
        seriesSoFar += plot.series.size();
    }
    drawLegend(svg, legendEntries(chart, firstPalette), chart, area);
    if (area.width < 8 || area.height < 8) {
        out += "</svg>";
        return;
    }

    std::vector<std::size_t> cartesian;
    std::vector<std::size_t> pies;
    for (std::size_t p = 0; p < chart.plots.size(); ++p)
        (isPieKind(chart.plots[p].kind) ? pies : cartesian).push_back(p);
    if (!cartesian.empty())
        drawCartesian(svg, chart, cartesian, firstPalette, area, dates);
    else if (!pies.empty())
        drawPie(svg, chart.plots[pies.front()], firstPalette[pies.front()], chart.accents, area,
                dates);
    out += "</svg>";
}

std::string chartSvgDocument(const Chart& chart, int width, int height, DateSystem dates) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    appendChartSvg(out, chart, width, height, dates);
    out += '\n';
    return out;
}

} // namespace engine::chart
