#include "engine/numfmt/DecimalDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace engine::numfmt {
namespace {

// Most decimals in workbooks have a few places (prices, quarters, percentages): when the value
// times 10^places, rounded to a whole number below 10^15, divides back to exactly the value,
// that number is a text of at most fifteen digits that reads back as the value. Any such text
// is the value's fifteen-digit rounding: a double's half unit in the last place is under a
// ninth of the fifteen-digit step, so no other fifteen-digit number lies as near.
bool fewPlaces(double value, DecimalDigits& digits) {
    static constexpr double powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    for (int places = 1; places < static_cast<int>(std::size(powers)); ++places) {
        const double scaled = std::round(value * powers[places]);
        if (!(scaled < 1e15))
            return false;
        if (scaled / powers[places] != value)
            continue;
        char buffer[24];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(scaled)).ptr;
        const auto count = static_cast<std::size_t>(end - buffer);
        std::copy(buffer, end, digits.digit);
        std::fill(digits.digit + count, std::end(digits.digit), '0');
        digits.exponent = static_cast<int>(count) - 1 - places;
        return true;
    }
    return false;
}

} // namespace

DecimalDigits significantDigits(double value) {
    DecimalDigits digits{};
    if (fewPlaces(value, digits))
        return digits;
    // A computed value needs all its digits: printing it to fifteen of them is cheaper than
    // finding its shortest text first.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const char* p = buffer;
    while (p < result.ptr && *p != 'e')
        ++p;
    std::size_t n = 0;
    for (const char* q = buffer; q < p; ++q)
        if (*q != '.')
            digits.digit[n++] = *q;
    for (; n < sizeof digits.digit; ++n)
        digits.digit[n] = '0';
    // "e+XX" or "e-XXX".
    const bool negative = p + 1 < result.ptr && p[1] == '-';
    int exponent = 0;
    for (const char* q = p + 2; q < result.ptr; ++q)
        exponent = exponent * 10 + (*q - '0');
    digits.exponent = negative ? -exponent : exponent;
    return digits;
}

RoundedDigits roundedDigits(const DecimalDigits& significant, int decimals) {
    RoundedDigits rounded{};
    rounded.count = static_cast<int>(sizeof significant.digit);
    std::copy(significant.digit, significant.digit + rounded.count, rounded.digit);
    rounded.exponent = significant.exponent;
    rounded.keep = rounded.exponent + 1 + decimals;
    if (rounded.keep < 0 || rounded.keep >= rounded.count)
        return rounded;
    char* digits = rounded.digit;
    const bool up = digits[rounded.keep] >= '5';
    rounded.count = rounded.keep;
    if (!up)
        return rounded;
    int i = rounded.keep - 1;
    while (i >= 0 && digits[i] == '9')
        digits[i--] = '0';
    if (i >= 0) {
        ++digits[i];
    } else {
        std::copy_backward(digits, digits + rounded.count, digits + rounded.count + 1);
        digits[0] = '1';
        ++rounded.count;
        ++rounded.exponent;
        ++rounded.keep;
    }
    return rounded;
}

} // namespace engine::numfmt
