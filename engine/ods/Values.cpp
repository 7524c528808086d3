#include "engine/ods/Values.h"

#include <charconv>
#include <cmath>
#include <string>

namespace engine::ods {
namespace {

bool readUnsigned(std::string_view& text, std::uint64_t& value, std::size_t& digits) {
    value = 0;
    digits = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        if (value < (1ull << 50))
            value = value * 10 + static_cast<unsigned>(text.front() - '0');
        text.remove_prefix(1);
        ++digits;
    }
    return digits > 0;
}

bool consume(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

// A decimal number without sign or exponent at the front of `text` ("10", "10.123456").
bool readDecimal(std::string_view& text, double& value) {
    std::size_t length = 0;
    while (length < text.size() &&
           ((text[length] >= '0' && text[length] <= '9') || text[length] == '.'))
        ++length;
    if (length == 0)
        return false;
    const auto parsed = parseNumber(text.substr(0, length));
    if (!parsed)
        return false;
    value = *parsed;
    text.remove_prefix(length);
    return true;
}

} // namespace

std::optional<double> parseNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '+'))
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty() || text.size() > 64)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> parseCount(std::string_view text, std::uint64_t cap) {
    std::uint64_t value = 0;
    std::size_t digits = 0;
    if (!readUnsigned(text, value, digits) || !text.empty() || value == 0)
        return std::nullopt;
    return value > cap ? cap : value;
}

std::optional<double> lengthPoints(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() && ((text[length] >= '0' && text[length] <= '9') ||
                                    text[length] == '.' || text[length] == '-'))
        ++length;
    const auto value = parseNumber(text.substr(0, length));
    if (!value)
        return std::nullopt;
    const std::string_view unit = text.substr(length);
    static constexpr std::pair<std::string_view, double> units[] = {
        {"pt", 1.0},         {"in", 72.0}, {"cm", 72.0 / 2.54},
        {"mm", 72.0 / 25.4}, {"pc", 12.0}, {"px", 72.0 / 96.0}};
    for (const auto& [name, factor] : units)
        if (unit == name)
            return *value * factor;
    return std::nullopt;
}

namespace {

struct IsoDate {
    std::int64_t year;
    unsigned month, day;
    double dayFraction; // the time of day; 1 for 24:00
};

std::optional<IsoDate> parseIsoDate(std::string_view text) {
    const bool negative = consume(text, '-');
    std::uint64_t year = 0, month = 0, day = 0;
    std::size_t digits = 0;
    if (!readUnsigned(text, year, digits) || digits < 4 || digits > 6 || !consume(text, '-') ||
        !readUnsigned(text, month, digits) || digits != 2 || !consume(text, '-') ||
        !readUnsigned(text, day, digits) || digits != 2)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    IsoDate date{negative ? -static_cast<std::int64_t>(year) : static_cast<std::int64_t>(year),
                 static_cast<unsigned>(month), static_cast<unsigned>(day), 0.0};
    if (consume(text, 'T')) {
        std::uint64_t hours = 0, minutes = 0;
        double seconds = 0;
        if (!readUnsigned(text, hours, digits) || hours > 24 || !consume(text, ':') ||
            !readUnsigned(text, minutes, digits) || minutes > 59)
            return std::nullopt;
        // Up to a leap second: a longer run of digits is no time and would overflow the day.
        if (consume(text, ':') && (!readDecimal(text, seconds) || seconds >= 61))
            return std::nullopt;
        date.dayFraction =
            (static_cast<double>(hours) * 3600 + static_cast<double>(minutes) * 60 + seconds) /
            86400.0;
    }
    // A zone ("Z", "+02:00") changes nothing that a cell shows.
    if (!text.empty() && text.front() != 'Z' && text.front() != '+' && text.front() != '-')
        return std::nullopt;
    return date;
}

} // namespace

std::optional<double> isoDateDays(std::string_view text) {
    const auto date = parseIsoDate(text);
    if (!date)
        return std::nullopt;
    return static_cast<double>(util::daysFromCivil(date->year, date->month, date->day)) +
           date->dayFraction;
}

std::optional<double> isoDateSerial(std::string_view text, DateSystem dates) {
    const auto date = parseIsoDate(text);
    if (!date)
        return std::nullopt;
    // 24:00 is the start of the next day.
    const double wholeDays = std::floor(date->dayFraction);
    const std::int64_t days = util::daysFromCivil(date->year, date->month, date->day) +
                              static_cast<std::int64_t>(wholeDays);
    return static_cast<double>(util::serialFromDays(days, dates)) + (date->dayFraction - wholeDays);
}

std::optional<double> durationDays(std::string_view text) {
    const bool negative = consume(text, '-');
    if (!consume(text, 'P'))
        return std::nullopt;
    double total = 0;
    bool inTime = false, any = false;
    while (!text.empty()) {
        if (!inTime && consume(text, 'T')) {
            inTime = true;
            continue;
        }
        double value = 0;
        if (!readDecimal(text, value) || text.empty())
            return std::nullopt;
        const char unit = text.front();
        text.remove_prefix(1);
        any = true;
        if (!inTime && unit == 'Y')
            total += value * 365.2425;
        else if (!inTime && unit == 'M')
            total += value * 30.436875;
        else if (!inTime && unit == 'D')
            total += value;
        else if (inTime && unit == 'H')
            total += value / 24.0;
        else if (inTime && unit == 'M')
            total += value / 1440.0;
        else if (inTime && unit == 'S')
            total += value / 86400.0;
        else
            return std::nullopt;
    }
    if (!any || !std::isfinite(total))
        return std::nullopt;
    return negative ? -total : total;
}

std::optional<std::uint32_t> parseColor(std::string_view text) {
    if (text.size() != 7 || text.front() != '#')
        return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, value, 16);
    if (error != std::errc() || end != text.data() + 7)
        return std::nullopt;
    return value;
}

} // namespace engine::ods
