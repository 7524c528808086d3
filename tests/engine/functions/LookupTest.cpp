#include "engine/formula/functions/LookupIndex.h"
#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using engine::formula::Arg;
using engine::formula::findFunction;
using engine::formula::Value;
using qmtest::expectAll;

namespace {
const char* prices = "[\"apple\",1.5;\"banana\",2.25;\"cherry\",4]";
}

TEST(LookupFunctions, VerticalAndHorizontalTables) {
    std::string t = prices;
    expectAll({
        {("VLOOKUP(\"banana\", " + t + ", 2, FALSE)").c_str(), "2.25"},
        {("VLOOKUP(\"BANANA\", " + t + ", 2, 0)").c_str(), "2.25"},
        {("VLOOKUP(\"b*\", " + t + ", 2, FALSE)").c_str(), "2.25"},
        {("VLOOKUP(\"c?erry\", " + t + ", 2, FALSE)").c_str(), "4"},
        {("VLOOKUP(\"kiwi\", " + t + ", 2, FALSE)").c_str(), "#N/A"},
        {("VLOOKUP(\"apple\", " + t + ", 3, FALSE)").c_str(), "#REF!"},
        {("VLOOKUP(\"apple\", " + t + ", 0, FALSE)").c_str(), "#VALUE!"},
        {("VLOOKUP(\"kiwi\", " + t + ", 0, FALSE)").c_str(), "#N/A"}, // looked up first
        {("VLOOKUP(\"apple\", " + t + ", 2,)").c_str(), "1.5"},
        {"VLOOKUP(25, [0,\"F\";50,\"C\";70,\"B\"], 2)", "F"},
        {"VLOOKUP(70, [0,\"F\";50,\"C\";70,\"B\"], 2, TRUE)", "B"},
        {"VLOOKUP(99, [0,\"F\";50,\"C\";70,\"B\"], 2)", "B"},
        {"VLOOKUP(-1, [0,\"F\";50,\"C\"], 2)", "#N/A"},
        {"VLOOKUP(\"b\", [1,\"x\";2,\"y\"], 2)", "#N/A"},
        {"VLOOKUP(1, [\"1\",\"text\";1,\"number\"], 2, FALSE)", "number"},
        {"VLOOKUP(#N/A, [1,2], 2, FALSE)", "#N/A"},
        {"HLOOKUP(\"b\", [\"a\",\"b\";10,20], 2, FALSE)", "20"},
        {"HLOOKUP(15, [10,20;\"x\",\"y\"], 2)", "x"},
        {"HLOOKUP(\"a\", [\"a\";1], 3, FALSE)", "#REF!"},
    });
}

TEST(LookupFunctions, MatchModes) {
    expectAll({
        {"MATCH(\"b\", [\"a\";\"b\";\"c\"], 0)", "2"},
        {"MATCH(\"B*\", {\"a\",\"bc\"}, 0)", "2"},
        {"MATCH(\"~*\", [\"a\";\"*\"], 0)", "2"},
        {"MATCH(35, [10;20;30;40])", "3"},
        {"MATCH(5, [10;20;30])", "#N/A"},
        {"MATCH(25, [40;30;20;10], -1)", "2"},
        {"MATCH(50, [40;30;20], -1)", "#N/A"},
        {"MATCH(1, [1,2;3,4], 0)", "#N/A"},
        {"MATCH(TRUE, [1;TRUE], 0)", "2"},
        {"MATCH(20, [10;_;20;30], 1)", "3"},
    });
}

TEST(LookupFunctions, XlookupAndXmatch) {
    expectAll({
        {"XLOOKUP(\"b\", [\"a\";\"b\"], [1;2])", "2"},
        {"XLOOKUP(\"z\", [\"a\";\"b\"], [1;2])", "#N/A"},
        {"XLOOKUP(\"z\", [\"a\";\"b\"], [1;2], \"none\")", "none"},
        {"XLOOKUP(25, [10;20;30], [1;2;3], , -1)", "2"},
        {"XLOOKUP(25, [10;20;30], [1;2;3], , 1)", "3"},
        {"XLOOKUP(25, [30;10;20], [1;2;3], , 1)", "1"},
        {"XLOOKUP(\"a*\", [\"b\";\"ab\";\"ac\"], [1;2;3], , 2)", "2"},
        {"XLOOKUP(\"a*\", [\"b\";\"ab\";\"ac\"], [1;2;3], , 2, -1)", "3"},
        {"XLOOKUP(\"a*\", [\"b\";\"a*\"], [1;2])", "2"},
        {"XLOOKUP(2, [1,2,3], [\"x\",\"y\",\"z\"])", "y"},
        {"XLOOKUP(2, [1;2], [1;2;3])", "#VALUE!"},
        {"XLOOKUP(20, [10;20;30], [1;2;3], , 0, 2)", "2"},
        {"XLOOKUP(25, [10;20;30], [1;2;3], , -1, 2)", "2"},
        {"XLOOKUP(25, [10;20;30], [1;2;3], , 1, 2)", "3"},
        {"XLOOKUP(1, [1], [1], , 3)", "1"}, // match mode 3 is a regular expression
        {"XLOOKUP(1, [1], [1], , 4)", "#VALUE!"},
        {"XMATCH(3, [5;3;3])", "2"},
        {"XMATCH(3, [5;3;3], 0, -1)", "3"},
        {"XMATCH(4, [5;3;1], 1)", "1"},
        {"XMATCH(4, [5;3;1], -1)", "2"},
        {"XMATCH(3, [1,2;3,4])", "#VALUE!"},
    });
}

TEST(LookupFunctions, LookupVectorAndArrayForms) {
    expectAll({
        {"LOOKUP(4.2, [4.1;5;6], [\"a\";\"b\";\"c\"])", "a"},
        {"LOOKUP(7, [4;5;6], [\"a\";\"b\";\"c\"])", "c"},
        {"LOOKUP(1, [4;5;6], [\"a\";\"b\";\"c\"])", "#N/A"},
        {"LOOKUP(5, [4,\"x\";5,\"y\"])", "y"},
        {"LOOKUP(\"c\", [\"a\",\"b\",\"c\";1,2,3])", "3"},
    });
}

TEST(LookupFunctions, Address) {
    expectAll({
        {"ADDRESS(2, 3)", "$C$2"},
        {"ADDRESS(2, 3, 2)", "C$2"},
        {"ADDRESS(2, 3, 3)", "$C2"},
        {"ADDRESS(2, 28, 4)", "AB2"},
        {"ADDRESS(1, 16384)", "$XFD$1"},
        {"ADDRESS(2, 3, 1, FALSE)", "R2C3"},
        {"ADDRESS(2, 3, 4, FALSE)", "R[2]C[3]"},
        {"ADDRESS(1, 1, 1, TRUE, \"Sheet1\")", "Sheet1!$A$1"},
        {"ADDRESS(1, 1, 1, TRUE, \"My Sheet\")", "'My Sheet'!$A$1"},
        {"ADDRESS(1, 1, 1, TRUE, \"O'Brien\")", "'O''Brien'!$A$1"},
        {"ADDRESS(0, 1)", "#VALUE!"},
        {"ADDRESS(1, 16385)", "#VALUE!"},
    });
}

TEST(LookupFunctions, SortedSearchOverAWholeColumnStaysCheap) {
    qmtest::SparseColumn column(1048576, 10000);
    qmtest::TestContext context;
    Arg args[3] = {{Arg::Kind::Scalar, Value::of(7777.5), nullptr},
                   {Arg::Kind::Area, {}, &column},
                   {Arg::Kind::Scalar, Value::of(1.0), nullptr}};
    EXPECT_EQ(qmtest::show(findFunction("MATCH")->body(std::span<const Arg>(args), context)),
              "7777");
    EXPECT_LT(column.atCalls, 1000u);
    // An exact search of a whole column visits only the held cells.
    args[0].value = Value::of(9000.0);
    args[2].value = Value::of(0.0);
    EXPECT_EQ(qmtest::show(findFunction("MATCH")->body(std::span<const Arg>(args), context)),
              "9000");
}

TEST(LookupFunctions, IndexedExactSearchAgreesWithScanningAndScansOnce) {
    // Keys with repeats, mixed letter case and a number only equal to 15 digits.
    std::vector<std::vector<Value>> rows, keyColumn, valueColumn;
    for (int i = 0; i < 200; ++i) {
        Value key = i % 50 == 7 ? Value::of(0.1 + 0.2) : Value::of("Key" + std::to_string(i % 60));
        rows.push_back({key, Value::of(i * 1.0)});
        keyColumn.push_back({key});
        valueColumn.push_back({Value::of(i * 1.0)});
    }
    qmtest::TestArea table(rows, true), keys(keyColumn, true), values(valueColumn, true);
    table.id = 42;
    keys.id = 43;
    engine::formula::LookupIndexes indexes;
    qmtest::TestContext scanning, indexed;
    indexed.indexes = &indexes;

    const Value probes[] = {Value::of(std::string("key5")), Value::of(std::string("KEY59")),
                            Value::of(0.3), Value::of(std::string("key60")), Value::of(true)};
    for (const Value& probe : probes) {
        std::vector<Arg> vlookup = {{Arg::Kind::Scalar, probe, nullptr},
                                    {Arg::Kind::Area, {}, &table},
                                    {Arg::Kind::Scalar, Value::of(2.0), nullptr},
                                    {Arg::Kind::Scalar, Value::of(false), nullptr}};
        EXPECT_EQ(qmtest::show(findFunction("VLOOKUP")->body(vlookup, scanning)),
                  qmtest::show(findFunction("VLOOKUP")->body(vlookup, indexed)))
            << qmtest::show(probe);
        for (double direction : {1.0, -1.0}) {
            std::vector<Arg> xlookup = {{Arg::Kind::Scalar, probe, nullptr},
                                        {Arg::Kind::Area, {}, &keys},
                                        {Arg::Kind::Area, {}, &values},
                                        {Arg::Kind::Missing, {}, nullptr},
                                        {Arg::Kind::Scalar, Value::of(0.0), nullptr},
                                        {Arg::Kind::Scalar, Value::of(direction), nullptr}};
            EXPECT_EQ(qmtest::show(findFunction("XLOOKUP")->body(xlookup, scanning)),
                      qmtest::show(findFunction("XLOOKUP")->body(xlookup, indexed)))
                << qmtest::show(probe) << " " << direction;
        }
    }
    // The table was visited once to build its index, not once per lookup.
    std::uint64_t afterFirst = table.visits;
    std::vector<Arg> again = {{Arg::Kind::Scalar, Value::of(std::string("key9")), nullptr},
                              {Arg::Kind::Area, {}, &table},
                              {Arg::Kind::Scalar, Value::of(2.0), nullptr},
                              {Arg::Kind::Scalar, Value::of(false), nullptr}};
    EXPECT_EQ(qmtest::show(findFunction("VLOOKUP")->body(again, indexed)), "9");
    EXPECT_EQ(table.visits, afterFirst);
}
