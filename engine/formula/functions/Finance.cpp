// Annuities, cash-flow values and rates, and depreciation. The iterative ones (RATE, IRR,
// XIRR) stop after a bounded number of steps and answer #NUM! when they have not converged.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <array>
#include <cmath>
#include <vector>

namespace engine::formula::functions {
namespace {

constexpr int maxIterations = 100;
constexpr double tolerance = 1e-10;

// The growth of one unit over n periods and the annuity factor of payments at the end
// (type 0) or the start (type 1) of each period.
double growth(double rate, double n) {
    return std::pow(1 + rate, n);
}

double annuity(double rate, double n, bool atStart) {
    if (rate == 0) {
        return n;
    }
    return (1 + rate * (atStart ? 1 : 0)) * (growth(rate, n) - 1) / rate;
}

double fvOf(double rate, double n, double pmt, double pv, bool atStart) {
    return -(pv * growth(rate, n) + pmt * annuity(rate, n, atStart));
}

double pmtOf(double rate, double n, double pv, double fv, bool atStart) {
    return -(fv + pv * growth(rate, n)) / annuity(rate, n, atStart);
}

Value pmt(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0), n = r.number(1), pv = r.number(2), fv = r.number(3, 0);
    bool atStart = r.number(4, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    // A rate of -100 % or less leaves no balance to pay off.
    if (n == 0 || rate <= -1) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(pmtOf(rate, n, pv, fv, atStart));
}

Value fv(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0), n = r.number(1), p = r.number(2), pv = r.number(3, 0);
    bool atStart = r.number(4, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    if (rate == -1 && n < 0) {
        return Value::fail(CellError::Div0); // 0 raised to a negative power
    }
    return numberOrNum(fvOf(rate, n, p, pv, atStart));
}

Value pv(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0), n = r.number(1), p = r.number(2), fv = r.number(3, 0);
    bool atStart = r.number(4, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    return numberOrNum(-(fv + p * annuity(rate, n, atStart)) / growth(rate, n));
}

Value nper(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0), p = r.number(1), pv = r.number(2), fv = r.number(3, 0);
    bool atStart = r.number(4, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    if (rate == 0) {
        if (p == 0) {
            return Value::fail(CellError::Num);
        }
        return numberOrNum(-(pv + fv) / p);
    }
    double adjusted = p * (1 + rate * (atStart ? 1 : 0));
    double ratio = (adjusted - fv * rate) / (adjusted + pv * rate);
    if (ratio <= 0 || rate <= -1) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(std::log(ratio) / std::log(1 + rate));
}

// The interest part of payment `per`: the balance before it times the rate. With payments at
// the start, the first payment carries no interest.
double ipmtOf(double rate, double per, double n, double pv, double fv, bool atStart) {
    double p = pmtOf(rate, n, pv, fv, atStart);
    if (atStart) {
        if (per == 1) {
            return 0;
        }
        return (fvOf(rate, per - 2, p, pv, true) - p) * rate;
    }
    return fvOf(rate, per - 1, p, pv, false) * rate;
}

template <bool Principal> Value paymentPart(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0), per = r.number(1), n = r.number(2), pv = r.number(3);
    double fv = r.number(4, 0);
    bool atStart = r.number(5, 0) != 0;
    if (r.failed()) {
        return r.error();
    }
    // A fractional period past the last whole one still falls within the term.
    if (per < 1 || std::trunc(per) > n || n == 0) {
        return Value::fail(CellError::Num);
    }
    double interest = ipmtOf(rate, per, n, pv, fv, atStart);
    if (!Principal) {
        return numberOrNum(interest);
    }
    return numberOrNum(pmtOf(rate, n, pv, fv, atStart) - interest);
}

// The interest or principal paid from period `start` to `end` of a loan without a final
// balance. The application takes only positive rates, terms and loans; the stretch starts at
// the first whole period on or after `start` and ends at the last on or before `end`, and
// booleans are refused.
template <bool Principal> Value cumulative(Args args, CallContext& c) {
    Reader r(args, c);
    const double rate = r.numberNotBoolean(0), n = r.numberNotBoolean(1),
                 pv = r.numberNotBoolean(2);
    const double start = std::ceil(r.numberNotBoolean(3)), end = std::trunc(r.numberNotBoolean(4));
    const double type = r.numberNotBoolean(5);
    if (r.failed()) {
        return r.error();
    }
    if (rate <= 0 || n <= 0 || pv <= 0 || start < 1 || end < start || end > n ||
        (type != 0 && type != 1)) {
        return Value::fail(CellError::Num);
    }
    const bool atStart = type == 1;
    const double payment = pmtOf(rate, n, pv, 0, atStart);
    Budget budget(c);
    double total = 0;
    for (double per = start; per <= end; ++per) {
        if (!budget.take()) {
            return Value::fail(CellError::Value);
        }
        // Each payment's principal is the payment discounted from the loan's end, which
        // keeps its precision where the interest takes nearly all of the payment; a payment
        // at the very start is all principal.
        const double principal =
            atStart && per == 1 ? payment : payment / std::pow(1 + rate, n - per + 1);
        total += Principal ? principal : payment - principal;
    }
    return numberOrNum(total);
}

// Newton's method on `f` with derivative `df` from `guess`.
template <typename F, typename D> bool newton(F f, D df, double guess, double& root) {
    double x = guess;
    for (int i = 0; i < maxIterations; ++i) {
        double y = f(x), dy = df(x);
        if (!std::isfinite(y) || !std::isfinite(dy) || dy == 0) {
            return false;
        }
        double next = x - y / dy;
        if (next <= -1) {
            next = (x - 1) / 2; // stay where (1 + rate) is positive
        }
        if (std::fabs(next - x) < tolerance * std::max(1.0, std::fabs(x))) {
            root = next;
            // A rate of -100 % is where the iteration lands when no rate solves the problem.
            return std::isfinite(root) && root > -1 + 1e-6;
        }
        x = next;
    }
    return false;
}

Value rate(Args args, CallContext& c) {
    Reader r(args, c);
    double n = r.number(0), p = r.number(1), pv = r.number(2), fv = r.number(3, 0);
    bool atStart = r.number(4, 0) != 0;
    double guess = r.number(5, 0.1);
    if (r.failed()) {
        return r.error();
    }
    if (n <= 0) {
        return Value::fail(CellError::Num);
    }
    auto f = [&](double x) { return pv * growth(x, n) + p * annuity(x, n, atStart) + fv; };
    auto df = [&](double x) {
        double h = std::max(1e-7, std::fabs(x) * 1e-7);
        return (f(x + h) - f(x - h)) / (2 * h);
    };
    double root = 0;
    if (!newton(f, df, guess, root)) {
        return Value::fail(CellError::Num);
    }
    return Value::of(root);
}

// The numbers of the cash-flow arguments, in order.
bool flows(Args args, std::size_t from, std::size_t end, CallContext& c, std::vector<double>& out,
           Value& error) {
    return collectNumbers(args, from, end, c, {}, out, error);
}

Value npv(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if (rate == -1) {
        return Value::fail(CellError::Div0);
    }
    std::vector<double> v;
    Value error;
    if (!flows(args, 1, args.size(), c, v, error)) {
        return error;
    }
    double total = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        total += v[i] / growth(rate, static_cast<double>(i + 1));
    }
    return numberOrNum(total);
}

double npvAt(const std::vector<double>& v, double rate) {
    double total = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        total += v[i] / growth(rate, static_cast<double>(i));
    }
    return total;
}

bool hasBothSigns(const std::vector<double>& v) {
    bool pos = false, neg = false;
    for (double x : v) {
        pos |= x > 0;
        neg |= x < 0;
    }
    return pos && neg;
}

Value irr(Args args, CallContext& c) {
    std::vector<double> v;
    Value error;
    if (!flows(args, 0, 1, c, v, error)) {
        return error;
    }
    Reader r(args, c);
    double guess = r.number(1, 0.1);
    if (r.failed()) {
        return r.error();
    }
    if (guess <= -1) {
        return Value::fail(CellError::Value); // no rate at or below -100 % can start the search
    }
    if (!hasBothSigns(v)) {
        return Value::fail(CellError::Num);
    }
    auto f = [&](double x) { return npvAt(v, x); };
    auto df = [&](double x) {
        double d = 0;
        for (std::size_t i = 1; i < v.size(); ++i) {
            d -= static_cast<double>(i) * v[i] / growth(x, static_cast<double>(i + 1));
        }
        return d;
    };
    double root = 0;
    if (!newton(f, df, guess, root)) {
        return Value::fail(CellError::Num);
    }
    return Value::of(root);
}

// The paired values and dates of XNPV and XIRR; false with #NUM! for mismatched lengths or a
// date before the first.
// The cash flows and their dates, cell by cell of two blocks of one size; `t` in years from
// the first date. A value that is no number is #NUM! for XNPV; XIRR counts an empty cell as 0
// and refuses text and booleans with #VALUE!. Dates must be numbers from 0 on, none before the
// first.
bool datedFlows(Args args, std::size_t valuesAt, CallContext& c, std::vector<double>& v,
                std::vector<double>& t, Value& error, bool forRate) {
    const Grid values(args[valuesAt], c), dates(args[valuesAt + 1], c);
    if (values.size() != dates.size() || values.size() == 0 || !c.chargeWork(values.size() * 2)) {
        error = Value::fail(CellError::Num);
        return false;
    }
    std::vector<double> days;
    for (std::uint32_t r = 0; r < values.rows(); ++r)
        for (std::uint32_t col = 0; col < values.cols(); ++col) {
            const Value x = values.area() ? values.at(r, col) : scalarOf(args[valuesAt], c);
            if (x.isError()) {
                error = x;
                return false;
            }
            if (x.kind == ValueKind::Number) {
                v.push_back(x.number);
            } else if (forRate && x.kind == ValueKind::Blank) {
                v.push_back(0);
            } else {
                error = Value::fail(forRate ? CellError::Value : CellError::Num);
                return false;
            }
        }
    for (std::uint32_t r = 0; r < dates.rows(); ++r)
        for (std::uint32_t col = 0; col < dates.cols(); ++col) {
            const Value d = dates.area() ? dates.at(r, col) : scalarOf(args[valuesAt + 1], c);
            if (d.isError()) {
                error = d;
                return false;
            }
            if (d.kind != ValueKind::Number || d.number < 0) {
                error = Value::fail(CellError::Num);
                return false;
            }
            days.push_back(std::floor(d.number));
        }
    for (double d : days) {
        if (d < days[0]) {
            error = Value::fail(CellError::Num);
            return false;
        }
        t.push_back((d - days[0]) / 365);
    }
    return true;
}

double xnpvAt(const std::vector<double>& v, const std::vector<double>& t, double rate) {
    double total = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        total += v[i] / std::pow(1 + rate, t[i]);
    }
    return total;
}

Value xnpv(Args args, CallContext& c) {
    Reader r(args, c);
    double rate = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    std::vector<double> v, t;
    Value error;
    if (!datedFlows(args, 1, c, v, t, error, false)) {
        return error;
    }
    // The application discounts at no negative rate.
    if (rate < 0) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(xnpvAt(v, t, rate));
}

Value xirr(Args args, CallContext& c) {
    std::vector<double> v, t;
    Value error;
    if (!datedFlows(args, 0, c, v, t, error, true)) {
        return error;
    }
    Reader r(args, c);
    double guess = r.number(2, 0.1);
    if (r.failed()) {
        return r.error();
    }
    if (!hasBothSigns(v)) {
        return Value::fail(CellError::Num);
    }
    auto f = [&](double x) { return xnpvAt(v, t, x); };
    auto df = [&](double x) {
        double d = 0;
        for (std::size_t i = 0; i < v.size(); ++i) {
            d -= t[i] * v[i] / std::pow(1 + x, t[i] + 1);
        }
        return d;
    };
    double root = 0;
    if (!newton(f, df, guess, root)) {
        return Value::fail(CellError::Num);
    }
    return Value::of(root);
}

Value sln(Args args, CallContext& c) {
    Reader r(args, c);
    double cost = r.number(0), salvage = r.number(1), life = r.number(2);
    if (r.failed()) {
        return r.error();
    }
    if (life == 0) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum((cost - salvage) / life);
}

Value syd(Args args, CallContext& c) {
    Reader r(args, c);
    double cost = r.number(0), salvage = r.number(1), life = r.number(2), per = r.number(3);
    if (r.failed()) {
        return r.error();
    }
    if (life <= 0 || per <= 0 || per > life) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum((cost - salvage) * (life - per + 1) * 2 / (life * (life + 1)));
}

// Fixed-declining balance with the rate rounded to three places; the first and the extra last
// period are pro rata by the months of the first year.
Value db(Args args, CallContext& c) {
    Reader r(args, c);
    // Periods and months count whole: the application drops their fractions.
    double cost = r.number(0), salvage = r.number(1), life = r.number(2),
           period = std::trunc(r.number(3));
    double month = std::trunc(r.number(4, 12));
    if (r.failed()) {
        return r.error();
    }
    if (cost < 0 || salvage < 0 || life <= 0 || period <= 0 || month < 1 || month > 12 ||
        period > life + (month < 12 ? 1 : 0) || life > 10000) {
        return Value::fail(CellError::Num);
    }
    if (cost == 0) {
        return Value::of(0.0);
    }
    double rate = std::round((1 - std::pow(salvage / cost, 1 / life)) * 1000) / 1000;
    double total = 0, dep = 0;
    auto last = static_cast<int>(std::ceil(period));
    for (int p = 1; p <= last; ++p) {
        if (p == 1) {
            dep = cost * rate * month / 12;
        } else if (p == static_cast<int>(life) + 1) {
            dep = (cost - total) * rate * (12 - month) / 12;
        } else {
            dep = (cost - total) * rate;
        }
        total += dep;
    }
    return numberOrNum(dep);
}

// Double-declining balance, in closed form so that a fractional period reads off the same
// curve; the value never falls below salvage.
Value ddb(Args args, CallContext& c) {
    Reader r(args, c);
    double cost = r.number(0), salvage = r.number(1), life = r.number(2), period = r.number(3);
    double factor = r.number(4, 2);
    if (r.failed()) {
        return r.error();
    }
    if (cost < 0 || salvage < 0 || life <= 0 || period <= 0 || period > life || factor <= 0) {
        return Value::fail(CellError::Num);
    }
    double rate = factor / life, before;
    if (rate >= 1) {
        rate = 1;
        before = period == 1 ? cost : 0;
    } else {
        before = cost * std::pow(1 - rate, period - 1);
    }
    const double after = cost * std::pow(1 - rate, period);
    return numberOrNum(std::max(0.0, after < salvage ? before - salvage : before - after));
}

Value effect(Args args, CallContext& c) {
    Reader r(args, c);
    double nominal = r.numberNotBoolean(0), n = std::trunc(r.numberNotBoolean(1));
    if (r.failed()) {
        return r.error();
    }
    if (nominal <= 0 || n < 1) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(std::pow(1 + nominal / n, n) - 1);
}

Value nominal(Args args, CallContext& c) {
    Reader r(args, c);
    double eff = r.numberNotBoolean(0), n = std::trunc(r.numberNotBoolean(1));
    if (r.failed()) {
        return r.error();
    }
    if (eff <= 0 || n < 1) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(n * (std::pow(1 + eff, 1 / n) - 1));
}

constexpr std::array table = {
    FunctionInfo{"CUMIPMT", 6, 6, cumulative<false>},
    FunctionInfo{"CUMPRINC", 6, 6, cumulative<true>},
    FunctionInfo{"DB", 4, 5, db},
    FunctionInfo{"DDB", 4, 5, ddb},
    FunctionInfo{"EFFECT", 2, 2, effect},
    FunctionInfo{"FV", 3, 5, fv},
    FunctionInfo{"IPMT", 4, 6, paymentPart<false>},
    FunctionInfo{"IRR", 1, 2, irr, "bs", 2},
    FunctionInfo{"NOMINAL", 2, 2, nominal},
    FunctionInfo{"NPER", 3, 5, nper},
    FunctionInfo{"NPV", 2, 255, npv, "sb", 1},
    FunctionInfo{"PMT", 3, 5, pmt},
    FunctionInfo{"PPMT", 4, 6, paymentPart<true>},
    FunctionInfo{"PV", 3, 5, pv},
    FunctionInfo{"RATE", 3, 6, rate},
    FunctionInfo{"SLN", 3, 3, sln},
    FunctionInfo{"SYD", 4, 4, syd},
    FunctionInfo{"XIRR", 2, 3, xirr, "bbs", 3},
    FunctionInfo{"XNPV", 3, 3, xnpv, "sbb", 3},
};

} // namespace

std::span<const FunctionInfo> financeFunctions() {
    return table;
}

} // namespace engine::formula::functions
