#include "wire/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace wire {

std::string shortestText(double number) {
    char buffer[32];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific);
    const std::string scientific(buffer, written.ptr);
    // "-d.ddde±x": split into sign, digits and the exponent of the first digit.
    const std::size_t e = scientific.find('e');
    const bool negative = scientific.front() == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (scientific[i] != '.')
            digits.push_back(scientific[i]);
    const int exponent = std::stoi(scientific.substr(e + 1));
    const int count = static_cast<int>(digits.size());
    const std::string sign = negative ? "-" : "";

    std::string exponentForm = sign + digits.substr(0, 1);
    if (count > 1)
        exponentForm += "." + digits.substr(1);
    const std::string exponentDigits = std::to_string(std::abs(exponent));
    exponentForm += exponent < 0 ? "e-" : "e+";
    exponentForm += (exponentDigits.size() < 2 ? "0" : "") + exponentDigits;

    std::string plainForm = sign;
    if (exponent < 0) {
        plainForm += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 < count) {
        const auto whole = static_cast<std::size_t>(exponent + 1);
        plainForm += digits.substr(0, whole) + "." + digits.substr(whole);
    } else {
        plainForm += digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    }
    return plainForm.size() <= exponentForm.size() ? plainForm : exponentForm;
}

std::string jsonNumberText(double number) {
    if (!std::isfinite(number))
        return "null";
    // 2^63 is exactly representable; every whole double below it in size fits a 64-bit integer.
    constexpr double limit = 9223372036854775808.0;
    if (number == std::trunc(number) && number >= -limit && number < limit)
        return std::to_string(static_cast<std::int64_t>(number));
    return shortestText(number);
}

} // namespace wire
