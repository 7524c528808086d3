#include "engine/base/Limits.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"

#include <algorithm>

namespace engine::formula::calc {

std::optional<std::uint32_t> Calculation::formulaAt(std::uint32_t sheet, std::uint32_t row,
                                                    std::uint32_t col) const {
    const auto& list = byCell_[sheet];
    const auto it = std::lower_bound(list.begin(), list.end(), std::tuple{row, col, 0u});
    if (it == list.end() || std::get<0>(*it) != row || std::get<1>(*it) != col)
        return std::nullopt;
    return std::get<2>(*it);
}

std::optional<std::uint32_t> Calculation::arrayAnchorOf(std::uint32_t sheet, std::uint32_t row,
                                                        std::uint32_t col) const {
    for (std::uint32_t id : arrays_[sheet]) {
        if (states_[id].range.contains(row, static_cast<std::uint16_t>(col)))
            return id;
    }
    return std::nullopt;
}

Value Calculation::cellValue(std::uint32_t sheet, std::uint32_t row, std::uint32_t col,
                             std::size_t* hint) {
    if (sheet >= wb_.sheets.size())
        return Value::fail(CellError::Ref);
    if (!arrays_[sheet].empty())
        if (const auto anchor = arrayAnchorOf(sheet, row, col);
            anchor && states_[*anchor].status != Status::Keep) {
            const Value& top = formulaValue(*anchor);
            const FormulaState& state = states_[*anchor];
            const CellFormula& f = wb_.sheets[sheet].formulas[state.index];
            if (!state.arrayResult)
                return row == f.row && col == f.col ? top : Value::fail(CellError::NA);
            const std::uint32_t r = row - state.range.firstRow, c = col - state.range.firstCol;
            const Matrix& m = *state.arrayResult;
            const std::uint32_t mr = m.rows == 1 ? 0 : r, mc = m.cols == 1 ? 0 : c;
            return mr < m.rows && mc < m.cols ? m.at(mr, mc) : Value::fail(CellError::NA);
        }
    const std::vector<Cell>& cells = wb_.sheets[sheet].cells;
    const auto matches = [&](std::size_t i) {
        return i < cells.size() && cells[i].row == row && cells[i].col == col;
    };
    // Scans read cell after cell: the caller's hint is usually the cell before this one.
    std::size_t index = cells.size();
    if (hint && matches(*hint))
        index = *hint;
    else if (hint && *hint < cells.size() &&
             (cells[*hint].row < row || (cells[*hint].row == row && cells[*hint].col < col))) {
        // A column read down a table: the next cell is a row's width ahead.
        for (std::size_t i = *hint + 1; i < cells.size() && i <= *hint + 32; ++i) {
            if (cells[i].row > row || (cells[i].row == row && cells[i].col >= col)) {
                if (matches(i))
                    index = i;
                else
                    return Value::blank();
                break;
            }
        }
    }
    if (index == cells.size()) {
        const auto it = std::lower_bound(
            cells.begin(), cells.end(), std::pair{row, col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
            });
        if (it != cells.end() && it->row == row && it->col == col)
            index = static_cast<std::size_t>(it - cells.begin());
    }
    if (index == cells.size())
        return Value::blank();
    if (hint)
        *hint = index;
    const Cell& cell = cells[index];
    if (cell.isFormula)
        if (const auto id = formulaAt(sheet, row, col); id && states_[*id].status != Status::Keep)
            return formulaValue(*id);
    switch (cell.type) {
    case CellType::Number:
        return Value::of(cell.number);
    case CellType::Text:
        return cell.text < wb_.strings.size() ? Value::of(wb_.strings[cell.text].text)
                                              : Value::blank();
    case CellType::Boolean:
        return Value::of(cell.boolean);
    case CellType::Error:
        return Value::fail(cell.error);
    case CellType::Empty:
        break;
    }
    return Value::blank();
}

void Calculation::markCycle(std::uint32_t id) {
    ++wb_.circularCells;
    states_[id].circular = true;
    const auto inChain = std::find(chain_.begin(), chain_.end(), id);
    for (auto it = inChain; it != chain_.end(); ++it)
        states_[*it].circular = true;
    if (inChain == chain_.end()) {
        // A formula waiting for a deeper one: everything above it in the queue is in the loop.
        for (auto it = std::find(waiting_.begin(), waiting_.end(), id); it != waiting_.end(); ++it)
            states_[*it].circular = true;
        for (std::uint32_t member : chain_)
            states_[member].circular = true;
    }
}

const Value& Calculation::formulaValue(std::uint32_t id) {
    static const Value zero = Value::of(0.0);
    FormulaState& state = states_[id];
    switch (state.status) {
    case Status::Done:
    case Status::Keep:
        return state.result;
    case Status::Running:
    case Status::Waiting:
        if (!state.circular)
            markCycle(id);
        return zero;
    case Status::Pending:
        break;
    }
    if (chain_.size() >= limits::maxCalculationDepth)
        throw Defer{id};
    state.status = Status::Running;
    chain_.push_back(id);
    Value result = evaluateFormula(state);
    chain_.pop_back();
    FormulaState& done = states_[id];
    done.status = Status::Done;
    // A formula's value is never empty: one that reads an empty cell holds 0, as the file
    // would store it, for the formulas that read it in turn.
    done.result =
        done.circular || result.kind == ValueKind::Blank ? Value::of(0.0) : std::move(result);
    return done.result;
}

Value Calculation::evaluateFormula(FormulaState& state) {
    const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
    if (!state.tree)
        return Value::fail(CellError::Name);
    Frame frame{state.sheet, f.row, f.col, f.array, nullptr};
    const Operand result = eval(*state.tree, frame);
    if (f.dynamic) {
        const bool block = result.kind == Operand::Kind::Array ||
                           (result.kind == Operand::Kind::Refs &&
                            !(result.refs.size() == 1 && result.refs[0].isCell()));
        if (block)
            return spill(state, matrix(result, frame));
        state.range = Range{f.row, f.row, f.col, f.col};
        return scalar(result, frame);
    }
    // A legacy array formula shows even a single value in every cell of its range.
    if (f.array) {
        auto m = matrix(result, frame);
        if (m && m->rows > 0 && m->cols > 0) {
            states_[static_cast<std::size_t>(&state - states_.data())].arrayResult = m;
            return m->at(0, 0);
        }
    }
    return scalar(result, frame);
}

void Calculation::computeAll() {
    // Dynamic array formulas first: until one has spilled, nothing knows which cells it covers.
    std::vector<std::uint32_t> order;
    order.reserve(states_.size());
    for (int pass = 0; pass < 2; ++pass)
        for (std::uint32_t id = 0; id < states_.size(); ++id) {
            const FormulaState& state = states_[id];
            if (wb_.sheets[state.sheet].formulas[state.index].dynamic == (pass == 0))
                order.push_back(id);
        }
    for (std::uint32_t start : order) {
        if (spent_)
            break;
        if (states_[start].status != Status::Pending)
            continue;
        waiting_.assign(1, start);
        while (!waiting_.empty() && !spent_) {
            const std::uint32_t top = waiting_.back();
            if (states_[top].status == Status::Done) {
                waiting_.pop_back();
                continue;
            }
            states_[top].status = Status::Pending;
            try {
                formulaValue(top);
                waiting_.pop_back();
            } catch (const Defer& deeper) {
                for (std::uint32_t id : chain_)
                    if (states_[id].status == Status::Running)
                        states_[id].status = Status::Pending;
                chain_.clear();
                states_[top].status = Status::Waiting;
                waiting_.push_back(deeper.id);
            } catch (const BudgetSpent&) {
                for (std::uint32_t id : chain_)
                    states_[id].status = Status::Keep;
                chain_.clear();
                spent_ = true;
            }
        }
        for (std::uint32_t id : waiting_)
            if (states_[id].status != Status::Done)
                states_[id].status = Status::Keep;
        waiting_.clear();
    }
    // What the budget did not reach keeps what the file holds.
    for (FormulaState& state : states_)
        if (state.status != Status::Done)
            state.status = Status::Keep;
}

void Calculation::run() {
    if (!anythingToCompute(wb_))
        return;
    collect();
    if (states_.empty())
        return;
    propagateVolatile();
    computeAll();
    findLinks();
    writeBack();
}

// A HYPERLINK formula makes its cell a link to the address its first argument computes,
// whether its shown value is computed or stored. The page writer then treats it as any cell
// hyperlink, with the same checks on the address.
void Calculation::findLinks() {
    for (FormulaState& state : states_) {
        if (!state.hyperlink || spent_)
            continue;
        const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
        Frame frame;
        frame.sheet = state.sheet;
        frame.row = f.row;
        frame.col = f.col;
        try {
            const Value address = scalar(eval(*state.tree->children[0], frame), frame);
            if (address.kind == ValueKind::Text)
                state.link = address.text;
        } catch (const Defer&) {
            chain_.clear();
        } catch (const BudgetSpent&) {
            chain_.clear();
            spent_ = true;
        }
    }
    for (const FormulaState& state : states_) {
        if (state.link.empty())
            continue;
        Sheet& sheet = wb_.sheets[state.sheet];
        const CellFormula& f = sheet.formulas[state.index];
        // The file's own links come first, and the page takes the first link of a cell.
        if (sheet.hyperlinks.size() >= limits::maxHyperlinks)
            continue;
        Hyperlink link;
        link.range = Range{f.row, f.row, f.col, f.col};
        // "#Sheet2!A1" is a place in the workbook, anything else an address outside it.
        if (state.link.front() == '#')
            link.location = state.link.substr(1);
        else
            link.target = state.link;
        sheet.hyperlinks.push_back(std::move(link));
    }
}

} // namespace engine::formula::calc
