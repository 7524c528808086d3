#include "engine/drawing/AnchorBox.h"

#include <algorithm>
#include <cmath>

namespace engine::drawing {
namespace {

// No drawing is placed further than this from its cell; a larger value is taken as damage.
constexpr long long maxPixels = 1LL << 24;

double share(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

int clampPixels(double pixels) {
    if (!std::isfinite(pixels))
        return 0;
    return static_cast<int>(std::lround(std::clamp<double>(pixels, -maxPixels, maxPixels)));
}

} // namespace

int pointsToPixels(double points) {
    if (!std::isfinite(points))
        return 0;
    return clampPixels(std::clamp(points, -1e7, 1e7) * 96.0 / 72.0);
}

AnchorBox placeAnchor(const Anchor& anchor, const CellSizes& sizes) {
    AnchorBox box;
    const double left =
        pointsToPixels(anchor.colOffsetPt) + share(anchor.colShare) * sizes.columnWidth(anchor.col);
    const double top =
        pointsToPixels(anchor.rowOffsetPt) + share(anchor.rowShare) * sizes.rowHeight(anchor.row);
    box.left = clampPixels(left);
    box.top = clampPixels(top);
    if (anchor.twoCell && anchor.toCol >= anchor.col && anchor.toRow >= anchor.row) {
        const double right = static_cast<double>(sizes.columnsBetween(anchor.col, anchor.toCol)) +
                             pointsToPixels(anchor.toColOffsetPt) +
                             share(anchor.toColShare) * sizes.columnWidth(anchor.toCol);
        const double bottom = static_cast<double>(sizes.rowsBetween(anchor.row, anchor.toRow)) +
                              pointsToPixels(anchor.toRowOffsetPt) +
                              share(anchor.toRowShare) * sizes.rowHeight(anchor.toRow);
        // Rounding each corner, not the size, keeps a drawing flush with the cells it spans.
        box.width = std::max(0, clampPixels(right) - box.left);
        box.height = std::max(0, clampPixels(bottom) - box.top);
        return box;
    }
    if (anchor.widthPt > 0 && anchor.heightPt > 0) {
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
    if (!anchor.twoCell)
        return;
    const AnchorBox box = placeAnchor(anchor, sizes);
    anchor.widthPt = box.width * 0.75;
    anchor.heightPt = box.height * 0.75;
}

} // namespace engine::drawing
