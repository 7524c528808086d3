#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(FinanceFunctions, Annuities) {
    expectAll({
        {"PMT(0.1, 2, 1000)", "-576.190476190476"},
        {"PMT(0.1, 2, 1000, 0, 1)", "~-523.8095238095"},
        {"PMT(0, 10, 1000)", "-100"},
        {"PMT(0.004166666666666667, 360, 200000)", "~-1073.643246"},
        {"PMT(0.1, 0, 1000)", "#NUM!"},
        {"FV(0.05, 10, -100)", "~1257.789254"},
        {"FV(0, 10, -100, -1000)", "2000"},
        {"PV(0.006666666666666667, 240, 500)", "~-59777.145851"},
        {"NPER(0.01, -100, 1000)", "~10.588644"},
        {"NPER(0, -100, 1000)", "10"},
        {"NPER(0.01, 100, 1000)", "~-9.578594"},
        {"NPER(0.01, 100, -1000, 0, 1)", "~10.478145"},
        {"IPMT(0.1, 1, 2, 1000)", "-100"},
        {"IPMT(0.1, 2, 2, 1000)", "~-52.380952"},
        {"IPMT(0.1, 1, 2, 1000, 0, 1)", "0"},
        {"IPMT(0.1, 2, 2, 1000, 0, 1)", "~-47.619048"},
        {"IPMT(0.1, 3, 2, 1000)", "#NUM!"},
        {"PPMT(0.1, 1, 2, 1000)", "~-476.190476"},
        {"RATE(48, -200, 8000)", "~0.0077014725"},
        {"RATE(10, 100, 1000)", "#NUM!"},
        {"EFFECT(0.0525, 4)", "~0.0535426674"},
        {"NOMINAL(0.053543, 4)", "~0.0525003"},
    });
}

TEST(FinanceFunctions, CashFlows) {
    expectAll({
        {"NPV(0.1, -10000, 3000, 4200, 6800)", "~1188.443412"},
        {"NPV(0.1, [-10000;\"x\";3000])", "~-6611.570248"},
        {"IRR([-70000;12000;15000;18000;21000;26000])", "~0.0866309"},
        {"IRR([-70000;12000;15000], -0.1)", "~-0.4435"},
        {"IRR([1;2])", "#NUM!"},
        {"XNPV(0.09, [-10000;2750;4250;3250;2750], [39448;39508;39751;39859;39904])",
         "~2086.647602"},
        {"XIRR([-10000;2750;4250;3250;2750], [39448;39508;39751;39859;39904])", "~0.373363"},
        {"XIRR([-10000;2750], [39448])", "#NUM!"},
        {"XNPV(0.09, [-10000;2750], [39448;39000])", "#NUM!"},
    });
}

TEST(FinanceFunctions, Depreciation) {
    expectAll({
        {"SLN(30000, 7500, 10)", "2250"},
        {"SLN(1, 0, 0)", "#DIV/0!"},
        {"SYD(30000, 7500, 10, 1)", "~4090.909091"},
        {"DB(1000000, 100000, 6, 1, 7)", "~186083.33"},
        {"DB(1000000, 100000, 6, 2, 7)", "~259639.42"},
        {"DB(1000000, 100000, 6, 7, 7)", "~15845.10"},
        {"DB(1000000, 100000, 6, 8, 7)", "#NUM!"},
        {"DDB(2400, 300, 3650, 1)", "~1.32"},
        {"DDB(2400, 300, 10, 1, 2)", "480"},
        {"DDB(2400, 300, 10, 10)", "~22.12"},
        {"DDB(2400, 300, 10, 11)", "#NUM!"},
    });
}

TEST(FinanceFunctions, InvestmentMeasuresFollowTheirDocumentedEdges) {
    expectAll({
        {"MIRR({-120000,39000,30000,21000,37000,46000}, 0.1, 0.12)", "~0.126094"},
        {"MIRR({-5,4}, -1, 0.2)", "~-0.2"},     // the first flow is never discounted
        {"MIRR({-6,-1,-2}, 0.1, 0.2)", "-1"},   // nothing gained
        {"MIRR({6,1,2}, 0.1, 0.2)", "#DIV/0!"}, // nothing financed
        {"ISPMT(0.1, 1, 3, 8000000)", "~-533333.333"},
        {"ISPMT(0.1, 1, 0, 1)", "#DIV/0!"},
        {"PDURATION(0.025, 2000, 2200)", "~3.86"},
        {"PDURATION(0, 2000, 2200)", "#NUM!"},
        {"RRI(96, 10000, 11000)", "~0.0009933"},
        {"RRI(0, 1, 2)", "#NUM!"},
        {"FVSCHEDULE(1, {0.09,0.11,0.1})", "~1.33089"},
        {"FVSCHEDULE(1, [0.1,_])", "~1.1"},
        {"DOLLARDE(1.02, 16)", "1.125"},
        {"DOLLARFR(1.125, 16)", "1.02"},
        {"DOLLARDE(1.1, 32)", "1.3125"},
        {"DOLLARDE(-1.02, 16)", "-1.125"},
        {"DOLLARDE(1.02, 0)", "#DIV/0!"},
        {"DOLLARDE(1.02, -1)", "#NUM!"},
        {"DOLLARDE(TRUE, 16)", "#VALUE!"},
    });
}

TEST(FinanceFunctions, SecuritiesAgreeWithTheReferenceExamples) {
    expectAll({
        {"COUPDAYBS(40568, 40862, 2, 1)", "71"},
        {"COUPDAYS(40568, 40862, 2, 1)", "181"},
        {"COUPDAYSNC(40568, 40862, 2, 1)", "110"},
        {"COUPNCD(40568, 40862, 2, 1)", "40678"},
        {"COUPPCD(40568, 40862, 2, 1)", "40497"},
        {"COUPNUM(39107, 39767, 2, 1)", "4"},
        {"COUPNUM(40862, 40568, 2, 1)", "#NUM!"}, // settlement after maturity
        {"COUPNUM(40568, 40862, 3, 1)", "#NUM!"},
        {"COUPNUM(40568, 40862, 2, 5)", "#NUM!"},
        {"COUPPCD(39508, 39691, 2, 0)", "39507"}, // a month-end schedule keeps to month ends
        {"PRICE(39493, 43054, 0.0575, 0.065, 100, 2, 0)", "~94.63436"},
        {"YIELD(39493, 42689, 0.0575, 95.04287, 100, 2, 0)", "~0.065"},
        {"DURATION(43282, 54058, 0.08, 0.09, 2, 1)", "~10.9191453"},
        {"MDURATION(39448, 42370, 0.08, 0.09, 2, 1)", "~5.73567"},
        {"DISC(43282, 54058, 97.975, 100, 1)", "~0.000686"},
        {"PRICEDISC(39494, 39508, 0.0525, 100, 2)", "~99.79583"},
        {"RECEIVED(39493, 39583, 1000000, 0.0575, 2)", "~1014584.654"},
        {"INTRATE(39493, 39583, 1000000, 1014420, 2)", "~0.05768"},
        {"YIELDDISC(39494, 39508, 99.795, 100, 2)", "~0.052823"},
        {"PRICEMAT(39493, 39551, 39397, 0.061, 0.061, 0)", "~99.98449888"},
        {"YIELDMAT(39522, 39755, 39394, 0.0625, 100.0123, 0)", "~0.060954"},
        {"TBILLPRICE(39538, 39600, 0.09)", "98.45"},
        {"TBILLYIELD(39538, 39600, 98.45)", "~0.0914"},
        {"TBILLEQ(39538, 39600, 0.0914)", "~0.094151"},
        {"TBILLPRICE(39538, 39538, 0.09)", "#NUM!"},
        {"ACCRINTM(39539, 39614, 0.1, 1000, 3)", "~20.54794521"},
        {"ACCRINT(39508, 39691, 39569, 0.1, 1000, 2, 0)", "~16.666666667"},
        {"ACCRINT(39508, 39691, 39508, 0.1, 1000, 2, 0)", "#NUM!"},
        {"PRICE(39493, 43054, TRUE, 0.065, 100, 2, 0)", "#VALUE!"},
    });
}

TEST(FinanceFunctions, AccruedInterestCountsOnTheFirstInterestSchedule) {
    expectAll({
        // Issued on a schedule date before the last period: counting from issue adds whole
        // coupons; leaving them out runs from that last period's start, negative before it.
        {"ACCRINT(44166, 44531, 44256, 0.1, 1000, 2, 0, TRUE)", "25"},
        {"ACCRINT(44166, 44531, 44256, 0.1, 1000, 2, 0, FALSE)", "-25"},
        {"ACCRINT(44166, 44531, 44440, 0.1, 1000, 2, 0, FALSE)", "25"},
        // Actual/360 measures the stretch to the last period's start in one piece.
        {"ACCRINT(44166, 44531, 44531, 0.1, 1000, 2, 2, TRUE)", "~100.833333333"},
        // Actual/actual takes the last period's own length for every stretch after it.
        {"ACCRINT(44348, 44531, 44621, 0.1, 1000, 2, 1, TRUE)", "~74.590163934"},
        // A broken first period keeps its share whichever way is asked.
        {"ACCRINT(39512, 39691, 39569, 0.1, 1000, 2, 0, FALSE)", "~15.555555556"},
        {"ACCRINT(39543, 39691, 39569, 0.1, 1000, 2, 0, TRUE)", "~7.222222222"},
        {"ACCRINT(39508, 39691, 39569, 0.1, 1000, 3, 0)", "#NUM!"},
        {"ACCRINT(39508, 39691, 39569, 0.1, 1000, 2, 5)", "#NUM!"},
    });
}

TEST(FinanceFunctions, OddCouponPeriodsAgreeWithTheReferenceExamples) {
    expectAll({
        {"ODDFPRICE(39763, 44256, 39736, 39873, 0.0785, 0.0625, 100, 2, 1)", "~113.5977"},
        {"ODDFYIELD(39763, 44256, 39736, 39873, 0.0575, 84.5, 100, 2, 0)", "~0.0772"},
        {"ODDLPRICE(39485, 39614, 39370, 0.0375, 0.0405, 100, 2, 0)", "~99.8783"},
        {"ODDLYIELD(39558, 39614, 39440, 0.0375, 99.875, 100, 2, 0)", "~0.045192"},
    });
}

TEST(FinanceFunctions, OddCouponPeriodsRoundTripAndCheckTheirDates) {
    // The yield of the price at a yield is that yield, in every basis.
    for (int basis = 0; basis <= 4; ++basis) {
        const std::string b = std::to_string(basis);
        qmtest::TestContext context;
        const qmtest::Value price = qmtest::evaluate(
            "ODDFPRICE(43891, 47543, 43845, 44256, 0.075, 0.05, 120, 2, " + b + ")", context);
        ASSERT_EQ(price.kind, engine::formula::ValueKind::Number) << basis;
        expectAll({{("ODDFYIELD(43891, 47543, 43845, 44256, 0.075, " + qmtest::show(price) +
                     ", 120, 2, " + b + ")")
                        .c_str(),
                    "~0.0500000"}});
        const qmtest::Value last = qmtest::evaluate(
            "ODDLPRICE(43891, 47543, 43845, 0.075, 0.06, 120, 2, " + b + ")", context);
        expectAll({{("ODDLYIELD(43891, 47543, 43845, 0.075, " + qmtest::show(last) + ", 120, 2, " +
                     b + ")")
                        .c_str(),
                    "~0.0600000"}});
    }
    expectAll({
        // maturity > first coupon > settlement > issue, and settlement after the last interest
        {"ODDFPRICE(39763, 44256, 39763, 39873, 0.0785, 0.0625, 100, 2, 1)", "#NUM!"},
        {"ODDFPRICE(39873, 44256, 39736, 39873, 0.0785, 0.0625, 100, 2, 1)", "#NUM!"},
        {"ODDFPRICE(39763, 39873, 39736, 39873, 0.0785, 0.0625, 100, 2, 1)", "#NUM!"},
        {"ODDLPRICE(39370, 39614, 39370, 0.0375, 0.0405, 100, 2, 0)", "#NUM!"},
        {"ODDLPRICE(39485, 39614, 39370, -0.01, 0.0405, 100, 2, 0)", "#NUM!"},
        {"ODDLYIELD(39558, 39614, 39440, 0.0375, 0, 100, 2, 0)", "#NUM!"},
        {"ODDFPRICE(39763, 44256, 39736, 39873, 0.0785, 0.0625, 100, 3, 1)", "#NUM!"},
        {"ODDFPRICE(39763, 44256, 39736, 39873, 0.0785, 0.0625, 100, 2, 5)", "#NUM!"},
        {"ODDLPRICE(39485, 39614, 39370, 0.0375, 0.0405, TRUE, 2, 0)", "#VALUE!"},
    });
}

TEST(FinanceFunctions, VariableDecliningBalanceOverAnyStretch) {
    expectAll({
        {"VDB(2400, 300, 3650, 0, 1)", "~1.32"},
        {"VDB(2400, 300, 120, 0, 1)", "40"},
        {"VDB(2400, 300, 10, 0, 1)", "480"},
        {"VDB(2400, 300, 120, 6, 18)", "~396.31"},
        {"VDB(2400, 300, 120, 6, 18, 1.5)", "~311.81"},
        {"VDB(2400, 300, 10, 0, 0.875, 1.5)", "315"},
        // The whole life depreciates to salvage, switching to straight line or not.
        {"VDB(2400, 300, 10, 0, 10)", "2100"},
        {"VDB(2400, 300, 10, 0, 10, 2, TRUE)", "2100"},
        {"VDB(1000, 0, 5, 0, 5, 1, TRUE)", "~672.32"}, // never switches, never reaches 0
        {"VDB(2400, 300, 10, 2, 1)", "#NUM!"},
        {"VDB(2400, 300, 10, 0, 11)", "#NUM!"},
        {"VDB(2400, 300, 10, 0, 1, 0)", "#NUM!"},
        {"VDB(-1, 0, 10, 0, 1)", "#NUM!"},
    });
}

TEST(FinanceFunctions, FrenchDepreciationSchedules) {
    expectAll({
        {"AMORLINC(2400, 39679, 39813, 300, 1, 0.15, 1)", "360"},
        {"AMORDEGRC(2400, 39679, 39813, 300, 1, 0.15, 1)", "776"},
        // The first, pro rata period, and the schedule's end.
        {"AMORLINC(2400, 39679, 39813, 300, 0, 0.15, 1)", "~131.803279"},
        {"AMORLINC(2400, 39679, 39813, 300, 5, 0.15, 1)", "360"},
        {"AMORLINC(2400, 39679, 39813, 300, 6, 0.15, 1)", "~168.196721"},
        {"AMORLINC(2400, 39679, 39813, 300, 7, 0.15, 1)", "0"},
        {"AMORDEGRC(2400, 39679, 39813, 300, 0, 0.15, 1)", "330"},
        {"AMORDEGRC(2400, 39679, 39813, 300, 2, 0.15, 1)", "485"},
        {"AMORDEGRC(2400, 39679, 39813, 300, 20, 0.15, 1)", "0"},
        // Without salvage the amounts round down to nothing long before a billionth year.
        {"AMORDEGRC(2400, 39679, 39813, 0, 1000000000, 0.15, 1)", "0"},
        {"AMORLINC(2400, 39679, 39813, 300, 1, 0.15, 2)", "#NUM!"},
        {"AMORDEGRC(2400, 39813, 39679, 300, 1, 0.15, 1)", "#NUM!"},
        {"AMORDEGRC(2400, 39679, 39813, 300, 1, 0, 1)", "#NUM!"},
    });
}

TEST(FinanceFunctions, DatedCashFlowsReadCellByCell) {
    expectAll({
        {"XNPV(-0.1, {-10000,2750}, {39448,39508})", "#NUM!"},
        {"XNPV(0.09, [-10000, \"a\"], {39448,39508})", "#NUM!"},
        {"XNPV(0.09, [-10000, _], {39448,39508})", "#NUM!"},
        {"XNPV(0.09, {-10000,2750}, {39448,-1})", "#NUM!"},
        {"XNPV(0.09, {-10000,2750,1}, {39448,39508})", "#NUM!"},
        {"XIRR([-100, _, 110], {39448,39508,39813})", "~0.1"}, // an empty cell is 0
        {"XIRR([-100, \"a\", 110], {39448,39508,39813})", "#VALUE!"},
        {"XIRR([-100, TRUE, 110], {39448,39508,39813})", "#VALUE!"},
        {"XIRR([-100, #DIV/0!, 110], {39448,39508,39813})", "#DIV/0!"},
    });
}

TEST(FinanceFunctions, DecliningBalanceWithFractionsAndBooleans) {
    expectAll({
        // DB drops the fractions of its period and month; DDB reads a fractional period off
        // the declining curve and stops at salvage.
        {"DB(1000000, 100000, 6, 2.9, 7.8)", "~259639.42"},
        {"DDB(2400, 300, 10, 1.5)", "~429.325"},
        {"DDB(1000, 900, 4, 2)", "0"},
        {"DDB(1000, 100, 4, 2, 5)", "0"}, // a rate past 100 % spends it all at once
        {"DDB(1000, 100, 4, 1, 5)", "900"},
        {"EFFECT(TRUE, 4)", "#VALUE!"},
        {"NOMINAL(0.05, TRUE)", "#VALUE!"},
    });
}

TEST(FinanceFunctions, AnnuityEdgesTheApplicationRefuses) {
    expectAll({
        {"PMT(-3, 5, 100, 300, 1)", "#NUM!"},
        {"PMT(-1, 1, -100, 300, 1)", "#NUM!"},
        {"PV(-3, 5, 100, 12, 1)", "-68.375"},
        {"FV(-1, -2, 1)", "#DIV/0!"},
        {"IPMT(0.1, 3.9, 3, 8000)", "~-30.514857562"},
        {"IPMT(0.1, 4, 3, 8000)", "#NUM!"},
        {"IRR({-1000, 230, 200, 125, 200, 10}, -1)", "#VALUE!"},
        {"IRR({-55, 10, 5, 5, 5, 5}, -0.9)", "~-0.188456444"},
    });
}
