// Counting, averages, spread, order statistics and the paired statistics of two ranges.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

namespace engine::formula::functions {
namespace {

constexpr NumberScan plain{};
constexpr NumberScan allKinds{true, true};

template <const NumberScan& Scan> Value average(Args args, CallContext& c) {
    double total = 0, n = 0;
    Value error;
    if (!forEachNumber(
            args, 0, args.size(), c, Scan,
            [&](double v) {
                total += v;
                ++n;
            },
            error)) {
        return error;
    }
    return n ? numberOrNum(total / n) : Value::fail(CellError::Div0);
}

Value count(Args args, CallContext& c) {
    double n = 0;
    Budget budget(c);
    for (const Arg& a : args) {
        if (a.kind == Arg::Kind::Missing) {
            ++n;
        } else if (a.kind == Arg::Kind::Scalar) {
            Value v = toNumber(a.value, c.dateSystem());
            if (a.value.kind != ValueKind::Blank && !v.isError()) {
                ++n;
            }
        } else if (a.area) {
            a.area->forEachValue([&](std::uint32_t, std::uint32_t, const Value& v) {
                if (budget.take() && v.kind == ValueKind::Number) {
                    ++n;
                }
            });
        }
    }
    return budget.settle() ? Value::of(n) : Value::fail(CellError::Value);
}

Value countA(Args args, CallContext& c) {
    double n = 0;
    Budget budget(c);
    for (const Arg& a : args) {
        if (a.kind == Arg::Kind::Missing) {
            ++n;
        } else if (a.kind == Arg::Kind::Scalar) {
            n += a.value.kind != ValueKind::Blank;
        } else if (a.area) {
            a.area->forEachValue([&](std::uint32_t, std::uint32_t, const Value&) {
                if (budget.take()) {
                    ++n;
                }
            });
        }
    }
    return budget.settle() ? Value::of(n) : Value::fail(CellError::Value);
}

template <const NumberScan& Scan, bool Max> Value extreme(Args args, CallContext& c) {
    double best = 0;
    bool any = false;
    Value error;
    if (!forEachNumber(
            args, 0, args.size(), c, Scan,
            [&](double v) {
                if (!any || (Max ? v > best : v < best)) {
                    best = v;
                }
                any = true;
            },
            error)) {
        return error;
    }
    return Value::of(best);
}

// Sum of squared deviations from the mean, in two passes for accuracy.
double squaredDeviations(const std::vector<double>& v) {
    double mean = 0;
    for (double x : v) {
        mean += x;
    }
    mean /= static_cast<double>(v.size());
    double s = 0;
    for (double x : v) {
        s += (x - mean) * (x - mean);
    }
    return s;
}

enum class Spread { VarSample, VarPopulation, DevSample, DevPopulation };

template <const NumberScan& Scan, Spread S> Value spread(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, Scan, v, error)) {
        return error;
    }
    bool sample = S == Spread::VarSample || S == Spread::DevSample;
    if (v.size() < (sample ? 2u : 1u)) {
        return Value::fail(CellError::Div0);
    }
    double var = squaredDeviations(v) / static_cast<double>(v.size() - (sample ? 1 : 0));
    bool dev = S == Spread::DevSample || S == Spread::DevPopulation;
    return numberOrNum(dev ? std::sqrt(var) : var);
}

Value devsq(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    return v.empty() ? Value::fail(CellError::Num) : numberOrNum(squaredDeviations(v));
}

Value avedev(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    if (v.empty()) {
        return Value::fail(CellError::Num);
    }
    double mean = 0;
    for (double x : v) {
        mean += x;
    }
    mean /= static_cast<double>(v.size());
    double s = 0;
    for (double x : v) {
        s += std::fabs(x - mean);
    }
    return numberOrNum(s / static_cast<double>(v.size()));
}

Value geomean(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    double logs = 0;
    for (double x : v) {
        if (x <= 0) {
            return Value::fail(CellError::Num);
        }
        logs += std::log(x);
    }
    return v.empty() ? Value::fail(CellError::Num)
                     : numberOrNum(std::exp(logs / static_cast<double>(v.size())));
}

Value harmean(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    double s = 0;
    for (double x : v) {
        if (x <= 0) {
            return Value::fail(CellError::Num);
        }
        s += 1 / x;
    }
    return v.empty() ? Value::fail(CellError::Num) : numberOrNum(static_cast<double>(v.size()) / s);
}

Value median(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    if (v.empty()) {
        return Value::fail(CellError::Num);
    }
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return Value::of(n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// The most frequent value; among equally frequent ones, the one met first.
Value mode(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, plain, v, error)) {
        return error;
    }
    std::map<double, std::pair<std::size_t, std::size_t>> seen; // count, first index
    for (std::size_t i = 0; i < v.size(); ++i) {
        auto [it, fresh] = seen.try_emplace(v[i], 0, i);
        ++it->second.first;
    }
    std::size_t bestCount = 1, bestIndex = 0;
    bool found = false;
    for (const auto& [value, info] : seen) {
        if (info.first > bestCount ||
            (info.first == bestCount && found && info.second < bestIndex)) {
            if (info.first >= 2) {
                bestCount = info.first;
                bestIndex = info.second;
                found = true;
            }
        }
    }
    return found ? Value::of(v[bestIndex]) : Value::fail(CellError::NA);
}

// LARGE(array, k) and SMALL(array, k).
template <bool Large> Value kth(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, 1, c, plain, v, error)) {
        return error;
    }
    Reader r(args, c);
    double k = std::ceil(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (k < 1 || k > static_cast<double>(v.size())) {
        return Value::fail(CellError::Num);
    }
    auto idx = static_cast<std::size_t>(k - 1);
    if (Large) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(idx), v.end(),
                         std::greater<>());
    } else {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(idx), v.end());
    }
    return Value::of(v[idx]);
}

// RANK(number, ref, [order]): 1 + how many are larger (order 0) or smaller; RANK.AVG averages
// the ranks of ties.
template <bool AverageTies> Value rank(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    bool ascending = r.number(2, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    if (args[1].kind != Arg::Kind::Area) {
        return Value::fail(CellError::Value);
    }
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 1, 2, c, plain, v, error)) {
        return error;
    }
    double before = 0, ties = 0;
    for (double y : v) {
        int cmp = compareValues(Value::of(y), Value::of(x));
        if (cmp == 0) {
            ++ties;
        } else if (ascending ? cmp < 0 : cmp > 0) {
            ++before;
        }
    }
    if (ties == 0) {
        return Value::fail(CellError::NA);
    }
    return Value::of(AverageTies ? before + (ties + 1) / 2 : before + 1);
}

// Percentiles by linear interpolation; the exclusive form leaves out the ends.
double interpolate(const std::vector<double>& sorted, double position) {
    auto lo = static_cast<std::size_t>(std::floor(position));
    double frac = position - static_cast<double>(lo);
    if (lo + 1 >= sorted.size()) {
        return sorted.back();
    }
    return sorted[lo] + frac * (sorted[lo + 1] - sorted[lo]);
}

Value percentileOf(std::vector<double>& v, double p, bool exclusive) {
    if (v.empty()) {
        return Value::fail(CellError::Num);
    }
    std::sort(v.begin(), v.end());
    double n = static_cast<double>(v.size());
    if (exclusive) {
        double pos = p * (n + 1);
        if (p <= 0 || p >= 1 || pos < 1 || pos > n) {
            return Value::fail(CellError::Num);
        }
        return Value::of(interpolate(v, pos - 1));
    }
    if (p < 0 || p > 1) {
        return Value::fail(CellError::Num);
    }
    return Value::of(interpolate(v, p * (n - 1)));
}

template <bool Exclusive, bool Quartile> Value percentile(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, 1, c, plain, v, error)) {
        return error;
    }
    Reader r(args, c);
    double p = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (Quartile) {
        p = std::trunc(p);
        if (p < 0 || p > 4 || (Exclusive && (p < 1 || p > 3))) {
            return Value::fail(CellError::Num);
        }
        p /= 4;
    }
    return percentileOf(v, p, Exclusive);
}

Value percentRank(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!collectNumbers(args, 0, 1, c, plain, v, error)) {
        return error;
    }
    Reader r(args, c);
    double x = r.number(1);
    double digits = std::trunc(r.number(2, 3));
    if (r.failed()) {
        return r.error();
    }
    if (v.empty() || digits < 1) {
        return Value::fail(CellError::Num);
    }
    std::sort(v.begin(), v.end());
    if (x < v.front() || x > v.back()) {
        return Value::fail(CellError::NA);
    }
    double n = static_cast<double>(v.size());
    auto it = std::lower_bound(v.begin(), v.end(), x);
    double below = static_cast<double>(it - v.begin());
    double rankValue;
    if (*it == x) {
        rankValue = n > 1 ? below / (n - 1) : 1;
    } else {
        // Between two values: interpolate between their ranks.
        double lo = *(it - 1), hi = *it;
        double r0 = (below - 1) / (n - 1), r1 = below / (n - 1);
        rankValue = r0 + (x - lo) / (hi - lo) * (r1 - r0);
    }
    return Value::of(roundDigits(rankValue, toInt(digits), [](double v) { return std::trunc(v); }));
}

// The pairs of numbers at the same positions of two blocks of the same size; positions where
// either holds no number are left out.
bool pairs(Args args, CallContext& c, std::vector<double>& xs, std::vector<double>& ys,
           Value& error, std::size_t yArg = 0, std::size_t xArg = 1) {
    Grid gy(args[yArg], c), gx(args[xArg], c);
    if (gy.size() != gx.size()) {
        error = Value::fail(CellError::NA);
        return false;
    }
    std::vector<std::pair<std::uint64_t, double>> py, px;
    if (!numbersByPosition(args[yArg], c, py, error) ||
        !numbersByPosition(args[xArg], c, px, error)) {
        return false;
    }
    std::size_t i = 0, j = 0;
    while (i < py.size() && j < px.size()) {
        if (py[i].first == px[j].first) {
            ys.push_back(py[i++].second);
            xs.push_back(px[j++].second);
        } else if (py[i].first < px[j].first) {
            ++i;
        } else {
            ++j;
        }
    }
    return true;
}

struct Moments {
    double n = 0, mx = 0, my = 0, sxx = 0, syy = 0, sxy = 0;
};

Moments momentsOf(const std::vector<double>& xs, const std::vector<double>& ys) {
    Moments m;
    m.n = static_cast<double>(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        m.mx += xs[i];
        m.my += ys[i];
    }
    if (m.n == 0) {
        return m;
    }
    m.mx /= m.n;
    m.my /= m.n;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        double dx = xs[i] - m.mx, dy = ys[i] - m.my;
        m.sxx += dx * dx;
        m.syy += dy * dy;
        m.sxy += dx * dy;
    }
    return m;
}

enum class Paired { Correl, Slope, Intercept, Rsq, CovarP, CovarS, Steyx };

template <Paired P> Value paired(Args args, CallContext& c) {
    std::vector<double> xs, ys;
    Value error;
    // CORREL and the covariances take (x, y); SLOPE and its kin take (known_y, known_x).
    bool yFirst =
        P == Paired::Slope || P == Paired::Intercept || P == Paired::Rsq || P == Paired::Steyx;
    if (!pairs(args, c, xs, ys, error, yFirst ? 0 : 1, yFirst ? 1 : 0)) {
        return error;
    }
    Moments m = momentsOf(xs, ys);
    switch (P) {
    case Paired::Correl:
        if (m.n < 1 || m.sxx == 0 || m.syy == 0) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(m.sxy / std::sqrt(m.sxx * m.syy));
    case Paired::Rsq:
        if (m.n < 1 || m.sxx == 0 || m.syy == 0) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(m.sxy * m.sxy / (m.sxx * m.syy));
    case Paired::Slope:
        if (m.n < 1 || m.sxx == 0) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(m.sxy / m.sxx);
    case Paired::Intercept:
        if (m.n < 1 || m.sxx == 0) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(m.my - m.sxy / m.sxx * m.mx);
    case Paired::CovarP:
        return m.n < 1 ? Value::fail(CellError::Div0) : numberOrNum(m.sxy / m.n);
    case Paired::CovarS:
        return m.n < 2 ? Value::fail(CellError::Div0) : numberOrNum(m.sxy / (m.n - 1));
    case Paired::Steyx:
        if (m.n < 3 || m.sxx == 0) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(std::sqrt((m.syy - m.sxy * m.sxy / m.sxx) / (m.n - 2)));
    }
    return Value::fail(CellError::Value);
}

// FORECAST(x, known_y, known_x).
Value forecast(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    std::vector<double> xs, ys;
    Value error;
    if (!pairs(args, c, xs, ys, error, 1, 2)) {
        return error;
    }
    Moments m = momentsOf(xs, ys);
    if (m.n < 1 || m.sxx == 0) {
        return Value::fail(CellError::Div0);
    }
    double slope = m.sxy / m.sxx;
    return numberOrNum(m.my + slope * (x - m.mx));
}

constexpr std::array table = {
    FunctionInfo{"AVEDEV", 1, 255, avedev, "b", 0},
    FunctionInfo{"AVERAGE", 1, 255, average<plain>, "b", 0},
    FunctionInfo{"AVERAGEA", 1, 255, average<allKinds>, "b", 0},
    FunctionInfo{"CORREL", 2, 2, paired<Paired::Correl>, "b", 0},
    FunctionInfo{"COUNT", 0, 255, count, "b", 0},
    FunctionInfo{"COUNTA", 1, 255, countA, "b", 0},
    FunctionInfo{"COVAR", 2, 2, paired<Paired::CovarP>, "b", 0},
    FunctionInfo{"COVARIANCE.P", 2, 2, paired<Paired::CovarP>, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"COVARIANCE.S", 2, 2, paired<Paired::CovarS>, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"DEVSQ", 1, 255, devsq, "b", 0},
    FunctionInfo{"FORECAST", 3, 3, forecast, "sbb", 3},
    FunctionInfo{"FORECAST.LINEAR", 3, 3, forecast, "sbb", 3, 0, nullptr, "_xlfn."},
    FunctionInfo{"GEOMEAN", 1, 255, geomean, "b", 0},
    FunctionInfo{"HARMEAN", 1, 255, harmean, "b", 0},
    FunctionInfo{"INTERCEPT", 2, 2, paired<Paired::Intercept>, "b", 0},
    FunctionInfo{"LARGE", 2, 2, kth<true>, "bs", 2},
    FunctionInfo{"MAX", 1, 255, extreme<plain, true>, "b", 0},
    FunctionInfo{"MAXA", 1, 255, extreme<allKinds, true>, "b", 0},
    FunctionInfo{"MEDIAN", 1, 255, median, "b", 0},
    FunctionInfo{"MIN", 1, 255, extreme<plain, false>, "b", 0},
    FunctionInfo{"MINA", 1, 255, extreme<allKinds, false>, "b", 0},
    FunctionInfo{"MODE", 1, 255, mode, "b", 0},
    FunctionInfo{"MODE.SNGL", 1, 255, mode, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"PEARSON", 2, 2, paired<Paired::Correl>, "b", 0},
    FunctionInfo{"PERCENTILE", 2, 2, percentile<false, false>, "bs", 2},
    FunctionInfo{"PERCENTILE.EXC", 2, 2, percentile<true, false>, "bs", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"PERCENTILE.INC", 2, 2, percentile<false, false>, "bs", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"PERCENTRANK", 2, 3, percentRank, "bss", 3},
    FunctionInfo{"PERCENTRANK.INC", 2, 3, percentRank, "bss", 3, 0, nullptr, "_xlfn."},
    FunctionInfo{"QUARTILE", 2, 2, percentile<false, true>, "bs", 2},
    FunctionInfo{"QUARTILE.EXC", 2, 2, percentile<true, true>, "bs", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"QUARTILE.INC", 2, 2, percentile<false, true>, "bs", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"RANK", 2, 3, rank<false>, "sbs", 3},
    FunctionInfo{"RANK.AVG", 2, 3, rank<true>, "sbs", 3, 0, nullptr, "_xlfn."},
    FunctionInfo{"RANK.EQ", 2, 3, rank<false>, "sbs", 3, 0, nullptr, "_xlfn."},
    FunctionInfo{"RSQ", 2, 2, paired<Paired::Rsq>, "b", 0},
    FunctionInfo{"SLOPE", 2, 2, paired<Paired::Slope>, "b", 0},
    FunctionInfo{"SMALL", 2, 2, kth<false>, "bs", 2},
    FunctionInfo{"STDEV", 1, 255, spread<plain, Spread::DevSample>, "b", 0},
    FunctionInfo{"STDEV.P", 1, 255, spread<plain, Spread::DevPopulation>, "b", 0, 0, nullptr,
                 "_xlfn."},
    FunctionInfo{"STDEV.S", 1, 255, spread<plain, Spread::DevSample>, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"STDEVA", 1, 255, spread<allKinds, Spread::DevSample>, "b", 0},
    FunctionInfo{"STDEVP", 1, 255, spread<plain, Spread::DevPopulation>, "b", 0},
    FunctionInfo{"STDEVPA", 1, 255, spread<allKinds, Spread::DevPopulation>, "b", 0},
    FunctionInfo{"STEYX", 2, 2, paired<Paired::Steyx>, "b", 0},
    FunctionInfo{"VAR", 1, 255, spread<plain, Spread::VarSample>, "b", 0},
    FunctionInfo{"VAR.P", 1, 255, spread<plain, Spread::VarPopulation>, "b", 0, 0, nullptr,
                 "_xlfn."},
    FunctionInfo{"VAR.S", 1, 255, spread<plain, Spread::VarSample>, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"VARA", 1, 255, spread<allKinds, Spread::VarSample>, "b", 0},
    FunctionInfo{"VARP", 1, 255, spread<plain, Spread::VarPopulation>, "b", 0},
    FunctionInfo{"VARPA", 1, 255, spread<allKinds, Spread::VarPopulation>, "b", 0},
};

} // namespace

std::span<const FunctionInfo> statisticFunctions() {
    return table;
}

} // namespace engine::formula::functions
