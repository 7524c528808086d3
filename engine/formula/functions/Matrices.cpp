// Matrix functions that answer with a block: MMULT, MINVERSE, MUNIT, TRANSPOSE and FREQUENCY,
// with MDETERM beside them.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace engine::formula::functions {
namespace {

struct Matrix {
    std::uint32_t rows = 0, cols = 0;
    std::vector<double> cells; // row by row
    double& at(std::uint32_t r, std::uint32_t c) { return cells[std::size_t{r} * cols + c]; }
};

// An argument as a block of numbers; anything else in it (text, blanks, booleans, errors) makes
// the matrix functions answer #VALUE!.
bool numericMatrix(const Arg& arg, CallContext& c, Matrix& out) {
    const Grid grid(arg, c);
    out.rows = grid.rows();
    out.cols = grid.cols();
    if (out.rows == 0 || out.cols == 0 || !c.chargeWork(grid.size()))
        return false;
    out.cells.reserve(grid.size());
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t col = 0; col < out.cols; ++col) {
            const Value v = grid.area() ? grid.at(r, col) : scalarOf(arg, c);
            if (v.kind != ValueKind::Number)
                return false;
            out.cells.push_back(v.number);
        }
    return true;
}

ArrayValue toBlock(const Matrix& m) {
    ArrayValue out;
    out.rows = m.rows;
    out.cols = m.cols;
    out.values.reserve(m.cells.size());
    for (double x : m.cells)
        out.values.push_back(numberOrNum(x));
    return out;
}

// A block as values, row by row, when every cell holds a number or an error; false for text,
// blanks or booleans, which make MMULT #VALUE! as a whole.
bool numbersOrErrors(const Arg& arg, CallContext& c, std::uint32_t& rows, std::uint32_t& cols,
                     std::vector<Value>& out) {
    const Grid grid(arg, c);
    rows = grid.rows();
    cols = grid.cols();
    if (rows == 0 || cols == 0 || !c.chargeWork(grid.size()))
        return false;
    out.reserve(grid.size());
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::uint32_t col = 0; col < cols; ++col) {
            Value v = grid.area() ? grid.at(r, col) : scalarOf(arg, c);
            if (v.kind != ValueKind::Number && !v.isError())
                return false;
            out.push_back(std::move(v));
        }
    return true;
}

// Each product cell is its row times its column; an error met on the way is that cell's
// answer, the other cells are computed as usual.
ArrayValue multiply(Args args, CallContext& c) {
    std::uint32_t aRows, aCols, bRows, bCols;
    std::vector<Value> a, b;
    if (!numbersOrErrors(args[0], c, aRows, aCols, a) ||
        !numbersOrErrors(args[1], c, bRows, bCols, b) || aCols != bRows)
        return single(Value::fail(CellError::Value));
    if (!c.chargeWork(std::uint64_t{aRows} * bCols * aCols))
        return single(Value::fail(CellError::Value));
    ArrayValue out;
    out.rows = aRows;
    out.cols = bCols;
    out.values.reserve(std::size_t{aRows} * bCols);
    for (std::uint32_t i = 0; i < aRows; ++i)
        for (std::uint32_t j = 0; j < bCols; ++j) {
            double sum = 0;
            Value error;
            for (std::uint32_t k = 0; k < aCols && !error.isError(); ++k) {
                const Value& x = a[std::size_t{i} * aCols + k];
                const Value& y = b[std::size_t{k} * bCols + j];
                if (x.isError())
                    error = x;
                else if (y.isError())
                    error = y;
                else
                    sum += x.number * y.number;
            }
            out.values.push_back(error.isError() ? error : numberOrNum(sum));
        }
    return out;
}

// Gaussian elimination with partial pivoting on `m` (square), applied alongside to `other`
// (the identity for an inverse); the determinant, 0 for a singular matrix.
double eliminate(Matrix& m, Matrix* other) {
    const std::uint32_t n = m.rows;
    double determinant = 1;
    for (std::uint32_t col = 0; col < n; ++col) {
        std::uint32_t pivot = col;
        for (std::uint32_t r = col + 1; r < n; ++r)
            if (std::fabs(m.at(r, col)) > std::fabs(m.at(pivot, col)))
                pivot = r;
        if (m.at(pivot, col) == 0)
            return 0;
        if (pivot != col) {
            for (std::uint32_t k = 0; k < n; ++k) {
                std::swap(m.at(pivot, k), m.at(col, k));
                if (other)
                    std::swap(other->at(pivot, k), other->at(col, k));
            }
            determinant = -determinant;
        }
        const double p = m.at(col, col);
        determinant *= p;
        for (std::uint32_t r = 0; r < n; ++r) {
            if (r == col || (!other && r < col))
                continue;
            const double factor = m.at(r, col) / p;
            if (factor == 0)
                continue;
            for (std::uint32_t k = 0; k < n; ++k) {
                m.at(r, k) -= factor * m.at(col, k);
                if (other)
                    other->at(r, k) -= factor * other->at(col, k);
            }
        }
    }
    if (other)
        for (std::uint32_t r = 0; r < n; ++r) {
            const double p = m.at(r, r);
            for (std::uint32_t k = 0; k < n; ++k)
                other->at(r, k) /= p;
        }
    return determinant;
}

Value determinant(Args args, CallContext& c) {
    Matrix m;
    if (!numericMatrix(args[0], c, m) || m.rows != m.cols)
        return Value::fail(CellError::Value);
    if (!c.chargeWork(std::uint64_t{m.rows} * m.rows * m.rows))
        return Value::fail(CellError::Value);
    return numberOrNum(eliminate(m, nullptr));
}

Matrix identity(std::uint32_t n) {
    Matrix m{n, n, std::vector<double>(std::size_t{n} * n)};
    for (std::uint32_t i = 0; i < n; ++i)
        m.at(i, i) = 1;
    return m;
}

ArrayValue inverse(Args args, CallContext& c) {
    Matrix m;
    if (!numericMatrix(args[0], c, m) || m.rows != m.cols)
        return single(Value::fail(CellError::Value));
    if (!c.chargeWork(2 * std::uint64_t{m.rows} * m.rows * m.rows))
        return single(Value::fail(CellError::Value));
    Matrix result = identity(m.rows);
    if (eliminate(m, &result) == 0)
        return single(numError());
    return toBlock(result);
}

ArrayValue unit(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0));
    if (r.failed())
        return single(r.error());
    // Past the largest block a sheet can show, or the work budget, there is nothing to give.
    if (n < 1 || n > 16384 || !c.chargeWork(static_cast<std::uint64_t>(n * n)))
        return single(Value::fail(CellError::Value));
    return toBlock(identity(static_cast<std::uint32_t>(n)));
}

// TRANSPOSE: rows become columns; an empty cell becomes 0, as a reference to it would.
ArrayValue transpose(Args args, CallContext& c) {
    const Grid grid(args[0], c);
    if (!c.chargeWork(grid.size()))
        return single(Value::fail(CellError::Value));
    ArrayValue out;
    out.rows = grid.cols();
    out.cols = grid.rows();
    out.values.reserve(grid.size());
    for (std::uint32_t r = 0; r < out.rows; ++r)
        for (std::uint32_t col = 0; col < out.cols; ++col) {
            Value v = grid.area() ? grid.at(col, r) : scalarOf(args[0], c);
            out.values.push_back(v.kind == ValueKind::Blank ? Value::of(0.0) : std::move(v));
        }
    return out;
}

// FREQUENCY: how many numbers fall at or below each bin and above the next lower one, in the
// bins' own order, and one more count for those above every bin.
ArrayValue frequency(Args args, CallContext& c) {
    std::vector<double> data, bins;
    Value error;
    if (!collectNumbers(args, 0, 1, c, {false, false}, data, error) ||
        !collectNumbers(args, 1, 2, c, {false, false}, bins, error))
        return single(error);
    std::vector<std::size_t> order(bins.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return bins[a] < bins[b]; });
    std::vector<double> sorted;
    for (std::size_t i : order)
        sorted.push_back(bins[i]);
    std::vector<double> counts(bins.size() + 1, 0);
    for (double x : data) {
        const auto at = static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), x) -
                                                 sorted.begin());
        counts[at == sorted.size() ? bins.size() : order[at]] += 1;
    }
    ArrayValue out;
    out.rows = static_cast<std::uint32_t>(counts.size());
    for (double n : counts)
        out.values.push_back(Value::of(n));
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"FREQUENCY", 2, 2, nullptr, "bb", 2, flag::ArraysAlways, frequency},
    FunctionInfo{"MDETERM", 1, 1, determinant, "b", 1},
    FunctionInfo{"MINVERSE", 1, 1, nullptr, "b", 1, 0, inverse},
    FunctionInfo{"MMULT", 2, 2, nullptr, "bb", 2, flag::ArraysAlways, multiply},
    FunctionInfo{"MUNIT", 1, 1, nullptr, {}, 0, 0, unit, "_xlfn."},
    FunctionInfo{"TRANSPOSE", 1, 1, nullptr, "b", 1, flag::ArraysAlways, transpose},
};

} // namespace

std::span<const FunctionInfo> matrixFunctions() {
    return table;
}

} // namespace engine::formula::functions
