#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>
#include <string>

using qmtest::expectAll;

namespace {

const std::string trees = "[\"Tree\",\"Height\",\"Age\",\"Profit\";"
                          "\"Apple\",18,20,105;\"Pear\",12,12,96;\"Cherry\",13,14,105;"
                          "\"Apple\",14,15,75;\"Pear\",9,8,76.8;\"Apple\",8,9,45;"
                          "\"Apricot\",10,_,30]";

std::string call(const std::string& function, const std::string& field,
                 const std::string& criteria) {
    return function + "(" + trees + ", " + field + ", " + criteria + ")";
}

TEST(DatabaseFunctions, CriteriaRowsAreAlternativesAndTheirCellsAllHold) {
    const std::string apple = "[\"Tree\";\"Apple\"]";
    const std::string tallApple = "[\"Tree\",\"Height\";\"=Apple\",\">10\"]";
    const std::string appleOrPear = "[\"Tree\";\"=Apple\";\"Pear\"]";
    const std::string noSuchLabel = "[\"Colour\";\"Red\"]";
    const std::string anything = "[\"Tree\";_]";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {call("DSUM", "\"Profit\"", apple), "225"},
        {call("DSUM", "\"Profit\"", "[\"Tree\";\"Ap\"]"), "255"}, // plain text: begins with
        {call("DSUM", "\"profit\"", tallApple), "180"},
        {call("DSUM", "4", appleOrPear), "397.8"},
        {call("DSUM", "\"Profit\"", noSuchLabel), "0"},
        {call("DSUM", "\"Profit\"", anything), "532.8"},
        {call("DSUM", "\"Weight\"", apple), "#VALUE!"},
        {call("DSUM", "5", apple), "#VALUE!"},
        {call("DAVERAGE", "\"Height\"", tallApple), "16"},
        {call("DAVERAGE", "\"Height\"", noSuchLabel), "#DIV/0!"},
        {call("DCOUNT", "\"Age\"", apple), "3"},
        {call("DCOUNTA", "\"Age\"", apple), "3"},
        {"DCOUNT(" + trees + ",," + apple + ")", "3"},
        {call("DMAX", "\"Profit\"", appleOrPear), "105"},
        {call("DMIN", "\"Profit\"", noSuchLabel), "0"},
        {call("DPRODUCT", "\"Height\"", tallApple), "252"},
        {call("DGET", "\"Profit\"", tallApple), "#NUM!"},
        {call("DGET", "\"Profit\"", "[\"Tree\",\"Height\";\"Cherry\",\">10\"]"), "105"},
        {call("DGET", "\"Profit\"", noSuchLabel), "#VALUE!"},
        {call("DSTDEV", "\"Height\"", "[\"Tree\";\"Pear\"]"), "~2.121320344"},
        {call("DSTDEVP", "\"Height\"", "[\"Tree\";\"Pear\"]"), "1.5"},
        {call("DVAR", "\"Height\"", "[\"Tree\";\"Cherry\"]"), "#DIV/0!"},
        {call("DVARP", "\"Height\"", "[\"Tree\";\"Pear\"]"), "2.25"},
        {"DSUM([\"Tree\",\"Profit\"], \"Profit\", [\"Tree\";\"Apple\"])", "#VALUE!"},
    };
    std::vector<qmtest::Case> table;
    for (const auto& [text, expected] : cases)
        table.push_back({text.c_str(), expected.c_str()});
    expectAll(table);
}

} // namespace
