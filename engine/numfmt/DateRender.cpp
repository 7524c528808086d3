#include "engine/numfmt/DateSerial.h"
#include "engine/numfmt/NumberFormat.h"

#include <array>
#include <cstdint>

namespace engine::numfmt {
namespace {

constexpr std::array<const char*, 12> monthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> dayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};

void number(std::int64_t value, int width, std::string& out) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

void amPm(const std::string& written, int hour, std::string& out) {
    bool morning = hour < 12;
    if (written.size() == 3) { // A/P keeps the letter case it was written in
        char letter = written[morning ? 0 : 2];
        out += letter;
        return;
    }
    bool lowerCase = !written.empty() && written[0] == 'a';
    out += morning ? (lowerCase ? "am" : "AM") : (lowerCase ? "pm" : "PM");
}

} // namespace

void renderDateSection(const Section& section, double value, DateSystem dates, std::string& out) {
    DateTime when;
    if (!splitSerial(value, dates, section.subSecondDigits, when)) {
        out += "########";
        return;
    }
    for (const Token& token : section.tokens) {
        switch (token.kind) {
        case TokenKind::Literal:
            out += token.text;
            break;
        case TokenKind::Year:
            if (token.width <= 2)
                number(when.year % 100, 2, out);
            else
                number(when.year, 4, out);
            break;
        case TokenKind::Month:
            if (token.width <= 2)
                number(when.month, token.width, out);
            else if (token.width == 3)
                out.append(monthNames[static_cast<std::size_t>(when.month - 1)], 3);
            else if (token.width == 4)
                out += monthNames[static_cast<std::size_t>(when.month - 1)];
            else
                out += monthNames[static_cast<std::size_t>(when.month - 1)][0];
            break;
        case TokenKind::Day:
            if (token.width <= 2)
                number(when.day, token.width, out);
            else if (token.width == 3)
                out.append(dayNames[static_cast<std::size_t>(when.weekday)], 3);
            else
                out += dayNames[static_cast<std::size_t>(when.weekday)];
            break;
        case TokenKind::Hour: {
            int hour = when.hour;
            if (section.twelveHour)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            number(hour, token.width >= 2 ? 2 : 1, out);
            break;
        }
        case TokenKind::Minute:
            number(when.minute, token.width >= 2 ? 2 : 1, out);
            break;
        case TokenKind::Second:
            number(when.second, token.width >= 2 ? 2 : 1, out);
            break;
        case TokenKind::SubSecond: {
            out += '.';
            std::string digits;
            number(when.subSecond, section.subSecondDigits, digits);
            out.append(digits, 0, token.width);
            break;
        }
        case TokenKind::AmPm:
            amPm(token.text, when.hour, out);
            break;
        case TokenKind::Elapsed: {
            std::int64_t seconds = when.units / when.unitsPerSecond;
            std::int64_t total = token.symbol == 'h'   ? seconds / 3600
                                 : token.symbol == 'm' ? seconds / 60
                                                       : seconds;
            number(total, token.width, out);
            break;
        }
        case TokenKind::Text:
            break;
        default:
            break;
        }
    }
}

} // namespace engine::numfmt
