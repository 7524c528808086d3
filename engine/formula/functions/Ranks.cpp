// Where values stand among others: MODE.MULT (every most frequent value) and PERCENTRANK.EXC
// (a value's rank strictly inside 0 and 1).

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace engine::formula::functions {
namespace {

// Every value that occurs most often (at least twice), in the order first met, as a column;
// #N/A when no value repeats.
ArrayValue modes(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    ArrayValue out;
    if (!collectNumbers(args, 0, args.size(), c, {}, v, error)) {
        out.values.push_back(error);
        return out;
    }
    std::map<double, std::size_t> counts;
    std::size_t most = 0;
    for (double x : v)
        most = std::max(most, ++counts[x]);
    if (most < 2) {
        out.values.push_back(Value::fail(CellError::NA));
        return out;
    }
    for (double x : v) {
        auto it = counts.find(x);
        if (it != counts.end() && it->second == most) {
            out.values.push_back(Value::of(x));
            counts.erase(it);
        }
    }
    out.rows = static_cast<std::uint32_t>(out.values.size());
    return out;
}

// The rank of x among n sorted values is (values below + 1) / (n + 1); between two values it is
// read off the straight line between their ranks. Cut, not rounded, to `significance` digits.
Value percentRankExclusive(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, 1, c, {}, v, error))
        return error;
    Reader r(args, c);
    const double x = r.number(1);
    const double significance = std::trunc(r.given(2) ? r.number(2) : 3);
    if (r.failed())
        return r.error();
    if (v.empty() || significance < 1)
        return numError();
    std::sort(v.begin(), v.end());
    if (x < v.front() || x > v.back())
        return Value::fail(CellError::NA);
    const double n = static_cast<double>(v.size());
    const auto at = std::lower_bound(v.begin(), v.end(), x);
    const double below = static_cast<double>(at - v.begin());
    double rank = (below + 1) / (n + 1);
    if (*at != x) {
        const double low = *(at - 1), high = *at;
        rank = below / (n + 1) + (x - low) / (high - low) / (n + 1);
    }
    return Value::of(
        roundDigits(rank, toInt(significance), [](double value) { return std::trunc(value); }));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"MODE.MULT", 1, 255, nullptr, "b", 0, 0, modes, "_xlfn."},
    FunctionInfo{"PERCENTRANK.EXC", 2, 3, percentRankExclusive, "bss", 3, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> rankFunctions() {
    return table;
}

} // namespace engine::formula::functions
