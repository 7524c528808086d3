#include "engine/formula/calc/Areas.h"

#include "engine/formula/calc/Calculation.h"

#include <algorithm>

namespace engine::formula::calc {

Value SheetArea::at(std::uint32_t row, std::uint32_t col) const {
    if (row >= rows() || col >= cols())
        return Value::blank();
    return calc_.cellValue(sheet_, ref_.firstRow + row, ref_.firstCol + col, &hint_);
}

void SheetArea::forEachValue(
    const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const {
    const std::vector<Cell>& cells = calc_.sheet(sheet_).cells;
    const auto seek = [&](std::uint32_t row, std::uint32_t col) {
        return std::lower_bound(
            cells.begin(), cells.end(), std::pair{row, col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
            });
    };
    // Cells a dynamic array spilled over that the sheet does not hold yet, in their order.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> spilled =
        calc_.spilledCellsIn(sheet_, ref_);
    auto next = spilled.begin();
    const auto visitSpilled = [&](std::pair<std::uint32_t, std::uint32_t> before) {
        for (; next != spilled.end() && *next < before; ++next) {
            if (!calc_.charge(1))
                return false;
            const Value value = calc_.cellValue(sheet_, next->first, next->second);
            if (value.kind != ValueKind::Blank)
                visit(next->first - ref_.firstRow, next->second - ref_.firstCol, value);
        }
        return true;
    };
    auto it = seek(ref_.firstRow, ref_.firstCol);
    while (it != cells.end() && it->row <= ref_.lastRow) {
        if (it->col < ref_.firstCol) {
            it = seek(it->row, ref_.firstCol);
            continue;
        }
        if (it->col > ref_.lastCol) {
            if (it->row == ref_.lastRow)
                break;
            it = seek(it->row + 1, ref_.firstCol);
            continue;
        }
        const std::uint32_t row = it->row, col = it->col;
        const std::size_t position = static_cast<std::size_t>(it - cells.begin());
        if (!visitSpilled({row, col}) || !calc_.charge(1))
            return;
        std::size_t hint = position;
        const Value value = calc_.cellValue(sheet_, row, col, &hint);
        if (value.kind != ValueKind::Blank)
            visit(row - ref_.firstRow, col - ref_.firstCol, value);
        it = cells.begin() + static_cast<std::ptrdiff_t>(position) + 1;
    }
    visitSpilled({ref_.lastRow + 1, 0});
}

std::uint64_t SheetArea::identity() const {
    return calc_.areaIdentity(sheet_, ref_);
}

} // namespace engine::formula::calc
