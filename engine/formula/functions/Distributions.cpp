// Probability distributions: normal, Student's t, binomial, Poisson, exponential, chi-squared,
// the log-gamma function and the confidence interval built on them.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/Probability.h"

#include <cmath>
#include <numbers>

namespace engine::formula::functions {

double normalCdf(double z) {
    return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

double normalPdf(double z) {
    return std::exp(-0.5 * z * z) / std::sqrt(2 * std::numbers::pi);
}

namespace {
// Continued fraction of the regularized incomplete beta function (modified Lentz).
double betaFraction(double a, double b, double x) {
    constexpr double tiny = 1e-300;
    double c = 1, d = 1 - (a + b) * x / (a + 1);
    d = std::fabs(d) < tiny ? tiny : d;
    d = 1 / d;
    double h = d;
    for (int m = 1; m <= 500; ++m) {
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a + m2 - 1) * (a + m2));
        d = 1 + aa * d;
        d = std::fabs(d) < tiny ? tiny : d;
        c = 1 + aa / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1 / d;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1));
        d = 1 + aa * d;
        d = std::fabs(d) < tiny ? tiny : d;
        c = 1 + aa / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < 1e-16) {
            break;
        }
    }
    return h;
}
} // namespace

double regularizedBeta(double a, double b, double x) {
    if (x <= 0) {
        return 0;
    }
    if (x >= 1) {
        return 1;
    }
    const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                  a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1) / (a + b + 2)) {
        return front * betaFraction(a, b, x) / a;
    }
    return 1 - front * betaFraction(b, a, 1 - x) / b;
}

// The regularized incomplete gamma functions P(a, x) and Q(a, x) = 1 - P: a series for P below
// a + 1, a continued fraction for Q above. Each tail is taken from its own side so that a far
// tail keeps its digits instead of vanishing in 1 - (1 - Q).
GammaTails gammaTails(double a, double x) {
    if (x <= 0) {
        return {0, 1};
    }
    const double front = std::exp(a * std::log(x) - x - std::lgamma(a));
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        // Near a large `a` the terms shrink slowly: about 10 sqrt(a) of them are needed. The
        // cap keeps a hostile shape from costing more than a fraction of a millisecond a call.
        const int most = 1000 + static_cast<int>(std::fmin(2e5, 20 * std::sqrt(a)));
        for (int n = 1; n < most && std::fabs(term) > std::fabs(sum) * 1e-17; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        const double lower = sum * front;
        return {lower, 1 - lower};
    }
    constexpr double tiny = 1e-300;
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    const int most = 1000 + static_cast<int>(std::fmin(2e5, 20 * std::sqrt(a)));
    for (int i = 1; i < most; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        d = std::fabs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = std::fabs(c) < tiny ? tiny : c;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1) < 1e-16) {
            break;
        }
    }
    const double upper = front * h;
    return {1 - upper, upper};
}

double regularizedGamma(double a, double x) {
    return gammaTails(a, x).lower;
}

namespace {

// The probability beyond |t| on one side. Near 0, df / (df + t^2) rounds to within a few ulps
// of 1 and loses t's digits, so there the tail comes from the probability within |t|.
double studentTail(double t, double df) {
    const double t2 = t * t;
    if (t2 < df) {
        return 0.5 * (1 - regularizedBeta(0.5, df / 2, t2 / (df + t2)));
    }
    return 0.5 * regularizedBeta(df / 2, 0.5, df / (df + t2));
}

} // namespace

// Student's t with `df` degrees of freedom: the probability below t.
double studentCdf(double t, double df) {
    const double tail = studentTail(t, df);
    return t > 0 ? 1 - tail : tail;
}

// The probability above t, from the same tail as studentCdf's so that it keeps its digits.
double studentUpper(double t, double df) {
    const double tail = studentTail(t, df);
    return t > 0 ? tail : 1 - tail;
}

double studentPdf(double t, double df) {
    return std::exp(std::lgamma((df + 1) / 2) - std::lgamma(df / 2) -
                    (df + 1) / 2 * std::log1p(t * t / df)) /
           std::sqrt(df * std::numbers::pi);
}

// The t below which probability `p` lies, by bisection narrowed with Newton steps.
double studentQuantile(double p, double df) {
    double lo = -1e10, hi = 1e10, t = normalQuantile(p);
    for (int i = 0; i < 200; ++i) {
        const double e = studentCdf(t, df) - p;
        if (e > 0) {
            hi = t;
        } else {
            lo = t;
        }
        if (std::fabs(e) < 1e-16) {
            break;
        }
        double next = t - e / studentPdf(t, df);
        if (!(next > lo && next < hi)) {
            next = (lo + hi) / 2;
        }
        if (next == t) {
            break;
        }
        t = next;
    }
    return t;
}

double chiSquaredCdf(double x, double df) {
    return regularizedGamma(df / 2, x / 2);
}

namespace {

// NORM.DIST(x, mean, sd, cumulative); NORMDIST too.
Value normDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1), r.number(2)};
    const bool cumulative = r.boolean(3, true);
    if (r.failed()) {
        return r.error();
    }
    if (v[2] <= 0) {
        return numError();
    }
    const double z = (v[0] - v[1]) / v[2];
    return numberOrNum(cumulative ? normalCdf(z) : normalPdf(z) / v[2]);
}

// NORM.S.DIST(z, cumulative); NORMSDIST(z) is always cumulative.
Value normStandardDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0)};
    const bool cumulative = args.size() > 1 ? r.boolean(1, true) : true;
    if (r.failed()) {
        return r.error();
    }
    return numberOrNum(cumulative ? normalCdf(v[0]) : normalPdf(v[0]));
}

Value normInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1), r.number(2)};
    if (r.failed()) {
        return r.error();
    }
    if (v[0] <= 0 || v[0] >= 1 || v[2] <= 0) {
        return numError();
    }
    return numberOrNum(v[1] + v[2] * normalQuantile(v[0]));
}

Value normStandardInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0)};
    if (r.failed()) {
        return r.error();
    }
    if (v[0] <= 0 || v[0] >= 1) {
        return numError();
    }
    return numberOrNum(normalQuantile(v[0]));
}

// The t family: which tail a function answers for.
enum class Tail { Left, Right, Two };

template <Tail T> Value tDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1)};
    const bool cumulative = T == Tail::Left ? r.boolean(2, true) : true;
    if (r.failed()) {
        return r.error();
    }
    const double x = v[0], df = std::trunc(v[1]);
    if (df < 1 || (T == Tail::Two && x < 0)) {
        return numError();
    }
    switch (T) {
    case Tail::Left:
        return numberOrNum(cumulative ? studentCdf(x, df) : studentPdf(x, df));
    case Tail::Right:
        return numberOrNum(studentUpper(x, df));
    case Tail::Two:
        return numberOrNum(2 * studentUpper(x, df));
    }
    return numError();
}

// TDIST(x, df, tails): the legacy form, x at least 0, one or two tails.
Value tDistLegacy(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1), r.number(2)};
    if (r.failed()) {
        return r.error();
    }
    const double df = std::trunc(v[1]), tails = std::trunc(v[2]);
    if (v[0] < 0 || df < 1 || (tails != 1 && tails != 2)) {
        return numError();
    }
    return numberOrNum(tails * studentUpper(v[0], df));
}

template <Tail T> Value tInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1)};
    if (r.failed()) {
        return r.error();
    }
    const double p = v[0], df = std::trunc(v[1]);
    if (p <= 0 || p > 1 || df < 1 || (T == Tail::Left && p == 1)) {
        return numError();
    }
    if (T == Tail::Two) {
        return numberOrNum(std::fabs(studentQuantile(p / 2, df)));
    }
    return numberOrNum(studentQuantile(p, df));
}

// BINOM.DIST(successes, trials, probability, cumulative); BINOMDIST too.
Value binomDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1), r.number(2)};
    const bool cumulative = r.boolean(3, true);
    if (r.failed()) {
        return r.error();
    }
    const double k = std::trunc(v[0]), trials = std::trunc(v[1]), p = v[2];
    if (k < 0 || k > trials || p < 0 || p > 1 || trials > 1e9) {
        return numError();
    }
    const auto mass = [&](double i) {
        if (p == 0) {
            return i == 0 ? 1.0 : 0.0;
        }
        if (p == 1) {
            return i == trials ? 1.0 : 0.0;
        }
        return std::exp(std::lgamma(trials + 1) - std::lgamma(i + 1) - std::lgamma(trials - i + 1) +
                        i * std::log(p) + (trials - i) * std::log1p(-p));
    };
    if (!cumulative) {
        return numberOrNum(mass(k));
    }
    if (k >= trials) {
        return Value::of(1.0);
    }
    // P(X <= k) through the incomplete beta function, exact for every size.
    return numberOrNum(p == 0 ? 1.0 : regularizedBeta(trials - k, k + 1, 1 - p));
}

// POISSON.DIST(x, mean, cumulative); POISSON too.
Value poissonDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1)};
    const bool cumulative = r.boolean(2, true);
    if (r.failed()) {
        return r.error();
    }
    const double k = std::trunc(v[0]), mean = v[1];
    if (v[0] < 0 || mean < 0) { // even a negative fraction that would truncate to 0
        return numError();
    }
    if (mean == 0) {
        return Value::of(cumulative || k == 0 ? 1.0 : 0.0);
    }
    if (cumulative) {
        return numberOrNum(gammaTails(k + 1, mean).upper);
    }
    return numberOrNum(std::exp(k * std::log(mean) - mean - std::lgamma(k + 1)));
}

// EXPON.DIST(x, lambda, cumulative); EXPONDIST too.
Value exponDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1)};
    const bool cumulative = r.boolean(2, true);
    if (r.failed()) {
        return r.error();
    }
    const double x = v[0], lambda = v[1];
    if (x < 0 || lambda <= 0) {
        return numError();
    }
    return numberOrNum(cumulative ? -std::expm1(-lambda * x) : lambda * std::exp(-lambda * x));
}

// CHISQ.DIST(x, df, cumulative) is the left tail; CHISQ.DIST.RT and CHIDIST the right one.
template <bool Right> Value chiSquaredDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1)};
    const bool cumulative = !Right ? r.boolean(2, true) : true;
    if (r.failed()) {
        return r.error();
    }
    const double x = v[0], df = std::trunc(v[1]);
    if (x < 0 || df < 1 || df > 1e10) {
        return numError();
    }
    if (Right) {
        return numberOrNum(gammaTails(df / 2, x / 2).upper);
    }
    if (cumulative) {
        return numberOrNum(chiSquaredCdf(x, df));
    }
    if (x == 0) {
        return df == 1 ? numError() : Value::of(df == 2 ? 0.5 : 0.0);
    }
    const double k = df / 2;
    return numberOrNum(
        std::exp((k - 1) * std::log(x) - x / 2 - k * std::numbers::ln2 - std::lgamma(k)));
}

Value gammaLn(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0)};
    if (r.failed()) {
        return r.error();
    }
    if (v[0] <= 0) {
        return numError();
    }
    return numberOrNum(std::lgamma(v[0]));
}

// CONFIDENCE(alpha, sd, size): half the width of the confidence interval of a mean, from the
// normal distribution or (CONFIDENCE.T) from Student's t with size - 1 degrees of freedom.
template <bool student> Value confidence(Args args, CallContext& c) {
    Reader r(args, c);
    const double v[] = {r.number(0), r.number(1), r.number(2)};
    if (r.failed()) {
        return r.error();
    }
    const double alpha = v[0], sd = v[1], size = std::trunc(v[2]);
    if (alpha <= 0 || alpha >= 1 || sd <= 0 || size < 1) {
        return numError();
    }
    if constexpr (student) {
        if (size == 1) {
            return Value::fail(CellError::Div0);
        }
        return numberOrNum(std::fabs(studentQuantile(alpha / 2, size - 1)) * sd / std::sqrt(size));
    } else {
        return numberOrNum(normalQuantile(1 - alpha / 2) * sd / std::sqrt(size));
    }
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"BINOM.DIST", 4, 4, binomDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BINOMDIST", 4, 4, binomDist},
    FunctionInfo{"CHIDIST", 2, 2, chiSquaredDist<true>},
    FunctionInfo{"CHISQ.DIST", 3, 3, chiSquaredDist<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CHISQ.DIST.RT", 2, 2, chiSquaredDist<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CONFIDENCE", 3, 3, confidence<false>},
    FunctionInfo{"CONFIDENCE.NORM", 3, 3, confidence<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CONFIDENCE.T", 3, 3, confidence<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"EXPON.DIST", 3, 3, exponDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"EXPONDIST", 3, 3, exponDist},
    FunctionInfo{"GAMMALN", 1, 1, gammaLn},
    FunctionInfo{"GAMMALN.PRECISE", 1, 1, gammaLn, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NORM.DIST", 4, 4, normDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NORM.INV", 3, 3, normInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NORM.S.DIST", 2, 2, normStandardDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NORM.S.INV", 1, 1, normStandardInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NORMDIST", 4, 4, normDist},
    FunctionInfo{"NORMINV", 3, 3, normInv},
    FunctionInfo{"NORMSDIST", 1, 1, normStandardDist},
    FunctionInfo{"NORMSINV", 1, 1, normStandardInv},
    FunctionInfo{"POISSON", 3, 3, poissonDist},
    FunctionInfo{"POISSON.DIST", 3, 3, poissonDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.DIST", 3, 3, tDist<Tail::Left>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.DIST.2T", 2, 2, tDist<Tail::Two>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.DIST.RT", 2, 2, tDist<Tail::Right>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.INV", 2, 2, tInv<Tail::Left>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.INV.2T", 2, 2, tInv<Tail::Two>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"TDIST", 3, 3, tDistLegacy},
    FunctionInfo{"TINV", 2, 2, tInv<Tail::Two>},
};

} // namespace

std::span<const FunctionInfo> distributionFunctions() {
    return table;
}

} // namespace engine::formula::functions
