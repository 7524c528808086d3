#include "tests/engine/functions/FunctionCalls.h"

#include <cmath>
#include <gtest/gtest.h>

using engine::formula::Value;
using qmtest::expectAll;

TEST(MathFunctions, SumsSkipTextInBlocksButReadItGivenDirectly) {
    expectAll({
        {"SUM(1, 2, 3)", "6"},
        {"SUM([1,\"2\";TRUE,4])", "5"},
        {"SUM({1,\"2\",TRUE})", "1"},
        {"SUM(\"3\", TRUE)", "4"},
        {"SUM(\"x\")", "#VALUE!"},
        {"SUM([1,#DIV/0!])", "#DIV/0!"},
        {"SUM(1,,2)", "3"},
        {"PRODUCT([2,_;\"a\",3])", "6"},
        {"PRODUCT([_])", "0"},
        {"SUMSQ(3, [4])", "25"},
        {"SUMPRODUCT([1,2;3,4], [5,6;7,8])", "70"},
        {"SUMPRODUCT([1;\"a\";3], [2;2;2])", "8"},
        {"SUMPRODUCT([1;2], [1;2;3])", "#VALUE!"},
        {"SUMPRODUCT([1;2], [1;#N/A])", "#N/A"},
        {"SUBTOTAL(9, [1;2;3])", "6"},
        {"SUBTOTAL(101, [1;2;3])", "2"},
        {"SUBTOTAL(12, [1])", "#VALUE!"},
    });
}

TEST(MathFunctions, RoundingFollowsTheWrittenDecimals) {
    expectAll({
        {"ROUND(2.675, 2)", "2.68"},
        {"ROUND(-2.5, 0)", "-3"},
        {"ROUND(1234.5678, -2)", "1200"},
        {"ROUND(1.005, 2)", "1.01"},
        {"ROUNDUP(3.14159, 3)", "3.142"},
        {"ROUNDUP(-3.14159, 1)", "-3.2"},
        {"ROUNDDOWN(-3.14159, 1)", "-3.1"},
        {"TRUNC(8.9)", "8"},
        {"TRUNC(-8.96, 1)", "-8.9"},
        {"INT(-8.9)", "-9"},
        {"MROUND(10, 3)", "9"},
        {"MROUND(-10, -3)", "-9"},
        {"MROUND(5, -2)", "#NUM!"},
        {"MROUND(1.3, 0.2)", "1.4"},
        {"CEILING(2.5, 1)", "3"},
        {"CEILING(-2.5, -2)", "-4"},
        {"CEILING(-2.5, 2)", "-2"},
        {"CEILING(1.5, -1)", "#NUM!"},
        {"CEILING(0.3, 0.1)", "0.3"},
        {"FLOOR(-2.5, -2)", "-2"},
        {"FLOOR(3.7, 2)", "2"},
        {"FLOOR(1, 0)", "#DIV/0!"},
        {"CEILING.MATH(-5.5, 2, -1)", "-6"},
        {"CEILING.MATH(-5.5)", "-5"},
        {"FLOOR.MATH(-5.5, 2)", "-6"},
        {"FLOOR.MATH(-5.5, 2, 1)", "-4"},
        {"CEILING.PRECISE(-4.3, -2)", "-4"},
        {"FLOOR.PRECISE(4.3, -2)", "4"},
        {"EVEN(1.5)", "2"},
        {"EVEN(-3)", "-4"},
        {"ODD(2)", "3"},
        {"ODD(0)", "1"},
    });
}

TEST(MathFunctions, ArithmeticAndItsDomains) {
    expectAll({
        {"MOD(10, 3)", "1"},
        {"MOD(-3, 2)", "1"},
        {"MOD(3, -2)", "-1"},
        {"MOD(5, 0)", "#DIV/0!"},
        // The exact remainder: 1e-10 is a little more than a tenth of a billionth, so 5 holds it
        // 49,999,999,999 times and nearly once more.
        {"MOD(5, 1e-10)", "9.99998178390134E-11"},
        {"MOD(7.5, -2)", "-0.5"},
        {"MOD(0.9, 0.3)", "5.55111512312578E-17"}, // 0.9 is a little more than 3 times 0.3
        {"MOD(281.44, 0.02)", "0.0199999999999919"},
        {"MOD(1000000000000001, 7)", "0"},
        {"QUOTIENT(-10, 3)", "-3"},
        {"POWER(2, 10)", "1024"},
        {"POWER(0, 0)", "#NUM!"},
        {"POWER(0, -1)", "#DIV/0!"},
        {"POWER(-8, 0.5)", "#NUM!"},
        {"SQRT(-1)", "#NUM!"},
        {"SQRT(\"16\")", "4"},
        {"LN(0)", "#NUM!"},
        {"LOG(100)", "2"},
        {"LOG(8, 2)", "3"},
        {"LOG(8, 1)", "#DIV/0!"},
        {"LOG10(1000)", "3"},
        {"EXP(1)", "2.71828182845905"},
        {"ABS(-2)", "2"},
        {"SIGN(-0.1)", "-1"},
        {"PI()", "3.14159265358979"},
        {"RADIANS(180)", "3.14159265358979"},
        {"SIN(0)", "0"},
        {"ACOS(2)", "#NUM!"},
        {"ATAN2(1, 1)", "0.785398163397448"},
        {"ATAN2(0, 0)", "#DIV/0!"},
        {"ATANH(1)", "#NUM!"},
        {"ABS(\"x\")", "#VALUE!"},
        {"ABS(#N/A)", "#N/A"},
    });
}

TEST(MathFunctions, Combinatorics) {
    expectAll({
        {"FACT(5)", "120"},
        {"FACT(5.9)", "120"},
        {"FACT(-1)", "#NUM!"},
        {"FACT(171)", "#NUM!"},
        {"FACTDOUBLE(7)", "105"},
        {"COMBIN(8, 2)", "28"},
        {"COMBIN(2, 3)", "#NUM!"},
        {"COMBINA(4, 3)", "20"},
        {"PERMUT(10, 3)", "720"},
        {"GCD(24, 36, [60])", "12"},
        {"GCD(5, 0)", "5"},
        {"GCD(-1, 2)", "#NUM!"},
        {"LCM(4, 6, 10)", "60"},
        {"LCM(4, 0)", "0"},
    });
}

TEST(MathFunctions, TableKnowsNamesWithoutPrefixOnly) {
    EXPECT_NE(engine::formula::findFunction("CEILING.MATH"), nullptr);
    EXPECT_EQ(engine::formula::findFunction("_XLFN.CEILING.MATH"), nullptr);
    EXPECT_EQ(engine::formula::findFunction("sum"), nullptr);
    // The evaluator's own functions have rows without a body.
    EXPECT_EQ(engine::formula::findFunction("IF")->body, nullptr);
    EXPECT_EQ(engine::formula::findFunction("INDEX")->body, nullptr);
}

TEST(MathFunctions, WholeColumnSumCostsOnlyHeldCells) {
    qmtest::SparseColumn column(1048576, 1000);
    qmtest::TestContext context;
    engine::formula::Arg arg{engine::formula::Arg::Kind::Area, {}, &column};
    Value v = engine::formula::findFunction("SUM")->body({&arg, 1}, context);
    EXPECT_EQ(qmtest::show(v), "500500");
    EXPECT_LE(context.charged, 2000u);
    EXPECT_EQ(column.atCalls, 0u);
}

TEST(MathFunctions, SpentBudgetAnswersValueError) {
    qmtest::SparseColumn column(100000, 100000);
    qmtest::TestContext context;
    context.budget = 5000;
    engine::formula::Arg arg{engine::formula::Arg::Kind::Area, {}, &column};
    Value v = engine::formula::findFunction("SUM")->body({&arg, 1}, context);
    EXPECT_EQ(qmtest::show(v), "#VALUE!");
}

TEST(MathFunctions, HugeCountsAndCodesEndQuickly) {
    expectAll({
        {"ROUND(1.5, 1e300)", "1.5"},
        {"COMBIN(1e10, 5e9)", "#NUM!"},
        {"COMBIN(3000, 1500)", "#NUM!"},
        {"PERMUT(1e300, 1e299)", "#NUM!"},
        {"REPT(\"\", 1e300)", ""},
        {"SUBTOTAL(1e300, 1)", "#VALUE!"},
        {"WEEKDAY(1, 1e300)", "#NUM!"},
        {"WORKDAY(1, 1e300)", "#NUM!"},
        {"XMATCH(1, [1], 1e300)", "#VALUE!"},
    });
}

TEST(MathFunctions, RomanFormsShortenTheSubtractivePairs) {
    expectAll({
        {"ROMAN(499)", "CDXCIX"},
        {"ROMAN(499, 1)", "LDVLIV"},
        {"ROMAN(499, 2)", "XDIX"},
        {"ROMAN(499, 3)", "VDIV"},
        {"ROMAN(499, 4)", "ID"},
        {"ROMAN(1999, 4)", "MIM"},
        {"ROMAN(45, 1)", "VL"},
        {"ROMAN(499, TRUE)", "CDXCIX"},
        {"ROMAN(499, FALSE)", "ID"},
        {"ROMAN(3999, \"2\")", "MMMXMIX"},
        {"ROMAN(0)", ""},
        {"ROMAN(499, 5)", "#VALUE!"},
        {"ROMAN(4000)", "#VALUE!"},
        {"ROMAN(499, \"hello\")", "#VALUE!"},
    });
}

// Near the zeros of the circular functions the application's results show the pi of its angle
// reduction: SIN(PI()) is 1.22514845490862E-16.
TEST(MathFunctions, CircularFunctionsReduceAnglesAsTheApplicationDoes) {
    expectAll({
        {"SIN(3.141592653589793)", "1.22514845490862E-16"},
        {"TAN(3.141592653589793)", "-1.22514845490862E-16"},
        {"COS(1.5707963267948966)", "6.1257422745431E-17"},
        {"SIN(-6.283185307179586)", "2.45029690981724E-16"},
        {"CSC(3.141592653588793)", "~999788629259.20374"},
        {"SEC(1.5707963267958966)", "~-999972357604.52759"},
        {"SIN(1)", "~0.841470984807897"},
        {"COS(-2.5)", "~-0.801143615546934"},
        {"TAN(0.7853981633974483)", "~1"},
        {"SIN(1000000)", "~-0.349993502"},
        {"COS(1e8)", "~-0.36338509"},
        {"SIN(0)", "0"},
        {"COS(0)", "1"},
    });
}

TEST(MathFunctions, ReciprocalTrigonometryDividesByZeroAndBoundsAngles) {
    expectAll({
        {"COT(0)", "#DIV/0!"},
        {"CSC(0)", "#DIV/0!"},
        {"SEC(0)", "1"},
        {"COT(1)", "~0.642092616"},
        {"CSC(1e-12)", "1000000000000"},
        {"SEC(134217728)", "#NUM!"},
        {"COTH(0)", "#DIV/0!"},
        {"CSCH(1)", "~0.850918128"},
        {"SECH(1)", "~0.648054274"},
        {"ACOT(-1)", "~2.35619449"},
        {"ACOTH(6)", "~0.168236118"},
        {"ACOTH(1)", "#NUM!"},
    });
}

TEST(MathFunctions, PairedSumsSeriesAndMultinomial) {
    expectAll({
        {"SUMX2MY2({2,3,9,1,8,7,5}, {6,5,11,7,5,4,4})", "-55"},
        {"SUMX2PY2({2,3,9,1,8,7,5}, {6,5,11,7,5,4,4})", "521"},
        {"SUMXMY2({2,3,9,1,8,7,5}, {6,5,11,7,5,4,4})", "79"},
        {"SUMXMY2([1,\"a\"], [2,3])", "1"}, // a pair with text is left out
        {"SUMXMY2({1,2}, {1,2,3})", "#N/A"},
        {"SERIESSUM(0.785398163, 0, 2, {1,-0.5,0.041666667,-0.001388889})", "~0.707103"},
        {"SERIESSUM(2, 1, 1, {1,\"a\"})", "#VALUE!"},
        {"MULTINOMIAL(2, 3, 4)", "1260"},
        {"MULTINOMIAL(-1, 2)", "#NUM!"},
    });
}

TEST(MathFunctions, GcdAndLcmReadEveryValueTheyAreGiven) {
    expectAll({
        {"LCM(24, 36)", "72"},
        {"LCM(7.9, 4.1)", "28"},   // fractions truncate
        {"GCD([\"8\", 12])", "4"}, // text in cells reads as a number
        {"LCM({4, \"8\", 12})", "24"},
        {"GCD([\"eight\", 12])", "#VALUE!"},
        {"GCD([TRUE, 12])", "#VALUE!"},
        {"LCM({4, TRUE})", "#VALUE!"},
        {"GCD([_, 12])", "12"}, // an empty cell of a block is 0 ...
        {"LCM([_, 12])", "0"},
        {"GCD([_, _])", "0"},
        {"GCD([_])", "#VALUE!"}, // ... one given alone is passed over, but something must remain
        {"LCM([_], 3)", "3"},
        {"GCD(, 5)", "#N/A"},
        {"GCD(-0.5, 1)", "#NUM!"}, // negative even when it truncates to 0
        {"LCM(1E+100, 2)", "#NUM!"},
        {"LCM(2147483647, 1073741823)", "#NUM!"}, // the result passes 2^53
        {"GCD([#DIV/0!, 5])", "#DIV/0!"},
    });
}

TEST(MathFunctions, MroundAndQuotientRefuseBooleans) {
    expectAll({
        {"MROUND(10, 3)", "9"},
        {"MROUND(-10, -3)", "-9"},
        {"MROUND(5, -2)", "#NUM!"},
        {"MROUND(TRUE, 2)", "#VALUE!"},
        {"MROUND(2, FALSE)", "#VALUE!"},
        {"MROUND(, 2)", "#N/A"},
        {"MROUND(2, )", "#N/A"},
        {"QUOTIENT(TRUE, 1)", "#VALUE!"},
        {"QUOTIENT(-7, 2)", "-3"},
    });
}

TEST(MathFunctions, SeriesAndMultinomialRefuseBooleans) {
    expectAll({
        {"MULTINOMIAL(2, 3, 4)", "1260"},
        {"MULTINOMIAL(TRUE, 1, 2)", "#VALUE!"},
        {"MULTINOMIAL({TRUE, 1, 2})", "#VALUE!"},
        {"MULTINOMIAL([TRUE; 2])", "#VALUE!"},
        {"SERIESSUM(2, 0, 1, {1, 1})", "3"},
        {"SERIESSUM(TRUE, 0, 1, {1, 1})", "#VALUE!"},
        {"SERIESSUM(0, 0, 2, {1, 2, 3})", "#NUM!"},
        {"COMBINA(4, 3)", "20"},
        {"COMBINA(0, 5)", "#NUM!"},
        {"COMBINA(3, 0)", "1"},
    });
}

TEST(MathFunctions, PairedSumsPairInReadingOrder) {
    expectAll({
        {"SUMX2MY2([1; 2; 3], {1, 2, 3})", "0"},
        {"SUMXMY2([1; 2; 3], {2, 2, 2})", "2"},
        {"SUMX2PY2([1; 2], {1, 2, 3})", "#N/A"},
    });
}

TEST(MathFunctions, RandomNumbersStayInRangeAndRepeatForTheSameCellAndMoment) {
    qmtest::TestContext a, b, other;
    other.row = 7;
    const Value first = qmtest::evaluate("RAND()", a);
    EXPECT_GE(first.number, 0);
    EXPECT_LT(first.number, 1);
    EXPECT_EQ(qmtest::evaluate("RAND()", b).number, first.number);
    EXPECT_NE(qmtest::evaluate("RAND()", other).number, first.number);
    for (std::uint32_t row = 0; row < 50; ++row) {
        qmtest::TestContext at;
        at.row = row;
        const double v = qmtest::evaluate("RANDBETWEEN(-2.5, 3)", at).number;
        EXPECT_TRUE(v >= -2 && v <= 3 && v == std::floor(v)) << v;
    }
    expectAll({{"RANDBETWEEN(5, 4)", "#NUM!"}, {"RANDBETWEEN(\"a\", 4)", "#VALUE!"}});
}
