#pragma once
// Where a drawing's anchor puts it on a grid of cells.

#include "engine/drawing/CellSizes.h"
#include "engine/model/Anchor.h"

namespace engine::drawing {

// Pixels of a drawing: its top-left corner from the top-left corner of its anchor cell, and its
// size (0 by 0 when the anchor gives none).
struct AnchorBox {
    int left = 0, top = 0, width = 0, height = 0;
};

int pointsToPixels(double points);

// A drawing tied to two cells spans the grid between them however large its cells are drawn;
// one tied to one cell keeps the size its anchor gives.
AnchorBox placeAnchor(const Anchor& anchor, const CellSizes& sizes);

// An anchor whose corners lie at shares of their cells: columns in 1/1024 of their width,
// rows in 1/256 of their height, as binary workbooks give them.
Anchor anchorByShares(std::uint16_t colL, std::uint16_t dxL, std::uint32_t rwT, std::uint16_t dyT,
                      std::uint16_t colR, std::uint16_t dxR, std::uint32_t rwB, std::uint16_t dyB);

// Sets `anchor.widthPt` and `heightPt` of a drawing tied to two cells from `sizes`.
void measureAnchor(Anchor& anchor, const CellSizes& sizes);

} // namespace engine::drawing
