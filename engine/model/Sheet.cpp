#include "engine/model/Sheet.h"

#include <algorithm>

namespace engine {

std::vector<Cell>::const_iterator Sheet::firstCellFrom(std::uint32_t row, std::uint16_t col) const {
    const std::uint64_t wanted = cellKey(row, col);
    return std::lower_bound(cells.begin(), cells.end(), wanted, [](const Cell& cell, auto k) {
        return cellKey(cell.row, cell.col) < k;
    });
}

const Cell* Sheet::cellAt(std::uint32_t row, std::uint16_t col) const {
    const auto it = firstCellFrom(row, col);
    return it != cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

} // namespace engine
