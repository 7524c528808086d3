// TAKE, DROP, CHOOSEROWS, CHOOSECOLS, VSTACK, HSTACK, TOCOL, TOROW, WRAPROWS, WRAPCOLS and
// EXPAND: blocks cut, joined, flattened and folded.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"

#include <cmath>

namespace engine::formula::functions {
namespace {

ArrayValue failed(CellError error) {
    return single(Value::fail(error));
}

// A whole-number argument; `fallback` when left out or absent.
std::optional<double> count(Args args, std::size_t i, CallContext& c,
                            std::optional<double> fallback, Value& error) {
    if (i >= args.size() || args[i].kind == Arg::Kind::Missing) {
        if (!fallback)
            error = Value::fail(CellError::Value);
        return fallback;
    }
    const Value v = toNumber(scalarOf(args[i], c), c.dateSystem());
    if (v.isError()) {
        error = v;
        return std::nullopt;
    }
    return std::trunc(v.number);
}

ArrayValue cut(const Block& b, std::uint32_t top, std::uint32_t rows, std::uint32_t left,
               std::uint32_t cols) {
    ArrayValue out{rows, cols, {}};
    out.values.reserve(std::size_t{rows} * cols);
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::uint32_t k = 0; k < cols; ++k)
            out.values.push_back(b.at(top + r, left + k));
    return out;
}

// TAKE keeps the first n lines (the last for negative n), DROP leaves them out.
template <bool Take> ArrayValue takeOrDrop(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    const auto rows = count(args, 1, c, Take ? block->rows : 0.0, error);
    const auto cols = rows ? count(args, 2, c, Take ? block->cols : 0.0, error) : std::nullopt;
    if (!cols)
        return single(error);
    std::uint32_t span[2][2]; // [rows|cols][first, count]
    const double sizes[2] = {static_cast<double>(block->rows), static_cast<double>(block->cols)};
    const double asked[2] = {*rows, *cols};
    for (int axis = 0; axis < 2; ++axis) {
        const double n = std::min(std::fabs(asked[axis]), sizes[axis]);
        const double kept = Take ? n : sizes[axis] - n;
        // An empty block is #CALC!, the application's error for an empty array.
        if (kept <= 0)
            return failed(CellError::Calc);
        const bool fromEnd = Take ? asked[axis] < 0 : asked[axis] >= 0;
        span[axis][0] = static_cast<std::uint32_t>(fromEnd ? sizes[axis] - kept : 0);
        span[axis][1] = static_cast<std::uint32_t>(kept);
    }
    return cut(*block, span[0][0], span[0][1], span[1][0], span[1][1]);
}

// CHOOSEROWS and CHOOSECOLS: the lines numbered, from the end for negative numbers.
template <bool Rows> ArrayValue chooseLines(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    const std::uint32_t lines = Rows ? block->rows : block->cols;
    std::vector<std::uint32_t> chosen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        auto numbers = readBlock(args[i], c, error);
        if (!numbers)
            return single(error);
        for (const Value& v : numbers->values) {
            const Value n = toNumber(v, c.dateSystem());
            if (n.isError())
                return single(n);
            const double k = std::trunc(n.number);
            if (k == 0 || std::fabs(k) > lines)
                return failed(CellError::Value);
            chosen.push_back(static_cast<std::uint32_t>(k > 0 ? k - 1 : lines + k));
            if (chosen.size() > limits::maxMatrixCells)
                return failed(CellError::Value);
        }
    }
    const auto n = static_cast<std::uint32_t>(chosen.size());
    ArrayValue out{Rows ? n : block->rows, Rows ? block->cols : n, {}};
    if (std::uint64_t{out.rows} * out.cols > limits::maxMatrixCells)
        return failed(CellError::Value);
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t k = 0; k < out.cols; ++k)
            out.values.push_back(Rows ? block->at(chosen[r], k) : block->at(r, chosen[k]));
    return out;
}

// VSTACK puts blocks under one another, HSTACK beside; the shorter ones are padded with #N/A.
template <bool Vertical> ArrayValue stack(Args args, CallContext& c) {
    Value error;
    std::vector<Block> blocks;
    std::uint64_t along = 0, across = 0;
    for (const Arg& arg : args) {
        auto block = readBlock(arg, c, error);
        if (!block)
            return single(error);
        along += Vertical ? block->rows : block->cols;
        across = std::max<std::uint64_t>(across, Vertical ? block->cols : block->rows);
        blocks.push_back(std::move(*block));
    }
    if (along * across > limits::maxMatrixCells || !c.chargeWork(along * across))
        return failed(CellError::Value);
    ArrayValue out{static_cast<std::uint32_t>(Vertical ? along : across),
                   static_cast<std::uint32_t>(Vertical ? across : along),
                   {}};
    out.values.assign(std::size_t{out.rows} * out.cols, Value::fail(CellError::NA));
    std::uint32_t offset = 0;
    for (const Block& b : blocks) {
        for (std::uint32_t r = 0; r < b.rows; ++r)
            for (std::uint32_t k = 0; k < b.cols; ++k) {
                const std::uint32_t row = Vertical ? offset + r : r;
                const std::uint32_t col = Vertical ? k : offset + k;
                out.values[std::size_t{row} * out.cols + col] = b.at(r, k);
            }
        offset += Vertical ? b.rows : b.cols;
    }
    return out;
}

// TOCOL and TOROW: the values in one line, by rows or by columns, without blanks (ignore 1),
// errors (2) or both (3).
template <bool Column> ArrayValue flatten(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    const auto ignore = count(args, 1, c, 0.0, error);
    if (!ignore)
        return single(error);
    bool byColumn = false;
    if (args.size() > 2 && args[2].kind != Arg::Kind::Missing) {
        const Value v = toBoolean(scalarOf(args[2], c));
        if (v.isError())
            return single(v);
        byColumn = v.number != 0;
    }
    if (*ignore < 0 || *ignore > 3)
        return failed(CellError::Value);
    const int skip = static_cast<int>(*ignore);
    std::vector<Value> values;
    const std::uint32_t outer = byColumn ? block->cols : block->rows;
    const std::uint32_t inner = byColumn ? block->rows : block->cols;
    for (std::uint32_t i = 0; i < outer; ++i)
        for (std::uint32_t j = 0; j < inner; ++j) {
            const Value& v = byColumn ? block->at(j, i) : block->at(i, j);
            if (((skip & 1) && v.kind == ValueKind::Blank) || ((skip & 2) && v.isError()))
                continue;
            values.push_back(v);
        }
    if (values.empty())
        return failed(CellError::Calc);
    const auto n = static_cast<std::uint32_t>(values.size());
    return ArrayValue{Column ? n : 1, Column ? 1 : n, std::move(values)};
}

// WRAPROWS folds a line into rows of `count` values, WRAPCOLS into columns; the last is padded.
template <bool Rows> ArrayValue wrap(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    if (block->rows != 1 && block->cols != 1)
        return failed(CellError::Value);
    const auto size = count(args, 1, c, std::nullopt, error);
    if (!size)
        return single(error);
    if (*size < 1)
        return failed(CellError::Num);
    Value pad = Value::fail(CellError::NA);
    if (args.size() > 2 && args[2].kind != Arg::Kind::Missing)
        pad = scalarOf(args[2], c);
    const auto total = static_cast<std::uint32_t>(block->values.size());
    const auto width = static_cast<std::uint32_t>(std::min<double>(*size, total));
    const std::uint32_t lines = (total + width - 1) / width;
    ArrayValue out{Rows ? lines : width, Rows ? width : lines, {}};
    out.values.assign(std::size_t{out.rows} * out.cols, pad);
    for (std::uint32_t i = 0; i < total; ++i) {
        const std::uint32_t line = i / width, place = i % width;
        const std::uint32_t row = Rows ? line : place, col = Rows ? place : line;
        out.values[std::size_t{row} * out.cols + col] = block->values[i];
    }
    return out;
}

ArrayValue expand(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    const auto rows = count(args, 1, c, block->rows, error);
    const auto cols = rows ? count(args, 2, c, block->cols, error) : std::nullopt;
    if (!cols)
        return single(error);
    if (*rows < block->rows || *cols < block->cols)
        return failed(CellError::Value);
    if (*rows * *cols > static_cast<double>(limits::maxMatrixCells) ||
        !c.chargeWork(static_cast<std::uint64_t>(*rows * *cols)))
        return failed(CellError::Value);
    Value pad = Value::fail(CellError::NA);
    if (args.size() > 3 && args[3].kind != Arg::Kind::Missing)
        pad = scalarOf(args[3], c);
    ArrayValue out{static_cast<std::uint32_t>(*rows), static_cast<std::uint32_t>(*cols), {}};
    out.values.assign(std::size_t{out.rows} * out.cols, pad);
    for (std::uint32_t r = 0; r < block->rows; ++r)
        for (std::uint32_t k = 0; k < block->cols; ++k)
            out.values[std::size_t{r} * out.cols + k] = block->at(r, k);
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"CHOOSECOLS", 2, 255, nullptr, "bb", 1, flag::ArraysAlways, chooseLines<false>,
                 "_xlfn."},
    FunctionInfo{"CHOOSEROWS", 2, 255, nullptr, "bb", 1, flag::ArraysAlways, chooseLines<true>,
                 "_xlfn."},
    FunctionInfo{"DROP", 2, 3, nullptr, "bss", 0, flag::ArraysAlways, takeOrDrop<false>, "_xlfn."},
    FunctionInfo{"EXPAND", 2, 4, nullptr, "bsss", 0, flag::ArraysAlways, expand, "_xlfn."},
    FunctionInfo{"HSTACK", 1, 254, nullptr, "b", 0, flag::ArraysAlways, stack<false>, "_xlfn."},
    FunctionInfo{"TAKE", 2, 3, nullptr, "bss", 0, flag::ArraysAlways, takeOrDrop<true>, "_xlfn."},
    FunctionInfo{"TOCOL", 1, 3, nullptr, "bss", 0, flag::ArraysAlways, flatten<true>, "_xlfn."},
    FunctionInfo{"TOROW", 1, 3, nullptr, "bss", 0, flag::ArraysAlways, flatten<false>, "_xlfn."},
    FunctionInfo{"VSTACK", 1, 254, nullptr, "b", 0, flag::ArraysAlways, stack<true>, "_xlfn."},
    FunctionInfo{"WRAPCOLS", 2, 3, nullptr, "bss", 0, flag::ArraysAlways, wrap<false>, "_xlfn."},
    FunctionInfo{"WRAPROWS", 2, 3, nullptr, "bss", 0, flag::ArraysAlways, wrap<true>, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> reshapeFunctions() {
    return table;
}

} // namespace engine::formula::functions
