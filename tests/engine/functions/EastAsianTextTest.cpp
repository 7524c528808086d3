#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(EastAsianText, NumbersInChineseCharacters) {
    expectAll({
        {"NUMBERSTRING(10, 1)", "一十"},
        {"NUMBERSTRING(515155643, 1)", "五亿一千五百一十五万五千六百四十三"},
        {"NUMBERSTRING(515155643, 2)", "伍亿壹仟伍佰壹拾伍万伍仟陆佰肆拾叁"},
        {"NUMBERSTRING(515155643, 3)", "五一五一五五六四三"},
        {"NUMBERSTRING(743, 2)", "柒佰肆拾叁"},
        {"NUMBERSTRING(45.46, 1)", "四十五"},
        {"NUMBERSTRING(45.5, 1)", "四十六"},
        // A run of zeros between written digits is written once, also across groups.
        {"NUMBERSTRING(1001, 2)", "壹仟零壹"},
        {"NUMBERSTRING(1010, 1)", "一千〇一十"},
        {"NUMBERSTRING(100000001, 1)", "一亿〇一"},
        {"NUMBERSTRING(10010000, 1)", "一千〇一万"},
        {"NUMBERSTRING(1000100, 1)", "一百万〇一百"},
        {"NUMBERSTRING(1000000000000, 1)", "一万亿"},
        {"NUMBERSTRING(0, 2)", "零"},
        {"NUMBERSTRING(105, 3)", "一〇五"},
        {"NUMBERSTRING(-5, 2)", "负伍"},
        {"NUMBERSTRING(5, 4)", "#VALUE!"},
        {"NUMBERSTRING(5, 0)", "#VALUE!"},
        {"NUMBERSTRING(1E+16, 1)", "#NUM!"},
        {"NUMBERSTRING(\"x\", 1)", "#VALUE!"},
    });
}

TEST(EastAsianText, DatesAndReadings) {
    expectAll({
        {"DATESTRING(45000)", "23年03月15日"},
        {"DATESTRING(\"2008-01-01\")", "08年01月01日"},
        {"DATESTRING(-1)", "#NUM!"},
        {"DATESTRING(\"x\")", "#VALUE!"},
        // Without phonetic runs, the reading of a cell is its text; numbers add nothing.
        {"PHONETIC([\"東京\"])", "東京"},
        {"PHONETIC([\"a\",1;_,\"b\"])", "ab"},
        {"PHONETIC(\"かな\")", "かな"},
        {"PHONETIC(#N/A)", "#N/A"},
        {"JIS(\"ｱｲ ab1\")", "アイ　ａｂ１"},
    });
}

TEST(WebAndShares, EncodeUrlAndPercentOf) {
    expectAll({
        {"ENCODEURL(\"http://contoso.sharepoint.com/teams/Finance/April Reports/Q1.xlsx\")",
         "http%3A%2F%2Fcontoso.sharepoint.com%2Fteams%2FFinance%2FApril%20Reports%2FQ1.xlsx"},
        {"ENCODEURL(\"a-b_c.d~e\")", "a-b_c.d~e"},
        {"ENCODEURL(\"é&=?\")", "%C3%A9%26%3D%3F"},
        {"ENCODEURL(12.5)", "12.5"},
        {"PERCENTOF([10,20], [10,20,30,40])", "0.3"},
        {"PERCENTOF([10,\"x\"], [10,\"y\",30])", "0.25"},
        {"PERCENTOF(5, 20)", "0.25"},
        {"PERCENTOF([1], [0])", "#DIV/0!"},
        {"PERCENTOF([1,#N/A], [1])", "#N/A"},
        {"PERCENTOF([1], [#REF!])", "#REF!"},
        {"PERCENTOF([1E+308,1E+308], [1E+308,1E+308])", "#NUM!"},
    });
}
