#include "engine/ods/FrameAnchor.h"

#include "engine/base/Limits.h"
#include "engine/drawing/CellSizes.h"
#include "engine/ods/CellAddress.h"
#include "engine/ods/Values.h"

#include <algorithm>

namespace engine::ods {

Anchor frameAnchor(const xml::Attributes& attributes,
                   std::optional<std::pair<std::uint64_t, std::uint64_t>> cell) {
    Anchor anchor;
    if (cell) {
        anchor.row =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(cell->first, limits::maxRows - 1));
        anchor.col = static_cast<std::uint16_t>(
            std::min<std::uint64_t>(cell->second, limits::maxColumns - 1));
    }
    // Lengths past a million points (350 m) are damage, not a drawing.
    const auto length = [&](std::string_view name) {
        const auto points = lengthPoints(attributes.value(name));
        return points && *points > 0 && *points < 1e6 ? *points : 0.0;
    };
    anchor.colOffsetPt = length("x");
    anchor.rowOffsetPt = length("y");
    anchor.widthPt = length("width");
    anchor.heightPt = length("height");
    // Only a frame inside a cell moves with its cells; the end lies at or after the start.
    const auto end = cell ? addressedCell(attributes.value("end-cell-address")) : std::nullopt;
    if (end && end->first >= anchor.row && end->second >= anchor.col) {
        anchor.twoCell = true;
        anchor.toRow = end->first;
        anchor.toCol = end->second;
        anchor.toColOffsetPt = length("end-x");
        anchor.toRowOffsetPt = length("end-y");
    }
    return anchor;
}

namespace {

constexpr double pointsPerPixel = 0.75;

// `offset` from the sheet's edge, when it lies within the cell spanning [start, start + size)
// (points, half a point of rounding either way), becomes one from the cell's edge.
void settle(double& offset, double start, double size) {
    if (start > 0 && offset >= start - 0.5 && offset < start + size + 0.5)
        offset = std::max(0.0, offset - start);
}

} // namespace

void settleCellOffsets(Sheet& sheet) {
    const auto needs = [](const Anchor& anchor) {
        return (anchor.row > 0 && anchor.rowOffsetPt > 0) ||
               (anchor.col > 0 && anchor.colOffsetPt > 0);
    };
    bool any = false;
    for (const Picture& picture : sheet.pictures)
        any = any || needs(picture.anchor);
    for (const Chart& chart : sheet.charts)
        any = any || needs(chart.anchor);
    if (!any)
        return;
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    const auto place = [&](Anchor& anchor) {
        if (!needs(anchor))
            return;
        settle(anchor.colOffsetPt,
               static_cast<double>(sizes.columnsBetween(0, anchor.col)) * pointsPerPixel,
               sizes.columnWidth(anchor.col) * pointsPerPixel);
        settle(anchor.rowOffsetPt,
               static_cast<double>(sizes.rowsBetween(0, anchor.row)) * pointsPerPixel,
               sizes.rowHeight(anchor.row) * pointsPerPixel);
    };
    for (Picture& picture : sheet.pictures)
        place(picture.anchor);
    for (Chart& chart : sheet.charts)
        place(chart.anchor);
}

} // namespace engine::ods
