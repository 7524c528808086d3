// SEQUENCE, RANDARRAY, SORT, SORTBY, FILTER, UNIQUE and TRIMRANGE: the functions that compute a
// block of their own size from blocks, for a formula to spill.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"
#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <unordered_map>

namespace engine::formula::functions {
namespace {

ArrayValue failed(CellError error) {
    return single(Value::fail(error));
}

// A number argument, `fallback` when left out; nullopt with `error` set when it is no number.
std::optional<double> numberArg(Args args, std::size_t i, CallContext& c, double fallback,
                                Value& error) {
    if (i >= args.size() || args[i].kind == Arg::Kind::Missing)
        return fallback;
    const Value v = toNumber(scalarOf(args[i], c), c.dateSystem());
    if (v.isError()) {
        error = v;
        return std::nullopt;
    }
    return v.number;
}

ArrayValue sequence(Args args, CallContext& c) {
    Value error;
    const auto rows = numberArg(args, 0, c, 1, error);
    const auto cols = rows ? numberArg(args, 1, c, 1, error) : std::nullopt;
    const auto start = cols ? numberArg(args, 2, c, 1, error) : std::nullopt;
    const auto step = start ? numberArg(args, 3, c, 1, error) : std::nullopt;
    if (!step)
        return single(error);
    const double r = std::trunc(*rows), k = std::trunc(*cols);
    // A negative size is #VALUE!; an empty sequence is #CALC!, the application's error for an
    // empty array.
    if (r < 0 || k < 0)
        return failed(CellError::Value);
    if (r < 1 || k < 1)
        return failed(CellError::Calc);
    if (r * k > static_cast<double>(limits::maxMatrixCells) ||
        !c.chargeWork(static_cast<std::uint64_t>(r * k)))
        return failed(CellError::Value);
    ArrayValue out{static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(k), {}};
    out.values.reserve(std::size_t{out.rows} * out.cols);
    for (std::uint32_t i = 0; i < out.rows * out.cols; ++i)
        out.values.push_back(Value::of(*start + *step * i));
    return out;
}

// The numbers of one RANDARRAY call: the same for the same moment and cell, so that a page
// converted twice at one moment is the same page.
class RandomNumbers {
public:
    explicit RandomNumbers(std::uint64_t seed) : state_(seed) {}
    // Uniform in [0, 1).
    double next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t state_;
};

// RANDARRAY(rows, columns, min, max, whole numbers): only computed for a cell the file holds
// no result for, as RAND.
ArrayValue randArray(Args args, CallContext& c) {
    Value error;
    const auto rows = numberArg(args, 0, c, 1, error);
    const auto cols = rows ? numberArg(args, 1, c, 1, error) : std::nullopt;
    const auto low = cols ? numberArg(args, 2, c, 0, error) : std::nullopt;
    const auto high = low ? numberArg(args, 3, c, 1, error) : std::nullopt;
    const auto whole = high ? numberArg(args, 4, c, 0, error) : std::nullopt;
    if (!whole)
        return single(error);
    const double r = std::trunc(*rows), k = std::trunc(*cols);
    if (r < 1 || k < 1 || *low > *high)
        return failed(CellError::Value);
    const bool integers = *whole != 0;
    const double first = integers ? std::ceil(*low) : *low;
    const double last = integers ? std::floor(*high) : *high;
    if (first > last)
        return failed(CellError::Value);
    if (r * k > static_cast<double>(limits::maxMatrixCells) ||
        !c.chargeWork(static_cast<std::uint64_t>(r * k)))
        return failed(CellError::Value);
    std::uint64_t seed = 0;
    const double now = c.now();
    std::memcpy(&seed, &now, sizeof seed);
    RandomNumbers random(seed ^ (std::uint64_t{c.callerRow()} << 20) ^ c.callerCol());
    ArrayValue out{static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(k), {}};
    out.values.reserve(std::size_t{out.rows} * out.cols);
    for (std::uint32_t i = 0; i < out.rows * out.cols; ++i) {
        const double u = random.next();
        out.values.push_back(Value::of(integers ? first + std::floor(u * (last - first + 1))
                                                : first + u * (last - first)));
    }
    return out;
}

// TRIMRANGE(range, rows, columns): the block without its blank outer rows and columns, the
// leading ones (1), the trailing ones (2) or both (3, the default). Finding the edges costs the
// values the block holds, so a whole column costs what its sheet holds.
ArrayValue trimRange(Args args, CallContext& c) {
    Value error;
    const auto rowMode = numberArg(args, 1, c, 3, error);
    const auto colMode = rowMode ? numberArg(args, 2, c, 3, error) : std::nullopt;
    if (!colMode)
        return single(error);
    const double rm = std::trunc(*rowMode), cm = std::trunc(*colMode);
    if (rm < 0 || rm > 3 || cm < 0 || cm > 3)
        return failed(CellError::Value);
    const Grid grid(args[0], c);
    if (!grid.area())
        return single(grid.at(0, 0));
    std::uint32_t top = grid.rows(), bottom = 0, left = grid.cols(), right = 0;
    bool any = false;
    {
        Budget budget(c);
        if (!grid.forEach(budget, [&](std::uint32_t row, std::uint32_t col, const Value&) {
                any = true;
                top = std::min(top, row);
                bottom = std::max(bottom, row);
                left = std::min(left, col);
                right = std::max(right, col);
            }))
            return failed(CellError::Value);
    }
    // A block with nothing in it names no cells.
    if (!any)
        return failed(CellError::Ref);
    const auto keep = [](double mode, std::uint32_t& first, std::uint32_t& last,
                         std::uint32_t count) {
        if (mode != 1 && mode != 3)
            first = 0;
        if (mode != 2 && mode != 3)
            last = count - 1;
    };
    keep(rm, top, bottom, grid.rows());
    keep(cm, left, right, grid.cols());
    const std::uint64_t count =
        (std::uint64_t{bottom} - top + 1) * (std::uint64_t{right} - left + 1);
    if (count > limits::maxMatrixCells || !c.chargeWork(count))
        return failed(CellError::Value);
    ArrayValue out{bottom - top + 1, right - left + 1, {}};
    out.values.reserve(static_cast<std::size_t>(count));
    for (std::uint32_t row = top; row <= bottom; ++row)
        for (std::uint32_t col = left; col <= right; ++col)
            out.values.push_back(grid.at(row, col));
    return out;
}

// Sorting keys compare as the application sorts: numbers, text, booleans, then errors by
// their kind (#DIV/0! before #NAME? before #N/A); a descending sort turns all of that round.
int sortOrder(const Value& a, const Value& b) {
    if (a.isError() || b.isError()) {
        if (!a.isError() || !b.isError())
            return a.isError() ? 1 : -1;
        return static_cast<int>(a.error) - static_cast<int>(b.error);
    }
    return compareValues(a, b);
}

struct SortKey {
    std::vector<Value> values; // one per sorted line
    bool descending = false;
};

// The lines (rows, or columns when `byCol`) of `block` in the order `keys` give, stable.
ArrayValue sortedLines(Block& block, const std::vector<SortKey>& keys, bool byCol, CallContext& c) {
    const std::uint32_t lines = byCol ? block.cols : block.rows;
    std::vector<std::uint32_t> order(lines);
    std::iota(order.begin(), order.end(), 0u);
    const double n = std::max(2.0, static_cast<double>(lines));
    if (!c.chargeWork(static_cast<std::uint64_t>(n * std::log2(n)) * keys.size()))
        return failed(CellError::Value);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        for (const SortKey& key : keys) {
            const Value &a = key.values[x], &b = key.values[y];
            // Blanks stay last in either order.
            const bool blankA = a.kind == ValueKind::Blank, blankB = b.kind == ValueKind::Blank;
            int d = blankA || blankB ? int(blankA) - int(blankB) : sortOrder(a, b);
            if (key.descending && !blankA && !blankB)
                d = -d;
            if (d != 0)
                return d < 0;
        }
        return false;
    });
    ArrayValue out{block.rows, block.cols, {}};
    out.values.reserve(block.values.size());
    for (std::uint32_t r = 0; r < block.rows; ++r)
        for (std::uint32_t k = 0; k < block.cols; ++k)
            out.values.push_back(byCol ? block.at(r, order[k]) : block.at(order[r], k));
    return out;
}

ArrayValue sort(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    const auto byColArg = [&]() -> std::optional<bool> {
        if (args.size() < 4 || args[3].kind == Arg::Kind::Missing)
            return false;
        const Value v = toBoolean(scalarOf(args[3], c));
        if (v.isError()) {
            error = v;
            return std::nullopt;
        }
        return v.number != 0;
    }();
    if (!byColArg)
        return single(error);
    const bool byCol = *byColArg;
    // The index and the order may each be a list: one key per element.
    std::vector<double> indexes{1}, orders{1};
    for (const auto& [place, list] : {std::pair{std::size_t{1}, &indexes}, {2, &orders}}) {
        if (place >= args.size() || args[place].kind == Arg::Kind::Missing)
            continue;
        auto given = readBlock(args[place], c, error);
        if (!given)
            return single(error);
        list->clear();
        for (const Value& v : given->values) {
            const Value n = toNumber(v, c.dateSystem());
            if (n.isError())
                return single(n);
            list->push_back(std::trunc(n.number));
        }
    }
    if (orders.size() != 1 && orders.size() != indexes.size())
        return failed(CellError::Value);
    const std::uint32_t width = byCol ? block->rows : block->cols;
    const std::uint32_t lines = byCol ? block->cols : block->rows;
    std::vector<SortKey> keys;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const double index = indexes[i], order = orders[orders.size() == 1 ? 0 : i];
        if (index < 1 || index > width || (order != 1 && order != -1))
            return failed(CellError::Value);
        SortKey key;
        key.descending = order == -1;
        const auto at = static_cast<std::uint32_t>(index) - 1;
        for (std::uint32_t line = 0; line < lines; ++line)
            key.values.push_back(byCol ? block->at(at, line) : block->at(line, at));
        keys.push_back(std::move(key));
    }
    return sortedLines(*block, keys, byCol, c);
}

ArrayValue sortBy(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    std::vector<SortKey> keys;
    std::optional<bool> byCol;
    for (std::size_t i = 1; i < args.size(); i += 2) {
        auto by = readBlock(args[i], c, error);
        if (!by)
            return single(error);
        // A column of keys sorts rows, a row of keys columns; every key agrees.
        const bool columns = by->rows == 1 && by->cols > 1;
        if ((by->rows != 1 && by->cols != 1) || (byCol && *byCol != columns))
            return failed(CellError::Value);
        byCol = columns;
        const std::uint32_t lines = columns ? block->cols : block->rows;
        if (by->values.size() != lines)
            return failed(CellError::Value);
        const auto order = numberArg(args, i + 1, c, 1, error);
        if (!order)
            return single(error);
        if (std::trunc(*order) != 1 && std::trunc(*order) != -1)
            return failed(CellError::Value);
        keys.push_back(SortKey{std::move(by->values), std::trunc(*order) == -1});
    }
    return sortedLines(*block, keys, byCol.value_or(false), c);
}

ArrayValue filter(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    auto include = readBlock(args[1], c, error);
    if (!include)
        return single(error);
    // A column of tests keeps rows, a row of tests keeps columns. Tests computed from a whole
    // column stop at the sheet's content; the rows past it are blank and fail them.
    const bool whole = block->rows == limits::maxRows && include->rows < block->rows;
    const bool rows = include->cols == 1 && (include->rows == block->rows || whole);
    const bool cols = !rows && include->rows == 1 && include->cols == block->cols;
    if (!rows && !cols)
        return failed(CellError::Value);
    std::vector<std::uint32_t> kept;
    for (std::uint32_t i = 0; i < include->values.size(); ++i) {
        const Value& test = include->values[i];
        if (test.isError())
            return single(test);
        const Value keep = test.kind == ValueKind::Blank ? Value::of(false) : toBoolean(test);
        if (keep.isError())
            return single(keep);
        if (keep.number != 0)
            kept.push_back(i);
    }
    if (kept.empty()) {
        if (args.size() > 2 && args[2].kind != Arg::Kind::Missing) {
            auto fallback = readBlock(args[2], c, error);
            return fallback ? std::move(*fallback).answer() : single(error);
        }
        return failed(CellError::Calc);
    }
    ArrayValue out{rows ? static_cast<std::uint32_t>(kept.size()) : block->rows,
                   rows ? block->cols : static_cast<std::uint32_t>(kept.size()),
                   {}};
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t k = 0; k < out.cols; ++k)
            out.values.push_back(rows ? block->at(kept[r], k) : block->at(r, kept[k]));
    return out;
}

ArrayValue unique(Args args, CallContext& c) {
    Value error;
    auto block = readBlock(args[0], c, error);
    if (!block)
        return single(error);
    bool flags[2] = {false, false};
    for (std::size_t i = 1; i < 3; ++i) {
        if (i >= args.size() || args[i].kind == Arg::Kind::Missing)
            continue;
        const Value v = toBoolean(scalarOf(args[i], c));
        if (v.isError())
            return single(v);
        flags[i - 1] = v.number != 0;
    }
    const bool byCol = flags[0], exactlyOnce = flags[1];
    const std::uint32_t lines = byCol ? block->cols : block->rows;
    const std::uint32_t width = byCol ? block->rows : block->cols;
    const auto cell = [&](std::uint32_t line, std::uint32_t i) -> const Value& {
        return byCol ? block->at(i, line) : block->at(line, i);
    };
    const auto key = [&](std::uint32_t line) {
        std::string text;
        for (std::uint32_t i = 0; i < width; ++i) {
            const Value& v = cell(line, i);
            text += static_cast<char>('0' + static_cast<int>(v.kind));
            if (v.kind == ValueKind::Text) {
                for (char ch : v.text)
                    text += util::asciiLower(ch);
            } else if (v.isError()) {
                text += std::to_string(static_cast<int>(v.error));
            } else {
                // A blank keys as the number 0; numbers by their 15 significant digits.
                if (v.kind == ValueKind::Blank)
                    text.back() = static_cast<char>('0' + static_cast<int>(ValueKind::Number));
                const double n = v.kind == ValueKind::Blank ? 0.0 : roundTo15Digits(v.number);
                char digits[32];
                const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
                text.append(digits, end);
            }
            text += '\x1f';
        }
        return text;
    };
    if (!c.chargeWork(std::uint64_t{lines} * width))
        return failed(CellError::Value);
    std::unordered_map<std::string, std::uint32_t> counts;
    counts.reserve(lines);
    std::vector<std::uint32_t> firsts;
    std::vector<std::string> keys(lines);
    for (std::uint32_t line = 0; line < lines; ++line) {
        keys[line] = key(line);
        if (counts[keys[line]]++ == 0)
            firsts.push_back(line);
    }
    std::vector<std::uint32_t> kept;
    for (std::uint32_t line : firsts)
        if (!exactlyOnce || counts[keys[line]] == 1)
            kept.push_back(line);
    if (kept.empty())
        return failed(CellError::Calc);
    const auto n = static_cast<std::uint32_t>(kept.size());
    ArrayValue out{byCol ? block->rows : n, byCol ? n : block->cols, {}};
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t k = 0; k < out.cols; ++k)
            out.values.push_back(byCol ? block->at(r, kept[k]) : block->at(kept[r], k));
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"FILTER", 2, 3, nullptr, "bbb", 0, flag::ArraysAlways, filter, "_xlfn._xlws."},
    FunctionInfo{"RANDARRAY", 0, 5, nullptr, "sssss", 0,
                 flag::ArraysAlways | flag::Random | flag::Volatile, randArray, "_xlfn."},
    FunctionInfo{"SEQUENCE", 1, 4, nullptr, "ssss", 0, flag::ArraysAlways, sequence, "_xlfn."},
    FunctionInfo{"SORT", 1, 4, nullptr, "bbbs", 0, flag::ArraysAlways, sort, "_xlfn._xlws."},
    FunctionInfo{"SORTBY", 2, 253, nullptr, "bbs", 1, flag::ArraysAlways, sortBy, "_xlfn."},
    FunctionInfo{"TRIMRANGE", 1, 3, nullptr, "bss", 0, flag::ArraysAlways, trimRange, "_xlfn."},
    FunctionInfo{"UNIQUE", 1, 3, nullptr, "bss", 0, flag::ArraysAlways, unique, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> dynamicArrayFunctions() {
    return table;
}

} // namespace engine::formula::functions
