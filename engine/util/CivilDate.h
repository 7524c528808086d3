#pragma once
// Calendar dates as day counts, and the serial day numbers of the two date systems.

#include "engine/base/DateSystem.h"

#include <cstdint>

namespace engine::util {

struct CivilDate {
    int year = 1970, month = 1, day = 1;
    bool operator==(const CivilDate&) const = default;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back. Any month and day in range
// 1..12 and 1..31 is taken as it stands (31 February is 3 March of a common year).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
CivilDate civilFromDays(std::int64_t days);

// The serial number of a date in `dates`. The 1900 system counts a 29 February 1900 that
// never was: dates before 1 March 1900 are one less than their distance from 30 December
// 1899. Dates before the system's day 0 give negative numbers, which no cell shows.
std::int64_t serialFromCivil(const CivilDate& date, DateSystem dates);
// The same for a date given as its days since 1970-01-01.
std::int64_t serialFromDays(std::int64_t days, DateSystem dates);

// The date of whole serial day `serial` in `dates`. The 1900 system's day 0 is "January 0,
// 1900" (1900-01-00) and its day 60 is 29 February 1900.
CivilDate civilFromSerial(std::int64_t serial, DateSystem dates);

// 0 = Sunday .. 6 = Saturday, as the application counts the days of `serial` (the 1900
// system's day 1 is a Sunday, which the lost leap day keeps true only from 1 March 1900 on).
int weekdayOfSerial(std::int64_t serial, DateSystem dates);

} // namespace engine::util
