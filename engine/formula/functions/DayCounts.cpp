#include "engine/formula/functions/DayCounts.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace engine::formula::functions::daycount {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int monthLength(int y, int m) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

double days360(util::CivilDate a, util::CivilDate b, bool european) {
    int d1 = a.day, d2 = b.day;
    if (european) {
        d1 = std::min(d1, 30);
        d2 = std::min(d2, 30);
    } else {
        const bool aLastFeb = a.month == 2 && d1 == monthLength(a.year, 2);
        const bool bLastFeb = b.month == 2 && d2 == monthLength(b.year, 2);
        if (aLastFeb && bLastFeb)
            d2 = 30;
        if (aLastFeb || d1 == 31)
            d1 = 30;
        if (d2 == 31 && d1 >= 30)
            d2 = 30;
    }
    return 360.0 * (b.year - a.year) + 30.0 * (b.month - a.month) + (d2 - d1);
}

double Dates::year(std::int64_t a, std::int64_t b) const {
    switch (basis) {
    case 1: {
        const util::CivilDate x = civil(a), y = civil(b);
        const bool withinYear =
            x.year == y.year ||
            (y.year == x.year + 1 && (x.month > y.month || (x.month == y.month && x.day >= y.day)));
        if (withinYear) {
            bool leap = x.year == y.year && isLeap(x.year);
            for (int yy = x.year; !leap && yy <= y.year; ++yy)
                if (isLeap(yy)) {
                    const std::int64_t feb29 = serial({yy, 2, 29});
                    leap = feb29 >= a && feb29 <= b && x.year != y.year;
                }
            return leap ? 366 : 365;
        }
        const double total =
            static_cast<double>(serial({y.year + 1, 1, 1}) - serial({x.year, 1, 1}));
        return total / (y.year - x.year + 1);
    }
    case 3:
        return 365;
    default:
        return 360;
    }
}

bool dayArg(Reader& r, std::size_t i, std::int64_t& day) {
    const double v = r.numberNotBoolean(i);
    if (r.failed())
        return false;
    if (v < 0 || v > 2958465) {
        r.fail(CellError::Num);
        return false;
    }
    day = static_cast<std::int64_t>(std::floor(v));
    return true;
}

bool basisArg(Reader& r, std::size_t i, int& basis) {
    const double v = std::trunc(r.numberNotBoolean(i, 0));
    if (r.failed())
        return false;
    if (v < 0 || v > 4) {
        r.fail(CellError::Num);
        return false;
    }
    basis = static_cast<int>(v);
    return true;
}

bool frequencyArg(Reader& r, std::size_t i, int& frequency) {
    const double v = std::trunc(r.numberNotBoolean(i));
    if (r.failed())
        return false;
    if (v != 1 && v != 2 && v != 4) {
        r.fail(CellError::Num);
        return false;
    }
    frequency = static_cast<int>(v);
    return true;
}

std::int64_t shiftMonths(const Dates& dates, std::int64_t base, int months) {
    const util::CivilDate b = dates.civil(base);
    const bool lastDay = b.day == monthLength(b.year, b.month);
    const int total = b.year * 12 + (b.month - 1) + months;
    const int year = total / 12, month = total % 12 + 1;
    const int length = monthLength(year, month);
    return dates.serial({year, month, lastDay ? length : std::min(b.day, length)});
}

} // namespace engine::formula::functions::daycount
