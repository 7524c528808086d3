#include "engine/numfmt/General.h"

#include "engine/numfmt/DecimalDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace engine::numfmt {
namespace {

constexpr std::size_t maxWidth = 11;

// Appends a value > 0 rounded half away from zero (like every other format, not to the
// nearest even) to `decimals` places, without trailing zeros of its fraction or a bare point.
// The callers ask for at most 18 places of numbers below 10^11.
void appendFixed(std::string& out, const DecimalDigits& significant, int decimals) {
    const RoundedDigits rounded = roundedDigits(significant, decimals);
    if (rounded.keep < 0) {
        out += '0';
        return;
    }
    const int keep = rounded.keep;
    const int integerLength = rounded.exponent + 1;
    const int fractionStart = std::max(integerLength, 0);
    // The fraction's places run from integerLength to keep, those before the first digit
    // zeros; its trailing zeros are dropped.
    int last = keep - 1;
    while (last >= fractionStart && rounded.at(last) == '0')
        --last;
    const std::size_t start = out.size();
    out.resize(start +
               static_cast<std::size_t>(std::max(integerLength, 1) + 1 + keep - integerLength));
    char* write = out.data() + start;
    if (integerLength > 0) {
        for (int i = 0; i < integerLength; ++i)
            *write++ = rounded.at(i);
    } else {
        *write++ = '0';
    }
    if (last >= fractionStart) {
        *write++ = '.';
        for (int position = integerLength; position <= last; ++position)
            *write++ = rounded.at(position);
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
}

// value > 0; six significant digits at most, exponent of at least two digits.
void appendScientific(std::string& out, double value) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 5);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = text.find('e');
    std::string_view mantissa = text.substr(0, e);
    if (mantissa.find('.') != std::string_view::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.remove_suffix(1);
        if (!mantissa.empty() && mantissa.back() == '.')
            mantissa.remove_suffix(1);
    }
    std::string_view exponent = text.substr(e + 1);
    char sign = '+';
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        sign = exponent[0];
        exponent.remove_prefix(1);
    }
    while (exponent.size() > 2 && exponent[0] == '0')
        exponent.remove_prefix(1);
    out += mantissa;
    out += 'E';
    out += sign;
    if (exponent.size() < 2)
        out.append(2 - exponent.size(), '0');
    out += exponent;
}

void appendPositiveGeneral(std::string& out, double value) {
    const int magnitude = static_cast<int>(std::floor(std::log10(value)));
    const std::size_t start = out.size();
    auto fixedFits = [&](const DecimalDigits& digits, int decimals, std::size_t width) {
        appendFixed(out, digits, decimals);
        if (out.size() - start <= width)
            return true;
        out.resize(start);
        return false;
    };
    if (magnitude >= -4 && magnitude <= -1) {
        // Nine decimals keep "0." plus the digits within eleven characters.
        appendFixed(out, significantDigits(value), 9);
        if (out.size() - start != 1 || out.back() != '0')
            return;
        out.resize(start);
    } else if (magnitude >= -9 && magnitude <= 9) {
        const DecimalDigits digits = significantDigits(value);
        if (fixedFits(digits, 12, maxWidth))
            return;
        const int decimals = 9 - magnitude;
        if (decimals >= 0 && fixedFits(digits, decimals, maxWidth))
            return;
    } else if (magnitude == 10) {
        if (fixedFits(significantDigits(value), 0, maxWidth))
            return;
    }
    appendScientific(out, value);
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
    appendPositiveGeneral(out, std::fabs(value));
}

} // namespace engine::numfmt
