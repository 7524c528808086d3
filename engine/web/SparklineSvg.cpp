#include "engine/web/SparklineSvg.h"

#include "engine/svg/SvgWriter.h"

#include <algorithm>
#include <cmath>

namespace engine::web {
namespace {

// The application's colours of a new sparkline, for colours the file leaves out.
constexpr std::uint32_t defaultSeries = 0x376092;
constexpr std::uint32_t defaultNegative = 0xD00000;
constexpr std::uint32_t defaultAxis = 0x000000;

// Room around the drawing so that the line and its markers stay inside the cell.
constexpr double sideMargin = 3;
constexpr double edgeMargin = 2;

std::uint32_t rgbOr(const Color& color, std::uint32_t fallback) {
    return color.automatic ? fallback : color.rgb;
}

// The colour that marks point `i` of `values` (lowest first: high, low, first, last, negative,
// then the plain marker), or nullopt when the point is not marked. The series' colour stands
// in for a colour the file leaves out.
struct PointMarks {
    const SparklineGroup& group;
    const std::vector<std::optional<double>>& values;
    double high = 0, low = 0;
    std::ptrdiff_t firstIndex = -1, lastIndex = -1;

    std::optional<std::uint32_t> at(std::size_t i, bool plainMarkers) const {
        if (!values[i])
            return std::nullopt;
        const double v = *values[i];
        const std::uint32_t series = rgbOr(group.series, defaultSeries);
        if (group.showHigh && v == high)
            return rgbOr(group.high, series);
        if (group.showLow && v == low)
            return rgbOr(group.low, series);
        if (group.showFirst && static_cast<std::ptrdiff_t>(i) == firstIndex)
            return rgbOr(group.first, series);
        if (group.showLast && static_cast<std::ptrdiff_t>(i) == lastIndex)
            return rgbOr(group.last, series);
        if (group.showNegative && v < 0)
            return rgbOr(group.negative, defaultNegative);
        if (plainMarkers && group.showMarkers)
            return rgbOr(group.markers, series);
        return std::nullopt;
    }
};

} // namespace

std::optional<SparklineScaleRange> valueRange(const std::vector<std::optional<double>>& values) {
    std::optional<SparklineScaleRange> range;
    for (const auto& value : values) {
        if (!value || !std::isfinite(*value))
            continue;
        if (!range)
            range = SparklineScaleRange{*value, *value};
        range->min = std::min(range->min, *value);
        range->max = std::max(range->max, *value);
    }
    return range;
}

std::optional<SparklineScaleRange> sparklineScale(const SparklineGroup& group,
                                                  const std::vector<std::optional<double>>& values,
                                                  std::optional<SparklineScaleRange> groupRange) {
    const auto own = valueRange(values);
    if (!own)
        return std::nullopt;
    SparklineScaleRange scale = *own;
    if (group.minScale == SparklineScale::Group && groupRange)
        scale.min = groupRange->min;
    else if (group.minScale == SparklineScale::Custom && group.manualMin)
        scale.min = *group.manualMin;
    if (group.maxScale == SparklineScale::Group && groupRange)
        scale.max = groupRange->max;
    else if (group.maxScale == SparklineScale::Custom && group.manualMax)
        scale.max = *group.manualMax;
    return scale;
}

std::string sparklineShapes(const SparklineGroup& group,
                            const std::vector<std::optional<double>>& values,
                            SparklineScaleRange scale, int width, int height) {
    std::string out;
    svg::Writer svg(out, 2);
    const std::size_t count = values.size();
    if (count == 0 || width <= 2 * sideMargin || height <= 2 * edgeMargin)
        return out;
    PointMarks marks{group, values};
    if (const auto range = valueRange(values)) {
        marks.high = range->max;
        marks.low = range->min;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (values[i]) {
            if (marks.firstIndex < 0)
                marks.firstIndex = static_cast<std::ptrdiff_t>(i);
            marks.lastIndex = static_cast<std::ptrdiff_t>(i);
        }

    const double left = sideMargin, right = width - sideMargin;
    const double top = edgeMargin, bottom = height - edgeMargin;
    const double span = scale.max - scale.min;
    // A flat scale draws its values across the middle.
    auto yOf = [&](double value) {
        if (!(span > 0))
            return (top + bottom) / 2;
        return bottom -
               (std::clamp(value, scale.min, scale.max) - scale.min) / span * (bottom - top);
    };
    auto slot = [&](std::size_t i) { return group.rightToLeft ? count - 1 - i : i; };
    const std::uint32_t series = rgbOr(group.series, defaultSeries);
    const std::uint32_t axisColor = rgbOr(group.axis, defaultAxis);
    auto axisAt = [&](double y) {
        svg.open("line")
            .number("x1", 0)
            .number("x2", width)
            .number("y1", y)
            .number("y2", y)
            .color("stroke", axisColor)
            .number("stroke-width", 1)
            .close();
    };

    if (group.type == SparklineType::Line) {
        const double strokePx = std::max(group.lineWeightPt * 96 / 72, 0.5);
        auto xOf = [&](std::size_t i) {
            return count == 1 ? (left + right) / 2
                              : left + static_cast<double>(slot(i)) * (right - left) /
                                           static_cast<double>(count - 1);
        };
        if (group.showAxis && scale.min < 0 && scale.max > 0)
            axisAt(yOf(0));
        std::string points;
        std::size_t inLine = 0;
        auto flush = [&] {
            if (inLine > 1) {
                svg.open("polyline")
                    .raw("fill", "none")
                    .color("stroke", series)
                    .number("stroke-width", strokePx)
                    .raw("stroke-linejoin", "round")
                    .raw("points", points)
                    .close();
            }
            points.clear();
            inLine = 0;
        };
        for (std::size_t i = 0; i < count; ++i) {
            if (!values[i]) {
                if (group.empty != SparklineEmpty::Span)
                    flush();
                continue;
            }
            if (inLine++ > 0)
                points += ' ';
            svg::appendNumber(points, xOf(i), 2);
            points += ',';
            svg::appendNumber(points, yOf(*values[i]), 2);
        }
        flush();
        const double radius = std::max(1.5, strokePx * 1.25);
        for (std::size_t i = 0; i < count; ++i) {
            const auto color = marks.at(i, true);
            if (!color)
                continue;
            svg.open("circle")
                .number("cx", xOf(i))
                .number("cy", yOf(*values[i]))
                .number("r", radius)
                .color("fill", *color)
                .close();
        }
        return out;
    }

    // Columns and win/loss bars share the slots of the width, with a gap between bars.
    const double pitch = (right - left) / static_cast<double>(count);
    const double barWidth = std::max(pitch * 0.8, 1.0);
    const bool winLoss = group.type == SparklineType::WinLoss;
    const double middle = (top + bottom) / 2;
    const double base = winLoss ? middle : yOf(std::clamp(0.0, scale.min, scale.max));
    if (group.showAxis && (winLoss || (scale.min < 0 && scale.max > 0)))
        axisAt(base);
    for (std::size_t i = 0; i < count; ++i) {
        if (!values[i])
            continue;
        const double v = *values[i];
        double from = base, to = base;
        if (winLoss) {
            if (v == 0)
                continue;
            to = v > 0 ? top : bottom;
        } else {
            to = yOf(v);
            // The lowest value of a scale above zero still shows as a sliver.
            if (std::abs(to - from) < 1)
                to = from - (v < 0 ? -1 : 1);
        }
        const std::uint32_t color = marks.at(i, false).value_or(series);
        svg.open("rect")
            .number("x", left + static_cast<double>(slot(i)) * pitch + (pitch - barWidth) / 2)
            .number("y", std::min(from, to))
            .number("width", barWidth)
            .number("height", std::abs(to - from))
            .color("fill", color)
            .close();
    }
    return out;
}

} // namespace engine::web
