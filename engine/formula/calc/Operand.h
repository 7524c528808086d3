#pragma once
// What the evaluator passes between its steps: blocks of values, operands (a value, references
// or a block), the frame a formula is computed in, and the signals that unwind a computation.

#include "engine/formula/Expr.h"
#include "engine/formula/Value.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine::formula::calc {

struct Matrix {
    std::uint32_t rows = 0, cols = 0;
    std::vector<Value> values;
    const Value& at(std::uint32_t r, std::uint32_t c) const { return values[r * cols + c]; }
};

// The block element-wise work fills: as large as its largest input, a single row or column
// repeated to that size, #N/A where an input does not reach.
struct Shape {
    std::uint32_t rows = 1, cols = 1;
    void include(const Matrix& m) {
        rows = std::max(rows, m.rows);
        cols = std::max(cols, m.cols);
    }
    static const Value* pick(const Matrix& m, std::uint32_t r, std::uint32_t c) {
        const std::uint32_t mr = m.rows == 1 ? 0 : r, mc = m.cols == 1 ? 0 : c;
        return mr < m.rows && mc < m.cols ? &m.at(mr, mc) : nullptr;
    }
    static Value valueAt(const Matrix& m, std::uint32_t r, std::uint32_t c) {
        const Value* v = pick(m, r, c);
        return v ? *v : Value::fail(CellError::NA);
    }
};

inline std::shared_ptr<const Matrix> single(Value v) {
    auto m = std::make_shared<Matrix>();
    m->rows = m->cols = 1;
    m->values.push_back(std::move(v));
    return m;
}

struct Lambda;

struct Operand {
    enum class Kind : std::uint8_t { Scalar, Refs, Array };
    Kind kind = Kind::Scalar;
    Value value;
    std::vector<Reference> refs;
    std::shared_ptr<const Matrix> array;
    // A function made by LAMBDA: a Scalar whose value, wherever a value is wanted, is #CALC!.
    std::shared_ptr<const Lambda> lambda;
    // A parameter a call left out, for ISOMITTED; its value is blank.
    bool omitted = false;

    static Operand of(Value v) {
        Operand o;
        o.value = std::move(v);
        return o;
    }
    static Operand ofRef(const Reference& r) {
        Operand o;
        o.kind = Kind::Refs;
        o.refs.push_back(r);
        return o;
    }
};

struct Defer {
    std::uint32_t id;
};
struct BudgetSpent {};

// The names LET and LAMBDA bind, innermost first.
struct Scope {
    std::string name; // upper case, without the _xlpm. prefix
    Operand value;
    std::shared_ptr<const Scope> outer;
};

// A LAMBDA's parameters and body (the LAMBDA call's own node) with the names it saw where it
// was made. `tree` keeps a defined name's parsed text alive for as long as the function is.
struct Lambda {
    const Node* node = nullptr;
    std::shared_ptr<const Scope> captured;
    std::shared_ptr<const Node> tree;
};

struct Frame {
    std::uint32_t sheet = 0, row = 0, col = 0;
    bool arrayMode = false;
    std::shared_ptr<const Scope> scope;
};

} // namespace engine::formula::calc
