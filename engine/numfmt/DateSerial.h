#pragma once
// Serial day numbers of the two date systems, turned into calendar dates and times of day.

#include "engine/model/Workbook.h"

#include <cstdint>

namespace engine::numfmt {

struct DateTime {
    int year = 1900, month = 1, day = 0; // the 1900 system's day 0 is "January 0, 1900"
    int weekday = 0;                     // 0 = Sunday
    std::int64_t units = 0;              // the whole value in 1/10^digits seconds
    std::int64_t unitsPerSecond = 1;
    int hour = 0, minute = 0, second = 0;
    int subSecond = 0; // in 1/unitsPerSecond
};

// Splits `serial` rounded to `subSecondDigits` (0..3) decimals of a second. False when the value
// is negative or after 31 December 9999, which the application shows as "#####".
// The 1900 system keeps its 29 February 1900 (serial 60).
bool splitSerial(double serial, DateSystem dates, int subSecondDigits, DateTime& out);

} // namespace engine::numfmt
