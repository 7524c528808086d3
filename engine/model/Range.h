#pragma once
// An inclusive, 0-based rectangle of cells.

#include <cstdint>

namespace engine {

struct Range {
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint16_t firstCol = 0, lastCol = 0;

    bool contains(std::uint32_t row, std::uint16_t col) const {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool operator==(const Range&) const = default;
};

} // namespace engine
