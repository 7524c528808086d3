// The reciprocal trigonometric and hyperbolic functions and their inverses: COT, CSC, SEC,
// COTH, CSCH, SECH, ACOT and ACOTH.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Circular.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>

namespace engine::formula::functions {
namespace {

// The circular functions take angles below 2^27 in size, as the application does.
constexpr double largestAngle = 134217728.0;

enum class Check { None, Angle, AboveOne };

// 1 / base(x), #DIV/0! where the base is 0.
template <double (*base)(double), Check check> Value reciprocal(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    if (check == Check::Angle && std::fabs(x) >= largestAngle)
        return numError();
    const double b = base(x);
    if (b == 0)
        return Value::fail(CellError::Div0);
    return numberOrNum(1 / b);
}

double sine(double x) {
    return circularSin(x);
}
double cosine(double x) {
    return circularCos(x);
}
double tangent(double x) {
    return circularTan(x);
}
double hyperbolicSine(double x) {
    return std::sinh(x);
}
double hyperbolicCosine(double x) {
    return std::cosh(x);
}
double hyperbolicTangent(double x) {
    return std::tanh(x);
}

Value arcCotangent(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    // Between 0 and pi, so that ACOT(-1) is 3pi/4.
    return numberOrNum(std::atan2(1.0, x));
}

Value hyperbolicArcCotangent(Args args, CallContext& c) {
    Reader r(args, c);
    const double x = r.number(0);
    if (r.failed())
        return r.error();
    if (std::fabs(x) <= 1)
        return numError();
    return numberOrNum(0.5 * std::log((x + 1) / (x - 1)));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ACOT", 1, 1, arcCotangent, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"ACOTH", 1, 1, hyperbolicArcCotangent, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"COT", 1, 1, reciprocal<tangent, Check::Angle>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{
        "COTH", 1, 1, reciprocal<hyperbolicTangent, Check::None>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CSC", 1, 1, reciprocal<sine, Check::Angle>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{
        "CSCH", 1, 1, reciprocal<hyperbolicSine, Check::None>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"SEC", 1, 1, reciprocal<cosine, Check::Angle>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{
        "SECH", 1, 1, reciprocal<hyperbolicCosine, Check::None>, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> trigonometryFunctions() {
    return table;
}

} // namespace engine::formula::functions
