// Counting distributions and statistics of samples: NEGBINOM, BINOM.DIST.RANGE, BINOM.INV,
// HYPGEOM, PROB, PERMUTATIONA, TRIMMEAN, KURT, SKEW, and the T, F and Z tests.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/Probability.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace engine::formula::functions {
namespace {

// log C(n, k) for whole n >= k >= 0.
double logChoose(double n, double k) {
    return std::lgamma(n + 1) - std::lgamma(k + 1) - std::lgamma(n - k + 1);
}

double binomialPmf(double k, double n, double p) {
    if (p == 0)
        return k == 0 ? 1 : 0;
    if (p == 1)
        return k == n ? 1 : 0;
    return std::exp(logChoose(n, k) + k * std::log(p) + (n - k) * std::log1p(-p));
}

// The probability of at most k successes in n trials.
double binomialCdf(double k, double n, double p) {
    if (k >= n)
        return 1;
    if (p == 0)
        return 1;
    if (p == 1)
        return 0;
    return regularizedBeta(n - k, k + 1, 1 - p);
}

// NEGBINOM.DIST(failures, successes, p, cumulative) and NEGBINOMDIST without the last.
template <bool withCumulative> Value negativeBinomial(Args args, CallContext& c) {
    Reader r(args, c);
    const double f = std::trunc(r.number(0)), s = std::trunc(r.number(1)), p = r.number(2);
    const bool cumulative = withCumulative ? r.boolean(3) : false;
    if (r.failed())
        return r.error();
    // A certain or impossible success has no negative binomial distribution.
    if (f < 0 || s < 1 || p <= 0 || p >= 1)
        return numError();
    if (cumulative)
        return numberOrNum(regularizedBeta(s, f + 1, p));
    if (p == 0)
        return Value::of(0.0);
    return numberOrNum(
        std::exp(logChoose(f + s - 1, s - 1) + s * std::log(p) + f * std::log1p(-p)));
}

Value binomialRange(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0)), p = r.number(1), s = std::trunc(r.number(2));
    const double s2 = r.given(3) ? std::trunc(r.number(3)) : s;
    if (r.failed())
        return r.error();
    if (n < 0 || p < 0 || p > 1 || s < 0 || s > n || s2 < s || s2 > n)
        return numError();
    const double below = s == 0 ? 0 : binomialCdf(s - 1, n, p);
    if (s == s2)
        return numberOrNum(binomialPmf(s, n, p));
    return numberOrNum(binomialCdf(s2, n, p) - below);
}

// BINOM.INV and CRITBINOM: the fewest successes whose cumulative probability reaches alpha.
Value binomialInv(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0)), p = r.number(1), alpha = r.number(2);
    if (r.failed())
        return r.error();
    // The application takes alpha only strictly inside (0, 1), and no certain success.
    if (n < 0 || p < 0 || p >= 1 || alpha <= 0 || alpha >= 1)
        return numError();
    double low = 0, high = n;
    while (low < high) {
        const double mid = std::floor((low + high) / 2);
        if (binomialCdf(mid, n, p) >= alpha)
            high = mid;
        else
            low = mid + 1;
    }
    return Value::of(low);
}

// HYPGEOM.DIST(s, sample, successes, population, cumulative) and HYPGEOMDIST without the last.
template <bool withCumulative> Value hypergeometric(Args args, CallContext& c) {
    Reader r(args, c);
    const double s = std::trunc(r.number(0)), n = std::trunc(r.number(1)),
                 big = std::trunc(r.number(2)), total = std::trunc(r.number(3));
    const bool cumulative = withCumulative ? r.boolean(4) : false;
    if (r.failed())
        return r.error();
    if (s < 0 || s > n || s > big || n <= 0 || n > total || big <= 0 || big > total || total <= 0 ||
        s < n - total + big || total > 1e9)
        return numError();
    const auto pmf = [&](double k) {
        return std::exp(logChoose(big, k) + logChoose(total - big, n - k) - logChoose(total, n));
    };
    if (!cumulative)
        return numberOrNum(pmf(s));
    Budget budget(c);
    if (!budget.take(static_cast<std::uint64_t>(s) + 1))
        return Value::fail(CellError::Value);
    double sum = 0;
    for (double k = std::max(0.0, n - total + big); k <= s; ++k)
        sum += pmf(k);
    return numberOrNum(sum);
}

// PROB(values, probabilities, lower, [upper]): blocks of one size, probabilities in [0, 1]
// adding up to 1.
Value probability(Args args, CallContext& c) {
    const Grid values(args[0], c), chances(args[1], c);
    if (values.size() != chances.size())
        return Value::fail(CellError::NA);
    Reader r(args, c);
    const double lower = r.number(2);
    const double upper = r.given(3) ? r.number(3) : lower;
    if (r.failed())
        return r.error();
    Budget budget(c);
    if (!budget.take(values.size()))
        return Value::fail(CellError::Value);
    double total = 0, inside = 0;
    for (std::uint32_t row = 0; row < values.rows(); ++row)
        for (std::uint32_t col = 0; col < values.cols(); ++col) {
            const std::uint64_t at = std::uint64_t{row} * values.cols() + col;
            const Value chance = chances.at(static_cast<std::uint32_t>(at / chances.cols()),
                                            static_cast<std::uint32_t>(at % chances.cols()));
            const Value value = values.at(row, col);
            if (chance.isError())
                return chance;
            if (value.isError())
                return value;
            if (chance.kind != ValueKind::Number || value.kind != ValueKind::Number)
                continue;
            if (chance.number < 0 || chance.number > 1)
                return numError();
            total += chance.number;
            if (value.number >= lower && value.number <= upper)
                inside += chance.number;
        }
    if (total == 0)
        return Value::fail(CellError::Div0); // no probabilities at all
    if (std::fabs(total - 1) > 1e-7)
        return numError();
    return numberOrNum(inside);
}

Value permutationsWithRepeats(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0)), k = std::trunc(r.number(1));
    if (r.failed())
        return r.error();
    if (n < 0 || k < 0)
        return numError();
    return numberOrNum(std::pow(n, k));
}

bool sample(Args args, std::size_t from, std::size_t end, CallContext& c, std::vector<double>& out,
            Value& error) {
    return collectNumbers(args, from, end, c, {}, out, error);
}

Value trimMean(Args args, CallContext& c) {
    std::vector<double> xs;
    Value error;
    if (!sample(args, 0, 1, c, xs, error))
        return error;
    Reader r(args, c);
    const double percent = r.number(1);
    if (r.failed())
        return r.error();
    if (percent < 0 || percent >= 1)
        return numError();
    if (xs.empty())
        return numError();
    // Trims an even number of values, rounded down, half from each end.
    const auto cut = static_cast<std::size_t>(std::floor(xs.size() * percent / 2));
    std::sort(xs.begin(), xs.end());
    double sum = 0;
    for (std::size_t i = cut; i < xs.size() - cut; ++i)
        sum += xs[i];
    return numberOrNum(sum / static_cast<double>(xs.size() - 2 * cut));
}

struct Moments {
    double n = 0, mean = 0, m2 = 0, m3 = 0, m4 = 0; // central sums of powers
};

Moments momentsOf(const std::vector<double>& xs) {
    Moments m;
    m.n = static_cast<double>(xs.size());
    for (double x : xs)
        m.mean += x;
    m.mean /= m.n;
    for (double x : xs) {
        const double d = x - m.mean;
        m.m2 += d * d;
        m.m3 += d * d * d;
        m.m4 += d * d * d * d;
    }
    return m;
}

Value kurtosis(Args args, CallContext& c) {
    std::vector<double> xs;
    Value error;
    if (!sample(args, 0, args.size(), c, xs, error))
        return error;
    if (xs.size() < 4)
        return Value::fail(CellError::Div0);
    const Moments m = momentsOf(xs);
    const double variance = m.m2 / (m.n - 1);
    if (variance == 0)
        return Value::fail(CellError::Div0);
    const double n = m.n;
    return numberOrNum(n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * m.m4 / (variance * variance) -
                       3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
}

template <bool population> Value skewness(Args args, CallContext& c) {
    std::vector<double> xs;
    Value error;
    if (!sample(args, 0, args.size(), c, xs, error))
        return error;
    if (xs.size() < (population ? 1u : 3u))
        return Value::fail(CellError::Div0);
    const Moments m = momentsOf(xs);
    const double n = m.n;
    const double sd = std::sqrt(m.m2 / (population ? n : n - 1));
    if (sd == 0)
        return Value::fail(CellError::Div0);
    if (population)
        return numberOrNum(m.m3 / n / (sd * sd * sd));
    return numberOrNum(n / ((n - 1) * (n - 2)) * m.m3 / (sd * sd * sd));
}

double sampleVariance(const std::vector<double>& xs, double& mean) {
    mean = 0;
    for (double x : xs)
        mean += x;
    mean /= static_cast<double>(xs.size());
    double sum = 0;
    for (double x : xs)
        sum += (x - mean) * (x - mean);
    return sum / static_cast<double>(xs.size() - 1);
}

// T.TEST(a, b, tails, type): paired (1), equal variances (2) or unequal ones (3).
Value tTest(Args args, CallContext& c) {
    Reader r(args, c);
    const double tails = std::trunc(r.number(2)), type = std::trunc(r.number(3));
    if (r.failed())
        return r.error();
    if ((tails != 1 && tails != 2) || type < 1 || type > 3)
        return numError();
    double t = 0, df = 0;
    if (type == 1) {
        std::vector<std::pair<std::uint64_t, double>> a, b;
        Value error;
        if (!numbersByPosition(args[0], c, a, error) || !numbersByPosition(args[1], c, b, error))
            return error;
        const Grid ga(args[0], c), gb(args[1], c);
        if (ga.size() != gb.size())
            return Value::fail(CellError::NA);
        std::vector<double> differences;
        std::size_t j = 0;
        for (const auto& [position, x] : a) {
            while (j < b.size() && b[j].first < position)
                ++j;
            if (j < b.size() && b[j].first == position)
                differences.push_back(x - b[j].second);
        }
        if (differences.size() < 2)
            return Value::fail(CellError::Div0);
        double mean;
        const double variance = sampleVariance(differences, mean);
        if (variance == 0)
            return Value::fail(CellError::Div0);
        const auto n = static_cast<double>(differences.size());
        t = mean / std::sqrt(variance / n);
        df = n - 1;
    } else {
        std::vector<double> a, b;
        Value error;
        if (!sample(args, 0, 1, c, a, error) || !sample(args, 1, 2, c, b, error))
            return error;
        if (a.size() < 2 || b.size() < 2)
            return Value::fail(CellError::Div0);
        double meanA, meanB;
        const double va = sampleVariance(a, meanA), vb = sampleVariance(b, meanB);
        const auto na = static_cast<double>(a.size()), nb = static_cast<double>(b.size());
        if (type == 2) {
            df = na + nb - 2;
            const double pooled = ((na - 1) * va + (nb - 1) * vb) / df;
            const double se = std::sqrt(pooled * (1 / na + 1 / nb));
            if (se == 0)
                return Value::fail(CellError::Div0);
            t = (meanA - meanB) / se;
        } else {
            const double sa = va / na, sb = vb / nb;
            if (sa + sb == 0)
                return Value::fail(CellError::Div0);
            t = (meanA - meanB) / std::sqrt(sa + sb);
            df = (sa + sb) * (sa + sb) / (sa * sa / (na - 1) + sb * sb / (nb - 1));
        }
    }
    const double oneTail = studentUpper(std::fabs(t), df);
    return numberOrNum(tails * oneTail);
}

// CHISQ.TEST and CHITEST: the chance of a chi-squared statistic this large between observed and
// expected counts of one shape. A table has (rows - 1)(columns - 1) degrees of freedom, a single
// row or column one fewer than its cells.
Value chiSquaredTest(Args args, CallContext& c) {
    const Grid actual(args[0], c), expected(args[1], c);
    if (actual.rows() != expected.rows() || actual.cols() != expected.cols())
        return Value::fail(CellError::NA);
    if (!c.chargeWork(actual.size()))
        return Value::fail(CellError::Value);
    double statistic = 0;
    for (std::uint32_t r = 0; r < actual.rows(); ++r)
        for (std::uint32_t col = 0; col < actual.cols(); ++col) {
            const Value a = actual.area() ? actual.at(r, col) : scalarOf(args[0], c);
            const Value e = expected.area() ? expected.at(r, col) : scalarOf(args[1], c);
            if (a.isError())
                return a;
            if (e.isError())
                return e;
            if (a.kind != ValueKind::Number || e.kind != ValueKind::Number)
                continue;
            if (e.number < 0)
                return numError();
            if (e.number == 0)
                return Value::fail(CellError::Div0);
            statistic += (a.number - e.number) * (a.number - e.number) / e.number;
        }
    const double rows = actual.rows(), cols = actual.cols();
    const double df = rows == 1 || cols == 1 ? rows * cols - 1 : (rows - 1) * (cols - 1);
    if (df < 1)
        return Value::fail(CellError::NA);
    return numberOrNum(gammaTails(df / 2, statistic / 2).upper);
}

Value fTest(Args args, CallContext& c) {
    std::vector<double> a, b;
    Value error;
    if (!sample(args, 0, 1, c, a, error) || !sample(args, 1, 2, c, b, error))
        return error;
    if (a.size() < 2 || b.size() < 2)
        return Value::fail(CellError::Div0);
    double mean;
    const double va = sampleVariance(a, mean), vb = sampleVariance(b, mean);
    if (va == 0 || vb == 0)
        return Value::fail(CellError::Div0);
    const double d1 = static_cast<double>(a.size() - 1), d2 = static_cast<double>(b.size() - 1);
    const double f = va / vb;
    const double lower = regularizedBeta(d1 / 2, d2 / 2, d1 * f / (d1 * f + d2));
    return numberOrNum(2 * std::min(lower, 1 - lower));
}

Value zTest(Args args, CallContext& c) {
    std::vector<double> xs;
    Value error;
    if (!sample(args, 0, 1, c, xs, error))
        return error;
    Reader r(args, c);
    const double mu = r.number(1);
    const bool hasSigma = r.given(2);
    const double sigmaGiven = r.number(2);
    if (r.failed())
        return r.error();
    if (xs.size() < (hasSigma ? 1u : 2u))
        return Value::fail(CellError::Div0);
    double mean;
    const double sigma = hasSigma ? sigmaGiven : std::sqrt(sampleVariance(xs, mean));
    mean = 0;
    for (double x : xs)
        mean += x;
    mean /= static_cast<double>(xs.size());
    if (sigma <= 0)
        return hasSigma ? numError() : Value::fail(CellError::Div0);
    const double z = (mean - mu) / (sigma / std::sqrt(static_cast<double>(xs.size())));
    return numberOrNum(normalCdf(-z));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"BINOM.DIST.RANGE", 3, 4, binomialRange, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BINOM.INV", 3, 3, binomialInv, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CRITBINOM", 3, 3, binomialInv},
    FunctionInfo{"CHISQ.TEST", 2, 2, chiSquaredTest, "bb", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"CHITEST", 2, 2, chiSquaredTest, "bb", 2},
    FunctionInfo{"F.TEST", 2, 2, fTest, "bb", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"FTEST", 2, 2, fTest, "bb", 2},
    FunctionInfo{"HYPGEOM.DIST", 5, 5, hypergeometric<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"HYPGEOMDIST", 4, 4, hypergeometric<false>},
    FunctionInfo{"KURT", 1, 255, kurtosis, "b", 0},
    FunctionInfo{"NEGBINOM.DIST", 4, 4, negativeBinomial<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"NEGBINOMDIST", 3, 3, negativeBinomial<false>},
    FunctionInfo{"PERMUTATIONA", 2, 2, permutationsWithRepeats, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"PROB", 3, 4, probability, "bbss", 4},
    FunctionInfo{"SKEW", 1, 255, skewness<false>, "b", 0},
    FunctionInfo{"SKEW.P", 1, 255, skewness<true>, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"T.TEST", 4, 4, tTest, "bbss", 4, 0, nullptr, "_xlfn."},
    FunctionInfo{"TRIMMEAN", 2, 2, trimMean, "bs", 2},
    FunctionInfo{"TTEST", 4, 4, tTest, "bbss", 4},
    FunctionInfo{"Z.TEST", 2, 3, zTest, "bss", 3, 0, nullptr, "_xlfn."},
    FunctionInfo{"ZTEST", 2, 3, zTest, "bss", 3},
};

} // namespace

std::span<const FunctionInfo> sampleStatisticFunctions() {
    return table;
}

} // namespace engine::formula::functions
