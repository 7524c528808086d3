#include "engine/formula/calc/Calculation.h"

#include <algorithm>

namespace engine::formula::calc {

void Calculation::writeBack() {
    // Cells a result adds are gathered per sheet and merged in once: a spill of many rows must
    // not shift the sheet's cells once per cell.
    std::vector<std::vector<Cell>> added(wb_.sheets.size());
    for (const FormulaState& state : states_) {
        if (state.status != Status::Done)
            continue;
        Sheet& sheet = wb_.sheets[state.sheet];
        CellFormula& f = sheet.formulas[state.index];
        const auto put = [&](std::uint32_t row, std::uint32_t col, const Value& value) {
            // With the string table full a text has nowhere to go: the cell keeps what the
            // file holds, and a cell the file does not have stays away.
            if (value.kind == ValueKind::Text && wb_.strings.size() >= stringLimit_)
                return;
            auto it = std::lower_bound(
                sheet.cells.begin(), sheet.cells.end(), std::pair{row, col},
                [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                    return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
                });
            Cell* target = nullptr;
            if (it == sheet.cells.end() || it->row != row || it->col != col) {
                Cell& cell = added[state.sheet].emplace_back();
                cell.row = row;
                cell.col = static_cast<std::uint16_t>(col);
                target = &cell;
            } else {
                target = &*it;
            }
            Cell* const cell = target;
            cell->isFormula = true;
            switch (value.kind) {
            case ValueKind::Blank:
                cell->type = CellType::Number;
                cell->number = 0;
                break;
            case ValueKind::Number:
                cell->type = CellType::Number;
                cell->number = value.number;
                break;
            case ValueKind::Boolean:
                cell->type = CellType::Boolean;
                cell->boolean = value.number != 0;
                break;
            case ValueKind::Error:
                cell->type = CellType::Error;
                cell->error = value.error;
                break;
            case ValueKind::Text:
                cell->type = CellType::Text;
                cell->text = static_cast<std::uint32_t>(wb_.strings.size());
                wb_.strings.push_back(RichText{value.text, {}});
                break;
            }
        };
        if (f.dynamic) {
            // What the file's earlier spill covered and this one does not is left empty.
            const Range old = f.arrayRange;
            for (auto it = std::lower_bound(
                     sheet.cells.begin(), sheet.cells.end(), old.firstRow,
                     [](const Cell&cell, std::uint32_t row) { return cell.row < row; });
                 it != sheet.cells.end() && it->row <= old.lastRow; ++it)
                if (old.contains(it->row, it->col) && !state.range.contains(it->row, it->col)) {
                    it->type = CellType::Empty;
                    it->isFormula = false;
                }
            f.arrayRange = state.range;
        }
        if (state.arrayResult) {
            const Matrix& m = *state.arrayResult;
            const Range& r = state.range;
            for (std::uint32_t row = r.firstRow; row <= r.lastRow; ++row)
                for (std::uint32_t col = r.firstCol; col <= r.lastCol; ++col) {
                    const std::uint32_t dr = row - r.firstRow, dc = col - r.firstCol;
                    const std::uint32_t mr = m.rows == 1 ? 0 : dr, mc = m.cols == 1 ? 0 : dc;
                    put(row, col,
                        mr < m.rows && mc < m.cols ? m.at(mr, mc) : Value::fail(CellError::NA));
                }
        } else {
            put(f.row, f.col, state.result);
        }
    }
    const auto before = [](const Cell& a, const Cell& b) {
        return a.row < b.row || (a.row == b.row && a.col < b.col);
    };
    for (std::size_t s = 0; s < added.size(); ++s) {
        if (added[s].empty())
            continue;
        std::vector<Cell>& cells = wb_.sheets[s].cells;
        std::sort(added[s].begin(), added[s].end(), before);
        const auto middle = static_cast<std::ptrdiff_t>(cells.size());
        cells.insert(cells.end(), added[s].begin(), added[s].end());
        std::inplace_merge(cells.begin(), cells.begin() + middle, cells.end(), before);
    }
}

} // namespace engine::formula::calc
