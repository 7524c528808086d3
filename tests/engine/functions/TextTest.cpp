#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(TextFunctions, PiecesAndLengthsInUtf16Units) {
    expectAll({
        {"LEFT(\"abc\")", "a"},
        {"LEFT(\"abc\", 5)", "abc"},
        {"LEFT(\"abc\", -1)", "#VALUE!"},
        {"RIGHT(\"abc\", 2)", "bc"},
        {"MID(\"abcdef\", 3, 2)", "cd"},
        {"MID(\"abc\", 5, 2)", ""},
        {"MID(\"abc\", 0, 1)", "#VALUE!"},
        {"LEN(\"h\xC3\xA9llo\")", "5"},
        {"LEN(\"\xF0\x9F\x98\x80\")", "2"},
        {"LEN(123.40)", "5"},
        {"LEN(TRUE)", "4"},
        {"LEN(#N/A)", "#N/A"},
        {"LEFT(\"h\xC3\xA9llo\", 2)", "h\xC3\xA9"},
    });
}

TEST(TextFunctions, FindingAndReplacing) {
    expectAll({
        {"FIND(\"b\", \"abcb\", 3)", "4"},
        {"FIND(\"B\", \"abc\")", "#VALUE!"},
        {"FIND(\"\", \"abc\")", "1"},
        {"FIND(\"a\", \"abc\", 5)", "#VALUE!"},
        {"SEARCH(\"B\", \"abc\")", "2"},
        {"SEARCH(\"c*e\", \"abcde\")", "3"},
        {"SEARCH(\"?d\", \"abcd\")", "3"},
        {"SEARCH(\"~*\", \"a*b\")", "2"},
        {"SEARCH(\"x\", \"abc\")", "#VALUE!"},
        {"SUBSTITUTE(\"a-b-c\", \"-\", \"+\")", "a+b+c"},
        {"SUBSTITUTE(\"a-b-c\", \"-\", \"+\", 2)", "a-b+c"},
        {"SUBSTITUTE(\"a-b-c\", \"-\", \"+\", 3)", "a-b-c"},
        {"SUBSTITUTE(\"abc\", \"\", \"x\")", "abc"},
        {"SUBSTITUTE(\"a\", \"a\", \"b\", 0)", "#VALUE!"},
        {"REPLACE(\"abcdef\", 2, 3, \"X\")", "aXef"},
        {"REPLACE(\"abc\", 10, 1, \"Z\")", "abcZ"},
        {"REPT(\"ab\", 3)", "ababab"},
        {"REPT(\"a\", -1)", "#VALUE!"},
        {"REPT(\"abc\", 20000)", "#VALUE!"},
        {"EXACT(\"a\", \"A\")", "FALSE"},
        {"EXACT(\"1\", 1)", "TRUE"},
    });
}

TEST(TextFunctions, CaseSpacesAndJoining) {
    expectAll({
        {"TRIM(\"  a   b  \")", "a b"},
        {"CLEAN(\"a\x01\x1F"
         "b\")",
         "ab"},
        {"UPPER(\"stra\xC3\x9F"
         "e \xC3\xA0\")",
         "STRA\xC3\x9F"
         "E \xC3\x80"},
        {"LOWER(\"\xC3\x80"
         "B\")",
         "\xC3\xA0"
         "b"},
        {"PROPER(\"hello wORLD\")", "Hello World"},
        {"PROPER(\"don't 2-way\")", "Don'T 2-Way"},
        {"CONCATENATE(\"a\", 1, TRUE)", "a1TRUE"},
        {"CONCAT([1,\"b\";_,\"d\"], 0.5)", "1bd0.5"},
        {"CONCAT([1;#REF!])", "#REF!"},
        {"TEXTJOIN(\"-\", TRUE, [1,_;\"\",2])", "1-2"},
        {"TEXTJOIN(\"-\", FALSE, [1,_;\"\",2])", "1---2"},
        {"TEXTJOIN([\",\";\";\"], TRUE, \"a\", \"b\", \"c\")", "a,b;c"},
    });
}

TEST(TextFunctions, NumbersToTextAndBack) {
    expectAll({
        {"TEXT(1234.567, \"#,##0.00\")", "1,234.57"},
        {"TEXT(0.25, \"0%\")", "25%"},
        {"TEXT(43861, \"yyyy-mm-dd\")", "2020-01-31"},
        {"TEXT(\"12\", \"0.0\")", "12.0"},
        {"TEXT(\"abc\", \"0\")", "abc"},
        {"FIXED(1234.567)", "1,234.57"},
        {"FIXED(1234.567, 1, TRUE)", "1234.6"},
        {"FIXED(1234.567, -2)", "1,200"},
        {"FIXED(-0.5, 0)", "-1"},
        {"DOLLAR(1234.567)", "$1,234.57"},
        {"DOLLAR(-2.5, 0)", "($3)"},
        {"VALUE(\"1,234\")", "1234"},
        {"VALUE(\"12%\")", "0.12"},
        {"VALUE(\"13:30\")", "0.5625"},
        {"VALUE(\"x\")", "#VALUE!"},
        {"NUMBERVALUE(\"1.234,5\", \",\", \".\")", "1234.5"},
        {"NUMBERVALUE(\"2 500 %\")", "25"},
        {"NUMBERVALUE(\"\")", "0"},
        {"NUMBERVALUE(\"1.2.3\")", "#VALUE!"},
        {"NUMBERVALUE(\"3\", \".\", \".\")", "#VALUE!"},
    });
}

TEST(TextFunctions, CharacterCodes) {
    expectAll({
        {"CHAR(65)", "A"},
        {"CHAR(128)", "\xE2\x82\xAC"},
        {"CHAR(233)", "\xC3\xA9"},
        {"CHAR(0)", "#VALUE!"},
        {"CHAR(256)", "#VALUE!"},
        {"CODE(\"\xE2\x82\xAC"
         "x\")",
         "128"},
        {"CODE(\"A\")", "65"},
        {"CODE(\"\xCE\xA9\")", "63"},
        {"CODE(\"\")", "#VALUE!"},
        {"UNICHAR(8364)", "\xE2\x82\xAC"},
        {"UNICHAR(0)", "#VALUE!"},
        {"UNICHAR(55296)", "#VALUE!"},
        {"UNICODE(\"\xF0\x9F\x98\x80\")", "128512"},
    });
}
