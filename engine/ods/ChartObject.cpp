#include "engine/ods/ChartObject.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/formula/Parser.h"
#include "engine/ods/CellAddress.h"
#include "engine/ods/Names.h"
#include "engine/ods/Values.h"
#include "engine/package/PartReader.h"
#include "engine/xml/XmlParser.h"
#include "engine/zip/ZipArchive.h"

#include <cmath>
#include <map>
#include <vector>

namespace engine::ods {
namespace {

constexpr std::string_view localTable = "local-table";

struct ChartStyle {
    std::optional<bool> vertical, stacked, percentage;
    std::optional<bool> lines; // scatter: points joined
    std::string symbolType;    // "none": no markers
    std::optional<double> pieOffset, minimum, maximum, intervalMajor;
    std::optional<std::uint32_t> fill, stroke;
    bool noFill = false;
};

std::optional<bool> flag(const xml::Attributes& attributes, std::string_view name) {
    const char* value = attributes.get(name);
    if (!value)
        return std::nullopt;
    return std::string_view(value) == "true";
}

// "chart:bar" → "bar": the class is a QName of the chart namespace.
std::string_view className(std::string_view text) {
    const std::size_t colon = text.find(':');
    return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

ChartKind kindOf(std::string_view name) {
    if (name == "bar")
        return ChartKind::Column;
    if (name == "line")
        return ChartKind::Line;
    if (name == "area")
        return ChartKind::Area;
    if (name == "circle")
        return ChartKind::Pie;
    if (name == "ring")
        return ChartKind::Doughnut;
    if (name == "scatter")
        return ChartKind::Scatter;
    return ChartKind::Unsupported;
}

LegendPosition legendAt(std::string_view position) {
    if (position == "start")
        return LegendPosition::Left;
    // "top-start", "bottom-end" ...: the corners are drawn on their side.
    if (position.starts_with("top"))
        return LegendPosition::Top;
    if (position.starts_with("bottom"))
        return LegendPosition::Bottom;
    return LegendPosition::Right;
}

struct LocalCell {
    std::optional<double> number;
    std::string text;
};

// The chart's own table: the values the chart plots when it names no sheet's cells.
class LocalTable {
public:
    void startRow() {
        rowOpen_ = rows_.size() < limits::maxChartTableRows;
        if (rowOpen_)
            rows_.emplace_back();
    }
    void startCell(const xml::Attributes& attributes) {
        if (!rowOpen_ || cells_ >= limits::maxChartTableCells)
            return;
        const std::uint64_t repeat =
            parseCount(attributes.value("number-columns-repeated"), 1024).value_or(1);
        LocalCell cell;
        if (attributes.value("value-type") == "float" ||
            attributes.value("value-type") == "percentage")
            cell.number = parseNumber(attributes.value("value"));
        for (std::uint64_t i = 0; i < repeat && cells_ < limits::maxChartTableCells; ++i, ++cells_)
            rows_.back().push_back(cell);
        inCell_ = true;
    }
    void endCell() { inCell_ = false; }
    void text(std::string_view text) {
        if (inCell_ && !rows_.empty() && !rows_.back().empty() &&
            rows_.back().back().text.size() + text.size() <= limits::maxChartTextBytes)
            rows_.back().back().text.append(text);
    }

    // The cells of a range in reading order, no more than `budget` of them (which is
    // lowered by as many); false when it is not one of this table.
    bool cells(std::string_view address, std::vector<const LocalCell*>& out,
               std::size_t& budget) const {
        if (address.find(' ') != std::string_view::npos)
            return false;
        const std::size_t colon = address.find(':');
        const auto first = addressedCell(address.substr(0, colon));
        const auto last =
            colon == std::string_view::npos ? first : addressedCell(address.substr(colon + 1));
        if (!first || !last || last->first < first->first || last->second < first->second)
            return false;
        static const LocalCell empty;
        for (std::uint64_t r = first->first; r <= last->first; ++r)
            for (std::uint64_t c = first->second; c <= last->second; ++c) {
                if (budget == 0)
                    return true;
                --budget;
                const LocalCell* cell = &empty;
                if (r < rows_.size() && c < rows_[r].size())
                    cell = &rows_[r][c];
                out.push_back(cell);
            }
        return true;
    }

private:
    std::vector<std::vector<LocalCell>> rows_;
    std::size_t cells_ = 0;
    bool rowOpen_ = false, inCell_ = false;
};

bool isLocal(std::string_view address) {
    return address.starts_with(localTable) || address.starts_with("'local-table'");
}

struct PendingSeries {
    std::string kind; // the series' own class, or the chart's
    std::string style;
    std::string values, label, domain;
    std::vector<std::string> pointStyles; // per point, empty where it has none
};

class ChartHandler : public xml::Handler {
public:
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        ++depth_;
        if (ns == names::style) {
            startStyle(local, attributes);
            return;
        }
        if (inLocal_ > 0) {
            startLocal(ns, local, attributes);
            return;
        }
        if (ns == names::text && (local == "p" || local == "h") && title_) {
            if (!title_->empty() && title_->size() < limits::maxChartTextBytes)
                *title_ += '\n';
            return;
        }
        if (ns == names::table && local == "table" && inChart_) {
            inLocal_ = depth_;
            return;
        }
        if (ns != names::chart)
            return;
        if (local == "chart") {
            inChart_ = sawChart_ = true;
            kind_ = std::string(className(attributes.value("class")));
            chartStyle_ = attributes.value("style-name");
        } else if (!inChart_) {
            return;
        } else if (local == "title" || local == "subtitle") {
            if (local == "subtitle")
                title_ = &ignored_;
            else if (axis_)
                title_ = &axis_->title;
            else
                title_ = &chart_.title;
            titleDepth_ = depth_;
        } else if (local == "legend") {
            chart_.legend = legendAt(attributes.value("legend-position", "end"));
        } else if (local == "plot-area") {
            plotStyle_ = attributes.value("style-name");
        } else if (local == "axis") {
            startAxis(attributes);
        } else if (local == "categories" && axis_ == &chart_.categoryAxis) {
            categories_ = attributes.value("cell-range-address");
        } else if (local == "grid" && axis_) {
            if (attributes.value("class", "major") == "major")
                axis_->gridlines = true;
        } else if (local == "series") {
            startSeries(attributes);
        } else if (local == "domain" && inSeries_ && series_.back().domain.empty()) {
            series_.back().domain = attributes.value("cell-range-address");
        } else if (local == "data-point" && inSeries_) {
            const std::uint64_t repeat =
                parseCount(attributes.value("repeated"), limits::maxStyledChartPoints).value_or(1);
            auto& styles = series_.back().pointStyles;
            const std::string_view style = attributes.value("style-name");
            for (std::uint64_t i = 0; i < repeat && points_ < limits::maxStyledChartPoints;
                 ++i, ++points_)
                styles.emplace_back(style);
        }
    }

    void endElement(std::string_view ns, std::string_view local) override {
        const std::size_t closing = depth_--;
        if (closing == styleDepth_)
            styleDepth_ = 0;
        if (inLocal_ > 0) {
            if (closing == inLocal_)
                inLocal_ = 0;
            else if (ns == names::table && local == "table-cell")
                table_.endCell();
            return;
        }
        if (closing == titleDepth_) {
            title_ = nullptr;
            titleDepth_ = 0;
        }
        if (ns != names::chart)
            return;
        if (local == "axis")
            axis_ = nullptr;
        else if (local == "series")
            inSeries_ = false;
        else if (local == "chart")
            inChart_ = false;
    }

    void characters(std::string_view text) override {
        if (inLocal_ > 0)
            table_.text(text);
        else if (title_ && title_->size() + text.size() <= limits::maxChartTextBytes)
            title_->append(text);
    }

    std::optional<Chart> finish() {
        if (!sawChart_)
            return std::nullopt;
        buildPlots();
        return std::move(chart_);
    }

private:
    const ChartStyle* style(const std::string& name) const {
        const auto found = styles_.find(name);
        return found == styles_.end() ? nullptr : &found->second;
    }

    void startStyle(std::string_view local, const xml::Attributes& attributes) {
        if (local == "style") {
            styleDepth_ = depth_;
            current_ = nullptr;
            if (styles_.size() < limits::maxStylesPerDocument)
                current_ = &styles_[std::string(attributes.value("name"))];
            return;
        }
        if (styleDepth_ == 0 || !current_)
            return;
        ChartStyle& style = *current_;
        if (local == "chart-properties") {
            if (auto v = flag(attributes, "vertical"))
                style.vertical = v;
            if (auto v = flag(attributes, "stacked"))
                style.stacked = v;
            if (auto v = flag(attributes, "percentage"))
                style.percentage = v;
            if (auto v = flag(attributes, "lines"))
                style.lines = v;
            if (const char* symbol = attributes.get("symbol-type"))
                style.symbolType = symbol;
            if (const char* offset = attributes.get("pie-offset"))
                style.pieOffset = parseNumber(offset);
            const auto number = [&](std::string_view name) -> std::optional<double> {
                const auto value = parseNumber(attributes.value(name));
                return value && std::isfinite(*value) ? value : std::nullopt;
            };
            style.minimum = number("minimum");
            style.maximum = number("maximum");
            style.intervalMajor = number("interval-major");
        } else if (local == "graphic-properties") {
            if (attributes.value("fill") == "none")
                style.noFill = true;
            if (auto rgb = parseColor(attributes.value("fill-color")))
                style.fill = rgb;
            if (auto rgb = parseColor(attributes.value("stroke-color")))
                style.stroke = rgb;
        }
    }

    void startLocal(std::string_view ns, std::string_view local,
                    const xml::Attributes& attributes) {
        if (ns != names::table)
            return;
        if (local == "table-row")
            table_.startRow();
        else if (local == "table-cell")
            table_.startCell(attributes);
    }

    void startAxis(const xml::Attributes& attributes) {
        const std::string_view dimension = attributes.value("dimension");
        // Secondary axes are drawn on the primary ones.
        const std::string_view name = attributes.value("name");
        if (name.starts_with("secondary")) {
            axis_ = nullptr;
            return;
        }
        axis_ = dimension == "x" ? &chart_.categoryAxis : &chart_.valueAxis;
        if (dimension == "z")
            axis_ = nullptr;
        if (dimension == "y")
            chart_.valueAxis.gridlines = false; // the file says where it has grid lines
        if (!axis_)
            return;
        if (const ChartStyle* s = style(std::string(attributes.value("style-name")))) {
            axis_->min = s->minimum;
            axis_->max = s->maximum;
            if (s->intervalMajor && *s->intervalMajor > 0)
                axis_->majorUnit = s->intervalMajor;
        }
    }

    void startSeries(const xml::Attributes& attributes) {
        inSeries_ = false;
        if (series_.size() >= limits::maxChartSeries)
            return;
        PendingSeries& series = series_.emplace_back();
        series.kind =
            attributes.get("class") ? std::string(className(attributes.value("class"))) : kind_;
        series.style = attributes.value("style-name");
        series.values = attributes.value("values-cell-range-address");
        series.label = attributes.value("label-cell-address");
        inSeries_ = true;
    }

    void fillLocal(ChartSeries& out, const PendingSeries& in, bool scatter) {
        std::vector<const LocalCell*> cells;
        std::size_t& budget = tableBudget_;
        if (table_.cells(in.values, cells, budget))
            for (const LocalCell* cell : cells)
                out.values.push_back(cell->number.value_or(std::nan("")));
        cells.clear();
        if (!in.label.empty() && table_.cells(in.label, cells, budget) && !cells.empty())
            out.name = cells.front()->text;
        cells.clear();
        const std::string& categories = scatter && !in.domain.empty() ? in.domain : categories_;
        if (!categories.empty() && isLocal(categories) && table_.cells(categories, cells, budget))
            for (const LocalCell* cell : cells) {
                if (scatter)
                    out.xValues.push_back(cell->number.value_or(std::nan("")));
                else
                    out.categories.push_back(cell->text);
            }
    }

    void buildPlots() {
        const ChartStyle* plotStyle = style(plotStyle_);
        const ChartStyle* chartStyle = style(chartStyle_);
        const auto setting = [&](auto member) -> std::optional<bool> {
            if (plotStyle && (plotStyle->*member))
                return plotStyle->*member;
            if (chartStyle && (chartStyle->*member))
                return chartStyle->*member;
            return std::nullopt;
        };
        const bool horizontal = setting(&ChartStyle::vertical).value_or(false);
        const bool stacked = setting(&ChartStyle::stacked).value_or(false);
        const bool percent = setting(&ChartStyle::percentage).value_or(false);
        for (const PendingSeries& pending : series_) {
            ChartKind kind = kindOf(pending.kind);
            if (kind == ChartKind::Column && horizontal)
                kind = ChartKind::Bar;
            ChartPlot* plot = nullptr;
            for (ChartPlot& existing : chart_.plots)
                if (existing.kind == kind &&
                    (kind != ChartKind::Unsupported || existing.unsupportedName == pending.kind))
                    plot = &existing;
            if (!plot) {
                plot = &chart_.plots.emplace_back();
                plot->kind = kind;
                if (kind == ChartKind::Unsupported)
                    plot->unsupportedName = pending.kind;
                if (percent)
                    plot->grouping = ChartGrouping::PercentStacked;
                else if (stacked)
                    plot->grouping = ChartGrouping::Stacked;
                else if (kind == ChartKind::Column || kind == ChartKind::Bar)
                    plot->grouping = ChartGrouping::Clustered;
                else
                    plot->grouping = ChartGrouping::Standard;
                plot->varyColors = kind == ChartKind::Pie || kind == ChartKind::Doughnut;
            }
            plot->series.push_back(makeSeries(pending, kind));
        }
        if (chart_.plots.empty())
            chart_.plots.emplace_back().kind = kindOf(kind_);
    }

    ChartSeries makeSeries(const PendingSeries& pending, ChartKind kind) {
        ChartSeries series;
        const bool scatter = kind == ChartKind::Scatter;
        if (isLocal(pending.values)) {
            fillLocal(series, pending, scatter);
        } else {
            series.source.values = seriesReference(pending.values);
            series.source.name = seriesReference(pending.label);
            const std::string& categories =
                scatter && !pending.domain.empty() ? pending.domain : categories_;
            if (!isLocal(categories))
                series.source.categories = seriesReference(categories);
        }
        const bool lined = kind == ChartKind::Line || kind == ChartKind::Scatter;
        if (const ChartStyle* s = style(pending.style)) {
            const std::optional<std::uint32_t> rgb =
                lined ? (s->stroke ? s->stroke : s->fill) : s->fill;
            if (rgb)
                series.color = Color::fromRgb(*rgb);
            if (s->symbolType == "none")
                series.markers = false;
            if (s->lines)
                series.line = *s->lines;
            if (s->pieOffset && *s->pieOffset > 0)
                series.seriesExplosion = std::min(*s->pieOffset, 100.0) / 100;
        }
        for (const std::string& name : pending.pointStyles) {
            const ChartStyle* s = name.empty() ? nullptr : style(name);
            series.pointColors.push_back(s && s->fill ? Color::fromRgb(*s->fill) : Color{});
            series.explosion.push_back(s && s->pieOffset ? std::min(*s->pieOffset, 100.0) / 100
                                                         : 0);
        }
        const auto anything = [](const auto& list, auto test) {
            return std::any_of(list.begin(), list.end(), test);
        };
        if (!anything(series.pointColors, [](const Color& c) { return !c.automatic; }))
            series.pointColors.clear();
        if (!anything(series.explosion, [](double e) { return e > 0; }))
            series.explosion.clear();
        return series;
    }

    Chart chart_;
    std::map<std::string, ChartStyle, std::less<>> styles_;
    ChartStyle* current_ = nullptr;
    std::size_t styleDepth_ = 0;
    std::size_t depth_ = 0;
    bool inChart_ = false, sawChart_ = false, inSeries_ = false;
    std::string kind_ = "bar", chartStyle_, plotStyle_, categories_;
    ChartAxis* axis_ = nullptr;
    std::string* title_ = nullptr;
    std::string ignored_;
    std::size_t titleDepth_ = 0;
    std::vector<PendingSeries> series_;
    std::size_t points_ = 0;
    std::size_t inLocal_ = 0; // depth of the chart's own table:table
    LocalTable table_;
    std::size_t tableBudget_ = limits::maxChartTablePoints;
};

// "./Object 1", "Object 1/" → "Object 1"; empty for what names nothing inside the package.
std::string objectFolder(std::string_view href) {
    while (href.starts_with("./"))
        href.remove_prefix(2);
    while (href.ends_with("/"))
        href.remove_suffix(1);
    if (href.empty() || href.find(':') != std::string_view::npos || href.starts_with("/") ||
        href.find("..") != std::string_view::npos)
        return {};
    return std::string(href);
}

} // namespace

std::string seriesReference(std::string_view address) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= address.size(); ++i) {
        if (i < address.size() && address[i] == '\'')
            quoted = !quoted;
        if (i == address.size() || (address[i] == ' ' && !quoted)) {
            const std::string_view part = address.substr(start, i - start);
            start = i + 1;
            if (part.empty())
                continue;
            const auto translated =
                formula::translateOpenDocument("of:=[" + std::string(part) + "]");
            if (!translated || translated->empty() ||
                translated->find("#REF!") != std::string::npos)
                return {};
            parts.push_back(*translated);
            if (parts.size() > 255)
                return {};
        }
    }
    if (parts.size() <= 1)
        return parts.empty() ? std::string() : parts.front();
    std::string joined = "(";
    for (const std::string& part : parts)
        joined += (joined.size() > 1 ? "," : "") + part;
    return joined + ")";
}

std::optional<Chart> parseChartObjectXml(std::string_view xml, const std::string& partName) {
    ChartHandler handler;
    xml::parse(xml, handler, partName);
    return handler.finish();
}

std::optional<Chart> readChartObject(const zip::ZipArchive& archive, std::string_view href) {
    const std::string folder = objectFolder(href);
    if (folder.empty())
        return std::nullopt;
    const std::string part = folder + "/content.xml";
    if (!archive.contains(part))
        return std::nullopt;
    try {
        ChartHandler handler;
        package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
        return handler.finish();
    } catch (const ReadError& error) {
        // A damaged chart costs only the chart: its replacement image may stand in.
        if (error.kind() != ReadError::Kind::Damaged)
            throw;
        return std::nullopt;
    }
}

std::string replacementImage(const zip::ZipArchive& archive, std::string_view href) {
    const std::string folder = objectFolder(href);
    if (folder.empty() || folder.find('/') != std::string::npos)
        return {};
    const std::string entry = "ObjectReplacements/" + folder;
    return archive.contains(entry) ? entry : std::string();
}

bool placeObject(const zip::ZipArchive& archive, std::string_view href, const Anchor& anchor,
                 Sheet& sheet, const std::function<bool(std::string_view, Picture&)>& loadPicture) {
    if (std::optional<Chart> chart = readChartObject(archive, href)) {
        if (sheet.charts.size() < limits::maxChartsPerSheet) {
            chart->anchor = anchor;
            sheet.charts.push_back(std::move(*chart));
        }
        return true;
    }
    const std::string replacement = replacementImage(archive, href);
    Picture picture;
    if (replacement.empty() || sheet.pictures.size() >= limits::maxPicturesPerSheet ||
        !loadPicture(replacement, picture))
        return false;
    picture.anchor = anchor;
    sheet.pictures.push_back(std::move(picture));
    return true;
}

} // namespace engine::ods
