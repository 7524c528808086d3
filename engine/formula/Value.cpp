#include "engine/formula/Value.h"

#include "engine/formula/functions/DateText.h"
#include "engine/formula/functions/TextUnits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace engine::formula {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr std::string_view currencySigns[] = {"$", "\u20AC", "\u00A3", "\u00A5"}; // $ € £ ¥

// A plain number with optional sign, currency sign, parentheses, thousands separators,
// exponent and trailing percent signs.
std::optional<double> parsePlainNumber(std::string_view s) {
    bool negative = false;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = true;
        s = trimmed(s.substr(1, s.size() - 2));
    }
    int percents = 0;
    while (!s.empty() && s.back() == '%') {
        ++percents;
        s = trimmed(s.substr(0, s.size() - 1));
    }
    auto takeSign = [&] {
        if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
            if (s.front() == '-') {
                negative = !negative;
            }
            s = trimmed(s.substr(1));
            return true;
        }
        return false;
    };
    bool signed1 = takeSign();
    // One currency sign, before the number ("$5", "-€5", "€-5") or after it ("12€", "12 €"),
    // as the locales that write it there do.
    bool currency = false;
    for (std::string_view sign : currencySigns) {
        if (s.starts_with(sign)) {
            s = trimmed(s.substr(sign.size()));
            currency = true;
            if (!signed1) {
                takeSign();
            }
            break;
        }
    }
    for (std::string_view sign : currencySigns) {
        if (!currency && s.size() > sign.size() && s.ends_with(sign)) {
            s = trimmed(s.substr(0, s.size() - sign.size()));
            break;
        }
    }
    std::string digits;
    std::size_t i = 0;
    int groupDigits = -1; // digits since the last thousands separator
    bool anyDigit = false;
    while (i < s.size() && (isDigit(s[i]) || s[i] == ',')) {
        if (s[i] == ',') {
            if (!anyDigit || groupDigits == 0 || (groupDigits > 0 && groupDigits != 3)) {
                return std::nullopt;
            }
            groupDigits = 0;
        } else {
            digits.push_back(s[i]);
            anyDigit = true;
            if (groupDigits >= 0) {
                ++groupDigits;
            }
        }
        ++i;
    }
    if (groupDigits >= 0 && groupDigits != 3) {
        return std::nullopt;
    }
    if (i < s.size() && s[i] == '.') {
        digits.push_back('.');
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            digits.push_back(s[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t start = i++;
        std::string exp = "e";
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            exp.push_back(s[i++]);
        }
        bool expDigits = false;
        while (i < s.size() && isDigit(s[i])) {
            exp.push_back(s[i++]);
            expDigits = true;
        }
        if (!expDigits) {
            i = start;
        } else {
            digits += exp;
        }
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    double v = std::strtod(digits.c_str(), nullptr);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    for (int k = 0; k < percents; ++k) {
        v /= 100;
    }
    return negative ? -v : v;
}

// The decimal digits (up to 15, trailing zeros dropped) and decimal exponent of `v` != 0.
void significantDigits(double v, std::string& digits, int& exponent) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    digits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (isDigit(*p)) {
            digits.push_back(*p);
        }
    }
    exponent = *p ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
}

std::string numberText(double v) {
    if (!std::isfinite(v)) {
        return "#NUM!";
    }
    if (v == 0) {
        return "0";
    }
    std::string digits;
    int exp = 0;
    significantDigits(v, digits, exp);
    std::string out = v < 0 ? "-" : "";
    if (exp >= 15 || exp < -9) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        out += e;
    } else if (exp < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exp - 1), '0');
        out += digits;
    } else {
        auto whole = static_cast<std::size_t>(exp + 1);
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += '.';
            out.append(digits, whole);
        }
    }
    return out;
}

int rankOf(ValueKind k) {
    switch (k) {
    case ValueKind::Text:
        return 1;
    case ValueKind::Boolean:
        return 2;
    default:
        return 0;
    }
}

} // namespace

std::optional<double> parseNumberText(std::string_view text, DateSystem dates) {
    std::string_view s = trimmed(text);
    if (s.empty() || s.size() > 256) {
        return std::nullopt;
    }
    if (auto n = parsePlainNumber(s)) {
        return n;
    }
    // Spaces around a number are forgiven, around a date or time they are not.
    if (s.size() != text.size()) {
        return std::nullopt;
    }
    return functions::parseDateTimeText(s, dates);
}

double roundTo15Digits(double value) {
    if (value == 0 || !std::isfinite(value)) {
        return value;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    return std::strtod(buf, nullptr);
}

Value toNumber(const Value& v, DateSystem dates) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(0.0);
    case ValueKind::Number:
        return v;
    case ValueKind::Boolean:
        return Value::of(v.number);
    case ValueKind::Text:
        if (auto n = parseNumberText(v.text, dates)) {
            return Value::of(*n);
        }
        return Value::fail(CellError::Value);
    case ValueKind::Error:
        return v;
    }
    return Value::fail(CellError::Value);
}

Value toText(const Value& v) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(std::string());
    case ValueKind::Number:
        return Value::of(numberText(v.number));
    case ValueKind::Boolean:
        return Value::of(std::string(v.number != 0 ? "TRUE" : "FALSE"));
    case ValueKind::Text:
    case ValueKind::Error:
        return v;
    }
    return v;
}

Value toBoolean(const Value& v) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(false);
    case ValueKind::Number:
    case ValueKind::Boolean:
        return Value::of(v.number != 0);
    case ValueKind::Text:
        if (functions::compareFolded(trimmed(v.text), "TRUE") == 0) {
            return Value::of(true);
        }
        if (functions::compareFolded(trimmed(v.text), "FALSE") == 0) {
            return Value::of(false);
        }
        return Value::fail(CellError::Value);
    case ValueKind::Error:
        return v;
    }
    return Value::fail(CellError::Value);
}

int compareValues(const Value& a, const Value& b) {
    ValueKind ka = a.kind, kb = b.kind;
    if (ka == ValueKind::Blank && kb == ValueKind::Blank) {
        return 0;
    }
    if (ka == ValueKind::Blank) {
        return -compareValues(b, a);
    }
    if (kb == ValueKind::Blank) {
        switch (ka) {
        case ValueKind::Text:
            return a.text.empty() ? 0 : 1;
        case ValueKind::Boolean:
        case ValueKind::Number:
            return a.number > 0 ? 1 : (a.number < 0 ? -1 : 0);
        default:
            return 0;
        }
    }
    int ra = rankOf(ka), rb = rankOf(kb);
    if (ra != rb) {
        return ra < rb ? -1 : 1;
    }
    if (ka == ValueKind::Text) {
        return functions::compareFolded(a.text, b.text);
    }
    double x = a.number, y = b.number;
    if (x == y) {
        return 0;
    }
    double scale = std::fmax(std::fabs(x), std::fabs(y));
    if (std::fabs(x - y) < scale * 1e-13) {
        x = roundTo15Digits(x);
        y = roundTo15Digits(y);
        if (x == y) {
            return 0;
        }
    }
    return x < y ? -1 : 1;
}

} // namespace engine::formula
