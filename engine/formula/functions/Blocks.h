#pragma once
// Whole blocks as the array functions take and give them: an argument read into rows and
// columns of values, and the answers built from such blocks.

#include "engine/formula/functions/Args.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace engine::formula::functions {

struct Block {
    std::uint32_t rows = 0, cols = 0;
    std::vector<Value> values;

    const Value& at(std::uint32_t row, std::uint32_t col) const {
        return values[std::size_t{row} * cols + col];
    }
    ArrayValue answer() && { return ArrayValue{rows, cols, std::move(values)}; }
};

// The argument as a block: a single value is 1 x 1. Nullopt when it is larger than every block
// may be or the budget runs out; `error` then says what the call answers.
std::optional<Block> readBlock(const Arg& arg, CallContext& context, Value& error);

// A 1 x 1 answer.
ArrayValue single(Value value);

} // namespace engine::formula::functions
