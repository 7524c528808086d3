// Numbers written in other bases: BASE and DECIMAL for any radix, the engineering conversions
// between binary, octal, decimal and hexadecimal, and Roman numerals.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace engine::formula::functions {
namespace {

constexpr char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string inRadix(std::uint64_t n, unsigned radix) {
    std::string out;
    do {
        out.insert(out.begin(), digits[n % radix]);
        n /= radix;
    } while (n > 0);
    return out;
}

// The value of `text` in `radix`, or -1 when a character is no digit of it.
double fromRadix(std::string_view text, unsigned radix) {
    double v = 0;
    for (char ch : text) {
        unsigned d;
        if (ch >= '0' && ch <= '9') {
            d = static_cast<unsigned>(ch - '0');
        } else if (ch >= 'A' && ch <= 'Z') {
            d = static_cast<unsigned>(ch - 'A' + 10);
        } else if (ch >= 'a' && ch <= 'z') {
            d = static_cast<unsigned>(ch - 'a' + 10);
        } else {
            return -1;
        }
        if (d >= radix) {
            return -1;
        }
        v = v * radix + d;
    }
    return v;
}

// BASE(number, radix, [min_length])
Value base(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0));
    const double radix = std::trunc(r.number(1));
    const double width = r.given(2) ? std::trunc(r.number(2)) : 0;
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || n >= 9007199254740992.0 || radix < 2 || radix > 36 || width < 0 || width > 255) {
        return numError();
    }
    std::string out = inRadix(static_cast<std::uint64_t>(n), static_cast<unsigned>(radix));
    if (out.size() < width) {
        out.insert(0, static_cast<std::size_t>(width) - out.size(), '0');
    }
    return Value::of(out);
}

// DECIMAL(text, radix)
Value decimal(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string text = r.text(0);
    const double radix = std::trunc(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (radix < 2 || radix > 36 || text.size() > 255) {
        return numError();
    }
    const double v = fromRadix(text, static_cast<unsigned>(radix));
    return v < 0 ? numError() : numberOrNum(v);
}

// The engineering conversions write ten digits at most, negative numbers as their ten-digit
// two's complement.
struct Radix {
    unsigned base;
    double span; // base^10: the ten-digit range
};
constexpr Radix binary{2, 1024.0}, octal{8, 1073741824.0}, hexadecimal{16, 1099511627776.0};

// A text of up to ten digits in `from` as a signed number; false when it is no such text.
bool readEngineering(std::string_view text, const Radix& from, double& out) {
    if (text.empty()) {
        out = 0;
        return true;
    }
    if (text.size() > 10) {
        return false;
    }
    const double v = fromRadix(text, from.base);
    if (v < 0) {
        return false;
    }
    out = text.size() == 10 && v >= from.span / 2 ? v - from.span : v;
    return true;
}

// `places` pads a positive result with zeros; it must be 1 to 10 (and no boolean) even for a
// negative number, whose ten digits it leaves as they are.
Value writeEngineering(double n, const Radix& to, Reader& r, std::size_t placesArg) {
    double places = 0;
    if (r.given(placesArg)) {
        places = std::trunc(r.numberNotBoolean(placesArg));
        if (r.failed()) {
            return r.error();
        }
        if (places < 1 || places > 10) {
            return numError();
        }
    }
    if (n < -to.span / 2 || n >= to.span / 2) {
        return numError();
    }
    if (n < 0) {
        return Value::of(inRadix(static_cast<std::uint64_t>(n + to.span), to.base));
    }
    std::string out = inRadix(static_cast<std::uint64_t>(n), to.base);
    if (places > 0) {
        if (out.size() > places) {
            return numError();
        }
        out.insert(0, static_cast<std::size_t>(places) - out.size(), '0');
    }
    return Value::of(out);
}

// DEC2BIN, DEC2OCT, DEC2HEX (number, [places])
template <const Radix& To> Value fromDecimal(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.numberNotBoolean(0));
    if (r.failed()) {
        return r.error();
    }
    return writeEngineering(n, To, r, 1);
}

// BIN2DEC, HEX2OCT ... (text, [places]); a number argument is read as its digits.
template <const Radix& From, const Radix* To> Value convert(Args args, CallContext& c) {
    Reader r(args, c);
    const Value given = r.value(0);
    if (r.failed()) {
        return r.error();
    }
    std::string text;
    if (given.kind == ValueKind::Number) {
        if (given.number < 0 || given.number != std::trunc(given.number)) {
            return numError();
        }
        text = inRadix(static_cast<std::uint64_t>(std::fmin(given.number, 1e15)), 10);
    } else if (given.kind == ValueKind::Boolean) {
        return Value::fail(CellError::Value);
    } else {
        text = toText(given).text;
    }
    double n = 0;
    if (!readEngineering(text, From, n)) {
        return numError();
    }
    if constexpr (To == nullptr) {
        return Value::of(n);
    } else {
        return writeEngineering(n, *To, r, 1);
    }
}

// ROMAN(number, [form]) in the classic form; ARABIC reads any well-formed numeral back.
// ROMAN's forms 0 (classic) to 4 (simplest) allow ever longer subtractive pairs: where a digit
// would be a 4 or a 9, each step of the form may take the numeral on the left one place further
// down (499 is CDXCIX in form 0, LDVLIV in 1, XDIX in 2, VDIV in 3, ID in 4) as long as the pair
// still fits in what is left.
std::string romanNumeral(int value, int form) {
    static constexpr char letters[] = {'M', 'D', 'C', 'L', 'X', 'V', 'I'};
    static constexpr int values[] = {1000, 500, 100, 50, 10, 5, 1};
    constexpr int last = 6;
    std::string out;
    for (int tens = 0; tens <= last; tens += 2) {
        const int digit = value / values[tens];
        if (digit % 5 == 4) {
            const int big = digit == 4 ? tens - 1 : tens - 2;
            int small = tens;
            for (int step = 0; step < form && small < last; ++step) {
                if (values[big] - values[small + 1] > value)
                    break;
                ++small;
            }
            out += letters[small];
            out += letters[big];
            value += values[small] - values[big];
        } else {
            if (digit > 4)
                out += letters[tens - 1];
            out.append(static_cast<std::size_t>(digit % 5), letters[tens]);
            value %= values[tens];
        }
    }
    return out;
}

Value roman(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = std::trunc(r.number(0));
    // TRUE is the classic form, FALSE the simplest.
    double form = 0;
    if (r.given(1)) {
        const Value v = r.value(1);
        form = v.kind == ValueKind::Boolean ? (v.number != 0 ? 0 : 4) : std::trunc(r.number(1));
    }
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || n > 3999 || form < 0 || form > 4) {
        return Value::fail(CellError::Value);
    }
    return Value::of(romanNumeral(static_cast<int>(n), static_cast<int>(form)));
}

int romanDigit(char ch) {
    switch (ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch) {
    case 'I':
        return 1;
    case 'V':
        return 5;
    case 'X':
        return 10;
    case 'L':
        return 50;
    case 'C':
        return 100;
    case 'D':
        return 500;
    case 'M':
        return 1000;
    default:
        return 0;
    }
}

Value arabic(Args args, CallContext& c) {
    Reader r(args, c);
    std::string text = r.text(0);
    if (r.failed()) {
        return r.error();
    }
    while (!text.empty() && text.front() == ' ') {
        text.erase(0, 1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.erase(0, 1);
    }
    if (text.size() > 255) {
        return Value::fail(CellError::Value);
    }
    double total = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int d = romanDigit(text[i]);
        if (d == 0) {
            return Value::fail(CellError::Value);
        }
        const int next = i + 1 < text.size() ? romanDigit(text[i + 1]) : 0;
        total += next > d ? -d : d;
    }
    return Value::of(negative ? -total : total);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ARABIC", 1, 1, arabic, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BASE", 2, 3, base, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"BIN2DEC", 1, 1, convert<binary, nullptr>},
    FunctionInfo{"BIN2HEX", 1, 2, convert<binary, &hexadecimal>},
    FunctionInfo{"BIN2OCT", 1, 2, convert<binary, &octal>},
    FunctionInfo{"DEC2BIN", 1, 2, fromDecimal<binary>},
    FunctionInfo{"DEC2HEX", 1, 2, fromDecimal<hexadecimal>},
    FunctionInfo{"DEC2OCT", 1, 2, fromDecimal<octal>},
    FunctionInfo{"DECIMAL", 2, 2, decimal, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"HEX2BIN", 1, 2, convert<hexadecimal, &binary>},
    FunctionInfo{"HEX2DEC", 1, 1, convert<hexadecimal, nullptr>},
    FunctionInfo{"HEX2OCT", 1, 2, convert<hexadecimal, &octal>},
    FunctionInfo{"OCT2BIN", 1, 2, convert<octal, &binary>},
    FunctionInfo{"OCT2DEC", 1, 1, convert<octal, nullptr>},
    FunctionInfo{"OCT2HEX", 1, 2, convert<octal, &hexadecimal>},
    FunctionInfo{"ROMAN", 1, 2, roman},
};

} // namespace

std::span<const FunctionInfo> radixFunctions() {
    return table;
}

} // namespace engine::formula::functions
