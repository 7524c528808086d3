#include "engine/formula/functions/ExponentialSmoothing.h"
#include "tests/engine/functions/FunctionCalls.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using qmtest::evaluate;
using qmtest::expectAll;

namespace {

// A column block of `n` values value(t), t = 0 .. n-1, as the cells of a sheet.
template <typename F> std::string column(int n, F value) {
    std::string out = "[";
    for (int t = 0; t < n; ++t) {
        out += (t ? ";" : "") + std::to_string(value(t));
    }
    return out + "]";
}

double number(const std::string& call) {
    const engine::formula::Value v = evaluate(call);
    EXPECT_EQ(v.kind, engine::formula::ValueKind::Number) << call << " gave " << qmtest::show(v);
    return v.number;
}

// 10 + t/2 plus a pattern of four that sums to zero: the model fits it without error.
const std::string seasonal = column(24, [](int t) {
    static const double pattern[] = {3, -1, -4, 2};
    return 10 + t / 2.0 + pattern[t % 4];
});
const std::string times = column(24, [](int t) { return t + 1; });
const std::string line = column(10, [](int t) { return 3 + 2.0 * t; });
const std::string lineTimes = column(10, [](int t) { return t + 1; });

} // namespace

TEST(ForecastEts, ExactSeriesAreContinued) {
    // A straight line has no season and goes on as a line.
    EXPECT_NEAR(number("FORECAST.ETS(12, " + line + ", " + lineTimes + ")"), 25, 1e-9);
    EXPECT_NEAR(number("FORECAST.ETS(10.5, " + line + ", " + lineTimes + ", 0)"), 22, 1e-9);
    EXPECT_EQ(number("FORECAST.ETS.SEASONALITY(" + line + ", " + lineTimes + ")"), 0);
    // Trend and a season of four: found, and continued a season and more ahead.
    EXPECT_EQ(number("FORECAST.ETS.SEASONALITY(" + seasonal + ", " + times + ")"), 4);
    EXPECT_NEAR(number("FORECAST.ETS(25, " + seasonal + ", " + times + ")"), 10 + 12 + 3, 1e-6);
    EXPECT_NEAR(number("FORECAST.ETS(30, " + seasonal + ", " + times + ", 4)"), 10 + 14.5 - 1,
                1e-6);
    EXPECT_NEAR(number("FORECAST.ETS.STAT(" + seasonal + ", " + times + ", 7)"), 0, 1e-9);
    EXPECT_NEAR(number("FORECAST.ETS.CONFINT(30, " + seasonal + ", " + times + ")"), 0, 1e-6);
}

TEST(ForecastEts, TimelinesAreSortedCompletedAndAggregated) {
    // Weekly dates out of order with one week missing: completed from its neighbours.
    expectAll({
        {"FORECAST.ETS(45035, [10;12;16;18], [45000;45007;45021;45028], 0)", "~20"},
        {"FORECAST.ETS(45035, [16;10;18;12], [45021;45000;45028;45007], 0)", "~20"},
        {"FORECAST.ETS.STAT([10;12;16;18], [45000;45007;45021;45028], 8)", "7"},
        // Values at one time taken together: averaged by default, else as asked.
        {"FORECAST.ETS(5, [2;3;5;6;8], [1;2;2;3;4], 0)", "~10"},
        {"FORECAST.ETS(5, [2;1;3;6;8], [1;2;2;3;4], 0, 1, 7)", "~10"},
        {"FORECAST.ETS(5, [2;4;1;6;8], [1;2;2;3;4], 0, 1, 4)", "~10"},
        {"FORECAST.ETS(5, [2;4;9;6;8], [1;2;2;3;4], 0, 1, 6)", "~10"},
        {"FORECAST.ETS(5, [2;1;4;9;6;8], [1;2;2;2;3;4], 0, 1, 5)", "~10"},
        {"FORECAST.ETS(5, [9;9;9;9;9], [1;2;2;3;4], 0, 1, 2)", "~1"},
        {"FORECAST.ETS(6, [1;2;3;_;5], [1;2;3;4;5], 0)", "~6"}, // a blank value is completed
    });
    // Completed with zeros, the missing week no longer lies on the line.
    const std::string weeks = "[10;12;16;18], [45000;45007;45021;45028], 7, 0";
    EXPECT_NEAR(number("FORECAST.ETS.STAT(" + weeks + ")"), 0, 1e-9);
    EXPECT_GT(number("FORECAST.ETS.STAT(" + weeks + ", 0)"), 1);
}

TEST(ForecastEts, ErrorsAsDocumented) {
    expectAll({
        {"FORECAST.ETS(5, [1;2;3], [1;2])", "#N/A"},
        {"FORECAST.ETS(2, [1;2;3], [1;2;3])", "#NUM!"},       // before the timeline ends
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4.5])", "#NUM!"}, // no even step
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;10])", "#NUM!"},  // too many missing
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4], -1)", "#NUM!"},
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4], 8761)", "#NUM!"},
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4], 3)", "#NUM!"}, // a season longer than the data
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4], 0, 2)", "#NUM!"},
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;3;4], 0, 1, 8)", "#NUM!"},
        {"FORECAST.ETS(9, [1;\"x\";3;4], [1;2;3;4])", "#VALUE!"},
        {"FORECAST.ETS(9, [1;#DIV/0!;3;4], [1;2;3;4])", "#DIV/0!"},
        {"FORECAST.ETS(9, [1;2;3;4], [1;2;_;4])", "#VALUE!"}, // a value without a time
        {"FORECAST.ETS(9, [1], [1])", "#VALUE!"},
        {"FORECAST.ETS.CONFINT(9, [1;2;3;4], [1;2;3;4], 1)", "#NUM!"},
        {"FORECAST.ETS.STAT([1;2;3;4], [1;2;3;4], 9)", "#NUM!"},
        {"FORECAST.ETS(\"x\", [1;2;3;4], [1;2;3;4])", "#VALUE!"},
        {"FORECAST.ETS(1E+308, [10;20;30;40], [1;2;3;4], 0)", "#NUM!"}, // past any number
    });
}

TEST(ForecastEts, IntervalsWidenWithHorizonAndConfidence) {
    const std::string noisy = column(30, [](int t) { return 50 + t + (t * 7919 % 13) - 6.0; });
    const std::string at = column(30, [](int t) { return t + 1; });
    const auto confint = [&](int target, double level) {
        return number("FORECAST.ETS.CONFINT(" + std::to_string(target) + ", " + noisy + ", " + at +
                      ", " + std::to_string(level) + ", 0)");
    };
    EXPECT_GT(confint(31, 0.95), 0);
    EXPECT_GT(confint(40, 0.95), confint(31, 0.95));
    EXPECT_GT(confint(31, 0.99), confint(31, 0.95));
    EXPECT_GT(confint(31, 0.95), confint(31, 0.5));
    // One step ahead the interval is z times the root mean squared one-step error.
    const double rmse = number("FORECAST.ETS.STAT(" + noisy + ", " + at + ", 7, 0)");
    EXPECT_NEAR(confint(31, 0.95), 1.959963984540054 * rmse, 1e-9);
    for (int type = 1; type <= 3; ++type) {
        const double constant =
            number("FORECAST.ETS.STAT(" + noisy + ", " + at + ", " + std::to_string(type) + ")");
        EXPECT_GE(constant, 0);
        EXPECT_LE(constant, 1);
    }
    const double mae = number("FORECAST.ETS.STAT(" + noisy + ", " + at + ", 6, 0)");
    EXPECT_GT(mae, 0);
    EXPECT_LE(mae, rmse);
}

TEST(ForecastEts, SeasonIsTheShortestLengthThatRepeats) {
    // Twelve steps of a wave under noise: its multiples repeat as well, and noise lifts one of
    // them a little above it at times.
    for (int n : {60, 240, 1000}) {
        const std::string wave = column(n, [](int t) {
            const unsigned noise = (static_cast<unsigned>(t) * 1103515245u + 12345u) >> 16 & 1023;
            return 100 + 0.3 * t + 10 * std::sin(t * 3.14159265358979 / 6) + noise / 100.0;
        });
        const std::string at = column(n, [](int t) { return t + 1; });
        EXPECT_EQ(number("FORECAST.ETS.SEASONALITY(" + wave + ", " + at + ")"), 12) << n;
    }
}

TEST(ForecastEts, FarTargetsCostNoMoreThanNearOnes) {
    // The spread summed in closed form is the sum step by step.
    using engine::formula::functions::carriedSpread;
    for (const std::size_t season :
         {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{7}}) {
        for (const int steps : {0, 1, 2, 3, 6, 7, 8, 29, 100}) {
            double expected = 0;
            for (int j = 1; j <= steps; ++j) {
                const double carried =
                    0.3 * (1 + j * 0.2) + (season && j % static_cast<int>(season) == 0 ? 0.15 : 0);
                expected += carried * carried;
            }
            EXPECT_NEAR(carriedSpread(steps, 0.3, 0.2, 0.15, season), expected,
                        1e-12 * std::max(1.0, expected))
                << steps << " steps, season " << season;
        }
    }
    // A target 10^15 periods past the timeline: a value (or #NUM!), at once, not a pass per
    // period.
    const std::string values = column(12, [](int t) { return 10 + t % 4; });
    const std::string at = column(12, [](int t) { return t + 1; });
    const std::string far = "FORECAST.ETS.CONFINT(1E+15, " + values + ", " + at + ")";
    EXPECT_GE(number(far), 0);
}
