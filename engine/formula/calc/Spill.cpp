// Dynamic array formulas: a block spills from its anchor over the cells it needs, unless
// something already stands there or a merged cell lies in the way.
#include "engine/formula/calc/Calculation.h"

#include <algorithm>

namespace engine::formula::calc {

Value Calculation::spill(FormulaState& state, std::shared_ptr<const Matrix> block) {
    const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
    state.range = Range{f.row, f.row, f.col, f.col};
    if (!block || block->rows == 0 || block->cols == 0)
        return Value::fail(CellError::Value);
    if (block->rows == 1 && block->cols == 1)
        return block->at(0, 0);
    const std::uint64_t lastRow = std::uint64_t{f.row} + block->rows - 1;
    const std::uint64_t lastCol = std::uint64_t{f.col} + block->cols - 1;
    if (lastRow > maxRow || lastCol > maxCol)
        return Value::fail(CellError::Spill);
    const Range target{f.row, static_cast<std::uint32_t>(lastRow), f.col,
                       static_cast<std::uint16_t>(lastCol)};
    if (spillBlocked(state.sheet, target, f.arrayRange))
        return Value::fail(CellError::Spill);
    state.range = target;
    state.arrayResult = std::move(block);
    return state.arrayResult->at(0, 0);
}

bool Calculation::spillBlocked(std::uint32_t sheet, const Range& target, const Range& own) {
    // A merged cell anywhere in the block, the anchor's own merge included, stops it.
    const std::vector<Range>& merges = wb_.sheets[sheet].merges;
    if (!charge(merges.size()))
        throw BudgetSpent{};
    for (const Range& merge : merges)
        if (merge.firstRow <= target.lastRow && merge.lastRow >= target.firstRow &&
            merge.firstCol <= target.lastCol && merge.lastCol >= target.firstCol)
            return true;
    const std::vector<Cell>& cells = wb_.sheets[sheet].cells;
    const auto seek = [&](std::uint32_t row, std::uint32_t col) {
        return std::lower_bound(
            cells.begin(), cells.end(), std::pair{row, col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
            });
    };
    for (std::uint32_t row = target.firstRow; row <= target.lastRow; ++row) {
        if (!charge(1))
            throw BudgetSpent{};
        for (auto it = seek(row, target.firstCol);
             it != cells.end() && it->row == row && it->col <= target.lastCol; ++it) {
            if (row == target.firstRow && it->col == target.firstCol)
                continue; // the anchor
            if (own.contains(row, it->col) && !formulaAt(sheet, row, it->col))
                continue; // the file's copy of an earlier spill
            if (it->type != CellType::Empty || it->isFormula)
                return true;
        }
        // Another array formula's range blocks too.
        for (std::uint32_t id : arrays_[sheet]) {
            const Range& r = states_[id].range;
            const CellFormula& other = wb_.sheets[sheet].formulas[states_[id].index];
            if (other.row == target.firstRow && other.col == target.firstCol)
                continue;
            if (row >= r.firstRow && row <= r.lastRow && r.firstCol <= target.lastCol &&
                r.lastCol >= target.firstCol)
                return true;
        }
    }
    return false;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>>
Calculation::spilledCellsIn(std::uint32_t sheet, const Reference& ref) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    if (sheet >= arrays_.size())
        return out;
    const std::vector<Cell>& cells = wb_.sheets[sheet].cells;
    for (std::uint32_t id : arrays_[sheet]) {
        const FormulaState& state = states_[id];
        if (state.status == Status::Keep)
            continue;
        const Range& r = state.range;
        const std::uint32_t top = std::max(r.firstRow, ref.firstRow);
        const std::uint32_t bottom = std::min(r.lastRow, ref.lastRow);
        const std::uint32_t left = std::max<std::uint32_t>(r.firstCol, ref.firstCol);
        const std::uint32_t right = std::min<std::uint32_t>(r.lastCol, ref.lastCol);
        for (std::uint32_t row = top; row <= bottom && left <= right; ++row) {
            if (!charge(right - left + 1))
                throw BudgetSpent{};
            for (std::uint32_t col = left; col <= right; ++col) {
                const auto it = std::lower_bound(
                    cells.begin(), cells.end(), std::pair{row, col},
                    [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                        return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
                    });
                if (it == cells.end() || it->row != row || it->col != col)
                    out.emplace_back(row, col);
            }
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace engine::formula::calc
