#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

TEST(ThaiFunctions, DigitsAndDisplayLength) {
    expectAll({
        {"THAIDIGIT(\"a1 2.5\")", "a๑ ๒.๕"},
        {"THAIDIGIT(1234)", "๑๒๓๔"},
        {"THAIDIGIT(#N/A)", "#N/A"},
        {"ISTHAIDIGIT(\"๑๒\")", "TRUE"},
        {"ISTHAIDIGIT(\"๑2\")", "FALSE"},
        {"ISTHAIDIGIT(\"\")", "FALSE"},
        {"THAINUMSTRING(-1.5)", "-๑.๕"},
        // Vowel signs above and below and tone marks take no place of their own.
        {"THAISTRINGLENGTH(\"ที่\")", "1"},
        {"THAISTRINGLENGTH(\"น้ำ\")", "2"},
        {"THAISTRINGLENGTH(\"abc\")", "3"},
    });
}

TEST(ThaiFunctions, NumbersReadAloud) {
    expectAll({
        {"THAINUMSOUND(121)", "หนึ่งร้อยยี่สิบเอ็ด"},
        {"THAINUMSOUND(1000001)", "หนึ่งล้านเอ็ด"},
        {"THAINUMSOUND(0)", "ศูนย์"},
        {"THAINUMSOUND(-12.5)", "ลบสิบสองจุดห้า"},
        {"THAINUMSOUND(0.05)", "ศูนย์จุดศูนย์ห้า"},
        {"THAINUMSOUND(1E+15)", "#NUM!"},
        {"THAINUMSOUND(\"x\")", "#VALUE!"},
        // Spelling moved out of BAHTTEXT: it must still say the same.
        {"BAHTTEXT(101.21)", "หนึ่งร้อยเอ็ดบาทยี่สิบเอ็ดสตางค์"},
    });
}

TEST(ThaiFunctions, CalendarNames) {
    expectAll({
        {"THAIYEAR(45000)", "2566"},    // 15 March 2023
        {"THAIDAYOFWEEK(45000)", "พุธ"}, // a Wednesday
        {"THAIDAYOFWEEK(45004)", "อาทิตย์"},
        {"THAIDAYOFWEEK(\"2023-03-18\")", "เสาร์"},
        {"THAIYEAR(-1)", "#NUM!"},
        {"THAIMONTHOFYEAR(1)", "มกราคม"},
        {"THAIMONTHOFYEAR(12.9)", "ธันวาคม"},
        {"THAIMONTHOFYEAR(0)", "#VALUE!"},
        {"THAIMONTHOFYEAR(13)", "#VALUE!"},
    });
    expectAll({{"THAIYEAR(0)", "2447"}}, engine::DateSystem::Date1904); // 1 January 1904
}

TEST(ThaiFunctions, RoundingToQuarterBaht) {
    expectAll({
        {"ROUNDBAHTDOWN(10.6)", "10.5"},
        {"ROUNDBAHTUP(10.6)", "10.75"},
        {"ROUNDBAHTUP(10.75)", "10.75"},
        {"ROUNDBAHTDOWN(0.7499999999999999)", "0.75"}, // as shown, 0.75 already
        {"ROUNDBAHTUP(0.7500000000000001)", "0.75"},
        {"ROUNDBAHTDOWN(-10.6)", "-10.5"},
        {"ROUNDBAHTUP(-10.6)", "-10.75"},
        {"ROUNDBAHTUP(\"x\")", "#VALUE!"},
        {"ROUNDBAHTUP(1E+308)", "#NUM!"}, // four times it is no number
    });
}
