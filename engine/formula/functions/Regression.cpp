// Least-squares fits: LINEST and LOGEST (the coefficients, and the regression statistics when
// asked), TREND and GROWTH (the fitted values at new points).

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <optional>
#include <vector>

namespace engine::formula::functions {
namespace {

// A block of numbers row by row; text, booleans, blanks or errors in it are #VALUE!.
struct Block {
    std::uint32_t rows = 0, cols = 0;
    std::vector<double> cells;
    double at(std::uint32_t r, std::uint32_t c) const { return cells[std::size_t{r} * cols + c]; }
};

bool readBlock(const Arg& arg, CallContext& c, Block& out, Value& error) {
    const Grid grid(arg, c);
    out.rows = grid.rows();
    out.cols = grid.cols();
    if (out.rows == 0 || out.cols == 0 || !c.chargeWork(grid.size())) {
        error = Value::fail(CellError::Value);
        return false;
    }
    out.cells.reserve(grid.size());
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t col = 0; col < out.cols; ++col) {
            const Value v = grid.area() ? grid.at(r, col) : scalarOf(arg, c);
            if (v.kind == ValueKind::Error) {
                error = v;
                return false;
            }
            if (v.kind != ValueKind::Number) {
                error = Value::fail(CellError::Value);
                return false;
            }
            out.cells.push_back(v.number);
        }
    return true;
}

// The observations: `y` and, for each of the `k` variables, its values, point by point.
struct Observations {
    std::vector<double> y;
    std::vector<std::vector<double>> x; // x[variable][point]
    bool byColumns = true;              // a variable is a column of the x block (else a row)
};

// The counting numbers 1, 2, 3 ... that stand in for left-out x values.
Block countingBlock(std::uint32_t rows, std::uint32_t cols) {
    Block b{rows, cols, {}};
    for (std::uint32_t i = 0; i < rows * cols; ++i)
        b.cells.push_back(i + 1.0);
    return b;
}

// Pairs y with its x values: one variable when the blocks have the same shape, else one per
// column (y a column) or per row (y a row); #REF! when they do not fit.
bool pairUp(const Block& y, const Block& x, Observations& out, Value& error) {
    out.y = y.cells;
    if (x.rows == y.rows && x.cols == y.cols) {
        out.x.push_back(x.cells);
        out.byColumns = y.cols == 1;
        return true;
    }
    if (y.cols == 1 && x.rows == y.rows) {
        for (std::uint32_t v = 0; v < x.cols; ++v) {
            std::vector<double>& column = out.x.emplace_back();
            for (std::uint32_t r = 0; r < x.rows; ++r)
                column.push_back(x.at(r, v));
        }
        out.byColumns = true;
        return true;
    }
    if (y.rows == 1 && x.cols == y.cols) {
        for (std::uint32_t v = 0; v < x.rows; ++v) {
            std::vector<double>& row = out.x.emplace_back();
            for (std::uint32_t col = 0; col < x.cols; ++col)
                row.push_back(x.at(v, col));
        }
        out.byColumns = false;
        return true;
    }
    error = Value::fail(CellError::Ref);
    return false;
}

// A least-squares fit of y on the variables, with or without a constant.
struct Fit {
    std::vector<double> slopes; // per variable; 0 for one left out as collinear
    std::vector<double> slopeErrors;
    std::vector<bool> used;
    double intercept = 0, interceptError = 0;
    double ssReg = 0, ssResid = 0;
    int df = 0, usedCount = 0;
};

// Householder-free QR by modified Gram-Schmidt on the (centred, with a constant) variables;
// a variable that the earlier ones already explain is left out, as the application does.
std::optional<Fit> fit(const Observations& obs, bool constant) {
    const std::size_t n = obs.y.size(), k = obs.x.size();
    double yMean = 0;
    std::vector<double> xMean(k, 0);
    if (constant) {
        for (double v : obs.y)
            yMean += v;
        yMean /= static_cast<double>(n);
        for (std::size_t j = 0; j < k; ++j) {
            for (double v : obs.x[j])
                xMean[j] += v;
            xMean[j] /= static_cast<double>(n);
        }
    }
    std::vector<std::vector<double>> q; // orthonormal columns of the kept variables
    std::vector<std::size_t> kept;
    std::vector<std::vector<double>> r; // r[i][j]: kept i against kept j (upper)
    for (std::size_t j = 0; j < k; ++j) {
        std::vector<double> v(n);
        double original = 0;
        for (std::size_t i = 0; i < n; ++i) {
            v[i] = obs.x[j][i] - xMean[j];
            original += v[i] * v[i];
        }
        std::vector<double> column(q.size(), 0);
        for (std::size_t a = 0; a < q.size(); ++a) {
            double dot = 0;
            for (std::size_t i = 0; i < n; ++i)
                dot += q[a][i] * v[i];
            column[a] = dot;
            for (std::size_t i = 0; i < n; ++i)
                v[i] -= dot * q[a][i];
        }
        double norm = 0;
        for (double e : v)
            norm += e * e;
        if (!(norm > 1e-24 * original) || original == 0)
            continue;
        norm = std::sqrt(norm);
        for (double& e : v)
            e /= norm;
        column.push_back(norm);
        q.push_back(std::move(v));
        kept.push_back(j);
        r.push_back(std::move(column));
    }
    const std::size_t p = kept.size();
    // R is stored by columns: r[j][i] is R(i, j).
    std::vector<double> qy(p, 0);
    for (std::size_t a = 0; a < p; ++a)
        for (std::size_t i = 0; i < n; ++i)
            qy[a] += q[a][i] * (obs.y[i] - yMean);
    std::vector<double> beta(p, 0);
    for (std::size_t a = p; a-- > 0;) {
        double s = qy[a];
        for (std::size_t b = a + 1; b < p; ++b)
            s -= r[b][a] * beta[b];
        beta[a] = s / r[a][a];
    }
    // The inverse of R, for the standard errors: (X'X)^-1 = R^-1 R^-T.
    std::vector<std::vector<double>> inv(p, std::vector<double>(p, 0)); // inv[i][j], upper
    for (std::size_t j = 0; j < p; ++j) {
        inv[j][j] = 1 / r[j][j];
        for (std::size_t i = j; i-- > 0;) {
            double s = 0;
            for (std::size_t m = i + 1; m <= j; ++m)
                s += r[m][i] * inv[m][j];
            inv[i][j] = -s / r[i][i];
        }
    }
    Fit out;
    out.slopes.assign(k, 0);
    out.slopeErrors.assign(k, 0);
    out.used.assign(k, false);
    for (std::size_t a = 0; a < p; ++a) {
        out.slopes[kept[a]] = beta[a];
        out.used[kept[a]] = true;
    }
    out.usedCount = static_cast<int>(p);
    if (constant) {
        out.intercept = yMean;
        for (std::size_t j = 0; j < k; ++j)
            out.intercept -= out.slopes[j] * xMean[j];
    }
    double ssTotal = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double fitted = out.intercept;
        for (std::size_t j = 0; j < k; ++j)
            fitted += out.slopes[j] * obs.x[j][i];
        out.ssResid += (obs.y[i] - fitted) * (obs.y[i] - fitted);
        ssTotal += (obs.y[i] - yMean) * (obs.y[i] - yMean);
    }
    out.ssReg = ssTotal - out.ssResid;
    out.df = static_cast<int>(n) - static_cast<int>(p) - (constant ? 1 : 0);
    const double variance = out.df > 0 ? out.ssResid / out.df : 0;
    // diag(R^-1 R^-T) gives each slope's variance factor; the constant's adds 1/n and the
    // means seen through the same matrix.
    std::vector<double> meanThrough(p, 0); // R^-T applied to the kept means
    for (std::size_t a = 0; a < p; ++a) {
        double s = 0;
        for (std::size_t m = 0; m < p; ++m)
            s += inv[m][a] * xMean[kept[m]];
        meanThrough[a] = s;
    }
    for (std::size_t a = 0; a < p; ++a) {
        double s = 0;
        for (std::size_t b = a; b < p; ++b)
            s += inv[a][b] * inv[a][b];
        out.slopeErrors[kept[a]] = std::sqrt(variance * s);
    }
    if (constant) {
        double s = 1 / static_cast<double>(n);
        for (double e : meanThrough)
            s += e * e;
        out.interceptError = std::sqrt(variance * s);
    }
    return out;
}

// The work of a fit of n points on k variables, which the workbook's budget must allow.
bool chargeFit(const Observations& obs, CallContext& c) {
    const std::uint64_t n = obs.y.size(), k = obs.x.size();
    return c.chargeWork(n * (k + 1) * (k + 1));
}

// The fit's arguments: y (logarithms for the exponential fits, which need y > 0), x or the
// counting numbers, and whether to fit a constant.
struct Problem {
    Observations obs;
    Block y;
    bool constant = true;
};

bool readProblem(Args args, CallContext& c, bool exponential, std::size_t constantAt, Problem& out,
                 Value& error) {
    if (!readBlock(args[0], c, out.y, error))
        return false;
    Block x;
    if (args.size() > 1 && args[1].kind != Arg::Kind::Missing) {
        if (!readBlock(args[1], c, x, error))
            return false;
    } else {
        x = countingBlock(out.y.rows, out.y.cols);
    }
    if (args.size() > constantAt && args[constantAt].kind != Arg::Kind::Missing) {
        Reader r(args, c);
        out.constant = r.boolean(constantAt, true);
        if (r.failed()) {
            error = r.error();
            return false;
        }
    }
    if (!pairUp(out.y, x, out.obs, error))
        return false;
    if (exponential)
        for (double& v : out.obs.y) {
            if (!(v > 0)) {
                error = numError();
                return false;
            }
            v = std::log(v);
        }
    return true;
}

template <bool exponential> ArrayValue estimate(Args args, CallContext& c) {
    Problem problem;
    Value error;
    if (!readProblem(args, c, exponential, 2, problem, error))
        return single(error);
    if (!chargeFit(problem.obs, c))
        return single(Value::fail(CellError::Value));
    bool stats = false;
    if (args.size() > 3 && args[3].kind != Arg::Kind::Missing) {
        Reader r(args, c);
        stats = r.boolean(3, false);
        if (r.failed())
            return single(r.error());
    }
    const std::optional<Fit> f = fit(problem.obs, problem.constant);
    if (!f)
        return single(numError());
    const std::size_t k = f->slopes.size();
    const auto shown = [](double v) { return numberOrNum(exponential ? std::exp(v) : v); };
    ArrayValue out;
    out.cols = static_cast<std::uint32_t>(k + 1);
    out.rows = stats ? 5 : 1;
    // The slopes come last variable first, then the constant.
    for (std::size_t j = k; j-- > 0;)
        out.values.push_back(shown(f->slopes[j]));
    out.values.push_back(shown(f->intercept));
    if (!stats)
        return out;
    const Value na = Value::fail(CellError::NA);
    const bool spread = f->df > 0;
    for (std::size_t j = k; j-- > 0;)
        out.values.push_back(spread ? numberOrNum(f->slopeErrors[j]) : numError());
    out.values.push_back(!problem.constant ? na
                         : spread          ? numberOrNum(f->interceptError)
                                           : numError());
    const double ssTotal = f->ssReg + f->ssResid;
    const auto rest = [&](std::vector<Value> first) {
        for (Value& v : first)
            out.values.push_back(std::move(v));
        for (std::size_t j = 2; j < k + 1; ++j)
            out.values.push_back(na);
    };
    rest({ssTotal > 0 ? numberOrNum(f->ssReg / ssTotal) : numError(),
          spread ? numberOrNum(std::sqrt(f->ssResid / f->df)) : numError()});
    rest({spread && f->usedCount > 0 && f->ssResid > 0
              ? numberOrNum((f->ssReg / f->usedCount) / (f->ssResid / f->df))
              : numError(),
          Value::of(static_cast<double>(f->df))});
    rest({numberOrNum(f->ssReg), numberOrNum(f->ssResid)});
    return out;
}

template <bool exponential> ArrayValue project(Args args, CallContext& c) {
    Problem problem;
    Value error;
    if (!readProblem(args, c, exponential, 3, problem, error))
        return single(error);
    Block fresh;
    if (args.size() > 2 && args[2].kind != Arg::Kind::Missing) {
        if (!readBlock(args[2], c, fresh, error))
            return single(error);
    } else if (args.size() > 1 && args[1].kind != Arg::Kind::Missing) {
        if (!readBlock(args[1], c, fresh, error))
            return single(error);
    } else {
        fresh = countingBlock(problem.y.rows, problem.y.cols);
    }
    if (!chargeFit(problem.obs, c))
        return single(Value::fail(CellError::Value));
    const std::optional<Fit> f = fit(problem.obs, problem.constant);
    if (!f)
        return single(numError());
    const std::size_t k = f->slopes.size();
    const auto value = [&](double linear) {
        return numberOrNum(exponential ? std::exp(linear) : linear);
    };
    ArrayValue out;
    if (k == 1) {
        // One variable: a fitted value for every new x, in the new block's shape.
        out.rows = fresh.rows;
        out.cols = fresh.cols;
        for (double x : fresh.cells)
            out.values.push_back(value(f->intercept + f->slopes[0] * x));
        return out;
    }
    // Several: a point is a row (variables in columns) or a column of the new block.
    const std::uint32_t points = problem.obs.byColumns ? fresh.rows : fresh.cols;
    if ((problem.obs.byColumns ? fresh.cols : fresh.rows) != k)
        return single(Value::fail(CellError::Ref));
    out.rows = problem.obs.byColumns ? points : 1;
    out.cols = problem.obs.byColumns ? 1 : points;
    for (std::uint32_t i = 0; i < points; ++i) {
        double linear = f->intercept;
        for (std::size_t j = 0; j < k; ++j) {
            const auto v = static_cast<std::uint32_t>(j);
            linear += f->slopes[j] * (problem.obs.byColumns ? fresh.at(i, v) : fresh.at(v, i));
        }
        out.values.push_back(value(linear));
    }
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"GROWTH", 1, 4, nullptr, "bbbs", 4, flag::ArraysAlways, project<true>},
    FunctionInfo{"LINEST", 1, 4, nullptr, "bbss", 4, flag::ArraysAlways, estimate<false>},
    FunctionInfo{"LOGEST", 1, 4, nullptr, "bbss", 4, flag::ArraysAlways, estimate<true>},
    FunctionInfo{"TREND", 1, 4, nullptr, "bbbs", 4, flag::ArraysAlways, project<false>},
};

} // namespace

std::span<const FunctionInfo> regressionFunctions() {
    return table;
}

} // namespace engine::formula::functions
