#include "engine/xls/ChartStream.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/model/DefaultPalette.h"
#include "engine/numfmt/BuiltinFormats.h"
#include "engine/numfmt/CellText.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xls/OfficeArt.h"
#include "engine/xls/Records.h"
#include "engine/xls/SheetReader.h"
#include "engine/xls/Strings.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace engine::xls {
namespace {

constexpr double blank = std::numeric_limits<double>::quiet_NaN();
// Values of BRAI id (MS-XLS 2.4.29) and of SIIndex numIndex (2.4.260).
constexpr std::uint8_t linkName = 0, linkValues = 1, linkCategories = 2;
constexpr std::uint16_t cacheValues = 1, cacheCategories = 2;
// Records of axes and frames (MS-XLS 2.4.11, 2.4.12, 2.4.13, 2.4.108, 2.4.195, 2.4.196,
// 2.4.341) and the ObjectLink targets of titles (2.4.182).
constexpr std::uint16_t axisRecord = 0x101D, valueRange = 0x101F, axisLineFormat = 0x1021,
                        frameRecord = 0x1032, plotAreaRecord = 0x1035, axisParent = 0x1041,
                        pieFormat = 0x100B, fontX = 0x1026, ifmtRecord = 0x104E;
constexpr std::uint16_t linkTitle = 1, linkValueAxis = 2, linkCategoryAxis = 3, linkDataLabel = 4;
// GelFrame (MS-XLS 2.4.128): a fill as drawing properties (MS-ODRAW 2.2.9 OfficeArtFOPT), of
// which the fill's type, colour and flags (2.3.7.1, 2.3.7.2, 2.3.7.43) are read.
constexpr std::uint16_t gelFrame = 0x1066, artFopt = 0xF00B;
constexpr std::uint16_t fillTypeProperty = 0x0180, fillColorProperty = 0x0181,
                        fillFlagsProperty = 0x01BF;
// The application's automatic series colours in files of this format: fills from palette
// entry 24 on, lines and markers from entry 32 on.
constexpr std::size_t firstFillColor = 24, firstLineColor = 32;

struct PendingSeries {
    ChartSeries series;
    ChartSeriesLinks links;
    std::uint16_t group = 0;
    std::uint16_t categoryCount = 0, valueCount = 0; // as the Series record declares them
    Color lineColor;
    bool lineColorSet = false, fillColorSet = false;
    std::optional<Color> frameFill; // the series' fill as its GelFrame states it
};

struct Group {
    std::uint16_t icrt = 0;
    ChartPlot plot;
};

Color longRgb(util::ByteCursor& in) {
    const std::uint32_t r = in.u8(), g = in.u8(), b = in.u8();
    in.u8();
    return Color::fromRgb(r << 16 | g << 8 | b);
}

// The solid colour of a GelFrame's fill; none for a fill turned off or a colour given as an
// index into a table (the scheme's, the system's, the palette's) rather than as RGB.
//
// Writers since the XML formats store the series' colours of the chart's current look here,
// theme colours resolved; the AreaFormat and LineFormat records beside it carry only the
// nearest colours of the legacy palette, for older readers, so that two series or slices
// of different colours may share one there.
std::optional<Color> gelFrameFill(util::ByteCursor& in) {
    const std::uint16_t versionAndCount = in.u16();
    if (in.u16() != artFopt)
        return std::nullopt;
    in.skip(4);
    std::optional<std::uint32_t> type, color, flags;
    for (std::uint16_t i = 0; i < versionAndCount >> 4 && in.remaining() >= 6; ++i) {
        const std::uint16_t id = in.u16() & 0x3FFF;
        const std::uint32_t value = in.u32();
        if (id == fillTypeProperty)
            type = value;
        else if (id == fillColorProperty)
            color = value;
        else if (id == fillFlagsProperty)
            flags = value;
    }
    // fFilled (0x10) counts only where fUseFilled (0x100000) says it is set.
    const bool filled = !flags || !(*flags & 0x100000u) || (*flags & 0x10u);
    // Solid (0) or the first colour of a pattern, shade or gradient (1..7); not a picture.
    const bool coloured = !type || *type <= 7;
    // fPaletteIndex, fSchemeIndex and fSysIndex make the first byte an index.
    if (!color || !filled || !coloured || (*color >> 24) & (0x01u | 0x08u | 0x10u))
        return std::nullopt;
    const std::uint32_t rgb = *color & 0xFFFFFFu;
    return Color::fromRgb((rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16);
}

// The colour of the legacy palette nearest to `rgb`, as writers pick the stand-in colours
// they store for older readers.
std::uint32_t nearestPaletteColor(std::uint32_t rgb) {
    const auto distance = [&](std::uint32_t other) {
        long total = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const long d = static_cast<long>((rgb >> shift) & 0xFF) -
                           static_cast<long>((other >> shift) & 0xFF);
            total += d * d;
        }
        return total;
    };
    std::uint32_t best = defaultPalette[8];
    for (std::size_t i = 8; i < defaultPalette.size(); ++i)
        if (distance(defaultPalette[i]) < distance(best))
            best = defaultPalette[i];
    return best;
}

// A 3-D reference or area to this workbook's cells, the whole formula of a BRAI.
std::optional<ChartCellLink> linkOf(util::ByteCursor& in) {
    const std::uint16_t size = in.u16();
    if (size != 7 && size != 11)
        return std::nullopt;
    const std::uint8_t ptg = in.u8();
    ChartCellLink link;
    link.externSheet = in.u16();
    if (size == 7 && (ptg == 0x3A || ptg == 0x5A || ptg == 0x7A)) { // PtgRef3d
        link.area.firstRow = link.area.lastRow = in.u16();
        link.area.firstCol = link.area.lastCol = in.u16() & 0x3FFF;
        return link;
    }
    if (size == 11 && (ptg == 0x3B || ptg == 0x5B || ptg == 0x7B)) { // PtgArea3d
        link.area.firstRow = in.u16();
        link.area.lastRow = in.u16();
        link.area.firstCol = in.u16() & 0x3FFF;
        link.area.lastCol = in.u16() & 0x3FFF;
        if (link.area.lastRow < link.area.firstRow || link.area.lastCol < link.area.firstCol)
            return std::nullopt;
        return link;
    }
    return std::nullopt;
}

std::string shortUnicode(util::ByteCursor& in) {
    const std::uint8_t count = in.u8();
    const bool wide = in.u8() & 0x01;
    std::string out;
    const auto bytes = in.bytes(wide ? count * 2u : count);
    if (wide)
        util::appendUtf16le(out, bytes);
    else
        util::appendLatin1(out, bytes);
    return out;
}

std::string unicodeString(util::ByteCursor& in) {
    const std::uint16_t count = in.u16();
    const bool wide = in.u8() & 0x01;
    std::string out;
    const auto bytes = in.bytes(std::min<std::size_t>(wide ? count * 2u : count, in.remaining()));
    if (wide)
        util::appendUtf16le(out, bytes);
    else
        util::appendLatin1(out, bytes);
    return out;
}

class ChartReader {
public:
    ChartReader(const std::function<std::string(std::uint16_t)>& formatCodeOf,
                const std::function<ChartFont(std::uint16_t)>& fontOf,
                const std::function<std::string(std::uint16_t)>& numberFormatOf)
        : formatCodeOf_(formatCodeOf), fontOf_(fontOf), numberFormatOf_(numberFormatOf) {}

    ChartRead read(RecordReader& reader) {
        Record record;
        std::uint16_t previous = 0;
        while (reader.next(record)) {
            if (record.id == rec::EOF_)
                break;
            try {
                handle(record, previous, reader);
            } catch (const ReadError&) {
                // A record shorter than its kind needs is left out, as the application would
                // drop the part it cannot read.
            }
            previous = record.id;
        }
        return finish();
    }

private:
    bool within(std::uint16_t id) const {
        return std::find(blocks_.begin(), blocks_.end(), id) != blocks_.end();
    }

    PendingSeries* currentSeries() {
        return within(rec::Series) && !series_.empty() ? &series_.back() : nullptr;
    }

    void handle(const Record& record, std::uint16_t previous, RecordReader& reader) {
        util::ByteCursor in(record.body, "chart record", record.offset + 4);
        switch (record.id) {
        case rec::BOF: {
            // A substream inside the chart belongs to nothing drawn: skipped whole.
            Record inner;
            int depth = 1;
            while (depth > 0 && reader.next(inner))
                depth += inner.id == rec::BOF ? 1 : inner.id == rec::EOF_ ? -1 : 0;
            break;
        }
        case rec::Begin:
            if (blocks_.size() < limits::maxChartBlockDepth)
                blocks_.push_back(previous);
            break;
        case rec::End:
            if (!blocks_.empty()) {
                if (blocks_.back() == rec::DataFormat)
                    point_.reset();
                if (blocks_.back() == rec::TextRecord) {
                    ChartFont* font = textLink_ == linkTitle          ? &titleFont_
                                      : textLink_ == linkValueAxis    ? &valueAxis_.titleFont
                                      : textLink_ == linkCategoryAxis ? &categoryAxis_.titleFont
                                      : textLink_ == linkDataLabel    ? &labelFont_
                                                                      : nullptr;
                    if (font) {
                        if (textFont_ && fontOf_)
                            *font = fontOf_(*textFont_);
                        if (textColor_)
                            font->color = *textColor_;
                    }
                    textFont_.reset();
                    textColor_.reset();
                    if (textLink_ == linkTitle && !text_.empty() && title_.empty())
                        title_ = text_;
                    else if (textLink_ == linkValueAxis && valueAxis_.title.empty())
                        valueAxis_.title = text_;
                    else if (textLink_ == linkCategoryAxis && categoryAxis_.title.empty())
                        categoryAxis_.title = text_;
                    textLink_ = 0;
                    text_.clear();
                }
                blocks_.pop_back();
            }
            break;
        case rec::ChartRecord:
            in.skip(8);
            widthPt_ = fixedPoint(in);
            heightPt_ = fixedPoint(in);
            break;
        case rec::Series:
            if (series_.size() < limits::maxChartSeries && !within(rec::Series)) {
                PendingSeries& s = series_.emplace_back();
                in.skip(4);
                s.categoryCount = in.u16();
                s.valueCount = in.u16();
            }
            break;
        case rec::Brai:
            if (PendingSeries* s = currentSeries()) {
                const std::uint8_t id = in.u8();
                const std::uint8_t type = in.u8();
                in.skip(4);
                if (type == 2) { // a reference
                    auto link = linkOf(in);
                    (id == linkName         ? s->links.name
                     : id == linkValues     ? s->links.values
                     : id == linkCategories ? s->links.categories
                                            : ignored_) = link;
                }
            }
            break;
        case rec::SeriesText:
            in.skip(2);
            if (within(rec::TextRecord))
                text_ = shortUnicode(in);
            else if (PendingSeries* s = currentSeries())
                s->series.name = shortUnicode(in);
            break;
        case rec::TextRecord:
            if (!within(rec::TextRecord)) {
                in.skip(4);
                const Color color = longRgb(in);
                in.skip(16);
                if (!(in.u16() & 0x0001)) // not the automatic colour
                    textColor_ = color;
            }
            break;
        case fontX:
            if (within(rec::TextRecord))
                textFont_ = in.u16();
            else if (ChartAxis* axis = currentAxis(); axis && fontOf_)
                axis->labelFont = fontOf_(in.u16());
            break;
        case ifmtRecord:
            // General is what an axis linked to its source data keeps: the series' format
            // then shows, as it does when no format is given.
            if (ChartAxis* axis = currentAxis();
                axis && numberFormatOf_ && !within(rec::TextRecord)) {
                const std::uint16_t id = in.u16();
                axis->format = id == 0 ? std::string() : numberFormatOf_(id);
                if (axis->format == "General")
                    axis->format.clear();
            }
            break;
        case rec::ObjectLink:
            if (within(rec::TextRecord))
                textLink_ = in.u16();
            break;
        case axisParent:
            primaryAxes_ = in.u16() == 0;
            break;
        case axisRecord:
            axisType_ = in.u16();
            axisLine_ = 0xFFFF;
            break;
        case valueRange:
            if (ChartAxis* axis = currentAxis())
                readValueRange(in, *axis);
            break;
        case axisLineFormat:
            axisLine_ = in.u16();
            break;
        case frameRecord:
            frame_ = previous == plotAreaRecord                                  ? &plotFill_
                     : blocks_.size() == 1 && blocks_.back() == rec::ChartRecord ? &chartFill_
                                                                                 : nullptr;
            frameLine_ = previous == plotAreaRecord ? &plotBorder_ : nullptr;
            if (!blocks_.empty() && blocks_.back() == rec::Legend) {
                frame_ = &legendFill_;
                frameLine_ = &legendBorder_;
            }
            break;
        case pieFormat:
            if (PendingSeries* s = formattedSeries()) {
                const double share = std::min<std::uint16_t>(in.u16(), 400) / 100.0;
                if (!point_)
                    s->series.seriesExplosion = share;
                else if (*point_ < s->valueCount) {
                    if (s->series.explosion.size() <= *point_)
                        s->series.explosion.resize(*point_ + 1, 0.0);
                    s->series.explosion[*point_] = share;
                }
            }
            break;
        case rec::DataFormat:
            if (currentSeries()) {
                const std::uint16_t point = in.u16();
                point_ = point == 0xFFFF ? std::nullopt : std::optional<std::size_t>(point);
            }
            break;
        case rec::LineFormat:
            if (ChartAxis* axis = currentAxis(); axis && axisLine_ == 1) {
                // The major gridlines' line.
                const Color color = longRgb(in);
                const std::uint16_t style = in.u16();
                in.skip(2);
                const bool automatic = in.u16() & 0x0001;
                if (style == 5)
                    axis->gridlines = false;
                else if (!automatic)
                    axis->gridColor = color;
                break;
            }
            if (frameLine_ && within(frameRecord) && !currentSeries()) {
                // The outline of the plot area or the legend; an automatic one is left to the
                // drawing's default.
                const Color color = longRgb(in);
                const std::uint16_t style = in.u16();
                const std::int16_t weight = static_cast<std::int16_t>(in.u16());
                if (!(in.u16() & 0x0001)) {
                    frameLine_->kind = style == 5 ? ChartLine::Kind::None : ChartLine::Kind::Solid;
                    frameLine_->rgb = color.rgb;
                    frameLine_->widthPt = weight <= 0 ? 0.75 : weight == 1 ? 1.5 : 2.25;
                }
                break;
            }
            if (PendingSeries* s = formattedSeries()) {
                const Color color = longRgb(in);
                const std::uint16_t style = in.u16();
                in.skip(2);
                const bool automatic = in.u16() & 0x0001;
                if (!point_) {
                    if (style == 5) // no line
                        s->series.line = false;
                    if (!automatic) {
                        s->lineColor = color;
                        s->lineColorSet = true;
                    }
                }
            }
            break;
        case rec::AreaFormat:
            if (frame_ && within(frameRecord) && !currentSeries()) {
                const Color color = longRgb(in);
                in.skip(4);
                const std::uint16_t pattern = in.u16();
                const bool automatic = in.u16() & 0x0001;
                if (!automatic) {
                    frame_->kind = pattern == 0 ? ChartFill::Kind::None : ChartFill::Kind::Solid;
                    frame_->rgb = color.rgb;
                }
                break;
            }
            if (PendingSeries* s = formattedSeries()) {
                const Color color = longRgb(in);
                in.skip(6);
                const bool automatic = in.u16() & 0x0001;
                if (automatic)
                    break;
                if (point_) {
                    setPointColor(*s, color);
                } else {
                    s->series.color = color;
                    s->fillColorSet = true;
                }
            }
            break;
        case gelFrame:
            if (PendingSeries* s = formattedSeries()) {
                const std::optional<Color> fill = gelFrameFill(in);
                if (!fill)
                    break;
                if (!point_) {
                    s->series.color = *fill;
                    s->fillColorSet = true;
                    s->frameFill = fill;
                } else {
                    setPointColor(*s, *fill);
                }
            }
            break;
        case rec::MarkerFormat:
            if (PendingSeries* s = formattedSeries(); s && !point_) {
                in.skip(8);
                const std::uint16_t kind = in.u16();
                const bool automatic = in.u16() & 0x0001;
                if (kind == 0 && !automatic)
                    s->series.markers = false;
            }
            break;
        case rec::AttachedLabel:
            if (currentSeries()) {
                const std::uint16_t flags = in.u16();
                showValues_ = showValues_ || (flags & 0x01);
                showPercent_ = showPercent_ || (flags & 0x06);
                showCategory_ = showCategory_ || (flags & 0x14);
            }
            break;
        case rec::SerToCrt:
            if (PendingSeries* s = currentSeries())
                s->group = in.u16();
            break;
        case rec::ChartFormat:
            if (groups_.size() < limits::maxChartPlots) {
                in.skip(16);
                const bool varied = in.u16() & 0x0001;
                Group& group = groups_.emplace_back();
                group.icrt = in.u16();
                group.plot.varyColors = varied;
            }
            break;
        case rec::Bar:
        case rec::Line:
        case rec::Area:
        case rec::Pie:
        case rec::Scatter:
        case rec::Radar:
        case rec::RadarArea:
        case rec::Surf:
        case rec::BopPop:
            if (within(rec::ChartFormat) && !groups_.empty())
                plotKind(record.id, in, groups_.back().plot);
            break;
        case rec::Legend:
            if (within(rec::ChartFormat)) {
                in.skip(16);
                const std::uint8_t where = in.u8();
                legend_ = where == 0   ? LegendPosition::Bottom
                          : where == 2 ? LegendPosition::Top
                          : where == 4 ? LegendPosition::Left
                                       : LegendPosition::Right;
            }
            break;
        case rec::SiIndex:
            cache_ = in.u16();
            break;
        case rec::Number:
            if (blocks_.empty())
                cachedNumber(in);
            break;
        case rec::Label:
            if (blocks_.empty())
                cachedLabel(in);
            break;
        default:
            break;
        }
    }

    // The primary value axis, or the primary category axis (x values of scatter plots).
    ChartAxis* currentAxis() {
        if (!within(axisRecord) || !primaryAxes_)
            return nullptr;
        return axisType_ == 1 ? &valueAxis_ : axisType_ == 0 ? &categoryAxis_ : nullptr;
    }

    static void readValueRange(util::ByteCursor& in, ChartAxis& axis) {
        const double min = in.f64(), max = in.f64(), major = in.f64();
        in.skip(16);
        const std::uint16_t automatic = in.u16();
        const auto fixed = [](double value) {
            return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
        };
        if (!(automatic & 0x01))
            axis.min = fixed(min);
        if (!(automatic & 0x02))
            axis.max = fixed(max);
        if (!(automatic & 0x04) && major > 0)
            axis.majorUnit = fixed(major);
    }

    static double fixedPoint(util::ByteCursor& in) {
        const std::uint16_t fraction = in.u16();
        const auto whole = static_cast<std::int16_t>(in.u16());
        return whole + fraction / 65536.0;
    }

    // The series a format record inside a DataFormat block applies to.
    // Colours of single points cost a list entry up to the point each: bounded by the
    // series' points and by a budget for the whole chart.
    void setPointColor(PendingSeries& s, Color color) {
        if (*point_ >= s.valueCount || *point_ >= pointColorBudget_)
            return;
        pointColorBudget_ -= std::min<std::size_t>(
            pointColorBudget_,
            *point_ + 1 - std::min<std::size_t>(*point_ + 1, s.series.pointColors.size()));
        if (s.series.pointColors.size() <= *point_)
            s.series.pointColors.resize(*point_ + 1);
        s.series.pointColors[*point_] = color;
    }

    PendingSeries* formattedSeries() { return within(rec::DataFormat) ? currentSeries() : nullptr; }

    void plotKind(std::uint16_t id, util::ByteCursor& in, ChartPlot& plot) {
        switch (id) {
        case rec::Bar: {
            in.skip(4);
            const std::uint16_t flags = in.u16();
            plot.kind = flags & 0x01 ? ChartKind::Bar : ChartKind::Column;
            plot.grouping = flags & 0x04   ? ChartGrouping::PercentStacked
                            : flags & 0x02 ? ChartGrouping::Stacked
                                           : ChartGrouping::Clustered;
            break;
        }
        case rec::Line:
        case rec::Area: {
            const std::uint16_t flags = in.u16();
            plot.kind = id == rec::Line ? ChartKind::Line : ChartKind::Area;
            plot.grouping = flags & 0x02   ? ChartGrouping::PercentStacked
                            : flags & 0x01 ? ChartGrouping::Stacked
                                           : ChartGrouping::Standard;
            break;
        }
        case rec::Pie: {
            in.skip(2);
            const std::uint16_t hole = in.u16();
            plot.kind = hole > 0 ? ChartKind::Doughnut : ChartKind::Pie;
            plot.holePercent = std::clamp<int>(hole, 10, 90);
            break;
        }
        case rec::Scatter: {
            in.skip(4);
            const bool bubbles = in.u16() & 0x01;
            plot.kind = bubbles ? ChartKind::Unsupported : ChartKind::Scatter;
            plot.unsupportedName = bubbles ? "Bubble" : "";
            break;
        }
        default:
            plot.kind = ChartKind::Unsupported;
            plot.unsupportedName = id == rec::Surf     ? "Surface"
                                   : id == rec::BopPop ? "Pie of pie"
                                                       : "Radar";
            break;
        }
    }

    void cachedNumber(util::ByteCursor& in) {
        const std::uint16_t point = in.u16(), series = in.u16(), format = in.u16();
        const double value = in.f64();
        if (series >= series_.size())
            return;
        // The series declares how many points it has: cached cells past them are stray.
        const PendingSeries& pending = series_[series];
        if (point >= (cache_ == cacheValues ? pending.valueCount : pending.categoryCount))
            return;
        ChartSeries& s = series_[series].series;
        if (cache_ == cacheValues) {
            place(s.values, point, std::isfinite(value) ? value : blank, blank);
            if (s.formatCode.empty())
                s.formatCode = formatCodeOf_(format);
            cachedValues_ = true;
        } else if (cache_ == cacheCategories) {
            numfmt::Shown shown;
            numfmt::NumberFormat::parse(formatCodeOf_(format))
                .formatNumber(value, DateSystem::Date1900, shown);
            place(s.categories, point, shown.text, std::string());
            s.xValues.resize(std::max<std::size_t>(s.xValues.size(), point + 1u), blank);
            s.xValues[point] = std::isfinite(value) ? value : blank;
        }
    }

    void cachedLabel(util::ByteCursor& in) {
        const std::uint16_t point = in.u16(), series = in.u16();
        in.skip(2);
        if (series >= series_.size() || point >= series_[series].categoryCount ||
            cache_ != cacheCategories)
            return;
        place(series_[series].series.categories, point, unicodeString(in), std::string());
    }

    template <class T, class V>
    static void place(std::vector<T>& list, std::size_t at, V value, T fill) {
        if (list.size() <= at)
            list.resize(at + 1, fill);
        list[at] = std::move(value);
    }

    ChartRead finish() {
        ChartRead out;
        out.cachedValues = cachedValues_;
        out.chart.title = title_;
        out.chart.legend = legend_;
        out.chart.titleFont = titleFont_;
        out.chart.valueAxis = valueAxis_;
        out.chart.categoryAxis = categoryAxis_;
        out.chart.plotFill = plotFill_;
        out.chart.chartFill = chartFill_;
        out.chart.legendFill = legendFill_;
        out.chart.legendBorder = legendBorder_;
        out.chart.plotBorder = plotBorder_;
        out.chart.anchor.widthPt = std::clamp(widthPt_, 0.0, 3000.0);
        out.chart.anchor.heightPt = std::clamp(heightPt_, 0.0, 3000.0);
        if (groups_.empty())
            groups_.emplace_back();
        std::map<std::uint16_t, std::size_t> byIcrt;
        for (Group& group : groups_) {
            byIcrt.emplace(group.icrt, out.chart.plots.size());
            group.plot.showValues = showValues_;
            group.plot.labelFont = labelFont_;
            group.plot.showPercent = showPercent_;
            group.plot.showCategory = showCategory_;
            out.chart.plots.push_back(std::move(group.plot));
            out.links.emplace_back();
        }
        std::size_t index = 0;
        for (PendingSeries& pending : series_) {
            const auto found = byIcrt.find(pending.group);
            const std::size_t p = found == byIcrt.end() ? 0 : found->second;
            ChartPlot& plot = out.chart.plots[p];
            ChartSeries& series = pending.series;
            const bool lined = plot.kind == ChartKind::Line || plot.kind == ChartKind::Scatter;
            // A line whose legacy colour stands in for the fill's is drawn in the fill's.
            if (lined && pending.lineColorSet)
                series.color = pending.frameFill && nearestPaletteColor(pending.frameFill->rgb) ==
                                                        pending.lineColor.rgb
                                   ? *pending.frameFill
                                   : pending.lineColor;
            else if (series.color.automatic)
                series.color = Color::fromRgb(
                    defaultPalette[(lined ? firstLineColor : firstFillColor) + index % 8]);
            if ((plot.kind == ChartKind::Pie || plot.kind == ChartKind::Doughnut ||
                 plot.varyColors) &&
                !series.values.empty()) {
                series.pointColors.resize(
                    std::max(series.pointColors.size(), series.values.size()));
                for (std::size_t i = 0; i < series.pointColors.size(); ++i)
                    if (series.pointColors[i].automatic)
                        series.pointColors[i] =
                            Color::fromRgb(defaultPalette[firstFillColor + i % 8]);
            }
            if (plot.kind != ChartKind::Scatter)
                series.xValues.clear();
            else
                series.categories.clear();
            plot.series.push_back(std::move(series));
            out.links[p].push_back(pending.links);
            ++index;
        }
        return out;
    }

    const std::function<std::string(std::uint16_t)>& formatCodeOf_;
    const std::function<ChartFont(std::uint16_t)>& fontOf_;
    const std::function<std::string(std::uint16_t)>& numberFormatOf_;
    std::vector<std::uint16_t> blocks_; // the record that opened each Begin block
    std::vector<PendingSeries> series_;
    std::vector<Group> groups_;
    std::optional<ChartCellLink> ignored_;
    std::optional<std::size_t> point_;
    std::uint16_t textLink_ = 0;            // what the open text block names (ObjectLink)
    std::optional<std::uint16_t> textFont_; // and its font (FontX) and colour
    std::optional<Color> textColor_;
    ChartFont titleFont_;
    bool primaryAxes_ = true;
    std::uint16_t axisType_ = 0, axisLine_ = 0xFFFF;
    ChartAxis valueAxis_ = [] {
        ChartAxis axis;
        axis.gridlines = true;
        return axis;
    }();
    ChartAxis categoryAxis_;
    ChartFill plotFill_, chartFill_, legendFill_;
    ChartLine plotBorder_, legendBorder_;
    ChartLine* frameLine_ = nullptr; // the outline the open frame describes
    ChartFill* frame_ = nullptr;     // the fill the open frame describes
    std::string text_, title_;
    LegendPosition legend_ = LegendPosition::None;
    double widthPt_ = 0, heightPt_ = 0;
    std::uint16_t cache_ = 0;
    bool cachedValues_ = false;
    std::size_t pointColorBudget_ = limits::maxChartSeriesPoints;
    bool showValues_ = false, showPercent_ = false, showCategory_ = false;
    ChartFont labelFont_; // of the data labels, which the page draws alike for every series
};

// The cells of a link in reading order along the range's longer side.
template <class F> void forEachCell(const ChartCellLink& link, std::size_t& budget, F&& visit) {
    const Range& r = link.area;
    const std::uint64_t count =
        std::uint64_t{r.lastRow - r.firstRow + 1u} * std::uint64_t{r.lastCol - r.firstCol + 1u};
    if (count > limits::maxChartSeriesPoints || count > budget)
        return;
    budget -= static_cast<std::size_t>(count);
    for (std::uint32_t row = r.firstRow; row <= r.lastRow; ++row)
        for (std::uint32_t col = r.firstCol; col <= r.lastCol; ++col)
            visit(row, static_cast<std::uint16_t>(col));
}

// Categories from cells of several columns and rows have levels, as the application shows
// them: the points run down the columns unless the values run along a row; the last column
// (or row) holds the innermost labels, and each before it a level of groups whose names stand
// at the first point they span. Innermost labels the chart caches are kept.
template <class Text>
void levelledCategories(const ChartCellLink& link, const std::optional<ChartCellLink>& values,
                        const Sheet& sheet, std::size_t& budget, Text&& textOf,
                        ChartSeries& series) {
    const Range& r = link.area;
    const std::uint32_t rows = r.lastRow - r.firstRow + 1u, cols = r.lastCol - r.firstCol + 1u;
    const bool alongRow = values && values->area.firstRow == values->area.lastRow &&
                          values->area.firstCol < values->area.lastCol;
    const bool down = values ? !alongRow : rows >= cols;
    const std::uint32_t points = down ? rows : cols, levels = down ? cols : rows;
    const std::uint64_t count = std::uint64_t{points} * levels;
    if (count > limits::maxChartSeriesPoints || count > budget)
        return;
    budget -= static_cast<std::size_t>(count);
    const auto text = [&](std::uint32_t point, std::uint32_t level) {
        const Cell* cell =
            down ? sheet.cellAt(r.firstRow + point, static_cast<std::uint16_t>(r.firstCol + level))
                 : sheet.cellAt(r.firstRow + level, static_cast<std::uint16_t>(r.firstCol + point));
        return cell ? textOf(*cell) : std::string();
    };
    if (series.categories.empty())
        for (std::uint32_t point = 0; point < points; ++point)
            series.categories.push_back(text(point, levels - 1));
    const std::size_t outer = std::min<std::size_t>(levels - 1, limits::maxChartCategoryLevels);
    series.categoryGroups.assign(outer, std::vector<std::string>(points));
    for (std::size_t group = 0; group < outer; ++group)
        for (std::uint32_t point = 0; point < points; ++point)
            series.categoryGroups[group][point] =
                text(point, levels - 2 - static_cast<std::uint32_t>(group));
}

} // namespace

ChartRead readChartStream(RecordReader& reader,
                          const std::function<std::string(std::uint16_t)>& formatCodeOf,
                          const std::function<ChartFont(std::uint16_t)>& fontOf,
                          const std::function<std::string(std::uint16_t)>& numberFormatOf) {
    ChartReader chart(formatCodeOf, fontOf, numberFormatOf);
    return chart.read(reader);
}

void readPendingChart(RecordReader& reader, BiffContext& context, std::size_t sheet,
                      std::span<const std::uint8_t> drawing) {
    const Workbook& workbook = context.workbook;
    const std::function<std::string(std::uint16_t)> formatCodeOf = [&](std::uint16_t xf) {
        return xf < workbook.cellFormats.size()
                   ? numfmt::formatCodeFor(workbook, workbook.cellFormats[xf].numFmtId)
                   : std::string("General");
    };
    const std::function<ChartFont(std::uint16_t)> fontOf = [&](std::uint16_t index) {
        ChartFont font;
        const std::size_t model = modelFont(index);
        if (model >= workbook.fonts.size())
            return font;
        const Font& source = workbook.fonts[model];
        font.sizePt = source.size;
        font.bold = source.bold;
        font.italic = source.italic;
        font.color = source.color;
        font.family = source.name;
        return font;
    };
    const std::function<std::string(std::uint16_t)> numberFormatOf = [&](std::uint16_t id) {
        return numfmt::formatCodeFor(workbook, id);
    };
    PendingChart pending{sheet, readChartStream(reader, formatCodeOf, fontOf, numberFormatOf),
                         std::nullopt};
    if (!drawing.empty())
        pending.clientAnchor = lastClientAnchor(drawing);
    if (context.charts.size() < limits::maxChartsPerWorkbook)
        context.charts.push_back(std::move(pending));
}

std::optional<std::array<std::uint16_t, 9>>
lastClientAnchor(std::span<const std::uint8_t> drawing) {
    std::optional<std::array<std::uint16_t, 9>> last;
    for (const ArtShape& shape : readArtShapes(drawing))
        if (shape.anchor)
            last = shape.anchor;
    return last;
}

Anchor anchorFromClient(const std::array<std::uint16_t, 9>& a, const Sheet& sheet) {
    Anchor anchor = drawing::anchorByShares(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
    // A page measures the chart again on its own grid; this size is for readers of the model.
    drawing::measureAnchor(anchor, drawing::SheetSizes(sheet, drawing::defaultDigitPixels));
    return anchor;
}

void resolveChartLinks(ChartRead& read, const Workbook& workbook,
                       const std::function<const Sheet*(std::uint16_t)>& sheetOf,
                       std::size_t& pointBudget) {
    numfmt::CellTextFormatter formatter(workbook);
    numfmt::Shown shown;
    const auto textOf = [&](const Cell& cell) {
        formatter.format(cell, shown);
        return shown.text;
    };
    for (std::size_t p = 0; p < read.chart.plots.size() && p < read.links.size(); ++p) {
        auto& plot = read.chart.plots[p];
        for (std::size_t s = 0; s < plot.series.size() && s < read.links[p].size(); ++s) {
            ChartSeries& series = plot.series[s];
            const ChartSeriesLinks& links = read.links[p][s];
            if (links.name && series.name.empty())
                if (const Sheet* sheet = sheetOf(links.name->externSheet))
                    if (const Cell* cell =
                            sheet->cellAt(links.name->area.firstRow, links.name->area.firstCol))
                        series.name = textOf(*cell);
            if (links.values && series.values.empty()) {
                if (const Sheet* sheet = sheetOf(links.values->externSheet)) {
                    forEachCell(*links.values, pointBudget,
                                [&](std::uint32_t row, std::uint16_t col) {
                                    const Cell* cell = sheet->cellAt(row, col);
                                    // Text in a value cell is plotted as zero, an empty cell as a
                                    // gap.
                                    if (!cell || cell->type == CellType::Empty ||
                                        cell->type == CellType::Error)
                                        series.values.push_back(blank);
                                    else if (cell->type == CellType::Number)
                                        series.values.push_back(
                                            std::isfinite(cell->number) ? cell->number : blank);
                                    else if (cell->type == CellType::Boolean)
                                        series.values.push_back(cell->boolean ? 1 : 0);
                                    else
                                        series.values.push_back(0);
                                    if (cell && cell->type == CellType::Number &&
                                        series.formatCode.empty() &&
                                        cell->format < workbook.cellFormats.size())
                                        series.formatCode = numfmt::formatCodeFor(
                                            workbook, workbook.cellFormats[cell->format].numFmtId);
                                });
                }
            }
            const bool scatter = plot.kind == ChartKind::Scatter;
            if (links.categories && !scatter && series.xValues.empty() &&
                links.categories->area.firstRow < links.categories->area.lastRow &&
                links.categories->area.firstCol < links.categories->area.lastCol) {
                if (const Sheet* sheet = sheetOf(links.categories->externSheet))
                    levelledCategories(*links.categories, links.values, *sheet, pointBudget, textOf,
                                       series);
            } else if (links.categories && series.categories.empty() && series.xValues.empty()) {
                if (const Sheet* sheet = sheetOf(links.categories->externSheet)) {
                    forEachCell(
                        *links.categories, pointBudget, [&](std::uint32_t row, std::uint16_t col) {
                            const Cell* cell = sheet->cellAt(row, col);
                            if (scatter)
                                series.xValues.push_back(
                                    cell && cell->type == CellType::Number ? cell->number : blank);
                            else
                                series.categories.push_back(cell ? textOf(*cell) : std::string());
                        });
                }
            }
            if (series.pointColors.size() < series.values.size() && !series.pointColors.empty())
                for (std::size_t i = series.pointColors.size(); i < series.values.size(); ++i)
                    series.pointColors.push_back(
                        Color::fromRgb(defaultPalette[firstFillColor + i % 8]));
        }
    }
}

} // namespace engine::xls
