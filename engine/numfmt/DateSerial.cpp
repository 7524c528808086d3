#include "engine/numfmt/DateSerial.h"

#include "engine/util/CivilDate.h"

#include <cmath>

namespace engine::numfmt {
namespace {

constexpr double lastSerial = 2958466.0; // 1 January 10000 in the 1900 system

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
    const util::CivilDate date = util::civilFromSerial(days, dates);
    out.year = date.year, out.month = date.month, out.day = date.day;
    out.weekday = util::weekdayOfSerial(days, dates);
    return true;
}

} // namespace engine::numfmt
