#include "engine/numfmt/DateSerial.h"

#include <cmath>

namespace engine::numfmt {
namespace {

constexpr double lastSerial = 2958466.0; // 1 January 10000 in the 1900 system

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

} // namespace

bool splitSerial(double serial, DateSystem dates, int subSecondDigits, DateTime& out) {
    double limit = dates == DateSystem::Date1904 ? lastSerial - 1462 : lastSerial;
    if (!(serial >= 0) || !(serial < limit))
        return false;
    std::int64_t perSecond = 1;
    for (int i = 0; i < subSecondDigits && i < 3; ++i)
        perSecond *= 10;
    const std::int64_t perDay = 86400 * perSecond;
    std::int64_t units = std::llround(serial * 86400.0 * static_cast<double>(perSecond));
    std::int64_t days = units / perDay;
    std::int64_t rest = units % perDay;
    out.units = units;
    out.unitsPerSecond = perSecond;
    out.hour = static_cast<int>(rest / (3600 * perSecond));
    out.minute = static_cast<int>(rest / (60 * perSecond) % 60);
    out.second = static_cast<int>(rest / perSecond % 60);
    out.subSecond = static_cast<int>(rest % perSecond);
    if (dates == DateSystem::Date1904) {
        civilFromDays(daysFromCivil(1904, 1, 1) + days, out.year, out.month, out.day);
        out.weekday = static_cast<int>((days + 5) % 7);
        return true;
    }
    // The 1900 system counts a 29 February 1900 that never was, and calls day 1 a Sunday.
    out.weekday = static_cast<int>((days + 6) % 7);
    if (days == 0) {
        out.year = 1900, out.month = 1, out.day = 0;
    } else if (days == 60) {
        out.year = 1900, out.month = 2, out.day = 29;
    } else {
        std::int64_t base = daysFromCivil(1899, 12, days < 60 ? 31 : 30);
        civilFromDays(base + days, out.year, out.month, out.day);
    }
    return true;
}

} // namespace engine::numfmt
