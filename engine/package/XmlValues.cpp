#include "engine/package/XmlValues.h"

#include "engine/base/Limits.h"
#include "engine/util/CivilDate.h"
#include "engine/util/Text.h"

#include <algorithm>
#include <cmath>

namespace engine::package {
namespace {

// The code unit of an escape "_xHHHH_" at `pos`, or -1 when there is none.
long escapeAt(const std::string& text, std::size_t pos) {
    if (pos + 7 > text.size() || text[pos] != '_' ||
        (text[pos + 1] != 'x' && text[pos + 1] != 'X') || text[pos + 6] != '_')
        return -1;
    long value = 0;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool isLeap(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(unsigned y, unsigned m) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Reads exactly `count` digits from the front of `text`.
bool takeDigits(std::string_view& text, std::size_t count, unsigned& value) {
    if (text.size() < count)
        return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    text.remove_prefix(count);
    return true;
}

bool takeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

// "HH:MM[:SS[.fff]]" as a fraction of a day; the rest (a time zone) is left in `text`.
std::optional<double> takeTime(std::string_view& text) {
    unsigned hour = 0, minute = 0, second = 0;
    if (!takeDigits(text, 2, hour) || !takeChar(text, ':') || !takeDigits(text, 2, minute))
        return std::nullopt;
    double fraction = 0;
    if (takeChar(text, ':')) {
        if (!takeDigits(text, 2, second))
            return std::nullopt;
        if (takeChar(text, '.') || takeChar(text, ',')) {
            double scale = 0.1;
            while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
                fraction += (text.front() - '0') * scale;
                scale /= 10;
                text.remove_prefix(1);
            }
        }
    }
    if (hour > 24 || minute > 59 || second > 60)
        return std::nullopt;
    return (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
}

} // namespace

RefStatus parseCellRef(std::string_view text, CellPosition& position) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$')
        ++i;
    std::uint64_t col = 0;
    const std::size_t letters = i;
    while (i < text.size() && i - letters < 8) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        col = col * 26 + static_cast<std::uint64_t>(c - 'A' + 1);
        ++i;
    }
    if (i == letters)
        return RefStatus::Malformed;
    if (i < text.size() && text[i] == '$')
        ++i;
    const std::size_t digits = i;
    std::uint64_t row = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 12) {
        row = row * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++i;
    }
    if (i == digits || i != text.size() || row == 0)
        return RefStatus::Malformed;
    if (col > limits::maxColumns || row > limits::maxRows)
        return RefStatus::OutsideGrid;
    position.row = static_cast<std::uint32_t>(row - 1);
    position.col = static_cast<std::uint16_t>(col - 1);
    return RefStatus::Ok;
}

std::optional<Range> parseRange(std::string_view text) {
    text = trimBlanks(text);
    const std::size_t colon = text.find(':');
    CellPosition first, last;
    if (parseCellRef(text.substr(0, colon), first) != RefStatus::Ok)
        return std::nullopt;
    last = first;
    if (colon != std::string_view::npos &&
        parseCellRef(text.substr(colon + 1), last) != RefStatus::Ok)
        return std::nullopt;
    Range range;
    range.firstRow = std::min(first.row, last.row);
    range.lastRow = std::max(first.row, last.row);
    range.firstCol = std::min(first.col, last.col);
    range.lastCol = std::max(first.col, last.col);
    return range;
}

void decodeEscapes(std::string& text) {
    std::size_t pos = text.find("_x");
    if (pos == std::string::npos) {
        pos = text.find("_X");
        if (pos == std::string::npos)
            return;
    }
    std::string out(text, 0, pos);
    out.reserve(text.size());
    while (pos < text.size()) {
        const long unit = escapeAt(text, pos);
        if (unit < 0) {
            out.push_back(text[pos++]);
            continue;
        }
        pos += 7;
        char32_t c = static_cast<char32_t>(unit);
        if (c >= 0xD800 && c <= 0xDBFF) {
            const long low = escapeAt(text, pos);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
                pos += 7;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        util::appendUtf8(out, c);
    }
    text.swap(out);
}

std::optional<double> isoDateToSerial(std::string_view text, DateSystem system) {
    text = trimBlanks(text);
    double days = 0;
    if (text.size() >= 3 && text[2] == ':') {
        const auto time = takeTime(text);
        if (!time)
            return std::nullopt;
        days = *time;
    } else {
        unsigned year = 0, month = 0, day = 0;
        if (!takeDigits(text, 4, year) || !takeChar(text, '-') || !takeDigits(text, 2, month) ||
            !takeChar(text, '-') || !takeDigits(text, 2, day) || month < 1 || month > 12 ||
            day < 1 || day > daysInMonth(year, month))
            return std::nullopt;
        days = static_cast<double>(util::serialFromCivil(
            {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)}, system));
        if (days < 0)
            return std::nullopt;
        if (takeChar(text, 'T') || takeChar(text, ' ')) {
            const auto time = takeTime(text);
            if (!time)
                return std::nullopt;
            days += *time;
        }
    }
    // A zone designator is dropped: the application keeps wall-clock time.
    if (!text.empty() && text != "Z" && !(text.size() == 6 && (text[0] == '+' || text[0] == '-')))
        return std::nullopt;
    return days;
}

} // namespace engine::package
