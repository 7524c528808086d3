#include "engine/formula/R1C1Reference.h"
#include "engine/formula/calc/Calculation.h"

#include <algorithm>
#include <cmath>

namespace engine::formula::calc {

// IF over a block of conditions: both branches are computed once and picked from element by
// element; a left-out branch is 0, an absent one FALSE.
Operand Calculation::elementwiseIf(const Node& node, const Operand& condition, const Frame& frame) {
    const auto branch = [&](std::size_t i) {
        if (i >= node.children.size())
            return single(Value::of(false));
        if (node.children[i]->kind == Node::Kind::Missing)
            return single(Value::of(0.0));
        return matrix(eval(*node.children[i], frame), frame);
    };
    const auto test = matrix(condition, frame);
    const auto yes = branch(1);
    const auto no = branch(2);
    Shape shape;
    for (const auto& m : {test, yes, no})
        shape.include(*m);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value b = toBoolean(Shape::valueAt(*test, r, c));
        return b.isError() ? b : Shape::valueAt(b.number != 0 ? *yes : *no, r, c);
    });
}

// CHOOSE over a block of indexes: CHOOSE({1,2},B1:B3,A1:A3) puts two columns side by side.
Operand Calculation::elementwiseChoose(const Node& node, const Operand& index, const Frame& frame) {
    const auto indexes = matrix(index, frame);
    std::vector<std::shared_ptr<const Matrix>> choices(node.children.size());
    Shape shape;
    shape.include(*indexes);
    for (std::size_t i = 1; i < node.children.size(); ++i) {
        choices[i] = node.children[i]->kind == Node::Kind::Missing
                         ? single(Value::of(0.0))
                         : matrix(eval(*node.children[i], frame), frame);
        shape.include(*choices[i]);
    }
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value v = toNumber(Shape::valueAt(*indexes, r, c), wb_.dateSystem);
        if (v.isError())
            return v;
        const double i = std::trunc(v.number);
        return i >= 1 && i < static_cast<double>(choices.size())
                   ? Shape::valueAt(*choices[static_cast<std::size_t>(i)], r, c)
                   : Value::fail(CellError::Value);
    });
}

// IFERROR and IFNA over a block: each error is replaced by the fallback's element.
Operand Calculation::elementwiseIfError(const Node& node, const Operand& first,
                                        const Frame& frame) {
    const bool onlyNA = node.text == "IFNA";
    const auto values = matrix(first, frame);
    std::shared_ptr<const Matrix> fallback;
    Shape shape;
    shape.include(*values);
    if (node.children[1]->kind != Node::Kind::Missing) {
        fallback = matrix(eval(*node.children[1], frame), frame);
        shape.include(*fallback);
    }
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        Value v = Shape::valueAt(*values, r, c);
        if (v.isError() && (!onlyNA || v.error == CellError::NA))
            v = fallback ? Shape::valueAt(*fallback, r, c) : Value::of(0.0);
        return v;
    });
}

Operand Calculation::special(const Node& node, const Frame& frame) {
    const std::string& f = node.text;
    const auto& args = node.children;
    const std::size_t n = args.size();
    const auto value = [&](std::size_t i) { return scalar(eval(*args[i], frame), frame); };
    const auto missing = [&](std::size_t i) {
        return i >= n || args[i]->kind == Node::Kind::Missing;
    };
    const auto bad = [](CellError e = CellError::Value) { return Operand::of(Value::fail(e)); };
    const auto integer = [&](std::size_t i, double& out) -> std::optional<Value> {
        const Value v = toNumber(value(i), wb_.dateSystem);
        if (v.isError())
            return v;
        out = std::trunc(v.number);
        return std::nullopt;
    };

    if (f == "SINGLE") {
        // The @ of a formula: one value, by implicit intersection for a range.
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        if (o.kind == Operand::Kind::Refs && o.refs.size() == 1 && o.refs[0].isCell())
            return o;
        Frame plain = frame;
        plain.arrayMode = false;
        return Operand::of(scalar(o, plain));
    }
    if (f == "ANCHORARRAY") {
        // A1#: the cells the array formula anchored at A1 covers once computed.
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs || o.refs.size() != 1 || !o.refs[0].isCell())
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : bad(CellError::Ref);
        const Reference& r = o.refs[0];
        if (r.firstSheet >= wb_.sheets.size())
            return bad(CellError::Ref);
        const auto id = formulaAt(r.firstSheet, r.firstRow, r.firstCol);
        if (!id || !wb_.sheets[r.firstSheet].formulas[states_[*id].index].array)
            return bad(CellError::Ref);
        const Value top = formulaValue(*id);
        if (top.isError() && top.error == CellError::Spill)
            return bad(CellError::Ref);
        const Range& range = states_[*id].range;
        Reference out = r;
        out.firstRow = range.firstRow;
        out.lastRow = range.lastRow;
        out.firstCol = range.firstCol;
        out.lastCol = range.lastCol;
        return Operand::ofRef(out);
    }
    if (f == "TODAY" || f == "NOW") {
        if (n != 0)
            return bad();
        return Operand::of(Value::of(f == "NOW" ? now_ : std::floor(now_)));
    }
    if (f == "IF") {
        if (n < 1 || n > 3)
            return bad();
        const Operand condition = eval(*args[0], frame);
        if (isBlock(condition, frame))
            return elementwiseIf(node, condition, frame);
        const Value c = toBoolean(scalar(condition, frame));
        if (c.isError())
            return Operand::of(c);
        const std::size_t branch = c.number != 0 ? 1 : 2;
        if (branch >= n)
            return Operand::of(Value::of(false));
        if (args[branch]->kind == Node::Kind::Missing)
            return Operand::of(Value::of(0.0));
        return eval(*args[branch], frame);
    }
    if (f == "IFS") {
        if (n < 2 || n % 2 != 0)
            return bad();
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            const Value c = toBoolean(value(i));
            if (c.isError())
                return Operand::of(c);
            if (c.number != 0)
                return eval(*args[i + 1], frame);
        }
        return bad(CellError::NA);
    }
    if (f == "IFERROR" || f == "IFNA") {
        if (n != 2)
            return bad();
        Operand first = eval(*args[0], frame);
        if (isBlock(first, frame))
            return elementwiseIfError(node, first, frame);
        const Value v = scalar(first, frame);
        const bool replace = v.isError() && (f == "IFERROR" || v.error == CellError::NA);
        if (!replace)
            return first.kind == Operand::Kind::Scalar ? Operand::of(v) : first;
        if (missing(1))
            return Operand::of(Value::of(0.0));
        return eval(*args[1], frame);
    }
    if (f == "SWITCH") {
        if (n < 3)
            return bad();
        const Value subject = value(0);
        if (subject.isError())
            return Operand::of(subject);
        std::size_t i = 1;
        for (; i + 1 < n; i += 2) {
            const Value candidate = value(i);
            if (candidate.isError())
                return Operand::of(candidate);
            if (compareValues(subject, candidate) == 0 && subject.kind != ValueKind::Blank &&
                ((subject.kind == ValueKind::Text) == (candidate.kind == ValueKind::Text)))
                return eval(*args[i + 1], frame);
        }
        if (i < n)
            return eval(*args[i], frame);
        return bad(CellError::NA);
    }
    if (f == "CHOOSE") {
        if (n < 2)
            return bad();
        const Operand which = eval(*args[0], frame);
        if (isBlock(which, frame))
            return elementwiseChoose(node, which, frame);
        const Value number = toNumber(scalar(which, frame), wb_.dateSystem);
        if (number.isError())
            return Operand::of(number);
        const double index = std::trunc(number.number);
        if (index < 1 || index >= static_cast<double>(n))
            return bad();
        const auto& chosen = *args[static_cast<std::size_t>(index)];
        if (chosen.kind == Node::Kind::Missing)
            return Operand::of(Value::of(0.0));
        return eval(chosen, frame);
    }
    if (f == "ROW" || f == "COLUMN") {
        if (n > 1)
            return bad();
        if (missing(0))
            return Operand::of(Value::of(double((f == "ROW" ? frame.row : frame.col) + 1)));
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs)
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : bad();
        const Reference& r = o.refs.front();
        return Operand::of(Value::of(double((f == "ROW" ? r.firstRow : r.firstCol) + 1)));
    }
    if (f == "ROWS" || f == "COLUMNS") {
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        const bool rows = f == "ROWS";
        switch (o.kind) {
        case Operand::Kind::Scalar:
            return o.value.isError() ? o : Operand::of(Value::of(1.0));
        case Operand::Kind::Array:
            return Operand::of(Value::of(double(rows ? o.array->rows : o.array->cols)));
        case Operand::Kind::Refs:
            if (o.refs.size() != 1)
                return bad(CellError::Ref);
            return Operand::of(Value::of(double(rows ? o.refs[0].rows() : o.refs[0].cols())));
        }
    }
    if (f == "OFFSET") {
        if (n < 3 || n > 5)
            return bad();
        const Operand base = eval(*args[0], frame);
        if (base.kind != Operand::Kind::Refs || base.refs.size() != 1)
            return base.kind == Operand::Kind::Scalar && base.value.isError() ? base : bad();
        Reference r = base.refs[0];
        double rows = 0, cols = 0, height = r.rows(), width = r.cols();
        if (const auto e = integer(1, rows))
            return Operand::of(*e);
        if (const auto e = integer(2, cols))
            return Operand::of(*e);
        // A height or width drops its fraction, but one that is not 0 spans at least a cell.
        const auto extent = [&](std::size_t i, double& out) -> std::optional<Value> {
            const Value v = toNumber(value(i), wb_.dateSystem);
            if (v.isError())
                return v;
            out = v.number == 0
                      ? 0.0
                      : std::copysign(std::max(1.0, std::trunc(std::fabs(v.number))), v.number);
            return std::nullopt;
        };
        if (!missing(3))
            if (const auto e = extent(3, height))
                return Operand::of(*e);
        if (!missing(4))
            if (const auto e = extent(4, width))
                return Operand::of(*e);
        if (height == 0 || width == 0)
            return bad(CellError::Ref);
        // A negative height or width reaches up or left from the moved corner.
        double top = r.firstRow + rows, left = r.firstCol + cols;
        if (height < 0)
            top += height + 1;
        if (width < 0)
            left += width + 1;
        const double bottom = top + std::fabs(height) - 1, right = left + std::fabs(width) - 1;
        if (top < 0 || left < 0 || bottom > maxRow || right > maxCol)
            return bad(CellError::Ref);
        r.firstRow = static_cast<std::uint32_t>(top);
        r.lastRow = static_cast<std::uint32_t>(bottom);
        r.firstCol = static_cast<std::uint32_t>(left);
        r.lastCol = static_cast<std::uint32_t>(right);
        return Operand::ofRef(r);
    }
    if (f == "INDIRECT") {
        if (n < 1 || n > 2)
            return bad();
        const Value text = toText(value(0));
        if (text.isError())
            return Operand::of(text);
        if (!missing(1)) {
            const Value a1 = toBoolean(value(1));
            if (a1.isError())
                return Operand::of(a1);
            if (a1.number == 0) {
                const auto r =
                    parseR1C1(text.text, parseContext(frame.sheet, frame.row, frame.col));
                return r ? Operand::ofRef(*r) : bad(CellError::Ref);
            }
        }
        const ParseResult parsed =
            parseFormula(text.text, parseContext(frame.sheet, frame.row, frame.col));
        if (!parsed.root)
            return bad(CellError::Ref);
        const Node& root = *parsed.root;
        if (root.kind == Node::Kind::Ref)
            return Operand::ofRef(root.ref);
        if (root.kind == Node::Kind::Name) {
            Operand o = name(root, frame);
            if (o.kind == Operand::Kind::Refs)
                return o;
        }
        if (root.kind == Node::Kind::Binary && root.op == Op::Range) {
            Operand o = eval(root, frame);
            if (o.kind == Operand::Kind::Refs)
                return o;
        }
        return bad(CellError::Ref);
    }
    if (f == "ISFORMULA") {
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs)
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : bad();
        const Reference& r = o.refs.front();
        const bool formula = r.firstSheet < wb_.sheets.size() &&
                             (formulaAt(r.firstSheet, r.firstRow, r.firstCol) ||
                              arrayAnchorOf(r.firstSheet, r.firstRow, r.firstCol));
        return Operand::of(Value::of(formula));
    }
    if (f == "INDEX") {
        if (n < 2 || n > 4)
            return bad();
        const Operand source = eval(*args[0], frame);
        if (source.kind == Operand::Kind::Scalar && source.value.isError())
            return source;
        double row = 0, col = 0, areaNumber = 1;
        if (!missing(1))
            if (const auto e = integer(1, row))
                return Operand::of(*e);
        if (!missing(2))
            if (const auto e = integer(2, col))
                return Operand::of(*e);
        if (!missing(3))
            if (const auto e = integer(3, areaNumber))
                return Operand::of(*e);
        if (row < 0 || col < 0)
            return bad();
        std::uint32_t rows = 1, cols = 1;
        Reference r;
        if (source.kind == Operand::Kind::Refs) {
            if (areaNumber < 1 || areaNumber > static_cast<double>(source.refs.size()))
                return bad(CellError::Ref);
            r = source.refs[static_cast<std::size_t>(areaNumber) - 1];
            rows = r.rows();
            cols = r.cols();
        } else if (areaNumber != 1) {
            return bad(CellError::Ref); // an array or value is one area only
        } else if (source.kind == Operand::Kind::Array) {
            rows = source.array->rows;
            cols = source.array->cols;
        }
        // One index into a single row or column counts along it.
        if (n == 2 || missing(2)) {
            if (rows == 1 && cols > 1) {
                col = row;
                row = 1;
            } else if (n == 2 && cols == 1) {
                col = 1;
            }
        }
        if (row > rows || col > cols)
            return bad(CellError::Ref);
        if (source.kind == Operand::Kind::Refs) {
            Reference out = r;
            if (row > 0)
                out.firstRow = out.lastRow = r.firstRow + static_cast<std::uint32_t>(row) - 1;
            if (col > 0)
                out.firstCol = out.lastCol = r.firstCol + static_cast<std::uint32_t>(col) - 1;
            return Operand::ofRef(out);
        }
        if (source.kind == Operand::Kind::Scalar)
            return Operand::of(source.value);
        const Matrix& m = *source.array;
        if (row > 0 && col > 0)
            return Operand::of(
                m.at(static_cast<std::uint32_t>(row) - 1, static_cast<std::uint32_t>(col) - 1));
        auto part = std::make_shared<Matrix>();
        for (std::uint32_t i = 0; i < m.rows; ++i)
            for (std::uint32_t j = 0; j < m.cols; ++j)
                if ((row == 0 || i + 1 == row) && (col == 0 || j + 1 == col))
                    part->values.push_back(m.at(i, j));
        part->rows = row == 0 ? m.rows : 1;
        part->cols = col == 0 ? m.cols : 1;
        Operand o;
        o.kind = Operand::Kind::Array;
        o.array = std::move(part);
        return o;
    }
    return information(node, frame);
}

} // namespace engine::formula::calc
