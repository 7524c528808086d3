#include "engine/drawingml/DrawingObjects.h"

#include "engine/base/Limits.h"
#include "engine/drawingml/ChartPart.h"
#include "engine/drawingml/DrawingShapes.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/package/DrawingPart.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/package/XmlValues.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::drawingml {
namespace {

// An anchor (spreadsheetDrawing, ECMA-376-1 §20.5) that holds a chart.
struct ChartAnchor {
    package::DrawingAnchor place;
    std::string chartId; // r:id of <c:chart>
};

// One walk of a drawing part for its charts and, when asked, its shapes and pictures: the
// anchors' places are read once for all.
class DrawingObjectsHandler : public xml::Handler {
public:
    DrawingObjectsHandler(std::vector<ChartAnchor>& charts, ShapeCollector* shapes,
                          package::DrawingPictures* pictures)
        : charts_(charts), shapes_(shapes), pictures_(pictures) {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        ++depth_;
        if (skip_.start(ns, local))
            return;
        if (reader_.start(local, attributes, depth_)) {
            if (local.ends_with("Anchor")) {
                chartId_.clear();
                if (shapes_)
                    shapes_->anchorStarted(depth_);
                if (pictures_)
                    pictures_->anchorStarted();
            }
            return;
        }
        if (!reader_.inAnchor())
            return;
        // The first chart of a group stands for the anchor: grouped charts are rare.
        if (local == "chart" && chartId_.empty())
            chartId_ = attributes.value("id");
        if (shapes_)
            shapes_->start(local, attributes, depth_);
        if (pictures_)
            pictures_->start(local, attributes, depth_);
    }

    void endElement(std::string_view, std::string_view local) override {
        const std::size_t depth = depth_--;
        if (skip_.end())
            return;
        const bool inAnchor = reader_.inAnchor();
        if (!reader_.end(local, depth)) {
            if (inAnchor && shapes_)
                shapes_->end(local, depth);
            if (inAnchor && pictures_)
                pictures_->end(local);
            return;
        }
        if (!chartId_.empty() && charts_.size() < limits::maxChartsPerSheet)
            charts_.push_back({reader_.current(), std::move(chartId_)});
        if (shapes_)
            shapes_->anchorEnded(reader_.current());
        if (pictures_)
            pictures_->anchorEnded(reader_.current());
    }

    void characters(std::string_view text) override {
        if (skip_.skipping() || !reader_.inAnchor())
            return;
        reader_.characters(text);
        if (shapes_)
            shapes_->characters(text);
    }

private:
    std::vector<ChartAnchor>& charts_;
    ShapeCollector* shapes_;
    package::DrawingPictures* pictures_;
    std::size_t depth_ = 0;
    package::FallbackSkip skip_;
    package::DrawingAnchorReader reader_;
    std::string chartId_;
};

void addCharts(const zip::ZipArchive& archive, const std::string& part,
               const std::vector<ChartAnchor>& anchors, const package::Colors& colors,
               DateSystem dates, Sheet& sheet) {
    if (anchors.empty())
        return;
    const package::Relationships relationships = package::Relationships::read(archive, part);
    // A page measures its charts again on its own grid; this size is for readers of the model.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (const ChartAnchor& pending : anchors) {
        const package::Relationship* target = relationships.byId(pending.chartId);
        if (!target || target->external || !archive.contains(target->target))
            continue;
        Chart chart = readChartPart(archive, target->target, colors, dates);
        // The newer chart kinds (waterfall, treemap, funnel ...) live in parts of their own
        // vocabulary: only their title is read, and they are shown as placeholders.
        if (package::relationshipKind(target->type) == "chartEx") {
            chart.plots.assign(1, ChartPlot{});
            chart.plots[0].kind = ChartKind::Unsupported;
            chart.plots[0].unsupportedName = "Extended";
        }
        chart.anchor = pending.place.toAnchor(sizes);
        sheet.charts.push_back(std::move(chart));
    }
}

} // namespace

void readSheetDrawing(const zip::ZipArchive& archive, const std::string& part,
                      const package::Colors& colors, DateSystem dates, Sheet& sheet,
                      std::uint64_t& pictureBytes) {
    std::vector<ChartAnchor> charts;
    ShapeCollector shapes(colors);
    package::DrawingPictures pictures;
    DrawingObjectsHandler handler(charts, &shapes, &pictures);
    package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
    pictures.addTo(archive, part, sheet, pictureBytes);
    addCharts(archive, part, charts, colors, dates, sheet);
    shapes.addTo(sheet);
}

void readChartSheet(const zip::ZipArchive& archive, const std::string& part,
                    const package::Colors& colors, DateSystem dates, Sheet& sheet) {
    if (!archive.contains(part))
        return;
    // A chart sheet holds nothing but its drawing; the relationship is enough to find it.
    const package::Relationships relationships = package::Relationships::read(archive, part);
    const package::Relationship* drawing = relationships.firstOfKind("drawing");
    if (!drawing || drawing->external || !archive.contains(drawing->target))
        return;
    std::vector<ChartAnchor> charts;
    DrawingObjectsHandler handler(charts, nullptr, nullptr);
    package::parsePart(archive, drawing->target, handler, limits::maxSmallPartBytes);
    addCharts(archive, drawing->target, charts, colors, dates, sheet);
    if (sheet.charts.size() > 1)
        sheet.charts.resize(1);
}

void parseDrawingShapesXml(std::string_view xml, const std::string& partName,
                           const package::Colors& colors, Sheet& sheet) {
    std::vector<ChartAnchor> charts;
    ShapeCollector shapes(colors);
    DrawingObjectsHandler handler(charts, &shapes, nullptr);
    xml::parse(xml, handler, partName);
    shapes.addTo(sheet);
}

} // namespace engine::drawingml
