#include "engine/xlsx/DrawingCharts.h"

#include "engine/read/Limits.h"
#include "engine/xlsx/AnchorGeometry.h"
#include "engine/xlsx/ChartPart.h"
#include "engine/xlsx/PartReader.h"
#include "engine/xlsx/Relationships.h"
#include "engine/xlsx/XmlValues.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::xlsx {
namespace {

constexpr double emuPerPoint = 12700.0;
constexpr std::string_view markupCompatibility =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
// More charts than any sheet shows; past them a drawing's charts are left out.
constexpr std::size_t maxCharts = 10000;

struct Marker {
    std::uint64_t col = 0, row = 0;
    double colOffsetEmu = 0, rowOffsetEmu = 0;
};

// An anchor (spreadsheetDrawing, ECMA-376-1 §20.5) that holds a chart.
struct ChartAnchor {
    enum class Kind { TwoCell, OneCell, Absolute } kind = Kind::TwoCell;
    Marker from, to;
    double widthEmu = 0, heightEmu = 0; // <ext> of a one-cell or absolute anchor
    double xEmu = 0, yEmu = 0;          // <pos> of an absolute anchor
    std::string chartId;                // r:id of <c:chart>
};

class ChartAnchorHandler : public xml::Handler {
public:
    explicit ChartAnchorHandler(std::vector<ChartAnchor>& anchors) : anchors_(anchors) {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        ++depth_;
        if (skipDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        if (ns == markupCompatibility && local == "Fallback") {
            skipDepth_ = 1;
            return;
        }
        if (local == "twoCellAnchor" || local == "oneCellAnchor" || local == "absoluteAnchor") {
            anchor_.emplace();
            anchor_->kind = local == "twoCellAnchor"   ? ChartAnchor::Kind::TwoCell
                            : local == "oneCellAnchor" ? ChartAnchor::Kind::OneCell
                                                       : ChartAnchor::Kind::Absolute;
            anchorDepth_ = depth_;
            marker_ = nullptr;
            return;
        }
        if (!anchor_)
            return;
        const bool atAnchor = depth_ == anchorDepth_ + 1;
        if (local == "from" || local == "to") {
            marker_ = local == "from" ? &anchor_->from : &anchor_->to;
        } else if (marker_ &&
                   (local == "col" || local == "row" || local == "colOff" || local == "rowOff")) {
            text_.clear();
            collecting_ = true;
        } else if (atAnchor && local == "ext") {
            anchor_->widthEmu = emu(attributes, "cx");
            anchor_->heightEmu = emu(attributes, "cy");
        } else if (atAnchor && local == "pos") {
            anchor_->xEmu = emu(attributes, "x");
            anchor_->yEmu = emu(attributes, "y");
        } else if (local == "chart" && anchor_->chartId.empty()) {
            // The first chart of a group stands for the anchor: grouped charts are rare.
            anchor_->chartId = attributes.value("id");
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        --depth_;
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        if (!anchor_)
            return;
        if (collecting_) {
            collecting_ = false;
            storeMarkerField(local);
        } else if (local == "from" || local == "to") {
            marker_ = nullptr;
        } else if (depth_ < anchorDepth_) {
            if (!anchor_->chartId.empty() && anchors_.size() < maxCharts)
                anchors_.push_back(std::move(*anchor_));
            anchor_.reset();
        }
    }

    void characters(std::string_view text) override {
        if (collecting_ && text_.size() < 64)
            text_.append(text);
    }

private:
    void storeMarkerField(std::string_view local) {
        if (!marker_)
            return;
        if (local == "col")
            marker_->col = parseUnsigned(text_, limits::maxColumns - 1).value_or(0);
        else if (local == "row")
            marker_->row = parseUnsigned(text_, limits::maxRows - 1).value_or(0);
        else if (const auto offset = parseNumber(text_); offset && *offset >= 0 && *offset < 1e15)
            (local == "colOff" ? marker_->colOffsetEmu : marker_->rowOffsetEmu) = *offset;
    }

    std::vector<ChartAnchor>& anchors_;
    std::size_t depth_ = 0, anchorDepth_ = 0, skipDepth_ = 0;
    std::optional<ChartAnchor> anchor_;
    Marker* marker_ = nullptr;
    bool collecting_ = false;
    std::string text_;
};

Anchor toAnchor(const ChartAnchor& pending, const Sheet& sheet) {
    Anchor anchor;
    if (pending.kind == ChartAnchor::Kind::Absolute) {
        anchor.colOffsetPt = pending.xEmu / emuPerPoint;
        anchor.rowOffsetPt = pending.yEmu / emuPerPoint;
    } else {
        anchor.col = static_cast<std::uint16_t>(pending.from.col);
        anchor.row = static_cast<std::uint32_t>(pending.from.row);
        anchor.colOffsetPt = pending.from.colOffsetEmu / emuPerPoint;
        anchor.rowOffsetPt = pending.from.rowOffsetEmu / emuPerPoint;
    }
    if (pending.kind != ChartAnchor::Kind::TwoCell) {
        anchor.widthPt = pending.widthEmu / emuPerPoint;
        anchor.heightPt = pending.heightEmu / emuPerPoint;
    } else if (pending.to.col >= pending.from.col && pending.to.row >= pending.from.row &&
               pending.to.row - pending.from.row <= 100000) {
        double width = 0, height = 0;
        for (std::uint64_t col = pending.from.col; col < pending.to.col; ++col)
            width += columnWidthPt(sheet, col);
        for (std::uint64_t row = pending.from.row; row < pending.to.row; ++row)
            height += rowHeightPt(sheet, row);
        width += (pending.to.colOffsetEmu - pending.from.colOffsetEmu) / emuPerPoint;
        height += (pending.to.rowOffsetEmu - pending.from.rowOffsetEmu) / emuPerPoint;
        anchor.widthPt = std::max(width, 0.0);
        anchor.heightPt = std::max(height, 0.0);
    }
    return anchor;
}

} // namespace

void readDrawingCharts(const zip::ZipArchive& archive, const std::string& part,
                       const Colors& colors, DateSystem dates, Sheet& sheet) {
    std::vector<ChartAnchor> anchors;
    ChartAnchorHandler handler(anchors);
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    if (anchors.empty())
        return;
    const Relationships relationships = Relationships::read(archive, part);
    for (const ChartAnchor& pending : anchors) {
        const Relationship* target = relationships.byId(pending.chartId);
        if (!target || target->external || !archive.contains(target->target))
            continue;
        Chart chart = readChartPart(archive, target->target, colors, dates);
        // The newer chart kinds (waterfall, treemap, funnel ...) live in parts of their own
        // vocabulary: only their title is read, and they are shown as placeholders.
        if (relationshipKind(target->type) == "chartEx") {
            chart.plots.assign(1, ChartPlot{});
            chart.plots[0].kind = ChartKind::Unsupported;
            chart.plots[0].unsupportedName = "Extended";
        }
        chart.anchor = toAnchor(pending, sheet);
        sheet.charts.push_back(std::move(chart));
    }
}

void readChartSheet(const zip::ZipArchive& archive, const std::string& part, const Colors& colors,
                    DateSystem dates, Sheet& sheet) {
    if (!archive.contains(part))
        return;
    // A chart sheet holds nothing but its drawing; the relationship is enough to find it.
    const Relationships relationships = Relationships::read(archive, part);
    const Relationship* drawing = relationships.firstOfKind("drawing");
    if (!drawing || drawing->external || !archive.contains(drawing->target))
        return;
    readDrawingCharts(archive, drawing->target, colors, dates, sheet);
    if (sheet.charts.size() > 1)
        sheet.charts.resize(1);
}

} // namespace engine::xlsx
