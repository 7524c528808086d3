// The complex-number functions: COMPLEX and the IM* family, over numbers written as text
// ("3+4i", "-2.5j", "i").

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace engine::formula::functions {
namespace {

using Complex = std::complex<double>;

struct Parsed {
    Complex z;
    char suffix = 0; // 'i', 'j', or 0 when the text has no imaginary part
};

// A run of digits with an optional point and exponent at `pos`; nullopt when there is none.
std::optional<double> unsignedNumber(const std::string& text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[pos])) != 0 || text[pos] == '.'))
        ++pos;
    if (pos == start)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t e = pos + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const std::size_t digits = e;
        while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e])) != 0)
            ++e;
        if (e == digits)
            return std::nullopt;
        pos = e;
    }
    const std::string part = text.substr(start, pos - start);
    if (std::count(part.begin(), part.end(), '.') > 1)
        return std::nullopt;
    return std::strtod(part.c_str(), nullptr);
}

// "a", "bi", "a+bi", "a-i" ... with i or j; nothing else, not even spaces.
std::optional<Parsed> parseComplex(const std::string& text) {
    if (text.empty())
        return Parsed{};
    std::size_t pos = 0;
    const auto sign = [&]() {
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            return text[pos++] == '-' ? -1.0 : 1.0;
        return 0.0;
    };
    const auto isUnit = [&](std::size_t at) {
        return at < text.size() && (text[at] == 'i' || text[at] == 'j');
    };
    const double firstSign = sign();
    const std::optional<double> first = unsignedNumber(text, pos);
    if (isUnit(pos) && pos + 1 == text.size()) {
        const double im = (firstSign < 0 ? -1 : 1) * first.value_or(1.0);
        return Parsed{{0, im}, text[pos]};
    }
    if (!first)
        return std::nullopt;
    const double re = (firstSign < 0 ? -1 : 1) * *first;
    if (pos == text.size())
        return Parsed{{re, 0}, 0};
    const double secondSign = sign();
    if (secondSign == 0)
        return std::nullopt;
    const std::optional<double> second = unsignedNumber(text, pos);
    if (!isUnit(pos) || pos + 1 != text.size())
        return std::nullopt;
    return Parsed{{re, secondSign * second.value_or(1.0)}, text[pos]};
}

// A part as the application writes it: 15 significant digits, and small ones in full rather
// than with an exponent down to 1E-18 (0.0000000000000001, not 1E-16).
std::string numberText(double v) {
    std::string text = toText(Value::of(v)).text;
    if (text.find("E-") == std::string::npos)
        return text;
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    if (exponent < -18)
        return text;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", 14 - exponent, v);
    text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// The application's writing of a complex number: parts to 15 significant digits, a unit part
// without its 1, a zero part left out.
Value complexText(Complex z, char suffix) {
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return numError();
    const double re = roundTo15Digits(z.real()), im = roundTo15Digits(z.imag());
    std::string out;
    if (im == 0)
        return Value::of(numberText(re));
    if (re != 0) {
        out = numberText(re);
        if (im > 0)
            out.push_back('+');
    }
    if (im == -1)
        out.push_back('-');
    else if (im != 1)
        out.append(numberText(im));
    out.push_back(suffix == 'j' ? 'j' : 'i');
    return Value::of(std::move(out));
}

// Reads argument `i` as a complex number; numbers count as real ones, booleans do not.
std::optional<Parsed> complexArg(Reader& r, std::size_t i) {
    const Value v = r.value(i);
    if (r.failed())
        return std::nullopt;
    switch (v.kind) {
    case ValueKind::Blank:
        return Parsed{};
    case ValueKind::Number:
        return Parsed{{v.number, 0}, 0};
    case ValueKind::Text:
        if (auto parsed = parseComplex(v.text))
            return parsed;
        r.fail(CellError::Num);
        return std::nullopt;
    case ValueKind::Boolean:
    case ValueKind::Error:
        break;
    }
    r.fail(v.isError() ? v : Value::fail(CellError::Value));
    return std::nullopt;
}

Value complex(Args args, CallContext& c) {
    Reader r(args, c);
    const Value reValue = r.value(0), imValue = r.value(1);
    if (r.failed())
        return r.error();
    // Only numbers (or text reading as one) make parts; booleans do not.
    if (reValue.kind == ValueKind::Boolean || imValue.kind == ValueKind::Boolean)
        return Value::fail(CellError::Value);
    const double re = r.number(0), im = r.number(1);
    const std::string suffix = r.given(2) ? r.text(2) : std::string();
    if (r.failed())
        return r.error();
    if (!suffix.empty() && suffix != "i" && suffix != "j")
        return Value::fail(CellError::Value);
    return complexText({re, im}, suffix.empty() ? 'i' : suffix[0]);
}

template <double (*part)(const Complex&)> Value realOf(Args args, CallContext& c) {
    Reader r(args, c);
    const auto z = complexArg(r, 0);
    if (!z)
        return r.error();
    return numberOrNum(part(z->z));
}

double realPart(const Complex& z) {
    return z.real();
}
double imaginaryPart(const Complex& z) {
    return z.imag();
}
double magnitude(const Complex& z) {
    return std::hypot(z.real(), z.imag());
}

Value imArgument(Args args, CallContext& c) {
    Reader r(args, c);
    const auto z = complexArg(r, 0);
    if (!z)
        return r.error();
    if (z->z == Complex{})
        return Value::fail(CellError::Div0);
    return numberOrNum(std::arg(z->z));
}

// One complex argument to one complex result; `domain` rejects the arguments where the
// application answers #NUM!.
template <Complex (*f)(Complex), bool (*domain)(Complex) = nullptr>
Value unary(Args args, CallContext& c) {
    Reader r(args, c);
    const auto z = complexArg(r, 0);
    if (!z)
        return r.error();
    if constexpr (domain != nullptr) {
        if (!domain(z->z))
            return numError();
    }
    return complexText(f(z->z), z->suffix);
}

bool nonZero(Complex z) {
    return z != Complex{};
}
// The reciprocal functions fail where their base is zero: sin at 0 for IMCSC and IMCOT ...
bool sinNonZero(Complex z) {
    return std::sin(z) != Complex{};
}
bool cosNonZero(Complex z) {
    return std::cos(z) != Complex{};
}
bool sinhNonZero(Complex z) {
    return std::sinh(z) != Complex{};
}

Complex conjugate(Complex z) {
    return std::conj(z);
}
Complex sine(Complex z) {
    return std::sin(z);
}
Complex cosine(Complex z) {
    return std::cos(z);
}
Complex tangent(Complex z) {
    return std::tan(z);
}
Complex hyperbolicSine(Complex z) {
    return std::sinh(z);
}
Complex hyperbolicCosine(Complex z) {
    return std::cosh(z);
}
Complex secant(Complex z) {
    return 1.0 / std::cos(z);
}
Complex cosecant(Complex z) {
    return 1.0 / std::sin(z);
}
Complex cotangent(Complex z) {
    return std::cos(z) / std::sin(z);
}
Complex hyperbolicSecant(Complex z) {
    return 1.0 / std::cosh(z);
}
Complex hyperbolicCosecant(Complex z) {
    return 1.0 / std::sinh(z);
}
Complex exponential(Complex z) {
    return std::exp(z);
}
Complex naturalLog(Complex z) {
    return std::log(z);
}
Complex log10(Complex z) {
    return std::log(z) / std::log(10.0);
}
Complex log2(Complex z) {
    return std::log(z) / std::log(2.0);
}
Complex squareRoot(Complex z) {
    return std::sqrt(z);
}

Value imPower(Args args, CallContext& c) {
    Reader r(args, c);
    const auto z = complexArg(r, 0);
    const double n = r.number(1);
    if (!z || r.failed())
        return r.error();
    if (z->z == Complex{})
        return n > 0 ? Value::of(std::string("0")) : numError();
    // In polar form, as the application computes it.
    const double radius = std::pow(std::abs(z->z), n), angle = std::arg(z->z) * n;
    return complexText(std::polar(radius, angle), z->suffix);
}

// The suffix two parts share; mixing i and j is an error.
bool joinSuffix(char& suffix, char next) {
    if (next == 0)
        return true;
    if (suffix != 0 && suffix != next)
        return false;
    suffix = next;
    return true;
}

Value imDivide(Args args, CallContext& c) {
    Reader r(args, c);
    const auto a = complexArg(r, 0);
    const auto b = complexArg(r, 1);
    if (!a || !b)
        return r.error();
    char suffix = a->suffix;
    if (!joinSuffix(suffix, b->suffix))
        return Value::fail(CellError::Value);
    if (b->z == Complex{})
        return numError();
    return complexText(a->z / b->z, suffix);
}

Value imSubtract(Args args, CallContext& c) {
    Reader r(args, c);
    const auto a = complexArg(r, 0);
    const auto b = complexArg(r, 1);
    if (!a || !b)
        return r.error();
    char suffix = a->suffix;
    if (!joinSuffix(suffix, b->suffix))
        return Value::fail(CellError::Value);
    return complexText(a->z - b->z, suffix);
}

// IMSUM and IMPRODUCT: every value of every argument, blocks included.
template <bool product> Value imFold(Args args, CallContext& c) {
    Complex total = product ? Complex{1, 0} : Complex{};
    char suffix = 0;
    Budget budget(c);
    for (const Arg& arg : args) {
        const Grid grid(arg, c);
        Value error;
        const auto take = [&](const Value& v) {
            if (!error.isError() && v.isError())
                error = v;
            if (error.isError())
                return;
            std::optional<Parsed> z;
            if (v.kind == ValueKind::Number)
                z = Parsed{{v.number, 0}, 0};
            else if (v.kind == ValueKind::Text)
                z = parseComplex(v.text);
            else if (v.kind == ValueKind::Blank)
                z = Parsed{};
            if (!z) {
                error = v.kind == ValueKind::Boolean ? Value::fail(CellError::Value) : numError();
                return;
            }
            if (!joinSuffix(suffix, z->suffix)) {
                error = Value::fail(CellError::Value);
                return;
            }
            total = product ? total * z->z : total + z->z;
        };
        // Empty cells count as 0, so a product over one is 0.
        if (grid.area() == nullptr) {
            take(scalarOf(arg, c));
        } else {
            if (!budget.take(grid.size()))
                return Value::fail(CellError::Value);
            for (std::uint32_t row = 0; row < grid.rows() && !error.isError(); ++row)
                for (std::uint32_t col = 0; col < grid.cols(); ++col)
                    take(grid.at(row, col));
        }
        if (error.isError())
            return error;
    }
    return complexText(total, suffix);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"COMPLEX", 2, 3, complex},
    FunctionInfo{"IMABS", 1, 1, realOf<magnitude>},
    FunctionInfo{"IMAGINARY", 1, 1, realOf<imaginaryPart>},
    FunctionInfo{"IMARGUMENT", 1, 1, imArgument},
    FunctionInfo{"IMCONJUGATE", 1, 1, unary<conjugate>},
    FunctionInfo{"IMCOS", 1, 1, unary<cosine>},
    FunctionInfo{"IMCOSH", 1, 1, unary<hyperbolicCosine>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMCOT", 1, 1, unary<cotangent, sinNonZero>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMCSC", 1, 1, unary<cosecant, sinNonZero>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{
        "IMCSCH", 1, 1, unary<hyperbolicCosecant, sinhNonZero>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMDIV", 2, 2, imDivide},
    FunctionInfo{"IMEXP", 1, 1, unary<exponential>},
    FunctionInfo{"IMLN", 1, 1, unary<naturalLog, nonZero>},
    FunctionInfo{"IMLOG10", 1, 1, unary<log10, nonZero>},
    FunctionInfo{"IMLOG2", 1, 1, unary<log2, nonZero>},
    FunctionInfo{"IMPOWER", 2, 2, imPower},
    FunctionInfo{"IMPRODUCT", 1, 255, imFold<true>, "b", 0},
    FunctionInfo{"IMREAL", 1, 1, realOf<realPart>},
    FunctionInfo{"IMSEC", 1, 1, unary<secant, cosNonZero>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMSECH", 1, 1, unary<hyperbolicSecant>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMSIN", 1, 1, unary<sine>},
    FunctionInfo{"IMSINH", 1, 1, unary<hyperbolicSine>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"IMSQRT", 1, 1, unary<squareRoot>},
    FunctionInfo{"IMSUB", 2, 2, imSubtract},
    FunctionInfo{"IMSUM", 1, 255, imFold<false>, "b", 0},
    FunctionInfo{"IMTAN", 1, 1, unary<tangent>, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> complexFunctions() {
    return table;
}

} // namespace engine::formula::functions
