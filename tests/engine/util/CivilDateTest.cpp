// One rule for serial days around both epochs and the 1900 system's lost leap day, and the
// readers and the number formatter all keeping to it.

#include "engine/util/CivilDate.h"

#include "engine/numfmt/DateSerial.h"
#include "engine/ods/Values.h"
#include "engine/package/XmlValues.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using engine::DateSystem;
using engine::util::CivilDate;

struct Row {
    const char* iso;
    CivilDate shown; // what a cell of this serial shows; the 1900 system's day 0 is 1900-01-00
    DateSystem system;
    std::int64_t serial;
};

const Row rows[] = {
    {"1899-12-30", {}, DateSystem::Date1900, -1},
    {"1899-12-31", {1900, 1, 0}, DateSystem::Date1900, 0},
    {"1900-01-01", {1900, 1, 1}, DateSystem::Date1900, 1},
    {"1900-02-28", {1900, 2, 28}, DateSystem::Date1900, 59},
    {"1900-03-01", {1900, 3, 1}, DateSystem::Date1900, 61},
    {"2021-01-01", {2021, 1, 1}, DateSystem::Date1900, 44197},
    {"9999-12-31", {9999, 12, 31}, DateSystem::Date1900, 2958465},
    {"1903-12-31", {}, DateSystem::Date1904, -1},
    {"1904-01-01", {1904, 1, 1}, DateSystem::Date1904, 0},
    {"2021-01-01", {2021, 1, 1}, DateSystem::Date1904, 42735},
};

TEST(CivilDate, EveryReaderAndTheFormatterKeepTheOneRule) {
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.iso) + (row.system == DateSystem::Date1904 ? " 1904" : ""));
        const std::string iso = row.iso;
        const CivilDate written{std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)),
                                std::stoi(iso.substr(8, 2))};
        EXPECT_EQ(engine::util::serialFromCivil(written, row.system), row.serial);
        EXPECT_EQ(engine::ods::isoDateSerial(row.iso, row.system), double(row.serial));
        const auto fromXlsx = engine::package::isoDateToSerial(row.iso, row.system);
        engine::numfmt::DateTime split;
        if (row.serial < 0) {
            // Before day 0 no cell shows a date.
            EXPECT_FALSE(fromXlsx);
            EXPECT_FALSE(engine::numfmt::splitSerial(double(row.serial), row.system, 0, split));
            continue;
        }
        EXPECT_EQ(fromXlsx, double(row.serial));
        EXPECT_EQ(engine::util::civilFromSerial(row.serial, row.system), row.shown);
        ASSERT_TRUE(engine::numfmt::splitSerial(double(row.serial), row.system, 0, split));
        EXPECT_EQ((CivilDate{split.year, split.month, split.day}), row.shown);
    }
}

TEST(CivilDate, TheLostLeapDayAndTheWeekdaysAroundIt) {
    EXPECT_EQ(engine::util::civilFromSerial(60, DateSystem::Date1900), (CivilDate{1900, 2, 29}));
    // Day 1 is a Sunday as the application counts; from 1 March 1900 on that is also true.
    EXPECT_EQ(engine::util::weekdayOfSerial(1, DateSystem::Date1900), 0);
    EXPECT_EQ(engine::util::weekdayOfSerial(61, DateSystem::Date1900), 4); // a Thursday
    EXPECT_EQ(engine::util::weekdayOfSerial(0, DateSystem::Date1904), 5);  // 1904-01-01, a Friday
    EXPECT_EQ(engine::ods::isoDateSerial("1900-03-01T12:00:00", DateSystem::Date1900), 61.5);
    EXPECT_EQ(engine::ods::isoDateSerial("1900-03-01T24:00:00", DateSystem::Date1900), 62);
    // Seconds beyond any day are no time, not a date beyond the calendar's range.
    EXPECT_FALSE(engine::ods::isoDateSerial("1900-03-01T00:00:" + std::string(400, '9'),
                                            DateSystem::Date1900));
}

} // namespace
