#pragma once
// Where a picture or chart sits on its sheet.

#include <cstdint>

namespace engine {

// The cell of the top-left corner with offsets, and the size. An offset is in points, plus a
// share of its cell's size where the file measures it so (binary workbooks: 1/1024 of a column,
// 1/256 of a row), since only the grid the page draws knows how large that cell is.
struct Anchor {
    std::uint32_t row = 0;
    std::uint16_t col = 0;
    double rowOffsetPt = 0; // from the top of `row`, points
    double colOffsetPt = 0; // from the left of `col`, points
    // The size in points, 0 when unknown (the image's own size is used); for a drawing tied to
    // two cells, the size the reader measured, which the page measures again on its own grid.
    double widthPt = 0;
    double heightPt = 0;
    double rowShare = 0; // of `row`'s height, 0..1, on top of rowOffsetPt
    double colShare = 0; // of `col`'s width, 0..1, on top of colOffsetPt
    // A drawing that stretches with its cells: the cell of its bottom-right corner.
    bool twoCell = false;
    std::uint32_t toRow = 0;
    std::uint16_t toCol = 0;
    double toRowOffsetPt = 0, toColOffsetPt = 0;
    double toRowShare = 0, toColShare = 0;
};

} // namespace engine
