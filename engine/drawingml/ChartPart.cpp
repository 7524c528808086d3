#include "engine/drawingml/ChartPart.h"

#include "engine/base/Limits.h"
#include "engine/drawingml/DrawingColor.h"
#include "engine/numfmt/NumberFormat.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/package/Colors.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"
#include "engine/util/Utf8.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace engine::drawingml {
namespace {

// Element names of the chart vocabulary (ECMA-376-1 §21.2, DrawingML - Charts) and of the
// DrawingML colours (§20.1.2.3).
struct KindName {
    std::string_view element;
    ChartKind kind;
    std::string_view name; // for the placeholder of kinds not drawn
};

constexpr KindName kinds[] = {
    {"barChart", ChartKind::Column, "bar"},
    {"bar3DChart", ChartKind::Column, "bar"},
    {"lineChart", ChartKind::Line, "line"},
    {"line3DChart", ChartKind::Line, "line"},
    {"areaChart", ChartKind::Area, "area"},
    {"area3DChart", ChartKind::Area, "area"},
    {"pieChart", ChartKind::Pie, "pie"},
    {"pie3DChart", ChartKind::Pie, "pie"},
    {"doughnutChart", ChartKind::Doughnut, "doughnut"},
    {"scatterChart", ChartKind::Scatter, "scatter"},
    {"ofPieChart", ChartKind::Unsupported, "Pie of pie"},
    {"radarChart", ChartKind::Unsupported, "Radar"},
    {"bubbleChart", ChartKind::Unsupported, "Bubble"},
    {"stockChart", ChartKind::Unsupported, "Stock"},
    {"surfaceChart", ChartKind::Unsupported, "Surface"},
    {"surface3DChart", ChartKind::Unsupported, "Surface"},
};

const KindName* plotKind(std::string_view local) {
    for (const KindName& kind : kinds)
        if (kind.element == local)
            return &kind;
    return nullptr;
}

// Where the colour being read goes.
enum class ColorTarget : std::uint8_t { None, SeriesFill, SeriesLine, Point };

// A colour element being read, with the transforms met inside it so far.
struct PendingColor {
    DrawingColor color;
    ColorTarget target = ColorTarget::None;
    std::function<void(std::uint32_t)> sink; // for colours outside series: where it goes
    std::size_t depth = 0;

    std::uint32_t finish() const { return color.rgb(); }
};

// Which list of a series' data is being read.
enum class DataTarget : std::uint8_t { None, Categories, Values };

bool isAxis(std::string_view local) {
    return local == "valAx" || local == "catAx" || local == "dateAx" || local == "serAx";
}

// An axis as read, before it is known whether it measures values or categories.
struct PendingAxis {
    std::string element;  // valAx, catAx ...
    std::string position; // axPos: b, l, t, r
    ChartAxis axis;
};

// Shape and text properties being read (spPr, rPr, defRPr) and what they describe.
struct Looks {
    std::size_t depth = 0;       // of the element that opened them
    ChartFill* fill = nullptr;   // an area's fill
    Color* line = nullptr;       // a line's colour (gridlines)
    ChartLine* border = nullptr; // an area's outline
    ChartFont* font = nullptr;   // a text's font
    bool gradientOnly = false;   // a series: its solid fills are read with its colour
};

// "1800" hundredths of a point as points, bounded to sizes a chart shows.
std::optional<double> fontSize(std::string_view text) {
    const auto value = package::parseNumber(text);
    if (!value || !std::isfinite(*value) || *value < 100 || *value > 40000)
        return std::nullopt;
    return *value / 100;
}

class ChartHandler : public xml::Handler {
public:
    ChartHandler(const package::Colors& colors, DateSystem dates)
        : colors_(colors), dates_(dates) {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        path_.emplace_back(local);
        // Taken after the push: a view taken before it would dangle once the list grows.
        const std::string_view parent =
            path_.size() < 2 ? std::string_view() : std::string_view(path_[path_.size() - 2]);
        if (skip_.start(ns, local))
            return;
        text_.clear();
        if (looks_ && startLooks(local, parent, attributes))
            return;
        if (local == "spPr" || local == "defRPr" || local == "rPr")
            if (openLooks(local, parent) && startLooks(local, parent, attributes))
                return;
        if (axis_ && path_.size() > axis_) {
            startAxisChild(local, parent, attributes);
            return;
        }
        if (local == "title" && parent == "chart") {
            titleSeen_ = true;
            inTitle_ = true;
            titleDepth_ = path_.size();
        } else if (local == "autoTitleDeleted" && parent == "chart") {
            autoTitleDeleted_ = package::parseBool(attributes.value("val"), true);
        } else if (local == "legend" && parent == "chart") {
            chart_.legend = LegendPosition::Right;
        } else if (local == "legendPos" && parent == "legend") {
            const std::string_view position = attributes.value("val", "r");
            chart_.legend = position == "l"   ? LegendPosition::Left
                            : position == "t" ? LegendPosition::Top
                            : position == "b" ? LegendPosition::Bottom
                                              : LegendPosition::Right;
        } else if (parent == "plotArea" && isAxis(local) && !plot_ && axes_.size() < 16) {
            axes_.push_back({std::string(local), {}, {}});
            axis_ = path_.size();
        } else if (parent == "plotArea" && !plot_ && !series_) {
            // Plots do not nest: one inside another (only in broken parts) is ignored.
            startPlotAreaChild(local);
        } else if (plot_ && plot_ == path_.size() - 1) {
            startPlotChild(local, attributes);
        } else if (series_ && series_ == path_.size() - 1) {
            startSeriesChild(local, attributes);
        } else if (series_ || plot_) {
            startInside(local, parent, attributes);
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (skip_.end()) {
            path_.pop_back();
            return;
        }
        if (color_ && color_->depth == path_.size()) {
            commitColor();
            color_.reset();
        }
        if (looks_ && looks_->depth == path_.size())
            looks_.reset();
        if (axis_ && path_.size() >= axis_) {
            endAxisChild(local);
            if (path_.size() == axis_)
                axis_ = 0;
        }
        if (inTitle_) {
            if (local == "t" || (local == "v" && inPath("tx")))
                appendLimited(title_, text_);
            else if (local == "p" && !title_.empty())
                pendingTitleBreak_ = true;
            if (path_.size() == titleDepth_)
                inTitle_ = false;
        }
        if (series_ && path_.size() > series_)
            endInsideSeries(local);
        if (series_ == path_.size()) {
            finishSeries();
            series_ = 0;
        }
        if (plot_ == path_.size())
            plot_ = 0;
        path_.pop_back();
        text_.clear();
    }

    void characters(std::string_view text) override {
        if (!skip_.skipping())
            util::appendUtf8Bounded(text_, text, limits::maxChartTextBytes);
    }

    Chart finish() {
        placeAxes();
        for (std::size_t i = 0; i < chart_.accents.size(); ++i)
            chart_.accents[i] = colors_.themeColor(4 + i);
        std::size_t seriesCount = 0;
        const ChartSeries* only = nullptr;
        for (const ChartPlot& plot : chart_.plots) {
            seriesCount += plot.series.size();
            if (!plot.series.empty())
                only = &plot.series.front();
        }
        // A title without text of its own is the automatic one: the name of a chart's only
        // series, else the application's "Chart Title". Without a title element, a chart of
        // one named series still shows that name unless the title was deleted.
        if (titleSeen_ && title_.empty())
            title_ = seriesCount == 1 && !only->name.empty() ? only->name : "Chart Title";
        else if (!titleSeen_ && !autoTitleDeleted_ && seriesCount == 1 && !only->name.empty())
            title_ = only->name;
        chart_.title = std::move(title_);
        return std::move(chart_);
    }

private:
    bool inPath(std::string_view local) const {
        return std::find(path_.begin(), path_.end(), local) != path_.end();
    }

    void appendLimited(std::string& out, std::string_view text) {
        if (pendingTitleBreak_ && !text.empty()) {
            out += ' ';
            pendingTitleBreak_ = false;
        }
        util::appendUtf8Bounded(out, text, limits::maxChartTextBytes);
    }

    static double explosion(const xml::Attributes& attributes) {
        // A percentage of the radius; the application offers up to 400 %.
        return static_cast<double>(
                   package::parseUnsigned(attributes.value("val"), 400).value_or(0)) /
               100;
    }

    // The element `back` places above the current one (1 = the parent).
    std::string_view ancestor(std::size_t back) const {
        return path_.size() > back ? std::string_view(path_[path_.size() - 1 - back])
                                   : std::string_view();
    }

    // The nearest open `name` element's parent, empty when none is open.
    std::string_view parentOfOpen(std::string_view name) const {
        for (std::size_t i = path_.size(); i-- > 1;)
            if (path_[i] == name)
                return path_[i - 1];
        return {};
    }

    ChartAxis* openAxis() { return axis_ && !axes_.empty() ? &axes_.back().axis : nullptr; }

    // Opens the looks an spPr, rPr or defRPr element describes, if the page draws them.
    bool openLooks(std::string_view local, std::string_view parent) {
        Looks looks;
        looks.depth = path_.size();
        if (local == "spPr") {
            if (parent == "chartSpace")
                looks.fill = &chart_.chartFill;
            else if (parent == "plotArea") {
                looks.fill = &chart_.plotFill;
                looks.border = &chart_.plotBorder;
            } else if (parent == "legend" && !series_) {
                looks.fill = &chart_.legendFill;
                looks.border = &chart_.legendBorder;
            } else if (parent == "majorGridlines" && openAxis())
                looks.line = &openAxis()->gridColor;
            else if (parent == "ser" && series_ == path_.size() - 1) {
                looks.fill = &chart_.plots.back().series.back().fill;
                looks.gradientOnly = true;
            }
        } else if (parentOfOpen("txPr") == "dLbls" && !chart_.plots.empty()) {
            // Data labels of a series or of the whole plot: one look for the plot's labels.
            looks.font = &chart_.plots.back().labelFont;
        } else if (!series_) {
            // Fonts of titles, axis labels and the legend.
            const std::string_view titleOf = parentOfOpen("title");
            const std::string_view textOf = parentOfOpen("txPr");
            if (titleOf == "chart")
                looks.font = &chart_.titleFont;
            else if (isAxis(titleOf) && openAxis())
                looks.font = &openAxis()->titleFont;
            else if (isAxis(textOf) && openAxis())
                looks.font = &openAxis()->labelFont;
            else if (textOf == "legend")
                looks.font = &chart_.legendFont;
        }
        if (!looks.fill && !looks.line && !looks.font && !looks.border)
            return false;
        looks_ = looks;
        return true;
    }

    // An element inside open looks; false when the series' own reading should see it.
    bool startLooks(std::string_view local, std::string_view parent,
                    const xml::Attributes& attributes) {
        Looks& looks = *looks_;
        const std::size_t depth = path_.size() - looks.depth; // 0 = the opening element
        if (looks.gradientOnly && local != "gradFill" && parentOfOpen("gradFill").empty())
            return false;
        if (looks.font && (local == "defRPr" || local == "rPr")) {
            if (const auto size = fontSize(attributes.value("sz")))
                looks.font->sizePt = *size;
            if (attributes.get("b"))
                looks.font->bold = package::parseBool(attributes.value("b"), false);
            if (attributes.get("i"))
                looks.font->italic = package::parseBool(attributes.value("i"), false);
        } else if (looks.font && local == "latin" && depth == 1) {
            const std::string_view face = attributes.value("typeface");
            if (!face.empty() && face.front() != '+' && face.size() < 64)
                looks.font->family = face;
        } else if (depth == 1 && looks.fill &&
                   (local == "noFill" || local == "solidFill" || local == "gradFill")) {
            looks.fill->kind = local == "noFill"      ? ChartFill::Kind::None
                               : local == "solidFill" ? ChartFill::Kind::Solid
                                                      : ChartFill::Kind::Gradient;
            looks.fill->stops.clear();
        } else if (local == "gs" && parent == "gsLst" && looks.fill &&
                   looks.fill->stops.size() < 16) {
            const auto position = package::parseNumber(attributes.value("pos"));
            looks.fill->stops.push_back({position && std::isfinite(*position)
                                             ? std::clamp(*position / 100000, 0.0, 1.0)
                                             : 0.0,
                                         0});
        } else if (local == "lin" && parent == "gradFill" && looks.fill) {
            const auto angle = package::parseNumber(attributes.value("ang"));
            if (angle && std::isfinite(*angle))
                looks.fill->angle = std::fmod(*angle / 60000, 360);
        } else if (looks.border && local == "ln" && depth == 1) {
            // Widths in EMU, 12700 to the point.
            if (const auto width = package::parseNumber(attributes.value("w")); width && *width > 0)
                looks.border->widthPt = std::min(*width / 12700, 20.0);
        } else if (looks.border && parent == "ln" && depth == 2 &&
                   (local == "noFill" || local == "solidFill")) {
            looks.border->kind = local == "noFill" ? ChartLine::Kind::None : ChartLine::Kind::Solid;
        } else if (parent == "solidFill" || parent == "gs") {
            startLooksColor(local, parent, attributes);
        } else if (color_ && color_->depth == path_.size() - 1) {
            modifyColor(local, attributes);
        }
        return true;
    }

    void startLooksColor(std::string_view local, std::string_view parent,
                         const xml::Attributes& attributes) {
        Looks& looks = *looks_;
        std::function<void(std::uint32_t)> sink;
        const bool inLine = ancestor(2) == "ln";
        if (looks.font && ancestor(2) != "ln") {
            ChartFont* font = looks.font;
            sink = [font](std::uint32_t rgb) { font->color = Color::fromRgb(rgb); };
        } else if (looks.line && inLine) {
            Color* line = looks.line;
            sink = [line](std::uint32_t rgb) { *line = Color::fromRgb(rgb); };
        } else if (looks.border && inLine && path_.size() - looks.depth == 3) {
            ChartLine* border = looks.border;
            sink = [border](std::uint32_t rgb) { border->rgb = rgb; };
        } else if (looks.fill && parent == "gs" && !looks.fill->stops.empty()) {
            ChartFill* fill = looks.fill;
            sink = [fill](std::uint32_t rgb) { fill->stops.back().rgb = rgb; };
        } else if (looks.fill && !inLine && path_.size() - looks.depth == 2) {
            ChartFill* fill = looks.fill;
            sink = [fill](std::uint32_t rgb) { fill->rgb = rgb; };
        } else {
            return;
        }
        const ColorTarget saved = colorTarget_;
        colorTarget_ = ColorTarget::None;
        startColor(local, attributes);
        colorTarget_ = saved;
        if (color_ && color_->depth == path_.size())
            color_->sink = std::move(sink);
    }

    void startAxisChild(std::string_view local, std::string_view parent,
                        const xml::Attributes& attributes) {
        PendingAxis& pending = axes_.back();
        ChartAxis& axis = pending.axis;
        const std::string_view value = attributes.value("val");
        const auto number = [&]() -> std::optional<double> {
            const auto parsed = package::parseNumber(value);
            return parsed && std::isfinite(*parsed) ? parsed : std::nullopt;
        };
        if (path_.size() == axis_ + 1) {
            if (local == "delete")
                axis.deleted = package::parseBool(value, true);
            else if (local == "axPos")
                pending.position = value;
            else if (local == "majorUnit")
                axis.majorUnit = number();
            else if (local == "majorGridlines")
                axis.gridlines = true;
            else if (local == "numFmt" &&
                     !package::parseBool(attributes.value("sourceLinked"), false))
                axis.format =
                    util::utf8Prefix(attributes.value("formatCode"), limits::maxFormatCodeBytes);
            else if (local == "title")
                axisTitle_ = true;
        } else if (parent == "scaling" && (local == "min" || local == "max")) {
            (local == "min" ? axis.min : axis.max) = number();
        }
    }

    void endAxisChild(std::string_view local) {
        if (!axisTitle_)
            return;
        ChartAxis& axis = axes_.back().axis;
        if (local == "t" && axis.title.size() < limits::maxChartTextBytes) {
            if (axisTitleBreak_ && !axis.title.empty() && !text_.empty())
                axis.title += ' ';
            axisTitleBreak_ = false;
            axis.title += text_;
        } else if (local == "p") {
            axisTitleBreak_ = true;
        } else if (local == "title" && path_.size() == axis_ + 1) {
            axisTitle_ = false;
            axisTitleBreak_ = false;
        }
    }

    // Which axis measures values and which categories (or x values, in scatter plots).
    void placeAxes() {
        const bool scatter =
            !chart_.plots.empty() && chart_.plots.front().kind == ChartKind::Scatter;
        bool valueSet = false, categorySet = false;
        for (PendingAxis& pending : axes_) {
            const bool across = pending.position == "b" || pending.position == "t";
            const bool isValue =
                scatter ? pending.element == "valAx" && !across : pending.element == "valAx";
            if (isValue && !valueSet) {
                chart_.valueAxis = std::move(pending.axis);
                valueSet = true;
            } else if (!isValue && !categorySet && pending.element != "serAx") {
                chart_.categoryAxis = std::move(pending.axis);
                categorySet = true;
            }
        }
        if (!valueSet)
            chart_.valueAxis.gridlines = false;
    }

    void startPlotAreaChild(std::string_view local) {
        const KindName* kind = plotKind(local);
        if (!kind || chart_.plots.size() >= limits::maxChartPlots)
            return;
        ChartPlot& plot = chart_.plots.emplace_back();
        plot.kind = kind->kind;
        plot.unsupportedName = kind->kind == ChartKind::Unsupported ? kind->name : "";
        plot.grouping =
            kind->kind == ChartKind::Column ? ChartGrouping::Clustered : ChartGrouping::Standard;
        plot.varyColors = kind->kind == ChartKind::Pie || kind->kind == ChartKind::Doughnut;
        scatterLines_ = true;
        plot_ = path_.size();
    }

    void startPlotChild(std::string_view local, const xml::Attributes& attributes) {
        ChartPlot& plot = chart_.plots.back();
        const std::string_view value = attributes.value("val");
        if (local == "barDir") {
            if (plot.kind == ChartKind::Column && value == "bar")
                plot.kind = ChartKind::Bar;
        } else if (local == "grouping") {
            plot.grouping = value == "stacked"          ? ChartGrouping::Stacked
                            : value == "percentStacked" ? ChartGrouping::PercentStacked
                            : value == "clustered"      ? ChartGrouping::Clustered
                                                        : ChartGrouping::Standard;
        } else if (local == "varyColors") {
            plot.varyColors = package::parseBool(value, true);
        } else if (local == "holeSize") {
            plot.holePercent = static_cast<int>(package::parseUnsigned(value, 90).value_or(50));
        } else if (local == "scatterStyle") {
            scatterLines_ = value != "marker" && value != "none";
        } else if (local == "ser" && !series_ && plot.series.size() < limits::maxChartSeries) {
            ChartSeries& series = plot.series.emplace_back();
            series.line = plot.kind != ChartKind::Scatter || scatterLines_;
            series.markers = true;
            series_ = path_.size();
        }
    }

    void startSeriesChild(std::string_view local, const xml::Attributes& attributes) {
        if (local == "explosion") {
            chart_.plots.back().series.back().seriesExplosion = explosion(attributes);
            return;
        }
        if (local == "cat" || local == "xVal") {
            data_ = DataTarget::Categories;
            numericCategories_ = false;
            categoryNumbers_.clear();
        } else if (local == "val" || local == "yVal") {
            data_ = DataTarget::Values;
        } else if (local == "tx") {
            inSeriesName_ = true;
        }
        pointCount_ = 0;
        pointsRead_ = 0;
        formatCode_.clear();
        levels_ = 0;
    }

    // Elements deeper inside a plot or series.
    void startInside(std::string_view local, std::string_view parent,
                     const xml::Attributes& attributes) {
        ChartPlot& plot = chart_.plots.back();
        if (parent == "dLbls") {
            const bool on = package::parseBool(attributes.value("val"), true);
            if (local == "showVal")
                plot.showValues = plot.showValues || on;
            else if (local == "showPercent")
                plot.showPercent = plot.showPercent || on;
            else if (local == "showCatName")
                plot.showCategory = plot.showCategory || on;
            return;
        }
        if (!series_)
            return;
        ChartSeries& series = plot.series.back();
        const std::size_t depth = path_.size() - series_; // 1 = child of <ser>
        if (local == "symbol" && parent == "marker" && depth == 2) {
            if (attributes.value("val") == "none")
                series.markers = false;
        } else if (local == "idx" && parent == "dPt") {
            point_ =
                package::parseUnsigned(attributes.value("val"), limits::maxChartSeriesPoints - 1);
        } else if (local == "explosion" && parent == "dPt") {
            if (point_ && *point_ < limits::maxChartSeriesPoints) {
                if (series.explosion.size() <= *point_)
                    series.explosion.resize(*point_ + 1, 0.0);
                series.explosion[*point_] = explosion(attributes);
            }
        } else if (local == "noFill" && parent == "ln" && depth == 3 && inPath("spPr") &&
                   path_[series_] == "spPr") {
            series.line = false;
        } else if (local == "solidFill") {
            // Only the series' own fill and line and its points' fills colour it; markers,
            // labels and trend lines have fills of their own.
            colorTarget_ = ColorTarget::None;
            if (parent == "spPr" && depth == 2 && path_[series_] == "spPr")
                colorTarget_ = ColorTarget::SeriesFill;
            else if (parent == "spPr" && depth == 3 && path_[series_] == "dPt")
                colorTarget_ = ColorTarget::Point;
            else if (parent == "ln" && depth == 3 && path_[series_] == "spPr")
                colorTarget_ = ColorTarget::SeriesLine;
        } else if (parent == "solidFill") {
            startColor(local, attributes);
        } else if (color_ && color_->depth == path_.size() - 1) {
            modifyColor(local, attributes);
        } else if (data_ != DataTarget::None) {
            startData(local, attributes);
        }
    }

    void startColor(std::string_view local, const xml::Attributes& attributes) {
        if (auto color = DrawingColor::start(local, attributes, colors_))
            color_ = PendingColor{*color, colorTarget_, {}, path_.size()};
    }

    void modifyColor(std::string_view local, const xml::Attributes& attributes) {
        color_->color.transform(local, attributes);
    }

    void commitColor() {
        if (color_->sink) {
            color_->sink(color_->finish());
            return;
        }
        if (!series_ || chart_.plots.empty() || chart_.plots.back().series.empty())
            return;
        ChartSeries& series = chart_.plots.back().series.back();
        const Color color = Color::fromRgb(color_->finish());
        switch (color_->target) {
        case ColorTarget::SeriesFill:
            series.color = color;
            break;
        case ColorTarget::SeriesLine:
            // Lines and markers are drawn in the line's colour; a filled series keeps its fill.
            if (chart_.plots.back().kind == ChartKind::Line ||
                chart_.plots.back().kind == ChartKind::Scatter || series.color.automatic)
                series.color = color;
            break;
        case ColorTarget::Point:
            if (point_ && *point_ < limits::maxChartSeriesPoints) {
                if (series.pointColors.size() <= *point_)
                    series.pointColors.resize(*point_ + 1);
                series.pointColors[*point_] = color;
            }
            break;
        case ColorTarget::None:
            break;
        }
    }

    void startData(std::string_view local, const xml::Attributes& attributes) {
        if (local == "numCache" || local == "numLit") {
            if (data_ == DataTarget::Categories)
                numericCategories_ = true;
        } else if (local == "lvl") {
            ++levels_;
        } else if (local == "ptCount") {
            pointCount_ =
                package::parseUnsigned(attributes.value("val"), limits::maxChartSeriesPoints)
                    .value_or(limits::maxChartSeriesPoints);
        } else if (local == "pt") {
            point_ =
                package::parseUnsigned(attributes.value("idx"), limits::maxChartSeriesPoints - 1);
            if (point_ && pointCount_ > 0 && *point_ >= pointCount_)
                point_.reset();
        }
    }

    void endInsideSeries(std::string_view local) {
        ChartSeries& series = chart_.plots.back().series.back();
        const std::size_t depth = path_.size() - series_;
        if (depth == 1) {
            if (local == "cat" || local == "xVal")
                finishCategories(series);
            data_ = DataTarget::None;
            inSeriesName_ = false;
            return;
        }
        if (inSeriesName_) {
            if (local == "v" && series.name.size() < limits::maxChartTextBytes)
                series.name += text_;
            else if (local == "f" && series.source.name.empty())
                series.source.name = text_;
            return;
        }
        if (local == "formatCode" && formatCode_.empty())
            formatCode_ = text_;
        // The cells behind the list, for files that cache none of its values.
        if (local == "f" && depth == 3) {
            std::string& reference =
                data_ == DataTarget::Values ? series.source.values : series.source.categories;
            if (data_ != DataTarget::None && reference.empty())
                reference = text_;
        }
        if (local != "v" || !point_)
            return;
        const std::size_t index = static_cast<std::size_t>(*point_);
        if (levels_ > 1) {
            outerCategory(series, index);
            return;
        }
        // An index far past the points actually given would make a small part hold a huge
        // list: a list grows to at most a few times the points it has.
        if (index >= pointsRead_ * 4 + 256) {
            point_.reset();
            return;
        }
        ++pointsRead_;
        if (data_ == DataTarget::Values) {
            const double parsed =
                package::parseNumber(text_).value_or(std::numeric_limits<double>::quiet_NaN());
            // A value that is not a finite number is a point without one.
            const double value =
                std::isfinite(parsed) ? parsed : std::numeric_limits<double>::quiet_NaN();
            if (series.values.size() <= index)
                series.values.resize(index + 1, std::numeric_limits<double>::quiet_NaN());
            series.values[index] = value;
            if (series.formatCode.empty() && !formatCode_.empty())
                series.formatCode = formatCode_;
        } else if (data_ == DataTarget::Categories) {
            if (series.categories.size() <= index)
                series.categories.resize(index + 1);
            series.categories[index] = text_;
            if (categoryNumbers_.size() <= index)
                categoryNumbers_.resize(index + 1, std::numeric_limits<double>::quiet_NaN());
            categoryNumbers_[index] =
                package::parseNumber(text_).value_or(std::numeric_limits<double>::quiet_NaN());
        }
        point_.reset();
    }

    // A group name of an outer level of multi-level categories, kept where the innermost
    // level has a point for it.
    void outerCategory(ChartSeries& series, std::size_t index) {
        const std::size_t level = levels_ - 2;
        if (data_ == DataTarget::Categories && level < limits::maxChartCategoryLevels &&
            index < series.categories.size()) {
            if (series.categoryGroups.size() <= level)
                series.categoryGroups.resize(level + 1);
            auto& names = series.categoryGroups[level];
            if (names.size() <= index)
                names.resize(index + 1);
            names[index] = text_;
        }
        point_.reset();
    }

    void finishCategories(ChartSeries& series) {
        if (chart_.plots.back().kind == ChartKind::Scatter) {
            // Text x values are shown by the application as 1, 2, 3 ...
            if (numericCategories_)
                series.xValues = categoryNumbers_;
            series.categories.clear();
            return;
        }
        if (!numericCategories_ || formatCode_.empty() || formatCode_ == "General")
            return;
        const numfmt::NumberFormat format = numfmt::NumberFormat::parse(formatCode_);
        for (std::size_t i = 0; i < series.categories.size() && i < categoryNumbers_.size(); ++i) {
            if (!std::isfinite(categoryNumbers_[i]))
                continue;
            numfmt::Shown shown;
            format.formatNumber(categoryNumbers_[i], dates_, shown);
            series.categories[i] = std::move(shown.text);
        }
    }

    void finishSeries() {
        ChartSeries& series = chart_.plots.back().series.back();
        // Points are as many as the longest of the series' lists.
        const std::size_t points = std::max(series.values.size(), series.categories.size());
        series.values.resize(points, std::numeric_limits<double>::quiet_NaN());
        if (series.pointColors.size() > points)
            series.pointColors.resize(points);
        if (series.name.size() > limits::maxChartTextBytes)
            series.name.resize(limits::maxChartTextBytes);
        // Legends and lines show a gradient's first colour.
        if (series.color.automatic && series.fill.kind == ChartFill::Kind::Gradient &&
            !series.fill.stops.empty())
            series.color = Color::fromRgb(series.fill.stops.front().rgb);
    }

    const package::Colors& colors_;
    DateSystem dates_;
    Chart chart_;
    std::vector<std::string> path_;
    package::FallbackSkip skip_;
    std::string text_;
    std::string title_;
    bool titleSeen_ = false, inTitle_ = false, autoTitleDeleted_ = false;
    bool pendingTitleBreak_ = false;
    std::size_t titleDepth_ = 0;
    std::vector<PendingAxis> axes_;
    std::size_t axis_ = 0; // depth of the open axis element, 0 when none
    bool axisTitle_ = false, axisTitleBreak_ = false;
    std::optional<Looks> looks_;
    std::size_t plot_ = 0;   // depth of the open plot element, 0 when none
    std::size_t series_ = 0; // depth of the open <ser>, 0 when none
    bool scatterLines_ = true;
    DataTarget data_ = DataTarget::None;
    bool inSeriesName_ = false;
    bool numericCategories_ = false;
    std::vector<double> categoryNumbers_;
    std::uint64_t pointCount_ = 0;
    std::size_t pointsRead_ = 0; // of the list being read
    std::optional<std::uint64_t> point_;
    std::string formatCode_;
    std::size_t levels_ = 0;
    ColorTarget colorTarget_ = ColorTarget::None;
    std::optional<PendingColor> color_;
};

} // namespace

Chart readChartPart(const zip::ZipArchive& archive, const std::string& part,
                    const package::Colors& colors, DateSystem dates) {
    ChartHandler handler(colors, dates);
    package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
    return handler.finish();
}

Chart parseChartXml(std::string_view xml, const std::string& partName,
                    const package::Colors& colors, DateSystem dates) {
    ChartHandler handler(colors, dates);
    xml::parse(xml, handler, partName);
    return handler.finish();
}

} // namespace engine::drawingml
