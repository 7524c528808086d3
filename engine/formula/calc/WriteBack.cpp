#include "engine/formula/calc/Calculation.h"

#include <algorithm>

namespace engine::formula::calc {

void Calculation::writeBack() {
    for (const FormulaState& state : states_) {
        if (state.status != Status::Done)
            continue;
        Sheet& sheet = wb_.sheets[state.sheet];
        const CellFormula& f = sheet.formulas[state.index];
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
            if (it == sheet.cells.end() || it->row != row || it->col != col) {
                Cell cell;
                cell.row = row;
                cell.col = static_cast<std::uint16_t>(col);
                it = sheet.cells.insert(it, cell);
            }
            it->isFormula = true;
            switch (value.kind) {
            case ValueKind::Blank:
                it->type = CellType::Number;
                it->number = 0;
                break;
            case ValueKind::Number:
                it->type = CellType::Number;
                it->number = value.number;
                break;
            case ValueKind::Boolean:
                it->type = CellType::Boolean;
                it->boolean = value.number != 0;
                break;
            case ValueKind::Error:
                it->type = CellType::Error;
                it->error = value.error;
                break;
            case ValueKind::Text:
                it->type = CellType::Text;
                it->text = static_cast<std::uint32_t>(wb_.strings.size());
                wb_.strings.push_back(RichText{value.text, {}});
                break;
            }
        };
        if (state.arrayResult) {
            const Matrix& m = *state.arrayResult;
            const Range& r = f.arrayRange;
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
}

} // namespace engine::formula::calc
