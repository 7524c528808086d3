#include "engine/drawing/AnchorBox.h"

#include "engine/base/Limits.h"

#include <algorithm>
#include <cmath>

namespace engine::drawing {
namespace {

double share(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

int clampPixels(double pixels) {
    if (!std::isfinite(pixels))
        return 0;
    return static_cast<int>(std::lround(
        std::clamp<double>(pixels, -limits::maxAnchorOffsetPixels, limits::maxAnchorOffsetPixels)));
}

} // namespace

int pointsToPixels(double points) {
    if (!std::isfinite(points))
        return 0;
    return clampPixels(std::clamp(points, -1e7, 1e7) * 96.0 / 72.0);
}

namespace {

// The corners in pixels, unrounded, from the top-left corner of the anchor cell; right and
// bottom are NaN for a drawing tied to one cell.
struct Corners {
    double left, top, right, bottom;
};

Corners cornersOf(const Anchor& anchor, const CellSizes& sizes) {
    const double pixelsPerPoint = 96.0 / 72.0;
    auto points = [&](double value) {
        return std::isfinite(value) ? std::clamp(value, -1e7, 1e7) * pixelsPerPoint : 0.0;
    };
    Corners corners{
        points(anchor.colOffsetPt) + share(anchor.colShare) * sizes.columnWidth(anchor.col),
        points(anchor.rowOffsetPt) + share(anchor.rowShare) * sizes.rowHeight(anchor.row),
        std::nan(""), std::nan("")};
    if (anchor.twoCell && anchor.toCol >= anchor.col && anchor.toRow >= anchor.row) {
        corners.right = static_cast<double>(sizes.columnsBetween(anchor.col, anchor.toCol)) +
                        points(anchor.toColOffsetPt) +
                        share(anchor.toColShare) * sizes.columnWidth(anchor.toCol);
        corners.bottom = static_cast<double>(sizes.rowsBetween(anchor.row, anchor.toRow)) +
                         points(anchor.toRowOffsetPt) +
                         share(anchor.toRowShare) * sizes.rowHeight(anchor.toRow);
    }
    return corners;
}

} // namespace

AnchorBox placeAnchor(const Anchor& anchor, const CellSizes& sizes) {
    const Corners corners = cornersOf(anchor, sizes);
    AnchorBox box;
    box.left = clampPixels(corners.left);
    box.top = clampPixels(corners.top);
    if (std::isfinite(corners.right) && std::isfinite(corners.bottom)) {
        // Rounding each corner, not the size, keeps a drawing flush with the cells it spans.
        box.width = std::max(0, clampPixels(corners.right) - box.left);
        box.height = std::max(0, clampPixels(corners.bottom) - box.top);
    } else if (anchor.widthPt > 0 && anchor.heightPt > 0) {
        box.width = std::max(0, pointsToPixels(anchor.widthPt));
        box.height = std::max(0, pointsToPixels(anchor.heightPt));
    }
    return box;
}

Anchor anchorByShares(std::uint16_t colL, std::uint16_t dxL, std::uint32_t rwT, std::uint16_t dyT,
                      std::uint16_t colR, std::uint16_t dxR, std::uint32_t rwB, std::uint16_t dyB) {
    Anchor anchor;
    anchor.col = std::min<std::uint16_t>(colL, 255);
    anchor.row = rwT;
    anchor.colShare = std::min<int>(dxL, 1024) / 1024.0;
    anchor.rowShare = std::min<int>(dyT, 256) / 256.0;
    colR = std::min<std::uint16_t>(colR, 255);
    if (colR >= anchor.col && rwB >= rwT) {
        anchor.twoCell = true;
        anchor.toCol = colR;
        anchor.toRow = rwB;
        anchor.toColShare = std::min<int>(dxR, 1024) / 1024.0;
        anchor.toRowShare = std::min<int>(dyB, 256) / 256.0;
    }
    return anchor;
}

void measureAnchor(Anchor& anchor, const CellSizes& sizes) {
    const Corners corners = cornersOf(anchor, sizes);
    if (!std::isfinite(corners.right) || !std::isfinite(corners.bottom))
        return;
    anchor.widthPt = std::max(0.0, corners.right - corners.left) * 0.75;
    anchor.heightPt = std::max(0.0, corners.bottom - corners.top) * 0.75;
}

} // namespace engine::drawing
