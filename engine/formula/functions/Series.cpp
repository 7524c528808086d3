// Sums over paired blocks (SUMX2MY2, SUMX2PY2, SUMXMY2), power series (SERIESSUM) and the
// multinomial coefficient.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <vector>

namespace engine::formula::functions {
namespace {

enum class Pair { SquaresDifference, SquaresSum, DifferenceSquared };

// Pairs whose two members are both numbers count. The blocks are paired cell by cell in
// reading order, so a column pairs with a row of as many cells; blocks of different sizes are
// #N/A.
template <Pair kind> Value pairedSum(Args args, CallContext& c) {
    const Grid x(args[0], c), y(args[1], c);
    if (x.size() != y.size())
        return Value::fail(CellError::NA);
    if (!c.chargeWork(x.size()))
        return Value::fail(CellError::Value);
    double sum = 0;
    for (std::uint64_t i = 0; i < x.size(); ++i) {
        const auto xr = static_cast<std::uint32_t>(i / x.cols()),
                   xc = static_cast<std::uint32_t>(i % x.cols());
        const auto yr = static_cast<std::uint32_t>(i / y.cols()),
                   yc = static_cast<std::uint32_t>(i % y.cols());
        const Value a = x.area() ? x.at(xr, xc) : scalarOf(args[0], c);
        const Value b = y.area() ? y.at(yr, yc) : scalarOf(args[1], c);
        if (a.isError())
            return a;
        if (b.isError())
            return b;
        if (a.kind != ValueKind::Number || b.kind != ValueKind::Number)
            continue;
        switch (kind) {
        case Pair::SquaresDifference:
            sum += a.number * a.number - b.number * b.number;
            break;
        case Pair::SquaresSum:
            sum += a.number * a.number + b.number * b.number;
            break;
        case Pair::DifferenceSquared:
            sum += (a.number - b.number) * (a.number - b.number);
            break;
        }
    }
    return numberOrNum(sum);
}

// SERIESSUM(x, n, m, coefficients): the sum of a_i * x^(n + i*m).
Value seriesSum(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.numberNotBoolean(0), n = r.numberNotBoolean(1), m = r.numberNotBoolean(2);
    if (r.failed())
        return r.error();
    // The application refuses a series at 0, whatever its powers.
    if (x == 0)
        return numError();
    const Grid coefficients(args[3], c);
    if (!c.chargeWork(coefficients.size()))
        return Value::fail(CellError::Value);
    double sum = 0;
    std::uint64_t i = 0;
    for (std::uint32_t row = 0; row < coefficients.rows(); ++row)
        for (std::uint32_t col = 0; col < coefficients.cols(); ++col, ++i) {
            const Value a = coefficients.area() ? coefficients.at(row, col) : scalarOf(args[3], c);
            if (a.isError())
                return a;
            if (a.kind != ValueKind::Number)
                return Value::fail(CellError::Value);
            sum += a.number * std::pow(x, n + static_cast<double>(i) * m);
        }
    return numberOrNum(sum);
}

// MULTINOMIAL: (a + b + ...)! / (a! b! ...) for whole numbers from 0 on.
// A boolean anywhere, given directly or in a block, is #VALUE!.
Value multinomial(Args args, CallContext& c) {
    Budget budget(c);
    for (const Arg& arg : args) {
        bool boolean = false;
        Grid(arg, c).forEach(budget, [&](std::uint32_t, std::uint32_t, const Value& v) {
            boolean = boolean || v.kind == ValueKind::Boolean;
        });
        if (boolean)
            return Value::fail(CellError::Value);
    }
    std::vector<double> numbers;
    Value error;
    if (!collectNumbers(args, 0, args.size(), c, {}, numbers, error))
        return error;
    double total = 0, logResult = 0;
    for (double v : numbers) {
        const double n = std::trunc(v);
        if (n < 0)
            return numError();
        total += n;
        logResult -= std::lgamma(n + 1);
    }
    logResult += std::lgamma(total + 1);
    return numberOrNum(std::round(std::exp(logResult)));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"MULTINOMIAL", 1, 255, multinomial, "b", 0},
    FunctionInfo{"SERIESSUM", 4, 4, seriesSum, "sssb", 4},
    FunctionInfo{"SUMX2MY2", 2, 2, pairedSum<Pair::SquaresDifference>, "bb", 2, flag::ArraysAlways},
    FunctionInfo{"SUMX2PY2", 2, 2, pairedSum<Pair::SquaresSum>, "bb", 2, flag::ArraysAlways},
    FunctionInfo{"SUMXMY2", 2, 2, pairedSum<Pair::DifferenceSquared>, "bb", 2, flag::ArraysAlways},
};

} // namespace

std::span<const FunctionInfo> seriesFunctions() {
    return table;
}

} // namespace engine::formula::functions
