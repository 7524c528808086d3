#include "wire/Value.h"

#include "wire/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace wire {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// `text` trimmed and without a leading '+', ready for from_chars, which takes a '-' but no '+';
// nothing when it is empty or holds a second sign ("+-5" must not come through as -5).
std::optional<std::string_view> signedDigits(std::string_view text) {
    text = trimmed(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || (plus && text.front() == '-'))
        return std::nullopt;
    return text;
}

// A decimal number in C notation, with an optional sign; hexadecimal and grouping are not
// numbers here.
std::optional<double> parseNumber(std::string_view given) {
    const std::optional<std::string_view> digits = signedDigits(given);
    if (!digits)
        return std::nullopt;
    const std::string_view text = *digits;
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

bool equalsFalse(std::string_view text) {
    if (text.size() != 5)
        return false;
    for (std::size_t i = 0; i < 5; ++i)
        if ((text[i] | 0x20) != "false"[i])
            return false;
    return true;
}

} // namespace

std::string Value::text() const {
    if (is<std::string>())
        return as<std::string>();
    if (is<bool>())
        return as<bool>() ? "true" : "false";
    if (is<std::int64_t>())
        return std::to_string(as<std::int64_t>());
    if (is<double>())
        return std::isfinite(as<double>()) ? shortestText(as<double>())
               : std::isnan(as<double>())  ? "nan"
               : as<double>() > 0          ? "inf"
                                           : "-inf";
    return {};
}

std::optional<double> Value::number() const {
    if (is<bool>())
        return as<bool>() ? 1.0 : 0.0;
    if (is<std::int64_t>())
        return static_cast<double>(as<std::int64_t>());
    if (is<double>())
        return as<double>();
    if (is<std::string>())
        return parseNumber(as<std::string>());
    return std::nullopt;
}

std::optional<std::int64_t> Value::integer() const {
    if (is<bool>())
        return as<bool>() ? 1 : 0;
    if (is<std::int64_t>())
        return as<std::int64_t>();
    if (is<double>()) {
        const double number = as<double>();
        if (std::isnan(number))
            return std::nullopt;
        const double rounded = std::round(number);
        constexpr double limit = 9223372036854775808.0; // 2^63
        if (rounded >= limit)
            return std::numeric_limits<std::int64_t>::max();
        if (rounded < -limit)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(rounded);
    }
    if (is<std::string>()) {
        const std::optional<std::string_view> digits = signedDigits(as<std::string>());
        if (!digits)
            return std::nullopt;
        const std::string_view text = *digits;
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return number;
    }
    return std::nullopt;
}

bool Value::truth() const {
    if (is<bool>())
        return as<bool>();
    if (is<std::int64_t>())
        return as<std::int64_t>() != 0;
    if (is<double>())
        return std::abs(as<double>()) >= 0.5;
    if (is<std::string>()) {
        const std::string& text = as<std::string>();
        return !(text.empty() || text == "0" || equalsFalse(text));
    }
    return false;
}

} // namespace wire
