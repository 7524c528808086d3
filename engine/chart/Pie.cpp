// Pie and doughnut plots: slices clockwise from twelve o'clock, one ring per series.

#include "engine/chart/ChartParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine::chart {
namespace {

constexpr double fullTurn = 2 * std::numbers::pi;

struct Polar {
    double cx, cy;
    double x(double radius, double angle) const { return cx + radius * std::sin(angle); }
    double y(double radius, double angle) const { return cy - radius * std::cos(angle); }
};

// A slice (inner 0) or a ring segment between two angles.
void segment(SvgCanvas& svg, const Polar& c, double outer, double inner, double from, double to,
             std::uint32_t fill) {
    const bool whole = to - from >= fullTurn - 1e-9;
    svg.beginPath();
    if (whole) {
        // A full circle is two half arcs: one arc from a point to itself draws nothing.
        svg.moveTo(c.x(outer, 0), c.y(outer, 0));
        svg.arcTo(outer, false, true, c.x(outer, fullTurn / 2), c.y(outer, fullTurn / 2));
        svg.arcTo(outer, false, true, c.x(outer, 0), c.y(outer, 0));
        svg.close();
        if (inner > 0) {
            svg.moveTo(c.x(inner, 0), c.y(inner, 0));
            svg.arcTo(inner, false, false, c.x(inner, fullTurn / 2), c.y(inner, fullTurn / 2));
            svg.arcTo(inner, false, false, c.x(inner, 0), c.y(inner, 0));
            svg.close();
        }
        svg.endPath(fill, true, 0xFFFFFF, 1, true);
        return;
    }
    const bool large = to - from > fullTurn / 2;
    svg.moveTo(c.x(outer, from), c.y(outer, from));
    svg.arcTo(outer, large, true, c.x(outer, to), c.y(outer, to));
    if (inner > 0) {
        svg.lineTo(c.x(inner, to), c.y(inner, to));
        svg.arcTo(inner, large, false, c.x(inner, from), c.y(inner, from));
    } else {
        svg.lineTo(c.cx, c.cy);
    }
    svg.close();
    svg.endPath(fill, true, 0xFFFFFF, 1);
}

} // namespace

void drawPie(SvgCanvas& svg, const ChartPlot& plot, std::size_t firstPalette,
             const Accents& accents, Box area, DateSystem dates) {
    if (plot.series.empty())
        return;
    const Polar centre{area.x + area.width / 2, area.y + area.height / 2};
    const bool doughnut = plot.kind == ChartKind::Doughnut;
    // Slices pulled out of a pie shrink it so that they stay inside the plot.
    double pulled = 0;
    if (!doughnut) {
        const ChartSeries& first = plot.series.front();
        pulled = first.seriesExplosion;
        for (double e : first.explosion)
            pulled = std::max(pulled, e);
        pulled = std::clamp(pulled, 0.0, 4.0);
    }
    const double radius = std::max((std::min(area.width, area.height) / 2 - 4) / (1 + pulled), 1.0);
    const double hole = doughnut ? radius * std::clamp(plot.holePercent, 10, 90) / 100.0 : 0;
    // A pie shows its first series only; a doughnut has a ring per series, the first inside.
    const std::size_t rings = doughnut ? plot.series.size() : 1;
    const double ringWidth = (radius - hole) / static_cast<double>(rings);
    for (std::size_t s = 0; s < rings; ++s) {
        const ChartSeries& series = plot.series[s];
        const double inner = doughnut ? hole + ringWidth * static_cast<double>(s) : 0;
        const double outer = doughnut ? inner + ringWidth : radius;
        // Shares are taken of values divided by the largest: a plain total of values near the
        // largest doubles overflows, and every slice would then be nothing.
        double largest = 0;
        for (double v : series.values)
            if (std::isfinite(v))
                largest = std::max(largest, std::abs(v));
        if (largest <= 0)
            continue;
        double total = 0;
        for (double v : series.values)
            if (std::isfinite(v))
                total += std::abs(v) / largest;
        svg.group("series");
        const numfmt::NumberFormat format =
            numfmt::NumberFormat::parse(series.formatCode.empty() ? "General" : series.formatCode);
        const numfmt::NumberFormat percent = numfmt::NumberFormat::parse("0%");
        double angle = 0;
        for (std::size_t i = 0; i < series.values.size(); ++i) {
            const double v = series.values[i];
            if (!std::isfinite(v) || v == 0)
                continue;
            const double share = std::abs(v) / largest / total;
            const double next = std::min(angle + share * fullTurn, fullTurn);
            const std::uint32_t fill = plot.varyColors || plot.kind == ChartKind::Pie
                                           ? pointColor(series, i, accents)
                                           : seriesColor(series, firstPalette + s, accents);
            const double middle = (angle + next) / 2;
            const double out =
                doughnut ? 0
                         : std::clamp(i < series.explosion.size() && series.explosion[i] > 0
                                          ? series.explosion[i]
                                          : series.seriesExplosion,
                                      0.0, 4.0) *
                               radius;
            const Polar slice{centre.x(out, middle), centre.y(out, middle)};
            segment(svg, slice, outer, inner, angle, next, fill);
            if (plot.showValues || plot.showPercent || plot.showCategory) {
                std::string text;
                if (plot.showCategory)
                    text = categoryLabel(series, i);
                if (plot.showValues)
                    text += (text.empty() ? "" : ", ") + formatValue(v, format, dates);
                if (plot.showPercent)
                    text += (text.empty() ? "" : ", ") + formatValue(share, percent, dates);
                const double at = doughnut ? (inner + outer) / 2 : radius * 0.65;
                TextLook look = lookOf(plot.labelFont, labelSizePx, 0x262626);
                look.sizePx = std::clamp(look.sizePx, 4.0, 72.0);
                svg.text(slice.x(at, middle), slice.y(at, middle) + look.sizePx * 0.35, text, look,
                         TextAnchor::Middle);
            }
            angle = next;
        }
        svg.endGroup();
    }
}

} // namespace engine::chart
