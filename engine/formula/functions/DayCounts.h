#pragma once
// The day counts and coupon calendars the securities functions share: the five bases, and
// reading their date, basis and frequency arguments.

#include "engine/formula/functions/Args.h"
#include "engine/util/CivilDate.h"

#include <cstdint>

namespace engine::formula::functions::daycount {

bool isLeap(int year);
int monthLength(int year, int month);

// The day count of basis 0 (US 30/360) and 4 (European 30/360) from `a` to `b`; negative when
// `b` comes first.
double days360(util::CivilDate a, util::CivilDate b, bool european);

// The arguments every securities function shares: whole-day dates, a basis from 0 to 4.
struct Dates {
    std::int64_t settlement = 0, maturity = 0;
    int basis = 0;
    DateSystem system = DateSystem::Date1900;

    util::CivilDate civil(std::int64_t serial) const {
        return util::civilFromSerial(serial, system);
    }
    std::int64_t serial(util::CivilDate date) const { return util::serialFromCivil(date, system); }

    // Days from `a` to `b` as the basis counts them.
    double days(std::int64_t a, std::int64_t b) const {
        if (basis == 0 || basis == 4)
            return days360(civil(a), civil(b), basis == 4);
        return static_cast<double>(b - a);
    }
    // The length of a year as the basis counts it, for the period from `a` to `b`.
    double year(std::int64_t a, std::int64_t b) const;
};

// Reads a date argument as a whole day; false with #NUM! for a negative one.
bool dayArg(Reader& r, std::size_t i, std::int64_t& day);
// A basis from 0 to 4 (0 when left out), else #NUM!.
bool basisArg(Reader& r, std::size_t i, int& basis);
// A coupon frequency of 1, 2 or 4, else #NUM!.
bool frequencyArg(Reader& r, std::size_t i, int& frequency);

// `base` moved by `months`: the same day of the month, or the month's last day when `base` is on
// one, so that a schedule keeps to month ends.
std::int64_t shiftMonths(const Dates& dates, std::int64_t base, int months);

} // namespace engine::formula::functions::daycount
