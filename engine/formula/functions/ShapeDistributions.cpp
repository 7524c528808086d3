// The distributions of shape and scale, and their inverses: gamma, beta, lognormal, Weibull,
// F and chi-squared's inverse, with the Fisher transformation, GAUSS, PHI and STANDARDIZE.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/Probability.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace engine::formula::functions {
namespace {

// The x in [low, high] where the increasing `cdf` reaches `p`, by bisection to the last bit.
double invert(const std::function<double(double)>& cdf, double p, double low, double high) {
    while (cdf(high) < p && high < 1e300)
        high *= 2;
    for (int i = 0; i < 2000; ++i) {
        const double mid = low + (high - low) / 2;
        if (mid <= low || mid >= high)
            break;
        (cdf(mid) < p ? low : high) = mid;
    }
    return low + (high - low) / 2;
}

double gammaCdf(double x, double alpha, double beta) {
    return regularizedGamma(alpha, x / beta);
}

Value gammaFunction(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    if (x <= 0 && x == std::trunc(x))
        return numError();
    return numberOrNum(std::tgamma(x));
}

Value gammaDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0), alpha = r.number(1), beta = r.number(2);
    const bool cumulative = r.boolean(3);
    if (r.failed())
        return r.error();
    if (x < 0 || alpha <= 0 || beta <= 0)
        return numError();
    if (cumulative)
        return numberOrNum(gammaCdf(x, alpha, beta));
    if (x == 0)
        return alpha < 1 ? numError() : Value::of(alpha == 1 ? 1 / beta : 0.0);
    return numberOrNum(std::exp((alpha - 1) * std::log(x) - x / beta - std::lgamma(alpha) -
                                alpha * std::log(beta)));
}

Value gammaInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double p = r.number(0), alpha = r.number(1), beta = r.number(2);
    if (r.failed())
        return r.error();
    if (p < 0 || p >= 1 || alpha <= 0 || beta <= 0)
        return numError();
    if (p == 0)
        return Value::of(0.0);
    return numberOrNum(
        invert([&](double x) { return gammaCdf(x, alpha, beta); }, p, 0, alpha * beta * 2 + 1));
}

// BETA.DIST(x, alpha, beta, cumulative, [A], [B]) and BETADIST(x, alpha, beta, [A], [B]).
template <bool withCumulative> Value betaDist(Args args, CallContext& c) {
    Reader r(args, c);
    const std::size_t boundsAt = withCumulative ? 4 : 3;
    const double x = r.number(0), alpha = r.number(1), beta = r.number(2);
    const bool cumulative = withCumulative ? r.boolean(3) : true;
    const double low = r.given(boundsAt) ? r.number(boundsAt) : 0;
    const double high = r.given(boundsAt + 1) ? r.number(boundsAt + 1) : 1;
    if (r.failed())
        return r.error();
    if (alpha <= 0 || beta <= 0 || low >= high || x < low || x > high)
        return numError();
    const double t = (x - low) / (high - low);
    if (cumulative)
        return numberOrNum(regularizedBeta(alpha, beta, t));
    if ((t == 0 && alpha < 1) || (t == 1 && beta < 1))
        return numError();
    const double logDensity = (alpha - 1) * std::log(t) + (beta - 1) * std::log1p(-t) +
                              std::lgamma(alpha + beta) - std::lgamma(alpha) - std::lgamma(beta);
    return numberOrNum(std::exp(logDensity) / (high - low));
}

Value betaInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double p = r.number(0), alpha = r.number(1), beta = r.number(2);
    const double low = r.given(3) ? r.number(3) : 0, high = r.given(4) ? r.number(4) : 1;
    if (r.failed())
        return r.error();
    // The application takes the probability strictly below 1.
    if (p <= 0 || p >= 1 || alpha <= 0 || beta <= 0 || low >= high)
        return numError();
    // Above the median the upper tail is searched instead: I_x runs into 1 there and its
    // rounding would hide where it reaches p, while 1 - p and the tail keep their digits.
    double t;
    if (p > 0.5) {
        const double upper = 1 - p;
        t = 1 - invert([&](double y) { return regularizedBeta(beta, alpha, y); }, upper, 0, 1);
    } else {
        t = invert([&](double x) { return regularizedBeta(alpha, beta, x); }, p, 0, 1);
    }
    return numberOrNum(low + t * (high - low));
}

// LOGNORM.DIST(x, mean, sd, cumulative) and LOGNORMDIST(x, mean, sd).
template <bool withCumulative> Value lognormDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0), mean = r.number(1), sd = r.number(2);
    const bool cumulative = withCumulative ? r.boolean(3) : true;
    if (r.failed())
        return r.error();
    if (x <= 0 || sd <= 0)
        return numError();
    const double z = (std::log(x) - mean) / sd;
    if (cumulative)
        return numberOrNum(normalCdf(z));
    return numberOrNum(normalPdf(z) / (x * sd));
}

Value lognormInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double p = r.number(0), mean = r.number(1), sd = r.number(2);
    if (r.failed())
        return r.error();
    if (p <= 0 || p >= 1 || sd <= 0)
        return numError();
    return numberOrNum(std::exp(mean + sd * normalQuantile(p)));
}

Value weibullDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0), alpha = r.number(1), beta = r.number(2);
    const bool cumulative = r.boolean(3);
    if (r.failed())
        return r.error();
    if (x < 0 || alpha <= 0 || beta <= 0)
        return numError();
    const double power = std::pow(x / beta, alpha);
    if (cumulative)
        return numberOrNum(-std::expm1(-power));
    return numberOrNum(alpha / beta * std::pow(x / beta, alpha - 1) * std::exp(-power));
}

double fCdf(double x, double d1, double d2) {
    return regularizedBeta(d1 / 2, d2 / 2, d1 * x / (d1 * x + d2));
}

// F.DIST(x, d1, d2, cumulative), F.DIST.RT and FDIST(x, d1, d2): the right tail.
template <bool rightTail, bool withCumulative> Value fDist(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0), d1 = std::trunc(r.number(1)), d2 = std::trunc(r.number(2));
    const bool cumulative = withCumulative ? r.boolean(3) : true;
    if (r.failed())
        return r.error();
    if (x < 0 || d1 < 1 || d2 < 1 || d1 >= 1e10 || d2 >= 1e10)
        return numError();
    if (rightTail)
        return numberOrNum(regularizedBeta(d2 / 2, d1 / 2, d2 / (d2 + d1 * x)));
    if (cumulative)
        return numberOrNum(fCdf(x, d1, d2));
    if (x == 0)
        return Value::of(d1 < 2 ? 0.0 : d1 == 2 ? 1.0 : 0.0);
    const double logDensity =
        (d1 / 2) * std::log(d1 * x) + (d2 / 2) * std::log(d2) -
        ((d1 + d2) / 2) * std::log(d1 * x + d2) - std::log(x) -
        (std::lgamma(d1 / 2) + std::lgamma(d2 / 2) - std::lgamma((d1 + d2) / 2));
    return numberOrNum(std::exp(logDensity));
}

template <bool rightTail> Value fInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double p = r.number(0), d1 = std::trunc(r.number(1)), d2 = std::trunc(r.number(2));
    if (r.failed())
        return r.error();
    if (p < 0 || p > 1 || d1 < 1 || d2 < 1 || d1 >= 1e10 || d2 >= 1e10)
        return numError();
    const double lower = rightTail ? 1 - p : p;
    if (lower == 0)
        return Value::of(0.0);
    if (lower == 1)
        return numError();
    return numberOrNum(invert([&](double x) { return fCdf(x, d1, d2); }, lower, 0, 1));
}

template <bool rightTail> Value chiSquaredInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double p = r.number(0), df = std::trunc(r.number(1));
    if (r.failed())
        return r.error();
    if (p < 0 || p > 1 || df < 1 || df > 1e10)
        return numError();
    const double lower = rightTail ? 1 - p : p;
    if (lower == 0)
        return Value::of(0.0);
    if (lower == 1)
        return numError();
    if (rightTail)
        return numberOrNum(invert([&](double x) { return 1 - gammaTails(df / 2, x / 2).upper; },
                                  lower, 0, df + 1));
    return numberOrNum(invert([&](double x) { return chiSquaredCdf(x, df); }, lower, 0, df + 1));
}

Value fisher(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    if (x <= -1 || x >= 1)
        return numError();
    return numberOrNum(0.5 * std::log((1 + x) / (1 - x)));
}

Value fisherInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double y = r.number(0);
    if (r.failed())
        return r.error();
    return numberOrNum(std::tanh(y));
}

Value gauss(Args args, CallContext& c) {
    Reader r(args, c);
    const double z = r.number(0);
    if (r.failed())
        return r.error();
    // From the nearer tail, so that small answers keep their digits.
    return numberOrNum(z < 0 ? -(0.5 - normalCdf(z)) : 0.5 - normalCdf(-z));
}

Value phi(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    return numberOrNum(normalPdf(x));
}

Value standardize(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0), mean = r.number(1), sd = r.number(2);
    if (r.failed())
        return r.error();
    if (sd <= 0)
        return numError();
    return numberOrNum((x - mean) / sd);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"BETA.DIST", 4, 6, betaDist<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BETA.INV", 3, 5, betaInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BETADIST", 3, 5, betaDist<false>},
    FunctionInfo{"BETAINV", 3, 5, betaInv},
    FunctionInfo{"CHIINV", 2, 2, chiSquaredInv<true>},
    FunctionInfo{"CHISQ.INV", 2, 2, chiSquaredInv<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CHISQ.INV.RT", 2, 2, chiSquaredInv<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"F.DIST", 4, 4, fDist<false, true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"F.DIST.RT", 3, 3, fDist<true, false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"F.INV", 3, 3, fInv<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"F.INV.RT", 3, 3, fInv<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"FDIST", 3, 3, fDist<true, false>},
    FunctionInfo{"FINV", 3, 3, fInv<true>},
    FunctionInfo{"FISHER", 1, 1, fisher},
    FunctionInfo{"FISHERINV", 1, 1, fisherInv},
    FunctionInfo{"GAMMA", 1, 1, gammaFunction, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"GAMMA.DIST", 4, 4, gammaDist, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"GAMMA.INV", 3, 3, gammaInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"GAMMADIST", 4, 4, gammaDist},
    FunctionInfo{"GAMMAINV", 3, 3, gammaInv},
    FunctionInfo{"GAUSS", 1, 1, gauss, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"LOGINV", 3, 3, lognormInv},
    FunctionInfo{"LOGNORM.DIST", 4, 4, lognormDist<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"LOGNORM.INV", 3, 3, lognormInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"LOGNORMDIST", 3, 3, lognormDist<false>},
    FunctionInfo{"PHI", 1, 1, phi, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"STANDARDIZE", 3, 3, standardize},
    FunctionInfo{"WEIBULL", 4, 4, weibullDist},
    FunctionInfo{"WEIBULL.DIST", 4, 4, weibullDist, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> shapeDistributionFunctions() {
    return table;
}

} // namespace engine::formula::functions
