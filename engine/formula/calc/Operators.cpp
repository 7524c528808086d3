#include "engine/base/Limits.h"
#include "engine/formula/calc/Calculation.h"

#include <cmath>

namespace engine::formula::calc {

Value Calculation::applyScalar(Op op, const Value& a, const Value& b) const {
    if (op == Op::Concat) {
        const Value x = toText(a);
        if (x.isError())
            return x;
        const Value y = toText(b);
        if (y.isError())
            return y;
        return Value::of(x.text + y.text);
    }
    if (op >= Op::Equal && op <= Op::GreaterEqual) {
        if (a.isError())
            return a;
        if (b.isError())
            return b;
        const int order = compareValues(a, b);
        switch (op) {
        case Op::Equal:
            return Value::of(order == 0);
        case Op::NotEqual:
            return Value::of(order != 0);
        case Op::Less:
            return Value::of(order < 0);
        case Op::LessEqual:
            return Value::of(order <= 0);
        case Op::Greater:
            return Value::of(order > 0);
        default:
            return Value::of(order >= 0);
        }
    }
    const Value x = toNumber(a, wb_.dateSystem);
    if (x.isError())
        return x;
    const Value y = toNumber(b, wb_.dateSystem);
    if (y.isError())
        return y;
    double result = 0;
    switch (op) {
    case Op::Add:
        result = x.number + y.number;
        break;
    case Op::Subtract:
        result = x.number - y.number;
        break;
    case Op::Multiply:
        result = x.number * y.number;
        break;
    case Op::Divide:
        if (y.number == 0)
            return Value::fail(CellError::Div0);
        result = x.number / y.number;
        break;
    case Op::Power:
        if (x.number == 0 && y.number == 0)
            return Value::fail(CellError::Num);
        if (x.number == 0 && y.number < 0)
            return Value::fail(CellError::Div0);
        result = std::pow(x.number, y.number);
        break;
    default:
        return Value::fail(CellError::Value);
    }
    if (!std::isfinite(result))
        return Value::fail(CellError::Num);
    return Value::of(result);
}

Operand Calculation::unary(const Node& node, const Frame& frame) {
    const Operand operand = eval(*node.children[0], frame);
    const auto apply = [&](const Value& v) -> Value {
        if (node.op == Op::Plus)
            return v;
        const Value n = toNumber(v, wb_.dateSystem);
        if (n.isError())
            return n;
        return Value::of(node.op == Op::Negate ? -n.number : n.number / 100);
    };
    const bool elementwise = operand.kind == Operand::Kind::Array ||
                             (frame.arrayMode && operand.kind == Operand::Kind::Refs);
    if (node.op == Op::Plus && operand.kind == Operand::Kind::Refs && !frame.arrayMode)
        return operand;
    if (!elementwise)
        return Operand::of(apply(scalar(operand, frame)));
    const auto m = matrix(operand, frame);
    auto out = std::make_shared<Matrix>();
    out->rows = m->rows;
    out->cols = m->cols;
    out->values.reserve(m->values.size());
    for (const Value& v : m->values)
        out->values.push_back(apply(v));
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

Operand Calculation::referenceOp(Op op, const Operand& a, const Operand& b) {
    if (a.kind == Operand::Kind::Scalar && a.value.isError())
        return a;
    if (b.kind == Operand::Kind::Scalar && b.value.isError())
        return b;
    if (a.kind != Operand::Kind::Refs || b.kind != Operand::Kind::Refs)
        return Operand::of(Value::fail(CellError::Value));
    if (op == Op::Union) {
        Operand o = a;
        o.refs.insert(o.refs.end(), b.refs.begin(), b.refs.end());
        return o;
    }
    if (a.refs.size() != 1 || b.refs.size() != 1 || a.refs[0].firstSheet != b.refs[0].firstSheet ||
        a.refs[0].lastSheet != b.refs[0].lastSheet)
        return Operand::of(Value::fail(CellError::Value));
    const Reference& x = a.refs[0];
    const Reference& y = b.refs[0];
    Reference r = x;
    if (op == Op::Range) {
        r.firstRow = std::min(x.firstRow, y.firstRow);
        r.lastRow = std::max(x.lastRow, y.lastRow);
        r.firstCol = std::min(x.firstCol, y.firstCol);
        r.lastCol = std::max(x.lastCol, y.lastCol);
        return Operand::ofRef(r);
    }
    r.firstRow = std::max(x.firstRow, y.firstRow);
    r.lastRow = std::min(x.lastRow, y.lastRow);
    r.firstCol = std::max(x.firstCol, y.firstCol);
    r.lastCol = std::min(x.lastCol, y.lastCol);
    if (r.firstRow > r.lastRow || r.firstCol > r.lastCol)
        return Operand::of(Value::fail(CellError::Null));
    return Operand::ofRef(r);
}

Operand Calculation::binary(const Node& node, const Frame& frame) {
    const Operand a = eval(*node.children[0], frame);
    const Operand b = eval(*node.children[1], frame);
    if (node.op == Op::Range || node.op == Op::Intersect || node.op == Op::Union)
        return referenceOp(node.op, a, b);
    if (!isBlock(a, frame) && !isBlock(b, frame))
        return Operand::of(applyScalar(node.op, scalar(a, frame), scalar(b, frame)));
    const auto x = matrix(a, frame);
    const auto y = matrix(b, frame);
    Shape shape;
    shape.include(*x);
    shape.include(*y);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value* p = Shape::pick(*x, r, c);
        const Value* q = Shape::pick(*y, r, c);
        return p && q ? applyScalar(node.op, *p, *q) : Value::fail(CellError::NA);
    });
}

// An array, or in an array formula a reference to more than one cell: what operators and
// single-value parameters work through element by element.
bool Calculation::isBlock(const Operand& o, const Frame& frame) const {
    return o.kind == Operand::Kind::Array || (frame.arrayMode && o.kind == Operand::Kind::Refs &&
                                              !(o.refs.size() == 1 && o.refs[0].isCell()));
}

// A block of `shape` whose elements `element` computes, within the bounds every operator and
// element-wise call keeps.
Operand Calculation::fill(const Shape& shape,
                          const std::function<Value(std::uint32_t, std::uint32_t)>& element) {
    const std::uint64_t count = std::uint64_t{shape.rows} * shape.cols;
    if (count > limits::maxMatrixCells)
        return Operand::of(Value::fail(CellError::Value));
    if (!charge(count))
        throw BudgetSpent{};
    auto out = std::make_shared<Matrix>();
    out->rows = shape.rows;
    out->cols = shape.cols;
    out->values.reserve(static_cast<std::size_t>(count));
    for (std::uint32_t r = 0; r < shape.rows; ++r)
        for (std::uint32_t c = 0; c < shape.cols; ++c)
            out->values.push_back(element(r, c));
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

} // namespace engine::formula::calc
