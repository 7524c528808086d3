// Arithmetic, rounding, powers and logarithms, trigonometry and combinatorics.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Circular.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <array>
#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

namespace engine::formula::functions {
namespace {

using Unary = double (*)(double);

// One number in, one number out; `domain` rejects inputs outside it with #NUM!.
template <Unary F, bool (*Domain)(double) = nullptr> Value unary(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if constexpr (Domain != nullptr) {
        if (!Domain(x)) {
            return Value::fail(CellError::Num);
        }
    }
    return numberOrNum(F(x));
}

bool positive(double x) {
    return x > 0;
}
bool nonNegative(double x) {
    return x >= 0;
}
bool unitRange(double x) {
    return x >= -1 && x <= 1;
}
bool atLeastOne(double x) {
    return x >= 1;
}
bool openUnit(double x) {
    return x > -1 && x < 1;
}

double fabsOf(double x) {
    return std::fabs(x);
}
double signOf(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}
double intOf(double x) {
    return std::floor(x);
}
double degreesOf(double x) {
    return x * 180 / std::numbers::pi;
}
double radiansOf(double x) {
    return x * std::numbers::pi / 180;
}
double sqrtPi(double x) {
    return std::sqrt(x * std::numbers::pi);
}
double evenOf(double x) {
    double a = std::ceil(std::fabs(x) / 2) * 2;
    return x < 0 ? -a : a;
}
double oddOf(double x) {
    double a = std::ceil((std::fabs(x) + 1) / 2) * 2 - 1;
    return x < 0 ? -a : a;
}
double lnOf(double x) {
    return std::log(x);
}
double log10Of(double x) {
    return std::log10(x);
}
double expOf(double x) {
    return std::exp(x);
}
double sqrtOf(double x) {
    return std::sqrt(x);
}
double sinOf(double x) {
    return circularSin(x);
}
double cosOf(double x) {
    return circularCos(x);
}
double tanOf(double x) {
    return circularTan(x);
}
double asinOf(double x) {
    return std::asin(x);
}
double acosOf(double x) {
    return std::acos(x);
}
double atanOf(double x) {
    return std::atan(x);
}
double sinhOf(double x) {
    return std::sinh(x);
}
double coshOf(double x) {
    return std::cosh(x);
}
double tanhOf(double x) {
    return std::tanh(x);
}
double asinhOf(double x) {
    return std::asinh(x);
}
double acoshOf(double x) {
    return std::acosh(x);
}
double atanhOf(double x) {
    return std::atanh(x);
}

Value sum(Args args, CallContext& c) {
    double total = 0;
    Value error;
    if (!forEachNumber(
            args, 0, args.size(), c, {}, [&](double v) { total += v; }, error)) {
        return error;
    }
    return numberOrNum(total);
}

Value product(Args args, CallContext& c) {
    double total = 1;
    bool any = false;
    Value error;
    if (!forEachNumber(
            args, 0, args.size(), c, {},
            [&](double v) {
                total *= v;
                any = true;
            },
            error)) {
        return error;
    }
    return numberOrNum(any ? total : 0);
}

Value sumSquares(Args args, CallContext& c) {
    double total = 0;
    Value error;
    if (!forEachNumber(
            args, 0, args.size(), c, {}, [&](double v) { total += v * v; }, error)) {
        return error;
    }
    return numberOrNum(total);
}

Value sumProduct(Args args, CallContext& c) {
    std::vector<Grid> grids;
    for (const Arg& a : args) {
        grids.emplace_back(a, c);
    }
    const Grid& first = grids.front();
    for (const Grid& g : grids) {
        if (g.rows() != first.rows() || g.cols() != first.cols()) {
            return Value::fail(CellError::Value);
        }
    }
    // Only cells where the first block holds a number can add anything; an error anywhere
    // in the blocks is the answer.
    Budget budget(c);
    double total = 0;
    Value error;
    bool failed = false;
    for (std::size_t k = 1; k < grids.size() && !failed; ++k) {
        grids[k].forEach(budget, [&](std::uint32_t, std::uint32_t, const Value& v) {
            if (v.isError() && !failed) {
                error = v;
                failed = true;
            }
        });
    }
    bool ok = first.forEach(budget, [&](std::uint32_t r, std::uint32_t col, const Value& v) {
        if (failed) {
            return;
        }
        if (v.isError()) {
            error = v;
            failed = true;
            return;
        }
        if (v.kind != ValueKind::Number) {
            return;
        }
        double p = v.number;
        for (std::size_t k = 1; k < grids.size(); ++k) {
            Value w = grids[k].at(r, col);
            if (w.kind != ValueKind::Number) {
                p = 0;
                break;
            }
            p *= w.number;
        }
        total += p;
    });
    if (!ok || budget.spent()) {
        return Value::fail(CellError::Value);
    }
    return failed ? error : numberOrNum(total);
}

template <double (*Round)(double)> Value roundTo(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double d = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    return numberOrNum(roundDigits(x, toInt(d), Round));
}

double roundHalfAway(double v) {
    return std::round(v);
}
double truncOf(double v) {
    return std::trunc(v);
}

Value roundTrunc(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double d = r.number(1, 0);
    if (r.failed()) {
        return r.error();
    }
    return numberOrNum(roundDigits(x, toInt(d), truncOf));
}

// The multiple of `step` that `round` picks for `x / step`, with the quotient taken to 15
// digits first so that 0.3 / 0.1 is 3.
double multiple(double x, double step, double (*round)(double)) {
    return round(roundTo15Digits(x / step)) * step;
}

// MROUND, from the analysis functions, refuses booleans and takes a left-out argument as
// #N/A, as GCD and LCM do.
Value mround(Args args, CallContext& c) {
    Reader r(args, c);
    if (!r.given(0) || !r.given(1)) {
        return Value::fail(CellError::NA);
    }
    double x = r.numberNotBoolean(0), m = r.numberNotBoolean(1);
    if (r.failed()) {
        return r.error();
    }
    if (m == 0) {
        return Value::of(0.0);
    }
    if ((x > 0 && m < 0) || (x < 0 && m > 0)) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(multiple(x, m, roundHalfAway));
}

double ceilOf(double v) {
    return std::ceil(v);
}
double floorOf(double v) {
    return std::floor(v);
}

Value ceiling(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0), s = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (x == 0 || s == 0) {
        return Value::of(0.0);
    }
    if (x > 0 && s < 0) {
        return Value::fail(CellError::Num);
    }
    // A negative number with a negative step rounds away from zero.
    return numberOrNum(s < 0 ? -multiple(-x, -s, ceilOf) : multiple(x, s, ceilOf));
}

Value floorOld(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0), s = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (x == 0) {
        return Value::of(0.0);
    }
    if (s == 0) {
        return Value::fail(CellError::Div0);
    }
    if (x > 0 && s < 0) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(s < 0 ? -multiple(-x, -s, floorOf) : multiple(x, s, floorOf));
}

// CEILING.MATH / FLOOR.MATH: the step's sign is ignored; a non-zero mode turns negative
// numbers the other way (away from zero for CEILING, towards it for FLOOR).
template <bool Up> Value mathRounding(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double s = std::fabs(r.number(1, 1));
    double mode = r.number(2, 0);
    if (r.failed()) {
        return r.error();
    }
    if (s == 0 || x == 0) {
        return Value::of(0.0);
    }
    if (x < 0 && mode != 0) {
        return numberOrNum(-multiple(-x, s, Up ? ceilOf : floorOf));
    }
    return numberOrNum(multiple(x, s, Up ? ceilOf : floorOf));
}

template <bool Up> Value preciseRounding(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double s = std::fabs(r.number(1, 1));
    if (r.failed()) {
        return r.error();
    }
    if (s == 0 || x == 0) {
        return Value::of(0.0);
    }
    return numberOrNum(multiple(x, s, Up ? ceilOf : floorOf));
}

Value modulo(Args args, CallContext& c) {
    Reader r(args, c);
    double n = r.number(0), d = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (d == 0) {
        return Value::fail(CellError::Div0);
    }
    // The exact remainder, taking the divisor's sign.
    double m = std::fmod(n, d);
    if (m != 0 && (m < 0) != (d < 0)) {
        m += d;
    }
    return numberOrNum(m);
}

// QUOTIENT, from the analysis functions, refuses booleans.
Value quotient(Args args, CallContext& c) {
    Reader r(args, c);
    double n = r.numberNotBoolean(0), d = r.numberNotBoolean(1);
    if (r.failed()) {
        return r.error();
    }
    if (d == 0) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum(std::trunc(n / d));
}

Value power(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0), y = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (x == 0 && y == 0) {
        return Value::fail(CellError::Num);
    }
    if (x == 0 && y < 0) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum(std::pow(x, y));
}

Value logarithm(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0), base = r.number(1, 10);
    if (r.failed()) {
        return r.error();
    }
    if (x <= 0 || base <= 0) {
        return Value::fail(CellError::Num);
    }
    if (base == 1) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum(std::log(x) / std::log(base));
}

Value pi(Args, CallContext&) {
    return Value::of(std::numbers::pi);
}

Value atan2Of(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0), y = r.number(1);
    if (r.failed()) {
        return r.error();
    }
    if (x == 0 && y == 0) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum(std::atan2(y, x));
}

Value factorial(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || n > 170) {
        return Value::fail(CellError::Num);
    }
    double f = 1;
    for (int k = 2; k <= static_cast<int>(n); ++k) {
        f *= k;
    }
    return Value::of(f);
}

Value doubleFactorial(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    if (n < -1 || n > 300) {
        return Value::fail(CellError::Num);
    }
    double f = 1;
    for (int k = static_cast<int>(n); k > 1; k -= 2) {
        f *= k;
    }
    return numberOrNum(f);
}

double choose(double n, double k) {
    k = std::min(k, n - k);
    if (k > 1000) {
        // Too many factors to multiply out; the result has only 15 digits anyway.
        return std::round(
            std::exp(std::lgamma(n + 1) - std::lgamma(k + 1) - std::lgamma(n - k + 1)));
    }
    double result = 1;
    for (int i = 1; i <= static_cast<int>(k); ++i) {
        result = result * (n - k + i) / i;
    }
    return std::round(result);
}

Value combin(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0)), k = std::trunc(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || k < 0 || k > n) {
        return Value::fail(CellError::Num);
    }
    return numberOrNum(choose(n, k));
}

Value combinRepeat(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0)), k = std::trunc(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || k < 0) {
        return Value::fail(CellError::Num);
    }
    if (n == 0 && k == 0) {
        return Value::of(1.0);
    }
    if (n == 0) {
        return Value::fail(CellError::Num); // nothing to choose from
    }
    return numberOrNum(choose(n + k - 1, k));
}

Value permut(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0)), k = std::trunc(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || k < 0 || k > n) {
        return Value::fail(CellError::Num);
    }
    if (k > 1000) {
        return numberOrNum(std::round(std::exp(std::lgamma(n + 1) - std::lgamma(n - k + 1))));
    }
    double p = 1;
    for (int i = 0; i < static_cast<int>(k); ++i) {
        p *= n - i;
    }
    return numberOrNum(p);
}

// GCD and LCM read every value they are given, in cells too: text that reads as a number counts,
// other text and booleans are #VALUE!, a left-out argument #N/A. An empty cell given alone is
// passed over, and with nothing left to combine the answer is #VALUE!; an empty cell of a block
// of several counts as 0.
bool gcdLcmNumber(const Value& v, CallContext& c, std::vector<double>& out, Value& error) {
    switch (v.kind) {
    case ValueKind::Blank:
        return true;
    case ValueKind::Number:
        out.push_back(v.number);
        return true;
    case ValueKind::Text:
        if (auto n = parseNumberText(v.text, c.dateSystem())) {
            out.push_back(*n);
            return true;
        }
        error = Value::fail(CellError::Value);
        return false;
    case ValueKind::Boolean:
        error = Value::fail(CellError::Value);
        return false;
    case ValueKind::Error:
        break;
    }
    error = v;
    return false;
}

bool gcdLcmNumbers(Args args, CallContext& c, std::vector<double>& out, Value& error) {
    Budget budget(c);
    for (const Arg& arg : args) {
        if (arg.kind == Arg::Kind::Missing) {
            error = Value::fail(CellError::NA);
            return false;
        }
        bool ok = true;
        const Grid grid(arg, c);
        std::uint64_t held = 0;
        grid.forEach(budget, [&](std::uint32_t, std::uint32_t, const Value& v) {
            ++held;
            if (ok) {
                ok = gcdLcmNumber(v, c, out, error);
            }
        });
        if (ok && grid.size() > 1 && held < grid.size()) {
            out.push_back(0);
        }
        if (budget.spent()) {
            error = Value::fail(CellError::Value);
            return false;
        }
        if (!ok) {
            return false;
        }
    }
    if (out.empty()) {
        error = Value::fail(CellError::Value);
        return false;
    }
    return true;
}

template <bool Lcm> Value gcdLcm(Args args, CallContext& c) {
    std::vector<double> values;
    Value error;
    if (!gcdLcmNumbers(args, c, values, error)) {
        return error;
    }
    double acc = Lcm ? 1 : 0;
    for (double v : values) {
        // A negative fraction is refused before it truncates to 0.
        if (v < 0 || v >= 9007199254740992.0) {
            return Value::fail(CellError::Num);
        }
        v = std::trunc(v);
        auto a = static_cast<std::uint64_t>(acc), b = static_cast<std::uint64_t>(v);
        if (Lcm) {
            if (b == 0 || a == 0) {
                acc = 0;
                continue;
            }
            double l = static_cast<double>(a / std::gcd(a, b)) * static_cast<double>(b);
            if (l >= 9007199254740992.0) {
                return Value::fail(CellError::Num);
            }
            acc = l;
        } else {
            acc = static_cast<double>(std::gcd(a, b));
        }
    }
    return Value::of(acc);
}

// SUBTOTAL's function numbers; 101-111 ask to skip hidden rows, which a computed value cannot
// see, so both ranges behave alike.
Value subtotal(Args args, CallContext& c);

constexpr std::array table = {
    FunctionInfo{"ABS", 1, 1, unary<fabsOf>},
    FunctionInfo{"ACOS", 1, 1, unary<acosOf, unitRange>},
    FunctionInfo{"ACOSH", 1, 1, unary<acoshOf, atLeastOne>},
    FunctionInfo{"ASIN", 1, 1, unary<asinOf, unitRange>},
    FunctionInfo{"ASINH", 1, 1, unary<asinhOf>},
    FunctionInfo{"ATAN", 1, 1, unary<atanOf>},
    FunctionInfo{"ATAN2", 2, 2, atan2Of},
    FunctionInfo{"ATANH", 1, 1, unary<atanhOf, openUnit>},
    FunctionInfo{"CEILING", 2, 2, ceiling},
    FunctionInfo{"CEILING.MATH", 1, 3, mathRounding<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CEILING.PRECISE", 1, 2, preciseRounding<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"COMBIN", 2, 2, combin},
    FunctionInfo{"COMBINA", 2, 2, combinRepeat, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"COS", 1, 1, unary<cosOf>},
    FunctionInfo{"COSH", 1, 1, unary<coshOf>},
    FunctionInfo{"DEGREES", 1, 1, unary<degreesOf>},
    FunctionInfo{"EVEN", 1, 1, unary<evenOf>},
    FunctionInfo{"EXP", 1, 1, unary<expOf>},
    FunctionInfo{"FACT", 1, 1, factorial},
    FunctionInfo{"FACTDOUBLE", 1, 1, doubleFactorial},
    FunctionInfo{"FLOOR", 2, 2, floorOld},
    FunctionInfo{"FLOOR.MATH", 1, 3, mathRounding<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"FLOOR.PRECISE", 1, 2, preciseRounding<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"GCD", 1, 255, gcdLcm<false>, "b", 0},
    FunctionInfo{"INT", 1, 1, unary<intOf>},
    FunctionInfo{"ISO.CEILING", 1, 2, preciseRounding<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"LCM", 1, 255, gcdLcm<true>, "b", 0},
    FunctionInfo{"LN", 1, 1, unary<lnOf, positive>},
    FunctionInfo{"LOG", 1, 2, logarithm},
    FunctionInfo{"LOG10", 1, 1, unary<log10Of, positive>},
    FunctionInfo{"MOD", 2, 2, modulo},
    FunctionInfo{"MROUND", 2, 2, mround},
    FunctionInfo{"ODD", 1, 1, unary<oddOf>},
    FunctionInfo{"PERMUT", 2, 2, permut},
    FunctionInfo{"PI", 0, 0, pi},
    FunctionInfo{"POWER", 2, 2, power},
    FunctionInfo{"PRODUCT", 1, 255, product, "b", 0},
    FunctionInfo{"QUOTIENT", 2, 2, quotient},
    FunctionInfo{"RADIANS", 1, 1, unary<radiansOf>},
    FunctionInfo{"ROUND", 2, 2, roundTo<roundHalfAway>},
    FunctionInfo{"ROUNDDOWN", 2, 2, roundTo<truncOf>},
    FunctionInfo{"ROUNDUP", 2, 2, roundTo<roundAwayFromZero>},
    FunctionInfo{"SIGN", 1, 1, unary<signOf>},
    FunctionInfo{"SIN", 1, 1, unary<sinOf>},
    FunctionInfo{"SINH", 1, 1, unary<sinhOf>},
    FunctionInfo{"SQRT", 1, 1, unary<sqrtOf, nonNegative>},
    FunctionInfo{"SQRTPI", 1, 1, unary<sqrtPi, nonNegative>},
    FunctionInfo{"SUBTOTAL", 2, 255, subtotal, "sb", 1},
    FunctionInfo{"SUM", 1, 255, sum, "b", 0},
    FunctionInfo{"SUMPRODUCT", 1, 255, sumProduct, "b", 0, flag::ArraysAlways},
    FunctionInfo{"SUMSQ", 1, 255, sumSquares, "b", 0},
    FunctionInfo{"TAN", 1, 1, unary<tanOf>},
    FunctionInfo{"TANH", 1, 1, unary<tanhOf>},
    FunctionInfo{"TRUNC", 1, 2, roundTrunc},
};

Value subtotal(Args args, CallContext& c) {
    Reader r(args, c);
    double which = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    int n = toInt(which);
    if (n > 100) {
        n -= 100;
    }
    static constexpr std::array<std::string_view, 11> names = {
        "AVERAGE", "COUNT",  "COUNTA", "MAX", "MIN", "PRODUCT",
        "STDEV",   "STDEVP", "SUM",    "VAR", "VARP"};
    if (n < 1 || n > 11) {
        return Value::fail(CellError::Value);
    }
    const FunctionInfo* f = findFunction(names[static_cast<std::size_t>(n - 1)]);
    return f ? f->body(args.subspan(1), c) : Value::fail(CellError::Value);
}

} // namespace

std::span<const FunctionInfo> mathFunctions() {
    return table;
}

} // namespace engine::formula::functions
