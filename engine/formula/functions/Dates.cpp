// Dates and times as serial numbers: building and splitting them, weeks, month steps,
// differences, working days and year fractions.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/DateText.h"
#include "engine/formula/functions/DayCounts.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/util/AsciiCase.h"
#include "engine/util/CivilDate.h"

#include <array>
#include <cmath>
#include <set>
#include <string>

namespace engine::formula::functions {
namespace {

// The largest serial the application accepts: 31 December 9999.
double maxSerial(DateSystem d) {
    return static_cast<double>(util::serialFromCivil({9999, 12, 31}, d));
}

bool isLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(std::int64_t y, int m) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

// A serial argument as a whole day within the system's range; false (and #NUM! in `r`) when
// negative or past 9999. `toTheSecond` rounds the time of day to the second first.
bool dayArg(Reader& r, std::size_t i, std::int64_t& day, bool toTheSecond = false) {
    double v = r.number(i);
    if (r.failed()) {
        return false;
    }
    if (toTheSecond) {
        v = std::round(v * 86400) / 86400;
    }
    if (v < 0 || v > maxSerial(r.context().dateSystem()) + 1) {
        r.fail(CellError::Num);
        return false;
    }
    day = static_cast<std::int64_t>(std::floor(v));
    return true;
}

// The serial of year/month/day with months and days past their ends carried over.
std::int64_t serialOf(std::int64_t y, std::int64_t m, std::int64_t d, DateSystem dates) {
    std::int64_t months = y * 12 + (m - 1);
    std::int64_t year = months >= 0 ? months / 12 : (months - 11) / 12;
    auto month = static_cast<unsigned>(months - year * 12 + 1);
    return util::serialFromCivil({static_cast<int>(year), static_cast<int>(month), 1}, dates) + d -
           1;
}

Value date(Args args, CallContext& c) {
    Reader r(args, c);
    double y = std::trunc(r.number(0)), m = std::trunc(r.number(1)), d = std::trunc(r.number(2));
    if (r.failed()) {
        return r.error();
    }
    DateSystem ds = c.dateSystem();
    if (y < 1900 && ds == DateSystem::Date1900) {
        y += 1900;
    } else if (y < 1904 && ds == DateSystem::Date1904) {
        y += 1900;
    }
    if (y < 1900 || y > 9999 || std::fabs(m) > 120000 || std::fabs(d) > 4e6) {
        return Value::fail(CellError::Num);
    }
    // Months carry into the year before the days are counted: a month past December 9999 is
    // out of range even when the days would bring the date back into it.
    if (y + std::floor((m - 1) / 12) > 9999) {
        return Value::fail(CellError::Num);
    }
    auto s =
        static_cast<double>(serialOf(static_cast<std::int64_t>(y), static_cast<std::int64_t>(m),
                                     static_cast<std::int64_t>(d), ds));
    if (s < 0 || s > maxSerial(ds)) {
        return Value::fail(CellError::Num);
    }
    return Value::of(s);
}

Value time(Args args, CallContext& c) {
    Reader r(args, c);
    double h = std::trunc(r.number(0)), m = std::trunc(r.number(1)), s = std::trunc(r.number(2));
    if (r.failed()) {
        return r.error();
    }
    double total = h * 3600 + m * 60 + s;
    if (h > 32767 || m > 32767 || s > 32767 || total < 0) {
        return Value::fail(CellError::Num);
    }
    return Value::of(std::fmod(total, 86400) / 86400);
}

// The text of a DATEVALUE or TIMEVALUE argument as a serial.
bool textSerial(Reader& r, double& serial) {
    Value v = r.value(0);
    if (r.failed()) {
        return false;
    }
    if (v.kind != ValueKind::Text) {
        r.fail(CellError::Value);
        return false;
    }
    auto s = parseDateTimeText(v.text, r.context().dateSystem());
    if (!s) {
        r.fail(CellError::Value);
        return false;
    }
    serial = *s;
    return true;
}

Value dateValue(Args args, CallContext& c) {
    Reader r(args, c);
    double s = 0;
    if (!textSerial(r, s)) {
        return r.error();
    }
    return Value::of(std::floor(s));
}

Value timeValue(Args args, CallContext& c) {
    Reader r(args, c);
    double s = 0;
    if (!textSerial(r, s)) {
        return r.error();
    }
    return Value::of(s - std::floor(s));
}

enum class Field { Year, Month, Day };

template <Field F> Value datePart(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!dayArg(r, 0, day)) {
        return r.error();
    }
    util::CivilDate d = util::civilFromSerial(day, c.dateSystem());
    switch (F) {
    case Field::Year:
        return Value::of(static_cast<double>(d.year));
    case Field::Month:
        return Value::of(static_cast<double>(d.month));
    case Field::Day:
        return Value::of(static_cast<double>(d.day));
    }
    return Value::fail(CellError::Value);
}

// Seconds of the day, rounded to the nearest second as the clock fields show them.
template <int Unit> Value timePart(Args args, CallContext& c) {
    Reader r(args, c);
    double v = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if (v < 0) {
        return Value::fail(CellError::Num);
    }
    double frac = v - std::floor(v);
    auto seconds = static_cast<std::int64_t>(std::round(frac * 86400)) % 86400;
    switch (Unit) {
    case 0:
        return Value::of(static_cast<double>(seconds / 3600));
    case 1:
        return Value::of(static_cast<double>(seconds / 60 % 60));
    default:
        return Value::of(static_cast<double>(seconds % 60));
    }
}

// 0 = Sunday .. 6 = Saturday.
int weekdayOf(std::int64_t day, DateSystem d) {
    return util::weekdayOfSerial(day, d);
}

Value weekday(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!dayArg(r, 0, day)) {
        return r.error();
    }
    auto type = toInt(r.number(1, 1));
    if (r.failed()) {
        return r.error();
    }
    int w = weekdayOf(day, c.dateSystem());
    switch (type) {
    case 1:
    case 17:
        return Value::of(w + 1.0);
    case 2:
    case 11:
        return Value::of((w + 6) % 7 + 1.0);
    case 3:
        return Value::of((w + 6) % 7 + 0.0);
    case 12:
    case 13:
    case 14:
    case 15:
    case 16: {
        int start = type - 10; // 12: Tuesday (2) ... 16: Saturday (6)
        return Value::of((w - start + 7) % 7 + 1.0);
    }
    default:
        return Value::fail(CellError::Num);
    }
}

int isoWeek(std::int64_t day, DateSystem ds) {
    // The week holding this day's Thursday decides the ISO year.
    int monday0 = (weekdayOf(day, ds) + 6) % 7;
    std::int64_t thursday = day - monday0 + 3;
    util::CivilDate t = util::civilFromSerial(thursday, ds);
    std::int64_t jan1 = util::serialFromCivil({t.year, 1, 1}, ds);
    return static_cast<int>((thursday - jan1) / 7 + 1);
}

Value isoWeekNum(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!dayArg(r, 0, day)) {
        return r.error();
    }
    return Value::of(static_cast<double>(isoWeek(day, c.dateSystem())));
}

Value weekNum(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!dayArg(r, 0, day)) {
        return r.error();
    }
    auto type = toInt(r.number(1, 1));
    if (r.failed()) {
        return r.error();
    }
    DateSystem ds = c.dateSystem();
    if (type == 21) {
        return Value::of(static_cast<double>(isoWeek(day, ds)));
    }
    int start; // weekday that begins a week, 0 = Sunday
    if (type == 1 || type == 17) {
        start = 0;
    } else if (type == 2 || type == 11) {
        start = 1;
    } else if (type >= 12 && type <= 16) {
        start = type - 10;
    } else {
        return Value::fail(CellError::Num);
    }
    util::CivilDate d = util::civilFromSerial(day, ds);
    std::int64_t jan1 = util::serialFromCivil({d.year, 1, 1}, ds);
    int offset = (weekdayOf(jan1, ds) - start + 7) % 7;
    return Value::of(static_cast<double>((day - jan1 + offset) / 7 + 1));
}

// EDATE and EOMONTH: whole months on, the day kept (clamped to the month's length) or the
// month's last day. A count of months that is TRUE or FALSE is #VALUE!.
template <bool EndOfMonth> Value monthStep(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!dayArg(r, 0, day)) {
        return r.error();
    }
    double months = std::trunc(r.numberNotBoolean(1));
    if (r.failed()) {
        return r.error();
    }
    if (std::fabs(months) > 120000) {
        return Value::fail(CellError::Num);
    }
    DateSystem ds = c.dateSystem();
    util::CivilDate d = util::civilFromSerial(day, ds);
    std::int64_t total = d.year * 12LL + (d.month - 1) + static_cast<std::int64_t>(months);
    std::int64_t y = total / 12;
    int m = static_cast<int>(total % 12) + 1;
    if (total < 0 || y < 1900 || y > 9999) {
        return Value::fail(CellError::Num);
    }
    int last = daysInMonth(y, m);
    int dd = EndOfMonth ? last : std::min(d.day == 0 ? 1 : d.day, last);
    auto s = static_cast<double>(util::serialFromCivil({static_cast<int>(y), m, dd}, ds));
    return s < 0 ? Value::fail(CellError::Num) : Value::of(s);
}

Value days(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t end = 0, start = 0;
    if (!dayArg(r, 0, end) || !dayArg(r, 1, start)) {
        return r.error();
    }
    return Value::of(static_cast<double>(end - start));
}

Value datedif(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t s = 0, e = 0;
    if (!dayArg(r, 0, s) || !dayArg(r, 1, e)) {
        return r.error();
    }
    std::string unit = r.text(2);
    if (r.failed()) {
        return r.error();
    }
    for (char& ch : unit) {
        ch = util::asciiUpper(ch);
    }
    if (s > e) {
        return Value::fail(CellError::Num);
    }
    DateSystem ds = c.dateSystem();
    util::CivilDate a = util::civilFromSerial(s, ds), b = util::civilFromSerial(e, ds);
    int months = (b.year - a.year) * 12 + (b.month - a.month) - (b.day < a.day ? 1 : 0);
    if (unit == "D") {
        return Value::of(static_cast<double>(e - s));
    }
    if (unit == "M") {
        return Value::of(static_cast<double>(months));
    }
    if (unit == "Y") {
        return Value::of(static_cast<double>(months / 12));
    }
    if (unit == "YM") {
        return Value::of(static_cast<double>(months % 12));
    }
    if (unit == "MD") {
        if (b.day >= a.day) {
            return Value::of(static_cast<double>(b.day - a.day));
        }
        // Days since the start's day in the month before the end.
        int pm = b.month == 1 ? 12 : b.month - 1;
        int py = b.month == 1 ? b.year - 1 : b.year;
        int from = std::min(a.day, daysInMonth(py, pm));
        std::int64_t anchor = util::serialFromCivil({py, pm, from}, ds);
        return Value::of(static_cast<double>(e - anchor));
    }
    if (unit == "YD") {
        // The start moved to the last anniversary before the end.
        int y = b.year;
        auto anniversary = [&](int year) {
            int dd = std::min(a.day, daysInMonth(year, a.month));
            return util::serialFromCivil({year, a.month, dd}, ds);
        };
        std::int64_t from = anniversary(y);
        if (from > e) {
            from = anniversary(y - 1);
        }
        return Value::of(static_cast<double>(e - from));
    }
    return Value::fail(CellError::Num);
}

// DAYS360 reads its dates as date and time to the second, so a moment in the last half second
// of a day is the next day.
Value days360(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t s = 0, e = 0;
    if (!dayArg(r, 0, s, true) || !dayArg(r, 1, e, true)) {
        return r.error();
    }
    bool european = r.boolean(2, false);
    if (r.failed()) {
        return r.error();
    }
    DateSystem ds = c.dateSystem();
    util::CivilDate a = util::civilFromSerial(s, ds), b = util::civilFromSerial(e, ds);
    int d1 = a.day, d2 = b.day;
    if (european) {
        d1 = std::min(d1, 30);
        d2 = std::min(d2, 30);
    } else {
        bool aLastOfFeb = a.month == 2 && d1 == daysInMonth(a.year, 2);
        if (d1 == 31 || aLastOfFeb) {
            d1 = 30;
        }
        if (d2 == 31 && d1 >= 30) {
            d2 = 30;
        }
    }
    return Value::of(360.0 * (b.year - a.year) + 30.0 * (b.month - a.month) + (d2 - d1));
}

// Weekend days as seven flags, Monday first.
using Weekend = std::array<bool, 7>;

bool weekendOf(Reader& r, std::size_t i, Weekend& w) {
    w = {false, false, false, false, false, true, true};
    if (!r.given(i)) {
        return true;
    }
    Value v = r.value(i);
    if (r.failed()) {
        return false;
    }
    if (v.kind == ValueKind::Text) {
        if (v.text.size() != 7 || v.text == "1111111") {
            r.fail(CellError::Value);
            return false;
        }
        for (std::size_t k = 0; k < 7; ++k) {
            if (v.text[k] != '0' && v.text[k] != '1') {
                r.fail(CellError::Value);
                return false;
            }
            w[k] = v.text[k] == '1';
        }
        return true;
    }
    double n = r.number(i);
    if (r.failed()) {
        return false;
    }
    auto code = toInt(n);
    w.fill(false);
    if (code >= 1 && code <= 7) {
        // 1: Saturday and Sunday, 2: Sunday and Monday ... 7: Friday and Saturday.
        int first = (code + 4) % 7; // Monday-first index of the first weekend day
        w[static_cast<std::size_t>(first)] = true;
        w[static_cast<std::size_t>((first + 1) % 7)] = true;
    } else if (code >= 11 && code <= 17) {
        w[static_cast<std::size_t>((code - 11 + 6) % 7)] = true; // 11: Sunday ... 17: Saturday
    } else {
        r.fail(CellError::Num);
        return false;
    }
    return true;
}

bool holidaysOf(Args args, std::size_t i, CallContext& c, std::set<std::int64_t>& out,
                Value& error) {
    if (i >= args.size() || args[i].kind == Arg::Kind::Missing) {
        return true;
    }
    std::vector<double> values;
    if (!collectNumbers(args, i, i + 1, c, {}, values, error)) {
        return false;
    }
    for (double v : values) {
        if (v < 0) {
            error = Value::fail(CellError::Num);
            return false;
        }
        if (v > maxSerial(c.dateSystem()) + 1) {
            continue; // no working day can fall on it
        }
        out.insert(static_cast<std::int64_t>(std::floor(v)));
    }
    return true;
}

bool isWorkday(std::int64_t day, const Weekend& w, const std::set<std::int64_t>& holidays,
               DateSystem ds) {
    int monday0 = (weekdayOf(day, ds) + 6) % 7;
    return !w[static_cast<std::size_t>(monday0)] && !holidays.contains(day);
}

// NETWORKDAYS(start, end, [holidays]) and NETWORKDAYS.INTL(start, end, [weekend], [holidays]).
template <bool Intl> Value networkDays(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t s = 0, e = 0;
    if (!dayArg(r, 0, s) || !dayArg(r, 1, e)) {
        return r.error();
    }
    Weekend w;
    if (Intl ? !weekendOf(r, 2, w) : !weekendOf(r, 99, w)) {
        return r.error();
    }
    std::set<std::int64_t> holidays;
    Value error;
    if (!holidaysOf(args, Intl ? 3 : 2, c, holidays, error)) {
        return error;
    }
    int sign = 1;
    if (s > e) {
        std::swap(s, e);
        sign = -1;
    }
    // Whole weeks at once, then the days left over one by one.
    int perWeek = 0;
    for (bool off : w) {
        perWeek += off ? 0 : 1;
    }
    std::int64_t span = e - s + 1;
    std::int64_t count = span / 7 * perWeek;
    DateSystem ds = c.dateSystem();
    for (std::int64_t d = s + span / 7 * 7; d <= e; ++d) {
        count += isWorkday(d, w, {}, ds) ? 1 : 0;
    }
    for (std::int64_t h : holidays) {
        if (h >= s && h <= e && isWorkday(h, w, {}, ds)) {
            --count;
        }
    }
    return Value::of(static_cast<double>(sign * count));
}

template <bool Intl> Value workday(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t s = 0;
    if (!dayArg(r, 0, s)) {
        return r.error();
    }
    double n = std::trunc(r.number(1));
    Weekend w;
    if (r.failed() || (Intl ? !weekendOf(r, 2, w) : !weekendOf(r, 99, w))) {
        return r.error();
    }
    std::set<std::int64_t> holidays;
    Value error;
    if (!holidaysOf(args, Intl ? 3 : 2, c, holidays, error)) {
        return error;
    }
    DateSystem ds = c.dateSystem();
    if (std::fabs(n) > maxSerial(ds)) {
        return Value::fail(CellError::Num);
    }
    std::int64_t step = n < 0 ? -1 : 1;
    auto left = static_cast<std::int64_t>(std::fabs(n));
    std::int64_t day = s;
    double limit = maxSerial(ds);
    Budget budget(c);
    while (left > 0) {
        day += step;
        if (day < 0 || static_cast<double>(day) > limit || !budget.take()) {
            return Value::fail(CellError::Num);
        }
        if (isWorkday(day, w, holidays, ds)) {
            --left;
        }
    }
    return Value::of(static_cast<double>(day));
}

// YEARFRAC bases: 0 US 30/360, 1 actual/actual, 2 actual/360, 3 actual/365, 4 European 30/360.
double thirty360(util::CivilDate a, util::CivilDate b, bool european) {
    return daycount::days360(a, b, european) / 360.0;
}

bool feb29Between(util::CivilDate a, util::CivilDate b, std::int64_t s, std::int64_t e,
                  DateSystem ds) {
    for (int y = a.year; y <= b.year; ++y) {
        if (isLeap(y)) {
            std::int64_t f = util::serialFromCivil({y, 2, 29}, ds);
            if (f >= s && f <= e) {
                return true;
            }
        }
    }
    return false;
}

Value yearFrac(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t s = 0, e = 0;
    if (!dayArg(r, 0, s) || !dayArg(r, 1, e)) {
        return r.error();
    }
    auto basis = toInt(r.number(2, 0));
    if (r.failed()) {
        return r.error();
    }
    if (basis < 0 || basis > 4) {
        return Value::fail(CellError::Num);
    }
    if (s > e) {
        std::swap(s, e);
    }
    DateSystem ds = c.dateSystem();
    util::CivilDate a = util::civilFromSerial(s, ds), b = util::civilFromSerial(e, ds);
    auto span = static_cast<double>(e - s);
    switch (basis) {
    case 0:
        return Value::of(thirty360(a, b, false));
    case 2:
        return Value::of(span / 360);
    case 3:
        return Value::of(span / 365);
    case 4:
        return Value::of(thirty360(a, b, true));
    default:
        break;
    }
    bool withinYear =
        a.year == b.year ||
        (b.year == a.year + 1 && (a.month > b.month || (a.month == b.month && a.day >= b.day)));
    if (withinYear) {
        double year = 365;
        if (a.year == b.year ? isLeap(a.year) : feb29Between(a, b, s, e, ds)) {
            year = 366;
        }
        return Value::of(span / year);
    }
    // Over more than a year: the average length of the years touched.
    double total = static_cast<double>(util::serialFromCivil({b.year + 1, 1, 1}, ds) -
                                       util::serialFromCivil({a.year, 1, 1}, ds));
    double average = total / (b.year - a.year + 1);
    return Value::of(span / average);
}

constexpr std::array table = {
    FunctionInfo{"DATE", 3, 3, date},
    FunctionInfo{"DATEDIF", 3, 3, datedif},
    FunctionInfo{"DATEVALUE", 1, 1, dateValue},
    FunctionInfo{"DAY", 1, 1, datePart<Field::Day>},
    FunctionInfo{"DAYS", 2, 2, days, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"DAYS360", 2, 3, days360},
    FunctionInfo{"EDATE", 2, 2, monthStep<false>},
    FunctionInfo{"EOMONTH", 2, 2, monthStep<true>},
    FunctionInfo{"HOUR", 1, 1, timePart<0>},
    FunctionInfo{"ISOWEEKNUM", 1, 1, isoWeekNum, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"MINUTE", 1, 1, timePart<1>},
    FunctionInfo{"MONTH", 1, 1, datePart<Field::Month>},
    FunctionInfo{"NETWORKDAYS", 2, 3, networkDays<false>, "ssb", 3},
    FunctionInfo{"NETWORKDAYS.INTL", 2, 4, networkDays<true>, "sssb", 4, 0, nullptr, "_xlfn."},
    FunctionInfo{"SECOND", 1, 1, timePart<2>},
    FunctionInfo{"TIME", 3, 3, time},
    FunctionInfo{"TIMEVALUE", 1, 1, timeValue},
    FunctionInfo{"WEEKDAY", 1, 2, weekday},
    FunctionInfo{"WEEKNUM", 1, 2, weekNum},
    FunctionInfo{"WORKDAY", 2, 3, workday<false>, "ssb", 3},
    FunctionInfo{"WORKDAY.INTL", 2, 4, workday<true>, "sssb", 4, 0, nullptr, "_xlfn."},
    FunctionInfo{"YEAR", 1, 1, datePart<Field::Year>},
    FunctionInfo{"YEARFRAC", 2, 3, yearFrac},
};

} // namespace

std::span<const FunctionInfo> dateFunctions() {
    return table;
}

} // namespace engine::formula::functions
