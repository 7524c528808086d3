// The functions that select cells by criteria: SUMIF(S), COUNTIF(S), AVERAGEIF(S), MINIFS,
// MAXIFS, and COUNTBLANK.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Criteria.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <array>
#include <unordered_set>
#include <vector>

namespace engine::formula::functions {
namespace {

struct Condition {
    Grid range;
    Criterion criterion;
};

// The (range, criterion) pairs from argument `from` on; false on a criterion error or ranges
// of different shapes.
bool readConditions(Args args, std::size_t from, CallContext& c, std::vector<Condition>& out,
                    Value& error) {
    if ((args.size() - from) % 2 != 0 || args.size() <= from) {
        error = Value::fail(CellError::Value);
        return false;
    }
    for (std::size_t i = from; i + 1 < args.size(); i += 2) {
        // An error as the criterion is no failure: it counts the cells holding that error.
        Value crit = scalarOf(args[i + 1], c);
        out.push_back({Grid(args[i], c), Criterion::parse(crit, c.dateSystem())});
        if (out.back().range.rows() != out.front().range.rows() ||
            out.back().range.cols() != out.front().range.cols()) {
            error = Value::fail(CellError::Value);
            return false;
        }
    }
    return true;
}

bool allMatch(const std::vector<Condition>& conditions, std::uint32_t r, std::uint32_t col) {
    for (const Condition& k : conditions) {
        if (!k.criterion.matches(k.range.at(r, col))) {
            return false;
        }
    }
    return true;
}

// Visits the numbers of `values` whose positions meet every condition. Only non-blank value
// cells can give a number, so the scan costs what `values` holds, not its size. An error among
// the selected values is the answer: `error` receives the first one met.
bool selectedNumbers(const Grid& values, const std::vector<Condition>& conditions, CallContext& c,
                     const std::function<void(double)>& visit, Value& error) {
    Budget budget(c);
    return values.forEach(budget, [&](std::uint32_t r, std::uint32_t col, const Value& v) {
        if ((v.kind == ValueKind::Number || (v.isError() && !error.isError())) &&
            budget.take(conditions.size()) && allMatch(conditions, r, col)) {
            if (v.isError()) {
                error = v;
            } else {
                visit(v.number);
            }
        }
    });
}

enum class Fold { Sum, Average, Min, Max };

Value foldSelected(const Grid& values, const std::vector<Condition>& conditions, CallContext& c,
                   Fold fold) {
    double total = 0, best = 0;
    std::uint64_t count = 0;
    Value error;
    bool ok = selectedNumbers(
        values, conditions, c,
        [&](double v) {
            if (count == 0 || (fold == Fold::Min ? v < best : v > best)) {
                best = v;
            }
            total += v;
            ++count;
        },
        error);
    if (!ok) {
        return Value::fail(CellError::Value);
    }
    if (error.isError()) {
        return error;
    }
    switch (fold) {
    case Fold::Sum:
        return numberOrNum(total);
    case Fold::Average:
        return count ? numberOrNum(total / static_cast<double>(count))
                     : Value::fail(CellError::Div0);
    case Fold::Min:
    case Fold::Max:
        return Value::of(count ? best : 0.0);
    }
    return Value::fail(CellError::Value);
}

// SUMIF(range, criterion, [sum_range]) and AVERAGEIF: the values sit at the same offsets as
// the range, in the block that starts where sum_range does.
template <Fold F> Value singleCondition(Args args, CallContext& c) {
    std::vector<Condition> conditions;
    Value error;
    if (!readConditions(args.first(2), 0, c, conditions, error)) {
        return error;
    }
    bool separate = args.size() > 2 && args[2].kind != Arg::Kind::Missing;
    Grid values(separate ? args[2] : args[0], c);
    return foldSelected(values, conditions, c, F);
}

template <Fold F> Value multiCondition(Args args, CallContext& c) {
    std::vector<Condition> conditions;
    Value error;
    if (!readConditions(args, 1, c, conditions, error)) {
        return error;
    }
    Grid values(args[0], c);
    if (values.rows() != conditions.front().range.rows() ||
        values.cols() != conditions.front().range.cols()) {
        return Value::fail(CellError::Value);
    }
    return foldSelected(values, conditions, c, F);
}

// Counts positions meeting every condition. When some criterion rejects blanks, only the
// cells its range holds can count; otherwise every position counts except those where a
// held cell fails, which are found among the held cells of all ranges.
Value countMatching(const std::vector<Condition>& conditions, CallContext& c) {
    Budget budget(c);
    const Condition* driver = nullptr;
    for (const Condition& k : conditions) {
        if (!k.criterion.matchesBlank()) {
            driver = &k;
            break;
        }
    }
    double count = 0;
    if (driver) {
        bool ok =
            driver->range.forEach(budget, [&](std::uint32_t r, std::uint32_t col, const Value& v) {
                if (driver->criterion.matches(v) && budget.take(conditions.size()) &&
                    allMatch(conditions, r, col)) {
                    ++count;
                }
            });
        return ok ? Value::of(count) : Value::fail(CellError::Value);
    }
    std::unordered_set<std::uint64_t> failing;
    std::uint64_t cols = conditions.front().range.cols();
    for (const Condition& k : conditions) {
        bool ok = k.range.forEach(budget, [&](std::uint32_t r, std::uint32_t col, const Value&) {
            if (budget.take(conditions.size()) && !allMatch(conditions, r, col)) {
                failing.insert(r * cols + col);
            }
        });
        if (!ok) {
            return Value::fail(CellError::Value);
        }
    }
    return Value::of(static_cast<double>(conditions.front().range.size() - failing.size()));
}

Value countIf(Args args, CallContext& c) {
    std::vector<Condition> conditions;
    Value error;
    if (!readConditions(args, 0, c, conditions, error)) {
        return error;
    }
    return countMatching(conditions, c);
}

Value countBlank(Args args, CallContext& c) {
    Grid g(args[0], c);
    Budget budget(c);
    std::uint64_t held = 0;
    bool ok = g.forEach(budget, [&](std::uint32_t, std::uint32_t, const Value& v) {
        if (!(v.kind == ValueKind::Text && v.text.empty())) {
            ++held;
        }
    });
    if (!ok) {
        return Value::fail(CellError::Value);
    }
    return Value::of(static_cast<double>(g.size() - held));
}

constexpr std::array table = {
    FunctionInfo{"AVERAGEIF", 2, 3, singleCondition<Fold::Average>, "bsb", 3},
    FunctionInfo{"AVERAGEIFS", 3, 255, multiCondition<Fold::Average>, "bbs", 1},
    FunctionInfo{"COUNTBLANK", 1, 1, countBlank, "b", 0},
    FunctionInfo{"COUNTIF", 2, 2, countIf, "bs", 0},
    FunctionInfo{"COUNTIFS", 2, 254, countIf, "bs", 0},
    FunctionInfo{"MAXIFS", 3, 255, multiCondition<Fold::Max>, "bbs", 1, 0, nullptr, "_xlfn."},
    FunctionInfo{"MINIFS", 3, 255, multiCondition<Fold::Min>, "bbs", 1, 0, nullptr, "_xlfn."},
    FunctionInfo{"SUMIF", 2, 3, singleCondition<Fold::Sum>, "bsb", 3},
    FunctionInfo{"SUMIFS", 3, 255, multiCondition<Fold::Sum>, "bbs", 1},
};

} // namespace

std::span<const FunctionInfo> conditionalFunctions() {
    return table;
}

} // namespace engine::formula::functions
