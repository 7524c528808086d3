#include "engine/formula/functions/Blocks.h"

#include "engine/base/Limits.h"

namespace engine::formula::functions {

std::optional<Block> readBlock(const Arg& arg, CallContext& context, Value& error) {
    const Grid grid(arg, context);
    if (!grid.area()) {
        if (grid.at(0, 0).isError()) {
            error = grid.at(0, 0);
            return std::nullopt;
        }
        return Block{1, 1, {grid.at(0, 0)}};
    }
    const std::uint64_t count = grid.size();
    if (count == 0 || count > limits::maxMatrixCells || !context.chargeWork(count)) {
        error = Value::fail(CellError::Value);
        return std::nullopt;
    }
    Block block{grid.rows(), grid.cols(), {}};
    block.values.resize(static_cast<std::size_t>(count));
    Budget budget(context);
    if (!grid.forEach(budget, [&](std::uint32_t row, std::uint32_t col, const Value& value) {
            block.values[std::size_t{row} * block.cols + col] = value;
        })) {
        error = Value::fail(CellError::Value);
        return std::nullopt;
    }
    return block;
}

ArrayValue single(Value value) {
    return ArrayValue{1, 1, {std::move(value)}};
}

} // namespace engine::formula::functions
