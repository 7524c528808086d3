#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using engine::DateSystem;
using engine::formula::compareValues;
using engine::formula::parseNumberText;
using engine::formula::roundTo15Digits;
using engine::formula::toBoolean;
using engine::formula::toNumber;
using engine::formula::toText;
using engine::formula::Value;
using qmtest::show;

TEST(ValueConversion, TextReadAsNumberLikeACellEntry) {
    struct Row {
        const char* text;
        const char* number; // as shown, or "none"
    };
    const Row rows[] = {
        {"3", "3"},
        {" 1,000 ", "1000"},
        {"50%", "0.5"},
        {"-1,234.5", "-1234.5"},
        {"(12)", "-12"},
        {"$5", "5"},
        {"-$5", "-5"},
        {"1e3", "1000"},
        {"2020-01-31", "43861"},
        {"1/31/2020", "43861"},
        {" 2024-01-10 ", "none"}, // spaces are forgiven around numbers only
        {"31-Jan-2020", "43861"},
        {"January 31, 2020", "43861"},
        {"13:30", "0.5625"},
        {"1:30 PM", "0.5625"},
        {"2020-01-31 12:00", "43861.5"},
        {"2/29/1900", "60"},
        {"x", "none"},
        {"1,00", "none"},
        {"", "none"},
        {"2/30/2020", "none"},
        {"1.2.3", "none"},
        {"12 apples", "none"},
    };
    for (const Row& r : rows) {
        auto n = parseNumberText(r.text, DateSystem::Date1900);
        EXPECT_EQ(n ? show(Value::of(*n)) : std::string("none"), r.number) << r.text;
    }
}

TEST(ValueConversion, ToNumberToTextToBoolean) {
    EXPECT_EQ(show(toNumber(Value::of(std::string("x")), DateSystem::Date1900)), "#VALUE!");
    EXPECT_EQ(show(toNumber(Value::blank(), DateSystem::Date1900)), "0");
    EXPECT_EQ(show(toNumber(Value::of(true), DateSystem::Date1900)), "1");
    EXPECT_EQ(show(toNumber(Value::fail(engine::CellError::NA), DateSystem::Date1900)), "#N/A");
    // The 1904 system counts from 1904-01-01.
    EXPECT_EQ(show(toNumber(Value::of(std::string("1904-01-02")), DateSystem::Date1904)), "1");

    EXPECT_EQ(toText(Value::of(0.1 + 0.2)).text, "0.3");
    EXPECT_EQ(toText(Value::of(1.0 / 3)).text, "0.333333333333333");
    EXPECT_EQ(toText(Value::of(123456789012345.0)).text, "123456789012345");
    EXPECT_EQ(toText(Value::of(1e15)).text, "1E+15");
    EXPECT_EQ(toText(Value::of(-1.5e-12)).text, "-1.5E-12");
    EXPECT_EQ(toText(Value::of(0.00001)).text, "0.00001");
    EXPECT_EQ(toText(Value::of(false)).text, "FALSE");
    EXPECT_EQ(toText(Value::blank()).text, "");

    EXPECT_EQ(show(toBoolean(Value::of(std::string("true")))), "TRUE");
    EXPECT_EQ(show(toBoolean(Value::of(std::string("yes")))), "#VALUE!");
    EXPECT_EQ(show(toBoolean(Value::of(-2.0))), "TRUE");
}

TEST(ValueConversion, FifteenDigitRounding) {
    EXPECT_EQ(roundTo15Digits(0.1 + 0.2), 0.3);
    EXPECT_EQ(roundTo15Digits(0.0), 0.0);
    EXPECT_EQ(compareValues(Value::of(0.1 + 0.2), Value::of(0.3)), 0);
    EXPECT_LT(compareValues(Value::of(1.0), Value::of(1.0000000001)), 0);
}

TEST(ValueComparison, KindsOrderAndLetterCase) {
    auto t = [](const char* s) { return Value::of(std::string(s)); };
    EXPECT_LT(compareValues(Value::of(1e300), t("")), 0);    // numbers < text
    EXPECT_LT(compareValues(t("zzz"), Value::of(false)), 0); // text < FALSE
    EXPECT_LT(compareValues(Value::of(false), Value::of(true)), 0);
    EXPECT_EQ(compareValues(t("ABC"), t("abc")), 0);
    EXPECT_EQ(compareValues(t("Ärger"), t("ärger")), 0);
    EXPECT_LT(compareValues(t("a"), t("B")), 0);
    EXPECT_EQ(compareValues(Value::blank(), Value::of(0.0)), 0);
    EXPECT_EQ(compareValues(Value::blank(), t("")), 0);
    EXPECT_EQ(compareValues(Value::blank(), Value::of(false)), 0);
    EXPECT_LT(compareValues(Value::blank(), t("a")), 0);
    EXPECT_GT(compareValues(Value::of(2.0), Value::blank()), 0);
}
