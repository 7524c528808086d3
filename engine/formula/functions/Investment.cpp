// Investment measures beyond the annuity functions: MIRR, ISPMT, PDURATION, RRI, FVSCHEDULE
// and the fractional dollar prices DOLLARDE and DOLLARFR.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <vector>

namespace engine::formula::functions {
namespace {

Value mirr(Args args, CallContext& c) {
    std::vector<double> flows;
    Value error;
    if (!collectNumbers(args, 0, 1, c, {}, flows, error))
        return error;
    Reader r(args, c);
    const double financeRate = r.number(1), reinvestRate = r.number(2);
    if (r.failed())
        return r.error();
    const auto n = static_cast<double>(flows.size());
    double gains = 0, costs = 0;
    for (std::size_t i = 0; i < flows.size(); ++i) {
        const double period = static_cast<double>(i);
        if (flows[i] > 0)
            gains += flows[i] * std::pow(1 + reinvestRate, n - 1 - period);
        else
            costs += flows[i] / std::pow(1 + financeRate, period);
    }
    // Only gains have nothing to finance; only costs lose everything (-1).
    if (costs == 0 || n < 2)
        return Value::fail(CellError::Div0);
    return numberOrNum(std::pow(-gains / costs, 1 / (n - 1)) - 1);
}

Value ispmt(Args args, CallContext& c) {
    Reader r(args, c);
    const double rate = r.number(0), period = r.number(1), periods = r.number(2),
                 present = r.number(3);
    if (r.failed())
        return r.error();
    if (periods == 0)
        return Value::fail(CellError::Div0);
    return numberOrNum(present * rate * (period / periods - 1));
}

Value pduration(Args args, CallContext& c) {
    Reader r(args, c);
    const double rate = r.number(0), present = r.number(1), future = r.number(2);
    if (r.failed())
        return r.error();
    if (rate <= 0 || present <= 0 || future <= 0)
        return numError();
    return numberOrNum((std::log(future) - std::log(present)) / std::log1p(rate));
}

Value rri(Args args, CallContext& c) {
    Reader r(args, c);
    const double periods = r.number(0), present = r.number(1), future = r.number(2);
    if (r.failed())
        return r.error();
    if (periods <= 0 || present == 0)
        return numError();
    return numberOrNum(std::pow(future / present, 1 / periods) - 1);
}

// FVSCHEDULE: every rate of the schedule counts, blanks as 0; text is an error.
Value fvSchedule(Args args, CallContext& c) {
    Reader r(args, c);
    double value = r.number(0);
    if (r.failed())
        return r.error();
    const Grid schedule(args[1], c);
    Budget budget(c);
    if (!budget.take(schedule.size()))
        return Value::fail(CellError::Value);
    for (std::uint32_t row = 0; row < schedule.rows(); ++row)
        for (std::uint32_t col = 0; col < schedule.cols(); ++col) {
            const Value rate = schedule.area() ? schedule.at(row, col) : scalarOf(args[1], c);
            if (rate.isError())
                return rate;
            if (rate.kind == ValueKind::Text || rate.kind == ValueKind::Boolean) {
                const Value n = toNumber(rate, c.dateSystem());
                if (n.isError() || schedule.area())
                    return Value::fail(CellError::Value);
                value *= 1 + n.number;
                continue;
            }
            value *= 1 + rate.number;
        }
    return numberOrNum(value);
}

// DOLLARDE and DOLLARFR read the digits after the point as a count of 1/fraction parts, with as
// many digits as the fraction has.
template <bool toDecimal> Value dollarFraction(Args args, CallContext& c) {
    Reader r(args, c);
    const double price = r.numberNotBoolean(0), fraction = std::trunc(r.numberNotBoolean(1));
    if (r.failed())
        return r.error();
    if (fraction < 0)
        return numError();
    if (fraction == 0)
        return Value::fail(CellError::Div0);
    const double scale = std::pow(10.0, std::ceil(std::log10(fraction)));
    const double whole = std::trunc(price), part = price - whole;
    return numberOrNum(toDecimal ? whole + part * scale / fraction
                                 : whole + part * fraction / scale);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"DOLLARDE", 2, 2, dollarFraction<true>},
    FunctionInfo{"DOLLARFR", 2, 2, dollarFraction<false>},
    FunctionInfo{"FVSCHEDULE", 2, 2, fvSchedule, "sb", 2},
    FunctionInfo{"ISPMT", 4, 4, ispmt},
    FunctionInfo{"MIRR", 3, 3, mirr, "bss", 3},
    FunctionInfo{"PDURATION", 3, 3, pduration, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"RRI", 3, 3, rri, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> investmentFunctions() {
    return table;
}

} // namespace engine::formula::functions
