// Whether a number's text fits its cell, measured as the application measures it.

#include "engine/numfmt/TextWidth.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace engine::numfmt;

TEST(TextWidth, DigitsAreSevenPixelsAtTheDefaultSizeAndScale) {
    EXPECT_DOUBLE_EQ(estimateTextPixels("", 11), 0);
    EXPECT_DOUBLE_EQ(estimateTextPixels("12345678", 11), 56);
    EXPECT_DOUBLE_EQ(estimateTextPixels("12345678", 22), 112);
    // Narrow punctuation counts less than a digit; a UTF-8 character counts once.
    EXPECT_LT(estimateTextPixels("1,000.00", 11), estimateTextPixels("10000000", 11));
    EXPECT_DOUBLE_EQ(estimateTextPixels("\xE2\x82\xAC", 11), estimateTextPixels("A", 11));
    // A damaged size falls back to the default.
    EXPECT_DOUBLE_EQ(estimateTextPixels("1", -3), 7);
}

TEST(TextWidth, NumbersTooWideForTheirCellBecomeHashes) {
    // The default 64-pixel column takes eight digits and shows eight signs for a ninth.
    EXPECT_EQ(fitNumberText("12345678", 64, 11), "12345678");
    EXPECT_EQ(fitNumberText("123456789", 64, 11), "########");
    EXPECT_EQ(fitNumberText("$1,234,567.89", 64, 11), "########");
    EXPECT_EQ(fitNumberText("$1,234,567.89", 120, 11), "$1,234,567.89");
    // Larger fonts need more room and fill with fewer, wider signs.
    EXPECT_EQ(fitNumberText("12345", 64, 22), "####");
    // A very narrow column still shows one sign; an empty text stays empty.
    EXPECT_EQ(fitNumberText("1234", 3, 11), "#");
    EXPECT_EQ(fitNumberText("", 3, 11), "");
}

TEST(TextWidth, GeneralNumbersRoundToFitBeforeTurningScientificOrHashes) {
    struct Case {
        double value;
        const char* general;
        int pixels;
        const char* shown;
    };
    const Case cases[] = {
        {1234.5, "1234.5", 64, "1234.5"},
        {3.14159265358979, "3.141592654", 64, "3.141593"},
        {-2.71828182845905, "-2.718281828", 40, "-2.72"},
        {0.000123456789, "0.000123457", 64, "0.000123"},
        {2.5000001, "2.5000001", 30, "2.5"},
        {1.125, "1.125", 30, "1.13"},
        {123456789, "123456789", 64, "1.23E+08"},
        {123456789012.0, "1.23457E+11", 64, "1.23E+11"},
        {1e-20, "1E-20", 30, "###"},
        {99.99, "99.99", 16, "#"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitGeneralNumber(c.value, c.general, c.pixels, 11), c.shown) << c.general;
}

TEST(TextWidth, RoundingIgnoresTheProcessLocale) {
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    const char* chosen = nullptr;
    for (const char* name : candidates)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    std::string shown = fitGeneralNumber(3.14159265358979, "3.141592654", 64, 11);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(shown, "3.141593");
}
