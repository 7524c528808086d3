// Column, bar, line, area and scatter plots on one pair of axes.

#include "engine/chart/AxisScale.h"
#include "engine/chart/ChartParts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace engine::chart {
namespace {

constexpr double gapShare = 1.5; // the gap between column groups, as a share of one column
constexpr double markerRadius = 3.5;

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void add(double value) {
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    bool empty() const { return low > high; }
};

// The bounds and step the file fixes, over the automatic scale: a fixed step realigns the
// bounds left automatic; bounds that contradict each other leave the automatic scale.
AxisScale fixedScale(AxisScale scale, const ChartAxis& axis) {
    const AxisScale automatic = scale;
    if (axis.majorUnit && *axis.majorUnit > 0)
        scale.step = *axis.majorUnit;
    scale.min = axis.min ? *axis.min : std::floor(scale.min / scale.step) * scale.step;
    scale.max = axis.max ? *axis.max : std::ceil(scale.max / scale.step) * scale.step;
    if (!axis.max && scale.max <= scale.min)
        scale.max = scale.min + scale.step;
    if (!axis.min && scale.max <= scale.min)
        scale.min = scale.max - scale.step;
    const double steps = (scale.max - scale.min) / scale.step;
    if (!std::isfinite(steps) || !(scale.max > scale.min) || steps > 1000)
        return automatic;
    return scale;
}

bool isStacked(const ChartPlot& plot) {
    return plot.grouping == ChartGrouping::Stacked ||
           plot.grouping == ChartGrouping::PercentStacked;
}

std::size_t pointCount(const ChartPlot& plot) {
    std::size_t count = 0;
    for (const ChartSeries& series : plot.series)
        count = std::max(count, series.values.size());
    return count;
}

double valueAt(const ChartSeries& series, std::size_t point) {
    return point < series.values.size() ? series.values[point]
                                        : std::numeric_limits<double>::quiet_NaN();
}

// The total of the absolute values at each point, for 100 % stacking.
std::vector<double> absoluteTotals(const ChartPlot& plot, std::size_t points) {
    std::vector<double> totals(points, 0.0);
    for (const ChartSeries& series : plot.series)
        for (std::size_t i = 0; i < points; ++i)
            if (const double v = valueAt(series, i); std::isfinite(v))
                totals[i] += std::abs(v);
    return totals;
}

// The value a point is drawn at: as it stands, or as a share of the point's total.
double shownValue(const ChartPlot& plot, const std::vector<double>& totals, double value,
                  std::size_t point) {
    if (plot.grouping != ChartGrouping::PercentStacked)
        return value;
    return totals[point] > 0 ? value / totals[point] : 0;
}

// Stacked plots: the running positive and negative totals at each point, series by series.
struct Stack {
    std::vector<double> positive, negative;
    explicit Stack(std::size_t points) : positive(points, 0.0), negative(points, 0.0) {}
    // Adds `value` at `point`; returns the base it stands on.
    double push(std::size_t point, double value) {
        double& running = value < 0 ? negative[point] : positive[point];
        const double base = running;
        running += value;
        return base;
    }
};

class Axes {
public:
    Axes(const Chart& chart, const std::vector<std::size_t>& plots, Box area, DateSystem dates)
        : chart_(chart), plots_(plots), area_(area), dates_(dates) {
        const ChartPlot& first = chart.plots[plots.front()];
        horizontal_ = first.kind == ChartKind::Bar;
        scatter_ = first.kind == ChartKind::Scatter;
        edges_ = std::all_of(plots.begin(), plots.end(),
                             [&](std::size_t p) { return chart.plots[p].kind == ChartKind::Area; });
        percent_ = false;
        Range values, xs;
        for (std::size_t p : plots) {
            const ChartPlot& plot = chart.plots[p];
            const std::size_t points = pointCount(plot);
            categories_ = std::max(categories_, points);
            percent_ = percent_ || plot.grouping == ChartGrouping::PercentStacked;
            if (plot.kind == ChartKind::Scatter) {
                for (const ChartSeries& series : plot.series) {
                    for (std::size_t i = 0; i < series.values.size(); ++i) {
                        values.add(series.values[i]);
                        xs.add(i < series.xValues.size() ? series.xValues[i]
                                                         : static_cast<double>(i + 1));
                    }
                }
                continue;
            }
            const std::vector<double> totals = absoluteTotals(plot, points);
            if (isStacked(plot)) {
                Stack stack(points);
                for (const ChartSeries& series : plot.series) {
                    for (std::size_t i = 0; i < points; ++i) {
                        const double v = valueAt(series, i);
                        if (!std::isfinite(v))
                            continue;
                        const double shown = shownValue(plot, totals, v, i);
                        const double base = stack.push(i, shown);
                        values.add(base);
                        values.add(base + shown);
                    }
                }
            } else {
                for (const ChartSeries& series : plot.series)
                    for (double v : series.values)
                        values.add(v);
            }
        }
        if (values.empty())
            values.add(0);
        const std::string code = percent_                          ? "0%"
                                 : !chart.valueAxis.format.empty() ? chart.valueAxis.format
                                                                   : firstSeriesFormat();
        format_ = numfmt::NumberFormat::parse(code);

        // Room for the labels is measured on a first scale, then the plot is fitted inside.
        // About one step per three lines of label text up the axis (per label width across),
        // between 4 and 10 steps, as the application spaces its gridlines.
        valueLook_ = axisLook(chart.valueAxis.labelFont);
        categoryLook_ = axisLook(chart.categoryAxis.labelFont);
        const ChartAxis& valueAxis = chart.valueAxis;
        const ChartAxis& categoryAxis = chart.categoryAxis;
        if (!categoryAxis.format.empty())
            xFormat_ = numfmt::NumberFormat::parse(categoryAxis.format);

        // Axis titles take their room first: the left one turned up the side, the bottom one
        // under the labels.
        leftTitle_ = horizontal_ ? &categoryAxis : &valueAxis;
        bottomTitle_ = horizontal_ ? &valueAxis : &categoryAxis;
        if (!leftTitle_->title.empty()) {
            leftTitleLook_ = titleLook(*leftTitle_);
            leftTitleLook_.rotate = -90;
            area.x += leftTitleLook_.sizePx * 1.4;
            area.width -= leftTitleLook_.sizePx * 1.4;
        }
        if (!bottomTitle_->title.empty()) {
            bottomTitleLook_ = titleLook(*bottomTitle_);
            area.height -= bottomTitleLook_.sizePx * 1.4;
        }
        area.width = std::max(area.width, 1.0);
        area.height = std::max(area.height, 1.0);

        const double valueLength = horizontal_ ? area.width : area.height;
        scale_ = niceScale(values.low, values.high, stepsFor(valueLength, horizontal_ ? 80 : 36));
        if (percent_) {
            scale_.max = std::min(scale_.max, 1.0);
            scale_.min = std::max(scale_.min, -1.0);
        }
        scale_ = fixedScale(scale_, valueAxis);
        if (scatter_) {
            if (xs.empty())
                xs.add(1);
            xScale_ =
                fixedScale(niceScale(xs.low, xs.high, stepsFor(area.width, 45)), categoryAxis);
        }
        const double valuePx = valueAxis.deleted ? 0 : valueLook_.sizePx;
        const double categoryPx = categoryAxis.deleted ? 0 : categoryLook_.sizePx;
        double labelWidth = 0;
        if (!valueAxis.deleted)
            for (int i = 0, steps = scale_.steps(); scale_.labelled && i <= steps; ++i)
                labelWidth = std::max(labelWidth, textWidth(label(scale_.at(i)), valuePx));
        if (!scatter_ && !categoryAxis.deleted)
            groups_ = categoryGroups();
        if (horizontal_) {
            double categoryWidth = 0;
            if (!categoryAxis.deleted)
                for (std::size_t i = 0; i < std::min<std::size_t>(categories_, 200); ++i)
                    categoryWidth = std::max(categoryWidth, textWidth(category(i), categoryPx));
            groupOffsets_.clear();
            for (const auto* names : groups_) {
                groupOffsets_.push_back(categoryWidth + 10);
                double widest = 0;
                for (const std::string& name : *names)
                    widest = std::max(widest, textWidth(name, categoryPx));
                categoryWidth += widest + 10;
            }
            plot_ = {area.x + std::min(categoryWidth, area.width / 3) + 6, area.y, 0,
                     area.height - valuePx - 6};
        } else {
            const double groupRows = static_cast<double>(groups_.size()) * categoryPx * 1.4;
            plot_ = {area.x + std::min(labelWidth, area.width / 3) + 6, area.y + valuePx / 2, 0,
                     area.height - categoryPx * 1.5 - groupRows - 6};
        }
        plot_.width = area.x + area.width - plot_.x - labelWidth / 2;
        plot_.width = std::max(plot_.width, 1.0);
        plot_.height = std::max(plot_.height, 1.0);
    }

    void draw(SvgCanvas& svg, const std::vector<std::size_t>& firstPalette) {
        if (chart_.plotFill.kind != ChartFill::Kind::Automatic) {
            const std::string paint = svg.paint(chart_.plotFill, 0xFFFFFF);
            svg.rect(plot_.x, plot_.y, plot_.width, plot_.height, paint);
        }
        svg.outline(plot_.x, plot_.y, plot_.width, plot_.height, chart_.plotBorder);
        drawAxisTitles(svg);
        drawValueAxis(svg);
        if (scatter_)
            drawXAxis(svg);
        else
            drawCategoryAxis(svg);
        for (std::size_t i = 0; i < plots_.size(); ++i) {
            const ChartPlot& plot = chart_.plots[plots_[i]];
            const std::size_t palette = firstPalette[plots_[i]];
            switch (plot.kind) {
            case ChartKind::Column:
            case ChartKind::Bar:
                drawBars(svg, plot, palette);
                break;
            case ChartKind::Line:
            case ChartKind::Scatter:
                drawLines(svg, plot, palette);
                break;
            case ChartKind::Area:
                drawAreas(svg, plot, palette);
                break;
            default:
                break;
            }
        }
    }

private:
    static TextLook axisLook(const ChartFont& font) {
        TextLook look = lookOf(font, labelSizePx, labelColor);
        look.sizePx = std::clamp(look.sizePx, 4.0, 72.0);
        return look;
    }

    static TextLook titleLook(const ChartAxis& axis) {
        // Axis titles are 10 points and bold unless the file says otherwise.
        TextLook look = lookOf(axis.titleFont, 13.3, labelColor, true);
        look.sizePx = std::clamp(look.sizePx, 4.0, 72.0);
        return look;
    }

    void drawAxisTitles(SvgCanvas& svg) const {
        if (!leftTitle_->title.empty()) {
            svg.group("axis-title");
            svg.text(area_.x + leftTitleLook_.sizePx, plot_.y + plot_.height / 2, leftTitle_->title,
                     leftTitleLook_, TextAnchor::Middle);
            svg.endGroup();
        }
        if (!bottomTitle_->title.empty()) {
            svg.group("axis-title");
            svg.text(plot_.x + plot_.width / 2,
                     area_.y + area_.height - bottomTitleLook_.sizePx * 0.3, bottomTitle_->title,
                     bottomTitleLook_, TextAnchor::Middle);
            svg.endGroup();
        }
    }

    static int stepsFor(double length, double pixelsPerStep) {
        return std::clamp(static_cast<int>(length / pixelsPerStep), 4, 10);
    }

    std::string firstSeriesFormat() const {
        for (std::size_t p : plots_)
            for (const ChartSeries& series : chart_.plots[p].series)
                if (!series.formatCode.empty())
                    return series.formatCode;
        return "General";
    }

    std::string label(double value) const {
        // Steps of a tenth add up to 0.30000000000000004; the label shows the step's value.
        const double rounded =
            scale_.min + std::round((value - scale_.min) / scale_.step) * scale_.step;
        return formatValue(std::abs(rounded) < scale_.step * 1e-9 ? 0 : rounded, format_, dates_);
    }

    // The outer levels of multi-level category labels: those of the first series that has
    // them, the next outer first.
    std::vector<const std::vector<std::string>*> categoryGroups() const {
        std::vector<const std::vector<std::string>*> levels;
        for (std::size_t p : plots_)
            for (const ChartSeries& series : chart_.plots[p].series)
                if (!series.categoryGroups.empty()) {
                    for (const auto& names : series.categoryGroups)
                        levels.push_back(&names);
                    return levels;
                }
        return levels;
    }

    std::string category(std::size_t point) const {
        for (std::size_t p : plots_)
            for (const ChartSeries& series : chart_.plots[p].series)
                if (point < series.categories.size())
                    return series.categories[point];
        return std::to_string(point + 1);
    }

    // Distance along the value axis from the plot's bottom (or left) edge, in pixels.
    double valuePixel(double value) const {
        const double share = scale_.share(value);
        return horizontal_ ? plot_.x + share * plot_.width
                           : plot_.y + plot_.height - share * plot_.height;
    }

    double xPixel(double value) const { return plot_.x + xScale_.share(value) * plot_.width; }

    double slot() const {
        const double length = horizontal_ ? plot_.height : plot_.width;
        const std::size_t count = std::max<std::size_t>(categories_, 1);
        if (edges_)
            return count > 1 ? length / static_cast<double>(count - 1) : length;
        return length / static_cast<double>(count);
    }

    // The middle of a category's slot along the category axis (its edge for area plots).
    double categoryPixel(std::size_t point) const {
        const double along = edges_ && categories_ > 1
                                 ? slot() * static_cast<double>(point)
                                 : slot() * (static_cast<double>(point) + 0.5);
        // Bar charts count their categories from the bottom up.
        return horizontal_ ? plot_.y + plot_.height - along : plot_.x + along;
    }

    // A point of a series in page coordinates.
    std::pair<double, double> at(std::size_t point, double value) const {
        return horizontal_ ? std::make_pair(valuePixel(value), categoryPixel(point))
                           : std::make_pair(categoryPixel(point), valuePixel(value));
    }

    double zero() const { return std::clamp(0.0, scale_.min, scale_.max); }

    void drawValueAxis(SvgCanvas& svg) const {
        svg.group("value-axis");
        const ChartAxis& axis = chart_.valueAxis;
        const std::uint32_t grid = axis.gridColor.automatic ? gridColor : axis.gridColor.rgb;
        const double px = valueLook_.sizePx;
        // An unlabelled scale has no steps to draw: its axis is the plot's edge alone.
        for (int i = 0, steps = scale_.steps(); scale_.labelled && i <= steps; ++i) {
            const double v = scale_.at(i);
            const double p = valuePixel(v);
            if (horizontal_) {
                if (axis.gridlines)
                    svg.line(p, plot_.y, p, plot_.y + plot_.height, grid);
                if (!axis.deleted)
                    svg.text(p, plot_.y + plot_.height + px + 3, label(v), valueLook_,
                             TextAnchor::Middle);
            } else {
                if (axis.gridlines)
                    svg.line(plot_.x, p, plot_.x + plot_.width, p, grid);
                if (!axis.deleted)
                    svg.text(plot_.x - 5, p + px * 0.35, label(v), valueLook_, TextAnchor::End);
            }
        }
        svg.endGroup();
    }

    void drawCategoryAxis(SvgCanvas& svg) const {
        svg.group("category-axis");
        const double base = valuePixel(zero());
        if (horizontal_)
            svg.line(base, plot_.y, base, plot_.y + plot_.height, axisColor);
        else
            svg.line(plot_.x, base, plot_.x + plot_.width, base, axisColor);
        if (categories_ == 0 || chart_.categoryAxis.deleted) {
            svg.endGroup();
            return;
        }
        // Labels that would overlap are thinned to every n-th, as the application does.
        const double px = categoryLook_.sizePx;
        double widest = px * 1.4;
        if (!horizontal_)
            for (std::size_t i = 0; i < std::min<std::size_t>(categories_, 200); ++i)
                widest = std::max(widest, textWidth(category(i), px) + 6);
        const std::size_t every =
            std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(widest / slot())));
        for (std::size_t i = 0; i < categories_; i += every) {
            const double p = categoryPixel(i);
            if (horizontal_)
                svg.text(plot_.x - 5, p + px * 0.35, category(i), categoryLook_, TextAnchor::End);
            else
                svg.text(p, plot_.y + plot_.height + px + 3, category(i), categoryLook_,
                         TextAnchor::Middle);
        }
        for (std::size_t level = 0; level < groups_.size(); ++level)
            drawCategoryGroups(svg, *groups_[level], level);
        svg.endGroup();
    }

    // One outer level of multi-level categories: each group's name centred on the points it
    // spans, groups parted by a line from the axis through the rows of labels.
    void drawCategoryGroups(SvgCanvas& svg, const std::vector<std::string>& names,
                            std::size_t level) const {
        const double px = categoryLook_.sizePx;
        const double half = edges_ ? 0 : slot() / 2;
        const double rowsEnd = plot_.y + plot_.height + px * (1.5 + 1.4 * (level + 1.0));
        const double sideEnd = horizontal_ ? plot_.x - 5 - groupOffsets_[level] : 0;
        std::size_t start = 0;
        for (std::size_t i = 1; i <= categories_; ++i) {
            if (i < categories_ && (i >= names.size() || names[i].empty()))
                continue;
            // The group runs from `start` up to the point before `i`.
            const double first = categoryPixel(start), last = categoryPixel(i - 1);
            const double middle = (first + last) / 2;
            const std::string& name = start < names.size() ? names[start] : std::string();
            if (horizontal_) {
                svg.text(sideEnd, middle + px * 0.35, name, categoryLook_, TextAnchor::End);
                const double edge = last - half;
                if (i < categories_)
                    svg.line(sideEnd - 5, edge, plot_.x, edge, axisColor);
            } else {
                svg.text(middle, rowsEnd, name, categoryLook_, TextAnchor::Middle);
                const double edge = last + half;
                if (i < categories_)
                    svg.line(edge, plot_.y + plot_.height, edge, rowsEnd + px * 0.3, axisColor);
            }
            start = i;
        }
    }

    void drawXAxis(SvgCanvas& svg) const {
        svg.group("category-axis");
        const double base = valuePixel(zero());
        svg.line(plot_.x, base, plot_.x + plot_.width, base, axisColor);
        if (chart_.categoryAxis.deleted) {
            svg.endGroup();
            return;
        }
        for (int i = 0, steps = xScale_.steps(); xScale_.labelled && i <= steps; ++i) {
            double v = xScale_.at(i);
            if (std::abs(v) < xScale_.step * 1e-9)
                v = 0;
            v = std::round(v / xScale_.step) * xScale_.step;
            svg.text(xPixel(v), plot_.y + plot_.height + categoryLook_.sizePx + 3,
                     formatValue(v, xFormat_, dates_), categoryLook_, TextAnchor::Middle);
        }
        svg.endGroup();
    }

    void dataLabel(SvgCanvas& svg, const ChartPlot& plot, const ChartSeries& series,
                   std::size_t point, double value, double x, double y) const {
        std::string text;
        if (plot.showCategory)
            text = category(point);
        if (plot.showValues) {
            // Parsed once per series: a label per point would otherwise parse it each time.
            if (labelSeries_ != &series) {
                labelFormat_ = numfmt::NumberFormat::parse(
                    series.formatCode.empty() ? "General" : series.formatCode);
                labelSeries_ = &series;
            }
            text += (text.empty() ? "" : ", ") + formatValue(value, labelFormat_, dates_);
        }
        if (!text.empty()) {
            TextLook look = lookOf(plot.labelFont, labelSizePx, 0x404040);
            look.sizePx = std::clamp(look.sizePx, 4.0, 72.0);
            svg.text(x, y, text, look, TextAnchor::Middle);
        }
    }

    void drawBars(SvgCanvas& svg, const ChartPlot& plot, std::size_t palette) const {
        const std::size_t points = pointCount(plot);
        const std::vector<double> totals = absoluteTotals(plot, points);
        const bool stacked = isStacked(plot);
        const double count =
            stacked ? 1.0 : static_cast<double>(std::max<std::size_t>(plot.series.size(), 1));
        // The gap between groups is measured in columns: 150 % of one column.
        const double thickness = slot() / (count + gapShare);
        Stack stack(points);
        for (std::size_t s = 0; s < plot.series.size(); ++s) {
            const ChartSeries& series = plot.series[s];
            const std::uint32_t rgb = seriesColor(series, palette + s, chart_.accents);
            const bool vary = plot.varyColors && plot.series.size() == 1;
            svg.group("series");
            const std::string paint = series.fill.kind == ChartFill::Kind::Gradient
                                          ? svg.paint(series.fill, rgb)
                                          : std::string();
            for (std::size_t i = 0; i < series.values.size(); ++i) {
                const double raw = series.values[i];
                if (!std::isfinite(raw))
                    continue;
                const double v = shownValue(plot, totals, raw, i);
                const double base = stacked ? stack.push(i, v) : 0.0;
                const double offset =
                    stacked ? -thickness / 2
                            : -thickness * count / 2 + thickness * static_cast<double>(s);
                const double from = valuePixel(base), to = valuePixel(base + v);
                const double c = categoryPixel(i) + (horizontal_ ? -offset - thickness : offset);
                const std::uint32_t fill = vary ? pointColor(series, i, chart_.accents) : rgb;
                const double x = horizontal_ ? std::min(from, to) : c;
                const double y = horizontal_ ? c : std::min(from, to);
                const double w = horizontal_ ? std::abs(to - from) : thickness;
                const double h = horizontal_ ? thickness : std::abs(to - from);
                if (!paint.empty() &&
                    !(vary && i < series.pointColors.size() && !series.pointColors[i].automatic))
                    svg.rect(x, y, w, h, paint);
                else
                    svg.rect(x, y, w, h, fill);
                if (plot.showValues || plot.showCategory) {
                    const double middle = c + thickness / 2;
                    if (horizontal_)
                        dataLabel(svg, plot, series, i, raw,
                                  stacked ? (from + to) / 2 : to + (v < 0 ? -14 : 14),
                                  middle + labelSizePx * 0.35);
                    else
                        dataLabel(svg, plot, series, i, raw, middle,
                                  stacked ? (from + to) / 2 + labelSizePx * 0.35
                                          : to + (v < 0 ? labelSizePx + 2 : -4));
                }
            }
            svg.endGroup();
        }
    }

    void drawLines(SvgCanvas& svg, const ChartPlot& plot, std::size_t palette) const {
        const std::size_t points = pointCount(plot);
        const std::vector<double> totals = absoluteTotals(plot, points);
        const bool stacked = isStacked(plot) && plot.kind == ChartKind::Line;
        const bool scatter = plot.kind == ChartKind::Scatter;
        std::vector<double> running(points, 0.0);
        for (std::size_t s = 0; s < plot.series.size(); ++s) {
            const ChartSeries& series = plot.series[s];
            const std::uint32_t rgb = seriesColor(series, palette + s, chart_.accents);
            std::vector<std::pair<double, double>> placed(series.values.size());
            std::vector<bool> present(series.values.size(), false);
            svg.group("series");
            for (std::size_t i = 0; i < series.values.size(); ++i) {
                double v = series.values[i];
                if (!std::isfinite(v))
                    continue;
                v = shownValue(plot, totals, v, i);
                if (stacked) {
                    running[i] += v;
                    v = running[i];
                }
                if (scatter) {
                    const double x =
                        i < series.xValues.size() ? series.xValues[i] : static_cast<double>(i + 1);
                    if (!std::isfinite(x))
                        continue;
                    placed[i] = {xPixel(x), valuePixel(v)};
                } else {
                    placed[i] = at(i, v);
                }
                present[i] = true;
            }
            if (series.line) {
                // A point without a value leaves a gap, as the application shows blanks.
                svg.beginPath();
                bool open = false;
                for (std::size_t i = 0; i < placed.size(); ++i) {
                    if (!present[i]) {
                        open = false;
                        continue;
                    }
                    if (open)
                        svg.lineTo(placed[i].first, placed[i].second);
                    else
                        svg.moveTo(placed[i].first, placed[i].second);
                    open = true;
                }
                svg.endPath(0, false, rgb, 2.25);
            }
            if (series.markers) {
                // Every marker of a series in one path keeps large series small on the page.
                svg.beginPath();
                const std::size_t shape = (palette + s) % 3;
                for (std::size_t i = 0; i < placed.size(); ++i) {
                    if (!present[i])
                        continue;
                    const auto [x, y] = placed[i];
                    const double r = markerRadius;
                    if (shape == 0) { // diamond
                        svg.moveTo(x, y - r);
                        svg.lineTo(x + r, y);
                        svg.lineTo(x, y + r);
                        svg.lineTo(x - r, y);
                    } else if (shape == 1) { // square
                        svg.moveTo(x - r * 0.8, y - r * 0.8);
                        svg.lineTo(x + r * 0.8, y - r * 0.8);
                        svg.lineTo(x + r * 0.8, y + r * 0.8);
                        svg.lineTo(x - r * 0.8, y + r * 0.8);
                    } else { // triangle
                        svg.moveTo(x, y - r);
                        svg.lineTo(x + r, y + r * 0.8);
                        svg.lineTo(x - r, y + r * 0.8);
                    }
                    svg.close();
                }
                svg.endPath(rgb, true, rgb, 0);
            }
            if (plot.showValues || plot.showCategory)
                for (std::size_t i = 0; i < placed.size(); ++i)
                    if (present[i])
                        dataLabel(svg, plot, series, i, series.values[i], placed[i].first,
                                  placed[i].second - 7);
            svg.endGroup();
        }
    }

    void drawAreas(SvgCanvas& svg, const ChartPlot& plot, std::size_t palette) const {
        const std::size_t points = pointCount(plot);
        if (points == 0)
            return;
        const std::vector<double> totals = absoluteTotals(plot, points);
        const bool stacked = isStacked(plot);
        std::vector<double> below(points, 0.0);
        for (std::size_t s = 0; s < plot.series.size(); ++s) {
            const ChartSeries& series = plot.series[s];
            std::vector<double> above = below;
            for (std::size_t i = 0; i < points; ++i) {
                double v = valueAt(series, i);
                // Areas have no gaps: a point without a value lies on the baseline.
                v = std::isfinite(v) ? shownValue(plot, totals, v, i) : 0.0;
                above[i] = stacked ? below[i] + v : v;
            }
            svg.group("series");
            const std::string paint =
                svg.paint(series.fill, seriesColor(series, palette + s, chart_.accents));
            svg.beginPath();
            for (std::size_t i = 0; i < points; ++i) {
                const auto [x, y] = at(i, above[i]);
                if (i == 0)
                    svg.moveTo(x, y);
                else
                    svg.lineTo(x, y);
            }
            for (std::size_t i = points; i-- > 0;) {
                const auto [x, y] = at(i, stacked ? below[i] : zero());
                svg.lineTo(x, y);
            }
            svg.close();
            svg.endPath(paint);
            if (plot.showValues || plot.showCategory)
                for (std::size_t i = 0; i < points; ++i)
                    if (const double v = valueAt(series, i); std::isfinite(v)) {
                        const auto [x, y] = at(i, above[i]);
                        dataLabel(svg, plot, series, i, v, x, y - 4);
                    }
            svg.endGroup();
            if (stacked)
                below = std::move(above);
        }
    }

    const Chart& chart_;
    const std::vector<std::size_t>& plots_;
    Box area_, plot_;
    DateSystem dates_;
    bool horizontal_ = false, scatter_ = false, edges_ = false, percent_ = false;
    std::size_t categories_ = 0;
    std::vector<const std::vector<std::string>*> groups_; // outer category levels
    std::vector<double> groupOffsets_; // bars: each outer level's distance left of the plot
    AxisScale scale_, xScale_;
    numfmt::NumberFormat format_;
    numfmt::NumberFormat xFormat_ = numfmt::NumberFormat::parse("General");
    TextLook valueLook_, categoryLook_, leftTitleLook_, bottomTitleLook_;
    const ChartAxis* leftTitle_ = nullptr;
    const ChartAxis* bottomTitle_ = nullptr;
    mutable const ChartSeries* labelSeries_ = nullptr; // whose format labelFormat_ holds
    mutable numfmt::NumberFormat labelFormat_;
};

} // namespace

void drawCartesian(SvgCanvas& svg, const Chart& chart, const std::vector<std::size_t>& plots,
                   const std::vector<std::size_t>& firstPalette, Box area, DateSystem dates) {
    if (plots.empty())
        return;
    Axes axes(chart, plots, area, dates);
    axes.draw(svg, firstPalette);
}

} // namespace engine::chart
