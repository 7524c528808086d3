#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(DateFunctions, BuildingAndSplittingSerials) {
    expectAll({
        {"DATE(2020, 1, 31)", "43861"},
        {"DATE(2020, 13, 1)", "44197"},
        {"DATE(2020, 1, 0)", "43830"},
        {"DATE(2020, 3, 0)", "43890"},
        {"DATE(2020, -1, 1)", "43770"},
        {"DATE(120, 1, 1)", "43831"},
        {"DATE(1900, 2, 29)", "60"},
        {"DATE(1900, 1, 1)", "1"},
        {"DATE(10000, 1, 1)", "#NUM!"},
        {"DATE(9999, 13, -1)", "#NUM!"}, // the month carries past 9999 before the days count
        {"DATE(9998, 13, 1)", "2958101"},
        {"DATE(9999, 12, 32)", "#NUM!"},
        {"DATE(\"x\", 1, 1)", "#VALUE!"},
        {"TIME(12, 30, 0)", "0.520833333333333"},
        {"TIME(25, 0, 0)", "0.0416666666666667"},
        {"TIME(0, -1, 0)", "#NUM!"},
        {"DATEVALUE(\"2020-01-31\")", "43861"},
        {"DATEVALUE(\"31-Jan-2020 10:00\")", "43861"},
        {"DATEVALUE(\"x\")", "#VALUE!"},
        {"DATEVALUE(5)", "#VALUE!"},
        {"TIMEVALUE(\"6:00 PM\")", "0.75"},
        {"TIMEVALUE(\"2020-01-31 06:00\")", "0.25"},
        {"YEAR(43861)", "2020"},
        {"MONTH(\"2020-01-31\")", "1"},
        {"DAY(60)", "29"},
        {"MONTH(60)", "2"},
        {"DAY(0)", "0"},
        {"YEAR(-1)", "#NUM!"},
        {"HOUR(0.75)", "18"},
        {"HOUR(1.5)", "12"},
        {"MINUTE(0.520833333333333)", "30"},
        {"SECOND(0.0430902777777778)", "3"},
    });
}

TEST(DateFunctions, DatesOfThe1904System) {
    expectAll({{"DATE(1904, 1, 2)", "1"}, {"YEAR(0)", "1904"}, {"DATE(2020, 1, 31)", "42399"}},
              engine::DateSystem::Date1904);
}

TEST(DateFunctions, WeekdaysAndWeeks) {
    expectAll({
        {"WEEKDAY(43861)", "6"}, // a Friday
        {"WEEKDAY(43861, 2)", "5"},
        {"WEEKDAY(43861, 3)", "4"},
        {"WEEKDAY(43861, 11)", "5"},
        {"WEEKDAY(43861, 16)", "7"},
        {"WEEKDAY(43861, 4)", "#NUM!"},
        {"WEEKNUM(43831)", "1"},
        {"WEEKNUM(43835)", "2"}, // Sunday 5 January 2020
        {"WEEKNUM(43835, 2)", "1"},
        {"WEEKNUM(43836, 2)", "2"},
        {"WEEKNUM(44197, 21)", "53"},
        {"WEEKNUM(43831, 9)", "#NUM!"},
        {"ISOWEEKNUM(43831)", "1"},
        {"ISOWEEKNUM(44197)", "53"},
        {"ISOWEEKNUM(43829)", "1"}, // Monday 30 December 2019
    });
}

TEST(DateFunctions, MonthStepsAndDifferences) {
    expectAll({
        {"EDATE(43861, 1)", "43890"},
        {"EDATE(43861, -2)", "43799"},
        {"EDATE(43861, 1.9)", "43890"},
        {"EOMONTH(43861, 1)", "43890"},
        {"EOMONTH(43861, 0)", "43861"},
        {"EOMONTH(43861, -1)", "43830"},
        {"EOMONTH(-1, 0)", "#NUM!"},
        {"EOMONTH(43861, TRUE)", "#VALUE!"},
        {"EDATE(43861, [FALSE])", "#VALUE!"},
        {"EOMONTH(43861, \"2\")", "43921"},
        {"DAYS(43890, 43861)", "29"},
        {"DATEDIF(43861, 44270, \"Y\")", "1"},
        {"DATEDIF(43861, 44270, \"M\")", "13"},
        {"DATEDIF(43861, 44270, \"D\")", "409"},
        {"DATEDIF(43861, 44270, \"ym\")", "1"},
        {"DATEDIF(43861, 44270, \"YD\")", "43"},
        {"DATEDIF(43840, 43895, \"MD\")", "24"},
        {"DATEDIF(44270, 43861, \"D\")", "#NUM!"},
        {"DATEDIF(43861, 44270, \"W\")", "#NUM!"},
        {"DAYS360(43861, 43921)", "60"},
        {"DAYS360(43890, 43921)", "30"},
        {"DAYS360(43890, 43921, TRUE)", "31"},
        {"DAYS360(43889.9999999, 43921)", "30"}, // the last half second is the next day
        {"DAYS360(43900, 43909.999995)", "10"},
        {"DAYS360(43900, 43909.99999)", "9"},
        {"DAYS(43909.9999999, 43900)", "9"}, // DAYS drops the time
    });
}

TEST(DateFunctions, WorkingDays) {
    expectAll({
        {"NETWORKDAYS(43831, 43861)", "23"},
        {"NETWORKDAYS(43831, 43861, [43850;43849])", "22"}, // one holiday on a Sunday
        {"NETWORKDAYS(43861, 43831)", "-23"},
        {"NETWORKDAYS.INTL(43831, 43861, 11)", "27"},
        {"NETWORKDAYS.INTL(43831, 43861, \"0000011\")", "23"},
        {"NETWORKDAYS.INTL(43831, 43861, 7)", "22"},
        {"NETWORKDAYS.INTL(43831, 43861, \"1111111\")", "#VALUE!"},
        {"NETWORKDAYS.INTL(43831, 43861, 8)", "#NUM!"},
        {"WORKDAY(43861, 1)", "43864"},
        {"WORKDAY(43861, -5)", "43854"},
        {"WORKDAY(43861, 1, [43864])", "43865"},
        {"WORKDAY.INTL(43861, 1, 7)", "43863"},
        {"WORKDAY.INTL(43861, 1, \"0000000\")", "43862"},
    });
}

TEST(DateFunctions, YearFractionBases) {
    expectAll({
        {"YEARFRAC(43831, 44013)", "0.5"},
        {"YEARFRAC(43831, 44013, 1)", "0.497267759562842"},
        {"YEARFRAC(43831, 44013, 2)", "0.505555555555556"},
        {"YEARFRAC(43831, 44013, 3)", "0.498630136986301"},
        {"YEARFRAC(43831, 44013, 4)", "0.5"},
        {"YEARFRAC(44013, 43831, 3)", "0.498630136986301"},
        {"YEARFRAC(43466, 44197, 1)", "2.00091240875912"},
        {"YEARFRAC(43861, 43890, 0)", "0.0805555555555556"},
        {"YEARFRAC(43890, 43921, 0)", "0.0833333333333333"},
        {"YEARFRAC(43831, 44013, 5)", "#NUM!"},
    });
}
