#pragma once
// The expression tree every formula syntax is read into, and the one the evaluator walks.

#include "engine/base/Limits.h"
#include "engine/formula/Function.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine::formula {

// The grid's bounds: whole columns and rows reach these.
constexpr std::uint32_t maxRow = limits::maxRows - 1;
constexpr std::uint32_t maxCol = limits::maxColumns - 1;

// A rectangle of cells on one sheet or on a run of sheets (Sheet1:Sheet3!A1), 0-based and
// already moved to the cell the formula belongs to.
struct Reference {
    std::uint32_t firstSheet = 0, lastSheet = 0;
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint32_t firstCol = 0, lastCol = 0;

    bool isCell() const { return firstRow == lastRow && firstCol == lastCol; }
    std::uint32_t rows() const { return lastRow - firstRow + 1; }
    std::uint32_t cols() const { return lastCol - firstCol + 1; }
};

enum class Op : std::uint8_t {
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Concat,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Negate,
    Plus,
    Percent,
    Range,
    Intersect,
    Union
};

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    enum class Kind : std::uint8_t {
        Constant, // `value`
        Missing,  // an argument left out
        Ref,      // `ref`
        BadRef,   // a reference that points nowhere: #REF!
        Name,     // defined name `text`
        Unary,    // `op` of children[0]
        Binary,   // `op` of children[0], children[1]
        Call,     // function `text` (upper case, no prefix) of `children`
        Array,    // `rows` x `cols` constants in `children`, row by row
        Invoke,   // the function children[0] computes, called with children[1..]
    };
    Kind kind = Kind::Constant;
    Op op = Op::Add;
    Value value;
    Reference ref;
    std::string text;
    const FunctionInfo* function = nullptr; // Call: the library's function, when it has one
    std::uint32_t rows = 0, cols = 0;       // Array
    std::vector<NodePtr> children;
};

} // namespace engine::formula
