#include "engine/numfmt/General.h"

#include "engine/numfmt/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace engine::numfmt {
namespace {

constexpr std::size_t maxWidth = 11;

// Drops trailing zeros of a decimal fraction, and the point when nothing follows it.
void stripFraction(std::string& text) {
    if (text.find('.') == std::string::npos)
        return;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
}

// value > 0; rounded half away from zero like every other format, not to the nearest even.
std::string fixed(double value, int decimals) {
    std::string integer, fraction;
    splitDigits(value, decimals, integer, fraction);
    std::string text = integer.empty() ? "0" : integer;
    if (decimals > 0)
        text += "." + fraction;
    stripFraction(text);
    return text;
}

// value > 0; six significant digits at most, exponent of at least two digits.
std::string scientific(double value) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 5);
    std::string text(buffer, result.ptr);
    auto e = text.find('e');
    std::string mantissa = text.substr(0, e);
    stripFraction(mantissa);
    std::string exponent = text.substr(e + 1);
    char sign = '+';
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        sign = exponent[0];
        exponent.erase(0, 1);
    }
    while (exponent.size() > 2 && exponent[0] == '0')
        exponent.erase(0, 1);
    if (exponent.size() < 2)
        exponent.insert(0, 2 - exponent.size(), '0');
    return mantissa + "E" + sign + exponent;
}

std::string positiveGeneral(double value) {
    int magnitude = static_cast<int>(std::floor(std::log10(value)));
    if (magnitude >= -4 && magnitude <= -1) {
        // Nine decimals keep "0." plus the digits within eleven characters.
        std::string text = fixed(value, 9);
        if (text != "0")
            return text;
        return scientific(value);
    }
    if (magnitude >= -9 && magnitude <= 9) {
        std::string text = fixed(value, 12);
        if (text.size() <= maxWidth)
            return text;
        int decimals = 9 - magnitude;
        if (decimals >= 0) {
            text = fixed(value, decimals);
            if (text.size() <= maxWidth)
                return text;
        }
        return scientific(value);
    }
    if (magnitude == 10) {
        std::string text = fixed(value, 0);
        if (text.size() <= maxWidth)
            return text;
    }
    return scientific(value);
}

} // namespace

void appendGeneral(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "#NUM!";
        return;
    }
    if (value == 0) {
        out += '0';
        return;
    }
    // Whole numbers are by far the most common cell values: skip the decimal analysis.
    if (value == std::trunc(value) && std::fabs(value) < 1e11) {
        char buffer[24];
        auto result =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value));
        out.append(buffer, result.ptr);
        return;
    }
    if (value < 0)
        out += '-';
    out += positiveGeneral(std::fabs(value));
}

} // namespace engine::numfmt
