#include "engine/util/CivilDate.h"

namespace engine::util {
namespace {

// Whole days from 1970-01-01 to each system's day 0.
constexpr std::int64_t epoch1900 = -25568; // 1899-12-31, which the 1900 system calls day 0
constexpr std::int64_t epoch1904 = -24107; // 1904-01-01
constexpr std::int64_t march1900 = -25508; // 1900-03-01, serial 61

} // namespace

// H. Hinnant's algorithms.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilDate civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilDate out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(y + (out.month <= 2));
    return out;
}

std::int64_t serialFromCivil(const CivilDate& date, DateSystem dates) {
    return serialFromDays(daysFromCivil(date.year, static_cast<unsigned>(date.month),
                                        static_cast<unsigned>(date.day)),
                          dates);
}

std::int64_t serialFromDays(std::int64_t days, DateSystem dates) {
    if (dates == DateSystem::Date1904)
        return days - epoch1904;
    return days - epoch1900 + (days >= march1900 ? 1 : 0);
}

CivilDate civilFromSerial(std::int64_t serial, DateSystem dates) {
    if (dates == DateSystem::Date1904)
        return civilFromDays(epoch1904 + serial);
    if (serial == 0)
        return {1900, 1, 0};
    if (serial == 60)
        return {1900, 2, 29};
    return civilFromDays(epoch1900 + serial - (serial > 60 ? 1 : 0));
}

int weekdayOfSerial(std::int64_t serial, DateSystem dates) {
    const std::int64_t shift = dates == DateSystem::Date1904 ? 5 : 6;
    const std::int64_t r = (serial + shift) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

} // namespace engine::util
