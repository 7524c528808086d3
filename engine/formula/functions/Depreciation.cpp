// Depreciation beyond the straight-line and single-period functions: VDB over any stretch of
// periods, and the French accounting schedules AMORLINC and AMORDEGRC.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <cmath>

namespace engine::formula::functions {
namespace {

// Declining-balance depreciation of whole period `period` (1-based) at `factor` / `life` a
// period, never taking the value below salvage.
double decliningPeriod(double cost, double salvage, double life, double period, double factor) {
    double rate = factor / life, before;
    if (rate >= 1) {
        rate = 1;
        before = period == 1 ? cost : 0;
    } else {
        before = cost * std::pow(1 - rate, period - 1);
    }
    const double after = cost * std::pow(1 - rate, period);
    return std::max(0.0, after < salvage ? before - salvage : before - after);
}

// Depreciation from the start to `period` (fractional: the last period pro rata), switching to
// straight line over what is left of `switchLife` once that gives more.
double depreciationTo(double cost, double salvage, double life, double switchLife, double period,
                      double factor, Budget& budget) {
    double total = 0, straight = 0, left = cost - salvage;
    bool switched = false;
    const double last = std::ceil(period);
    for (double i = 1; i <= last; ++i) {
        if (!budget.take())
            return NAN;
        double term;
        if (switched) {
            term = straight;
        } else {
            const double declining = decliningPeriod(cost, salvage, life, i, factor);
            straight = left / (switchLife - i + 1);
            if (straight > declining) {
                term = straight;
                switched = true;
            } else {
                term = declining;
                left -= declining;
            }
        }
        if (i == last)
            term *= period + 1 - last;
        total += term;
    }
    return total;
}

Value variableDeclining(Args args, CallContext& c) {
    Reader r(args, c);
    double cost = r.number(0), salvage = r.number(1), life = r.number(2);
    double start = r.number(3), end = r.number(4);
    const double factor = r.given(5) ? r.number(5) : 2;
    const bool noSwitch = r.given(6) && r.boolean(6);
    if (r.failed())
        return r.error();
    if (cost < 0 || salvage < 0 || life <= 0 || start < 0 || end < start || end > life ||
        factor <= 0 || life > 100000)
        return numError();
    Budget budget(c);
    if (noSwitch) {
        const double first = std::floor(start), last = std::ceil(end);
        double total = 0;
        for (double i = first + 1; i <= last; ++i) {
            if (!budget.take())
                return Value::fail(CellError::Value);
            double term = decliningPeriod(cost, salvage, life, i, factor);
            if (i == first + 1)
                term *= std::min(end, first + 1) - start;
            else if (i == last)
                term *= end + 1 - last;
            total += term;
        }
        return numberOrNum(total);
    }
    // A stretch starting inside a period past mid-life is moved back to mid-life, with one more
    // period to switch over: the application's own rule, kept so that its results agree.
    double switchLife = life;
    if (start != std::floor(start) && factor > 1 && start >= life / 2) {
        const double part = start - life / 2;
        start = life / 2;
        end -= part;
        switchLife += 1;
    }
    cost -= depreciationTo(cost, salvage, life, switchLife, start, factor, budget);
    const double result =
        depreciationTo(cost, salvage, life, life - start, end - start, factor, budget);
    if (budget.spent())
        return Value::fail(CellError::Value);
    return numberOrNum(result);
}

// The arguments both French schedules share; `firstShare` is the first period's depreciation
// before the coefficient, as a share of a year at `rate`.
struct Asset {
    double cost = 0, salvage = 0, rate = 0, firstYear = 0;
    int period = 0;
};

bool readAsset(Args args, CallContext& c, Asset& out, Value& error) {
    Reader r(args, c);
    out.cost = r.number(0);
    const double purchased = r.number(1), firstPeriod = r.number(2);
    out.salvage = r.number(3);
    const double period = r.number(4);
    out.rate = r.number(5);
    const double basis = std::trunc(r.number(6, 0));
    if (r.failed()) {
        error = r.error();
        return false;
    }
    if (out.cost < 0 || out.salvage < 0 || out.salvage > out.cost || period < 0 || out.rate <= 0 ||
        basis < 0 || basis > 4 || basis == 2 || purchased < 0 || firstPeriod < purchased) {
        error = numError();
        return false;
    }
    out.period = toInt(period);
    // The first period's share of a year, counted as YEARFRAC counts it in the same basis.
    const FunctionInfo* yearFrac = findFunction("YEARFRAC");
    const Arg fracArgs[3] = {{Arg::Kind::Scalar, Value::of(purchased), nullptr},
                             {Arg::Kind::Scalar, Value::of(firstPeriod), nullptr},
                             {Arg::Kind::Scalar, Value::of(basis), nullptr}};
    const Value share = yearFrac->body(std::span<const Arg>(fracArgs), c);
    if (share.kind != ValueKind::Number) {
        error = share.isError() ? share : numError();
        return false;
    }
    out.firstYear = share.number;
    return true;
}

Value linearSchedule(Args args, CallContext& c) {
    Asset a;
    Value error;
    if (!readAsset(args, c, a, error))
        return error;
    const double perYear = a.cost * a.rate, first = a.firstYear * perYear;
    const double fullYears = std::floor((a.cost - a.salvage - first) / perYear);
    if (a.period == 0)
        return numberOrNum(first);
    if (a.period <= fullYears)
        return numberOrNum(perYear);
    if (a.period == fullYears + 1)
        return numberOrNum(a.cost - a.salvage - perYear * fullYears - first);
    return Value::of(0.0);
}

Value decliningSchedule(Args args, CallContext& c) {
    Asset a;
    Value error;
    if (!readAsset(args, c, a, error))
        return error;
    // The coefficient grows with the asset's life (1 / rate years).
    const double life = 1 / a.rate;
    const double coefficient = life < 3 ? 1 : life < 5 ? 1.5 : life <= 6 ? 2 : 2.5;
    const double rate = a.rate * coefficient;
    double amount = std::round(a.firstYear * rate * a.cost);
    double value = a.cost - amount;
    double left = value - a.salvage;
    Budget budget(c);
    for (int n = 0; n < a.period; ++n) {
        if (!budget.take())
            return Value::fail(CellError::Value);
        amount = std::round(rate * value);
        if (amount == 0)
            return Value::of(0.0); // nothing is left to take, this year or any later one
        left -= amount;
        if (left < 0)
            // The year the value would fall below salvage takes half of what is left, and
            // nothing comes after it.
            return Value::of(a.period - n <= 1 ? std::round(value * 0.5) : 0.0);
        value -= amount;
    }
    return numberOrNum(amount);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"AMORDEGRC", 6, 7, decliningSchedule},
    FunctionInfo{"AMORLINC", 6, 7, linearSchedule},
    FunctionInfo{"VDB", 5, 7, variableDeclining},
};

} // namespace

std::span<const FunctionInfo> depreciationFunctions() {
    return table;
}

} // namespace engine::formula::functions
