#include "engine/formula/functions/DateText.h"

#include "engine/util/AsciiCase.h"
#include "engine/util/CivilDate.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace engine::formula::functions {
namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

int monthOfName(std::string_view word) {
    static constexpr std::array<std::string_view, 12> names = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    if (word.size() < 3) {
        return 0;
    }
    std::string w;
    for (char c : word) {
        w.push_back(util::asciiLower(c));
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].starts_with(w) || (w == "sept" && i == 8)) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

struct Part {
    bool word = false;
    int number = 0;
    int digits = 0;
    std::string text;
};

// Splits at spaces, commas, '-' and '/'; false when anything else appears.
bool splitDate(std::string_view s, std::vector<Part>& parts) {
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == ',' || c == '-' || c == '/') {
            ++i;
            continue;
        }
        Part p;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
                if (p.digits < 6) {
                    p.number = p.number * 10 + (s[i] - '0');
                }
                ++p.digits;
                ++i;
            }
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            p.word = true;
            while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
                p.text.push_back(s[i++]);
            }
            p.number = monthOfName(p.text);
            if (p.number == 0) {
                return false;
            }
        } else {
            return false;
        }
        parts.push_back(std::move(p));
        if (parts.size() > 3) {
            return false;
        }
    }
    return !parts.empty();
}

int fullYear(const Part& p) {
    if (p.digits <= 2) {
        return p.number < 30 ? 2000 + p.number : 1900 + p.number;
    }
    return p.number;
}

std::optional<double> serialOf(int y, int m, int d, DateSystem dates) {
    if (m < 1 || m > 12 || d < 1 || y < 1900 || y > 9999) {
        return std::nullopt;
    }
    bool leapBug = dates == DateSystem::Date1900 && y == 1900 && m == 2 && d == 29;
    if (d > daysInMonth(y, m) && !leapBug) {
        return std::nullopt;
    }
    if (leapBug) {
        return 60.0;
    }
    auto serial = util::serialFromCivil({y, m, d}, dates);
    if (serial < 0) {
        return std::nullopt;
    }
    return static_cast<double>(serial);
}

std::optional<double> parseDate(std::string_view s, DateSystem dates) {
    std::vector<Part> p;
    if (!splitDate(s, p)) {
        return std::nullopt;
    }
    if (p.size() == 3) {
        if (!p[0].word && p[1].word && !p[2].word) { // 31-Jan-2020
            return serialOf(fullYear(p[2]), p[1].number, p[0].number, dates);
        }
        if (p[0].word && !p[1].word && !p[2].word) { // January 31, 2020
            return serialOf(fullYear(p[2]), p[0].number, p[1].number, dates);
        }
        if (!p[0].word && !p[1].word && !p[2].word) {
            if (p[0].digits >= 3 || p[0].number > 31) { // 2020-01-31
                return serialOf(fullYear(p[0]), p[1].number, p[2].number, dates);
            }
            return serialOf(fullYear(p[2]), p[0].number, p[1].number, dates); // 1/31/2020
        }
        return std::nullopt;
    }
    if (p.size() == 2) {
        // Month and year ("Jan-2020", "1/2020"); a day and month alone would need the current
        // year, which a conversion must not depend on.
        const Part& month = p[0];
        const Part& year = p[1];
        if (!year.word && (year.digits >= 3 || year.number > 31)) {
            return serialOf(fullYear(year), month.number, 1, dates);
        }
    }
    return std::nullopt;
}

// "13:30", "13:30:15.25", "1:30 PM", "1 pm"; hours may pass 24 as a cell entry allows.
std::optional<double> parseTime(std::string_view s) {
    std::size_t i = 0;
    auto number = [&](int maxDigits, int& out) {
        int n = 0;
        out = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && n < maxDigits) {
            out = out * 10 + (s[i++] - '0');
            ++n;
        }
        return n > 0;
    };
    int h = 0, m = 0;
    double sec = 0;
    if (!number(5, h)) {
        return std::nullopt;
    }
    bool colon = false;
    if (i < s.size() && s[i] == ':') {
        colon = true;
        ++i;
        if (!number(2, m) || m > 59) {
            return std::nullopt;
        }
        if (i < s.size() && s[i] == ':') {
            ++i;
            int whole = 0;
            if (!number(2, whole) || whole > 59) {
                return std::nullopt;
            }
            sec = whole;
            if (i < s.size() && s[i] == '.') {
                ++i;
                double scale = 0.1;
                while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
                    sec += (s[i++] - '0') * scale;
                    scale /= 10;
                }
            }
        }
    }
    while (i < s.size() && s[i] == ' ') {
        ++i;
    }
    std::string rest;
    for (; i < s.size(); ++i) {
        rest.push_back(util::asciiUpper(s[i]));
    }
    if (!rest.empty()) {
        bool pm = rest == "PM" || rest == "P";
        bool am = rest == "AM" || rest == "A";
        if ((!pm && !am) || h > 12 || h == 0) {
            return std::nullopt;
        }
        h = h % 12 + (pm ? 12 : 0);
    } else if (!colon) {
        return std::nullopt;
    }
    if (h >= 10000) {
        return std::nullopt;
    }
    return (h * 3600.0 + m * 60.0 + sec) / 86400.0;
}

} // namespace

std::optional<double> parseDateTimeText(std::string_view text, DateSystem dates) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 64) {
        return std::nullopt;
    }
    if (text.find(':') == std::string_view::npos) {
        if (auto t = parseTime(text)) { // "1 PM"
            return t;
        }
        return parseDate(text, dates);
    }
    if (auto t = parseTime(text)) {
        return t;
    }
    // A date, then the time after the last space that precedes the colon.
    std::size_t colon = text.find(':');
    std::size_t space = text.rfind(' ', colon);
    if (space == std::string_view::npos) {
        return std::nullopt;
    }
    auto date = parseDate(text.substr(0, space), dates);
    auto time = parseTime(text.substr(space + 1));
    if (!date || !time) {
        return std::nullopt;
    }
    return *date + *time;
}

} // namespace engine::formula::functions
