#pragma once
// Where a picture or chart sits on its sheet.

#include <cstdint>

namespace engine {

// The cell of the top-left corner with offsets, and the size.
struct Anchor {
    std::uint32_t row = 0;
    std::uint16_t col = 0;
    double rowOffsetPt = 0; // from the top of `row`, points
    double colOffsetPt = 0; // from the left of `col`, points
    double widthPt = 0;     // 0 when unknown: the image's own size is used
    double heightPt = 0;
};

} // namespace engine
