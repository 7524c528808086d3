#include "tests/engine/formula/SmallBook.h"
#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using engine::formula::Arg;
using engine::formula::findFunction;
using engine::formula::Value;
using qmtest::expectAll;

TEST(StatisticFunctions, CountsAndAverages) {
    expectAll({
        {"AVERAGE([1,2,\"a\";TRUE,_,3])", "2"},
        {"AVERAGE(\"4\", TRUE)", "2.5"},
        {"AVERAGEA([1,\"a\";TRUE,2])", "1"},
        {"AVERAGE([_])", "#DIV/0!"},
        {"AVERAGE([1;#N/A])", "#N/A"},
        {"COUNT([1,\"a\";TRUE,_], 2, \"3\", \"x\")", "3"},
        {"COUNT([#DIV/0!;1])", "1"},
        {"COUNTA([1,\"a\";TRUE,_], \"\")", "4"},
        {"COUNTBLANK([1,_;\"\",2])", "2"},
        {"MAX([1,5;\"9\",TRUE])", "5"},
        {"MAX(\"9\", 2)", "9"},
        {"MAXA([-1;TRUE])", "1"},
        {"MINA([1;\"x\"])", "0"},
        {"MIN([_])", "0"},
        {"MEDIAN(1, 2, 3, 4)", "2.5"},
        {"MEDIAN([3;1;2])", "2"},
        {"MODE(1, 2, 2, 3, 3)", "2"},
        {"MODE(1, 2, 3)", "#N/A"},
        {"GEOMEAN(2, 8)", "4"},
        {"GEOMEAN(2, -8)", "#NUM!"},
        {"HARMEAN(1, 2, 4)", "1.71428571428571"},
        {"AVEDEV(1, 2, 3, 4)", "1"},
        {"DEVSQ(1, 2, 3)", "2"},
    });
}

TEST(StatisticFunctions, SpreadAndOrder) {
    expectAll({
        {"STDEV(2, 4, 4, 4, 5, 5, 7, 9)", "2.1380899352994"},
        {"STDEV.S([2;4;4;4;5;5;7;9])", "2.1380899352994"},
        {"STDEV.P(2, 4, 4, 4, 5, 5, 7, 9)", "2"},
        {"VAR.S(2, 4, 4, 4, 5, 5, 7, 9)", "4.57142857142857"},
        {"VARP(2, 4, 4, 4, 5, 5, 7, 9)", "4"},
        {"STDEVA([1;TRUE;\"x\"])", "0.577350269189626"},
        {"STDEV(1)", "#DIV/0!"},
        {"LARGE([3,5;1,4], 2)", "4"},
        {"SMALL([3,5;1,4], 1)", "1"},
        {"LARGE([1,2], 3)", "#NUM!"},
        {"RANK(4, [3;5;1;4])", "2"},
        {"RANK.EQ(4, [3;5;1;4], 1)", "3"},
        {"RANK.AVG(4, [4;4;1])", "1.5"},
        {"RANK(9, [1;2])", "#N/A"},
        {"PERCENTILE([1;2;3;4], 0.25)", "1.75"},
        {"PERCENTILE.EXC([1;2;3;4], 0.25)", "1.25"},
        {"PERCENTILE.EXC([1;2;3;4], 0.1)", "#NUM!"},
        {"PERCENTILE([1], 1.5)", "#NUM!"},
        {"QUARTILE([1;2;3;4;5], 1)", "2"},
        {"QUARTILE.EXC([1;2;3;4;5], 1)", "1.5"},
        {"QUARTILE([1;2], 5)", "#NUM!"},
        {"PERCENTRANK([1;2;3;4], 2)", "0.333"},
        {"PERCENTRANK([1;2;3;4], 2.5)", "0.5"},
        {"PERCENTRANK([1;2;3;4], 9)", "#N/A"},
    });
}

TEST(StatisticFunctions, PairedRangesSkipPositionsWithoutNumbers) {
    expectAll({
        {"SLOPE([2;4;6], [1;2;3])", "2"},
        {"SLOPE([2;\"x\";6], [1;2;3])", "2"},
        {"INTERCEPT([3;5;7], [1;2;3])", "1"},
        {"FORECAST(4, [2;4;6], [1;2;3])", "8"},
        {"FORECAST.LINEAR(4, [2;4;6], [1;2])", "#N/A"},
        {"CORREL([1;2;3], [3;2;1])", "-1"},
        {"PEARSON([1;2;3], [1;1;1])", "#DIV/0!"},
        {"RSQ([2;4;6], [1;2;3])", "1"},
        {"COVARIANCE.S([1;2;3], [1;2;3])", "1"},
        {"COVARIANCE.P([1;2;3], [1;2;3])", "0.666666666666667"},
        {"STEYX([1;2;4], [1;2;3])", "~0.40824829046"},
    });
}

TEST(ConditionalFunctions, CriteriaWithOperatorsWildcardsAndBlanks) {
    expectAll({
        {"SUMIF([1;2;3;4], \">2\")", "7"},
        {"SUMIF([\"a\";\"b\";\"a\"], \"A\", [1;2;3])", "4"},
        {"SUMIF([\"apple\";\"banana\";\"apricot\"], \"ap*\", [1;2;3])", "4"},
        {"SUMIF([\"a*\";\"ab\"], \"a~*\", [1;2])", "1"},
        {"SUMIF([1;_;3], \"\", [10;20;30])", "20"},
        {"SUMIF([1;2;3], \"<>2\", [10;20;30])", "40"},
        {"SUMIF([1;2;3], 2, [10;\"x\";30])", "0"},
        {"COUNTIF([1;2;_;\"x\"], \"<>\")", "3"},
        {"COUNTIF([1;_;\"\";\"x\"], \"\")", "2"},
        {"COUNTIF([\"b\";\"B\";\"c\"], \"b\")", "2"},
        {"COUNTIF([1;5;10], \">=5\")", "2"},
        {"COUNTIF([\"x?z\";\"xyz\";\"xz\"], \"x?z\")", "2"},
        {"COUNTIF([\"b\";\"a\";1], \"<b\")", "1"},
        {"COUNTIF([TRUE;FALSE;1], TRUE)", "1"},
        {"COUNTIF([#N/A;1], \"#N/A\")", "1"},
        {"COUNTIF([43861;43862;1], \">=1/31/2020\")", "2"},
        {"COUNTIFS([1;2;3], \">1\", [\"a\";\"b\";\"a\"], \"a\")", "1"},
        {"COUNTIFS([1;2], \">1\", [1;2;3], \"a\")", "#VALUE!"},
        {"COUNTIFS([_;_;1], \"\", [_;2;_], \"\")", "1"},
        {"AVERAGEIF([1;2;3;4], \">2\")", "3.5"},
        {"AVERAGEIF([1], \">5\")", "#DIV/0!"},
        {"AVERAGEIFS([10;20;30], [\"a\";\"b\";\"a\"], \"a\")", "20"},
        {"MAXIFS([10;20;30], [\"a\";\"b\";\"a\"], \"a\")", "30"},
        {"MINIFS([10;20;30], [\"a\";\"b\";\"a\"], \"a\")", "10"},
        {"MAXIFS([1], [\"a\"], \"b\")", "0"},
        {"SUMIFS([10;20;30], [1;2;3], \">=2\", [\"x\";\"y\";\"y\"], \"y\")", "50"},
        {"SUMIFS([10;20], [1;2], #N/A)", "0"}, // an error criterion asks for that error
    });
}

TEST(ConditionalFunctions, WholeColumnCountsWithoutVisitingEmptyCells) {
    qmtest::SparseColumn column(1048576, 1000);
    qmtest::TestContext context;
    Arg args[2] = {{Arg::Kind::Area, {}, &column},
                   {Arg::Kind::Scalar, Value::of(std::string(">500")), nullptr}};
    EXPECT_EQ(qmtest::show(findFunction("COUNTIF")->body(std::span<const Arg>(args), context)),
              "500");
    args[1].value = Value::of(std::string(""));
    EXPECT_EQ(qmtest::show(findFunction("COUNTIF")->body(std::span<const Arg>(args), context)),
              "1047576");
    EXPECT_LE(context.charged, 5000u);
}

TEST(StatisticFunctions, ShapeDistributionsAndTheirInverses) {
    expectAll({
        {"GAMMA(2.5)", "~1.329340388"},
        {"GAMMA(-1)", "#NUM!"},
        {"GAMMA(0)", "#NUM!"},
        {"GAMMA.DIST(10.00001131, 9, 2, FALSE)", "~0.032639"},
        {"GAMMA.DIST(10.00001131, 9, 2, TRUE)", "~0.068094"},
        {"GAMMA.INV(0.068094, 9, 2)", "~10.0000112"},
        {"GAMMA.INV(1, 9, 2)", "#NUM!"},
        {"BETA.DIST(2, 8, 10, TRUE, 1, 3)", "~0.6854706"},
        {"BETA.DIST(2, 8, 10, FALSE, 1, 3)", "~1.4837646"},
        {"BETA.DIST(4, 8, 10, TRUE, 1, 3)", "#NUM!"},
        {"BETA.INV(0.685470581, 8, 10, 1, 3)", "~2"},
        {"LOGNORM.DIST(4, 3.5, 1.2, TRUE)", "~0.0390836"},
        {"LOGNORM.DIST(4, 3.5, 1.2, FALSE)", "~0.0176176"},
        {"LOGNORM.INV(0.039084, 3.5, 1.2)", "~4.0000252"},
        {"LOGNORM.DIST(0, 3.5, 1.2, TRUE)", "#NUM!"},
        {"F.DIST(15.2069, 6, 4, TRUE)", "~0.99"},
        {"F.DIST.RT(15.2068649, 6, 4)", "~0.01"},
        {"F.INV(0.01, 6, 4)", "~0.10930991"},
        {"F.INV.RT(0.01, 6, 4)", "~15.20686"},
        {"CHISQ.INV(0.93, 1)", "~3.283020287"},
        {"CHISQ.INV.RT(0.050001, 10)", "~18.306973"},
        {"WEIBULL.DIST(105, 20, 100, TRUE)", "~0.929581"},
        {"WEIBULL.DIST(105, 20, 100, FALSE)", "~0.035589"},
        {"FISHER(0.75)", "~0.9729551"},
        {"FISHER(1)", "#NUM!"},
        {"FISHERINV(0.972955)", "~0.75"},
        {"GAUSS(2)", "~0.47724987"},
        {"PHI(0.75)", "~0.301137432"},
        {"STANDARDIZE(42, 40, 1.5)", "~1.33333333"},
        {"STANDARDIZE(42, 40, 0)", "#NUM!"},
    });
}

// The inverses keep their relative precision where the distribution is flat: the normal one near
// its centre, where a huge deviation magnifies every digit, and the beta one near 1.
TEST(StatisticFunctions, InversesKeepTheirDigitsWhereTheDistributionIsFlat) {
    expectAll({
        {"NORM.S.INV(0.975)", "~1.95996398454005"},
        {"NORM.S.INV(0.02)", "~-2.05374891063182"},
        {"NORM.S.INV(0.999999)", "~4.75342430881709"},
        {"NORM.S.INV(1e-20)", "~-9.26234008979841"},
        {"NORM.S.INV(0.5000000001)", "~0.000000000250662848203035"},
        {"LOGNORM.INV(0.5000000001, 0, 1e9)", "~1.28487681277"},
        {"NORM.INV(0.5, 3, 2)", "3"},
        {"NORM.S.INV(0)", "#NUM!"},
        {"BETA.INV(0.999999999999, 2, 3)", "~0.999937003419878"},
        {"BETA.INV(0.9, 2, 3)", "~0.679539416278182"},
        {"BETA.INV(0.2, 2, 3)", "~0.212317128277951"},
    });
}

// Near t = 0 the t distribution keeps every digit of t: a confidence level close to 100 % asks
// for a quantile of a few millionths.
TEST(StatisticFunctions, StudentsTKeepsItsDigitsNearTheCentre) {
    expectAll({
        {"T.INV.2T(0.999999, 49)", "~0.00000125972449149"},
        {"CONFIDENCE.T(0.999999, 1, 50)", "~0.000000178151946072"},
        {"T.INV(0.4999999, 5)", "~-0.000000263430552422"},
        {"T.DIST(0.000001, 10, TRUE)", "~0.500000389108384"},
        {"T.DIST.2T(1, 3)", "~0.391002219"},
        {"T.INV.2T(0.05, 10)", "~2.228138852"},
    });
}

TEST(StatisticFunctions, CountingDistributionsAndSampleTests) {
    expectAll({
        {"NEGBINOM.DIST(10, 5, 0.25, FALSE)", "~0.0550487"},
        {"NEGBINOM.DIST(10, 5, 0.25, TRUE)", "~0.3135141"},
        {"NEGBINOM.DIST(10, 0, 0.25, TRUE)", "#NUM!"},
        {"BINOM.DIST.RANGE(60, 0.75, 48)", "~0.08397497"},
        {"BINOM.DIST.RANGE(60, 0.75, 45, 50)", "~0.5236"},
        {"BINOM.DIST.RANGE(60, 0.75, 50, 45)", "#NUM!"},
        {"BINOM.INV(6, 0.5, 0.75)", "4"},
        {"BINOM.INV(6, 1.5, 0.75)", "#NUM!"},
        {"HYPGEOM.DIST(1, 4, 8, 20, TRUE)", "~0.4654"},
        {"HYPGEOM.DIST(1, 4, 8, 20, FALSE)", "~0.3633"},
        {"PROB({0,1,2,3}, {0.2,0.3,0.1,0.4}, 2)", "~0.1"},
        {"PROB({0,1,2,3}, {0.2,0.3,0.1,0.4}, 1, 3)", "~0.8"},
        {"PROB({0,1,2,3}, {0.2,0.3,0.1,0.3}, 1, 3)", "#NUM!"},
        {"PROB({0,1,2}, {0.2,0.8}, 1)", "#N/A"},
        {"PERMUTATIONA(3, 2)", "9"},
        {"PERMUTATIONA(-1, 2)", "#NUM!"},
        {"TRIMMEAN({4,5,6,7,2,3,4,5,1,2,3}, 0.2)", "~3.777777778"},
        {"TRIMMEAN({1,2}, 1)", "#NUM!"},
        {"KURT({3,4,5,2,3,4,5,6,4,7})", "~-0.151799637"},
        {"KURT({1,2,3})", "#DIV/0!"},
        {"SKEW({3,4,5,2,3,4,5,6,4,7})", "~0.359543"},
        {"SKEW.P({3,4,5,2,3,4,5,6,4,7})", "~0.303193"},
        {"T.TEST({3,4,5,8,9,1,2,4,5}, {6,19,3,2,14,4,5,17,1}, 2, 1)", "~0.196016"},
        {"T.TEST({3,4,5}, {6,19,3}, 3, 1)", "#NUM!"},
        {"F.TEST({6,7,9,15,21}, {20,28,31,38,40})", "~0.64831785"},
        {"Z.TEST({3,6,7,8,6,5,4,2,1,9}, 4)", "~0.090574"},
    });
}

// The regression functions answer with blocks: each case reads one element through INDEX.
TEST(RegressionFunctions, LinestCoefficientsAndStatistics) {
    using testing_support::evaluate;
    const std::string fit = "LINEST({1;3;2;5},{1;2;3;4},TRUE,TRUE)";
    const std::pair<std::string, std::string> cases[] = {
        {"=INDEX(LINEST({1,9,5,7},{0,4,2,3}),1,1)", "2"},
        {"=INDEX(LINEST({1,9,5,7},{0,4,2,3}),1,2)", "1"},
        {"=ROUND(INDEX(" + fit + ",1,1),12)", "1.1"},
        {"=ROUND(INDEX(" + fit + ",2,1),9)", "0.519615242"},
        {"=ROUND(INDEX(" + fit + ",2,2),9)", "1.423024947"},
        {"=ROUND(INDEX(" + fit + ",3,1),9)", "0.691428571"},
        {"=ROUND(INDEX(" + fit + ",3,2),9)", "1.161895004"},
        {"=ROUND(INDEX(" + fit + ",4,1),9)", "4.481481481"},
        {"=INDEX(" + fit + ",4,2)", "2"},
        {"=ROUND(INDEX(" + fit + ",5,1),9)", "6.05"},
        {"=ROUND(INDEX(" + fit + ",5,2),9)", "2.7"},
        // Two variables, last one first; the unused corners are #N/A.
        {"=ROUND(INDEX(LINEST({6;11;10;18},{1,1;2,2;3,1;4,3},TRUE,TRUE),1,1),9)", "3"},
        {"=ROUND(INDEX(LINEST({6;11;10;18},{1,1;2,2;3,1;4,3},TRUE,TRUE),1,3),9)", "1"},
        {"=INDEX(LINEST({6;11;10;18},{1,1;2,2;3,1;4,3},TRUE,TRUE),3,3)", "#N/A"},
        // Without a constant the line runs through the origin; LOGEST's constant is then 1.
        {"=INDEX(LINEST({2;4;6},{1;2;3},FALSE),1,2)", "0"},
        {"=INDEX(LOGEST({2;4;8},{1;2;3},FALSE),1,2)", "1"},
        {"=ROUND(INDEX(LOGEST({3;6;12;24}),1,1),12)", "2"},
        {"=ROUND(INDEX(LOGEST({3;6;12;24}),1,2),12)", "1.5"},
        {"=INDEX(LINEST({1;2;3},{1;2}),1,1)", "#REF!"},
        {"=INDEX(LINEST({1;\"a\";3}),1,1)", "#VALUE!"},
        {"=INDEX(LOGEST({1;0;3}),1,1)", "#NUM!"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(evaluate(formula), expected) << formula;
}

TEST(RegressionFunctions, TrendAndGrowthFollowTheNewPoints) {
    using testing_support::evaluate;
    const std::pair<std::string, std::string> cases[] = {
        {"=INDEX(TREND({1;9;5;7},{0;4;2;3},{5;6}),2,1)", "13"},
        {"=INDEX(TREND({1,9,5,7},{0,4,2,3},{5,6}),1,2)", "13"},
        {"=ROUND(INDEX(TREND({1;3;2;5}),4,1),12)", "4.4"},
        {"=INDEX(TREND({2;4;6},{1;2;3},{10},FALSE),1,1)", "20"},
        {"=ROUND(INDEX(GROWTH({3;6;12;24},,{5;6}),2,1),9)", "96"},
        {"=ROUND(INDEX(TREND({6;11;10;18},{1,1;2,2;3,1;4,3},{5,5}),1,1),9)", "26"},
        {"=INDEX(TREND({6;11;10;18},{1,1;2,2;3,1;4,3},{5,5,5}),1,1)", "#REF!"},
        {"=INDEX(GROWTH({1;-2;3}),1,1)", "#NUM!"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(evaluate(formula), expected) << formula;
}

TEST(StatisticFunctions, AggregatePassesOverErrorsWhenAsked) {
    expectAll({
        {"AGGREGATE(9, 6, [1, #DIV/0!; 3, 4])", "8"},
        {"AGGREGATE(9, 4, [1, #DIV/0!; 3, 4])", "#DIV/0!"},
        {"AGGREGATE(4, 6, [1, #N/A], [7])", "7"},
        {"AGGREGATE(3, 7, [1, #N/A, \"a\", _])", "2"},
        {"AGGREGATE(14, 6, [10, #NUM!, 30, 20], 2)", "20"},
        {"AGGREGATE(15, 6, [10, #NUM!, 30, 20], 1)", "10"},
        {"AGGREGATE(16, 6, [1, 2, #VALUE!, 3, 4], 0.5)", "2.5"},
        {"AGGREGATE(19, 6, [1, 2, #VALUE!, 3, 4, 5, 6, 7], 1)", "2"},
        {"AGGREGATE(12, 0, [5, 1, 3])", "3"},
        {"AGGREGATE(13, 6, [2, #N/A, 2, 5])", "2"},
        {"AGGREGATE(14, 6, [10, 20])", "#VALUE!"}, // k is needed from 14 on
        {"AGGREGATE(20, 0, [1])", "#VALUE!"},
        {"AGGREGATE(1, 8, [1])", "#VALUE!"},
        {"AGGREGATE(9, 6, #N/A, [2])", "2"},
    });
}

TEST(StatisticFunctions, ExclusivePercentRankAndEveryMode) {
    expectAll({
        {"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9}, 7)", "0.7"},
        {"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9}, 5.43)", "0.381"},
        {"PERCENTRANK.EXC({1,2,3,6,6,6,7,8,9}, 5.43, 1)", "0.3"},
        {"PERCENTRANK.EXC({1,2,3}, 4)", "#N/A"},
        {"PERCENTRANK.EXC({1,2,3}, 2, 0)", "#NUM!"},
    });
    using testing_support::evaluate;
    EXPECT_EQ(evaluate("=INDEX(MODE.MULT({1,2,3,4,3,2,1,2,3}),1,1)"), "2");
    EXPECT_EQ(evaluate("=INDEX(MODE.MULT({1,2,3,4,3,2,1,2,3}),2,1)"), "3");
    EXPECT_EQ(evaluate("=ROWS(MODE.MULT({1,2,3,4,3,2,1,2,3}))"), "2");
    EXPECT_EQ(evaluate("=INDEX(MODE.MULT({1,2,3}),1,1)"), "#N/A");
}

TEST(StatisticFunctions, CountingDistributionsRefuseCertainOutcomes) {
    expectAll({
        {"BINOM.INV(10, 0.7, 0)", "#NUM!"},
        {"BINOM.INV(10, 0.7, 1)", "#NUM!"},
        {"BINOM.INV(10, 1, 0.8)", "#NUM!"},
        {"BINOM.INV(6, 0.5, 0.75)", "4"},
        {"NEGBINOM.DIST(2, 10, 0, TRUE)", "#NUM!"},
        {"NEGBINOM.DIST(2, 10, 1, FALSE)", "#NUM!"},
        {"NEGBINOM.DIST(10, 5, 0.25, TRUE)", "~0.3135141"},
    });
}

TEST(MatrixFunctions, ProductCellsCarryTheErrorsTheyMeet) {
    using testing_support::evaluate;
    EXPECT_EQ(evaluate("=INDEX(MMULT({1,2;3,4},{5,6;7,8}),2,2)"), "50");
    EXPECT_EQ(evaluate("=INDEX(MMULT({1,#DIV/0!;3,4},{5,6;7,8}),1,1)"), "#DIV/0!");
    EXPECT_EQ(evaluate("=INDEX(MMULT({1,#DIV/0!;3,4},{5,6;7,8}),2,1)"), "43");
    EXPECT_EQ(evaluate("=INDEX(MMULT({#N/A,1;3,4},{#NUM!,6;7,8}),1,1)"), "#N/A");
    EXPECT_EQ(evaluate("=INDEX(MMULT({1,TRUE;3,4},{5,6;7,8}),2,2)"), "#VALUE!");
}

TEST(StatisticFunctions, ChiSquaredTestOfObservedAgainstExpected) {
    expectAll({
        {"CHISQ.TEST([58, 35; 11, 25; 10, 23], [45.35, 47.65; 17.56, 18.44; 16.09, 16.91])",
         "~0.0003082"},
        {"CHITEST([10; 20; 30], [20; 20; 20])", "~0.006737947"},
        {"CHISQ.TEST([1; 2], [1; 2; 3])", "#N/A"},
        {"CHISQ.TEST([1; 2], [1; 0])", "#DIV/0!"},
        {"CHISQ.TEST([1; 2], [1; -1])", "#NUM!"},
        {"CHISQ.TEST([1], [1])", "#N/A"},
    });
}

TEST(StatisticFunctions, PoissonAndProbEdges) {
    expectAll({
        {"POISSON.DIST(-0.000001, 5, TRUE)", "#NUM!"},
        {"POISSON.DIST(0.999999, 5, TRUE)", "~0.006737947"},
        {"POISSON.DIST(1000000, 1000000, TRUE)", "~0.50026596"}, // a far-reaching series
        {"PROB([\"a\"; \"b\"], [\"x\"; \"y\"], 1)", "#DIV/0!"},
        {"PROB({0,1,2,3}, {0.2,0.3,0.1,0.4}, 2)", "0.1"},
        {"BETA.INV(1, 1, 2, 0, 1)", "#NUM!"},
        {"BETA.INV(0.685470581, 8, 10, 1, 3)", "~2"},
    });
}

TEST(RegressionFunctions, ACollinearVariableIsLeftOutOfTheFit) {
    using testing_support::evaluate;
    // The second variable is twice the first: it adds nothing, gets 0 and costs no freedom.
    const std::string fit = "LINEST({1;2;3;5},{1,2;2,4;3,6;4,8},TRUE,TRUE)";
    EXPECT_EQ(evaluate("=INDEX(" + fit + ",1,1)"), "0");
    EXPECT_EQ(evaluate("=ROUND(INDEX(" + fit + ",1,2),9)"), "1.3");
    EXPECT_EQ(evaluate("=INDEX(" + fit + ",2,1)"), "0");
    EXPECT_EQ(evaluate("=INDEX(" + fit + ",4,2)"), "2");
    EXPECT_EQ(evaluate("=ROUND(INDEX(TREND({1;2;3;5},{1,2;2,4;3,6;4,8},{5,10}),1,1),9)"), "6");
}
