#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(LogicFunctions, JunctionsCountBooleansAndNumbers) {
    expectAll({
        {"AND(TRUE, 1)", "TRUE"},
        {"AND(TRUE, 0)", "FALSE"},
        {"AND([TRUE,\"x\";_,1])", "TRUE"},
        {"AND([\"x\"])", "#VALUE!"},
        {"AND(\"x\")", "#VALUE!"},
        {"AND(\"true\", TRUE)", "TRUE"},
        {"OR(FALSE, [0;#N/A])", "#N/A"},
        {"OR(0, 0)", "FALSE"},
        {"XOR(TRUE, TRUE, TRUE)", "TRUE"},
        {"XOR(TRUE, 1)", "FALSE"},
        {"NOT(0)", "TRUE"},
        {"NOT(\"x\")", "#VALUE!"},
        {"TRUE()", "TRUE"},
        {"NA()", "#N/A"},
    });
}

TEST(InformationFunctions, WhatAValueIs) {
    expectAll({
        {"ISBLANK([_])", "TRUE"},
        {"ISBLANK(\"\")", "FALSE"},
        {"ISERR(#N/A)", "FALSE"},
        {"ISERR(#REF!)", "TRUE"},
        {"ISERROR(#N/A)", "TRUE"},
        {"ISNA(#N/A)", "TRUE"},
        {"ISNUMBER(\"1\")", "FALSE"},
        {"ISNUMBER([1])", "TRUE"},
        {"ISTEXT(\"\")", "TRUE"},
        {"ISNONTEXT(_)", "TRUE"},
        {"ISLOGICAL(FALSE)", "TRUE"},
        {"ISEVEN(-2.5)", "TRUE"},
        {"ISODD(\"3\")", "TRUE"},
        {"ISODD(TRUE)", "#VALUE!"},
        {"ISREF([1])", "TRUE"},
        {"ISREF({1})", "FALSE"},
        {"ISREF(1)", "FALSE"},
        {"N(TRUE)", "1"},
        {"N(\"7\")", "0"},
        {"N(#DIV/0!)", "#DIV/0!"},
        {"T(\"a\")", "a"},
        {"T(1)", ""},
        {"TYPE(1)", "1"},
        {"TYPE(\"a\")", "2"},
        {"TYPE(TRUE)", "4"},
        {"TYPE(#N/A)", "16"},
        {"TYPE({1,2})", "64"},
        {"ERROR.TYPE(#DIV/0!)", "2"},
        {"ERROR.TYPE(#N/A)", "7"},
        {"ERROR.TYPE(1)", "#N/A"},
    });
}
