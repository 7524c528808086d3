// The widest digit of common fonts, column widths measured in it, digit substitution by a
// format's locale code, and the repeated fill character of a format.

#include "engine/numfmt/DigitWidth.h"
#include "engine/numfmt/NativeDigits.h"
#include "engine/numfmt/NumberFormat.h"
#include "engine/numfmt/TextWidth.h"

#include <gtest/gtest.h>
#include <limits>

using namespace engine::numfmt;

namespace {

TEST(DigitWidth, CommonFontsAtCommonSizes) {
    struct Case {
        const char* family;
        double size;
        int pixels;
    };
    const Case cases[] = {
        {"Calibri", 11, 7}, {"calibri ", 11, 7},        {"Carlito", 11, 7},
        {"Calibri", 12, 8}, {"Calibri", 10, 7},         {"Arial", 10, 7},
        {"Arial", 12, 9},   {"Liberation Sans", 12, 9}, {"Verdana", 10, 8},
        {"Verdana", 11, 9}, {"Times New Roman", 12, 8}, {"Courier New", 10, 8},
        {"Tahoma", 10, 7},  {"Calibri", 22, 15},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maxDigitPixels(c.family, c.size), c.pixels) << c.family << " " << c.size;
}

TEST(DigitWidth, UnknownFontsAndDamagedSizesFallBackSoundly) {
    // An unknown family is measured as the default font, by its size.
    EXPECT_EQ(maxDigitPixels("Some Display Face", 11), 7);
    EXPECT_EQ(maxDigitPixels("Some Display Face", 16), 11);
    EXPECT_EQ(maxDigitPixels("", 11), 7);
    EXPECT_EQ(maxDigitPixels("Calibri", -4), 7);
    EXPECT_EQ(maxDigitPixels("Calibri", std::numeric_limits<double>::quiet_NaN()), 7);
    EXPECT_EQ(maxDigitPixels("Calibri", 0.1), 1);
    EXPECT_LE(maxDigitPixels("Verdana", 1e9), 400);
}

TEST(DigitWidth, ColumnWidthsInDigitsAndTheDefaultFromItsBase) {
    EXPECT_EQ(columnWidthPixels(64.0 / 7, 7), 64);
    EXPECT_EQ(columnWidthPixels(8.43 + 0.71, 7), 64);
    EXPECT_EQ(columnWidthPixels(10.7109375, 7), 75);
    EXPECT_EQ(columnWidthPixels(10.7109375, 8), 86);
    EXPECT_EQ(columnWidthPixels(0, 7), 0);
    EXPECT_EQ(columnWidthPixels(-3, 7), 0);
    EXPECT_EQ(columnWidthPixels(std::numeric_limits<double>::infinity(), 7), 0);
    EXPECT_EQ(columnWidthPixels(1e9, 7), 1792); // no wider than the application allows
    // Base 8: 8 digits and their padding, rounded up to 8 pixels.
    EXPECT_NEAR(widthFromBaseCharacters(8, 7), 64.0 / 7, 1e-12);
    EXPECT_NEAR(widthFromBaseCharacters(8, 8), 72.0 / 8, 1e-12);
    EXPECT_NEAR(widthFromBaseCharacters(8, 9), 80.0 / 9, 1e-12);
    EXPECT_NEAR(widthFromBaseCharacters(10, 7), 80.0 / 7, 1e-12);
}

TEST(DigitWidth, FitCheckUsesTheCellFontsDigits) {
    engine::Font calibri12;
    calibri12.size = 12;
    // Ten characters of a date: too wide for 75 pixels in 8-pixel digits, not for 86.
    EXPECT_EQ(fitNumberText("12/31/2024", 75, calibri12), "########");
    EXPECT_EQ(fitNumberText("12/31/2024", 86, calibri12), "12/31/2024");
    engine::Font calibri11;
    EXPECT_DOUBLE_EQ(estimateTextPixels("12345678", calibri11), 56);
    EXPECT_DOUBLE_EQ(estimateTextPixels("12345678", calibri12), 64);
}

std::string show(double value, const char* code) {
    Shown shown;
    NumberFormat::parse(code).formatNumber(value, engine::DateSystem::Date1900, shown);
    return shown.text;
}

TEST(NativeDigits, LocaleCodesNameTheNumeralSystem) {
    EXPECT_EQ(show(123.45, "[$-3000401]0.00"), "\xD9\xA1\xD9\xA2\xD9\xA3.\xD9\xA4\xD9\xA5");
    EXPECT_EQ(show(7, "[$-2000401]0"), "\xD9\xA7");
    EXPECT_EQ(show(7, "[$-3000429]0"), "\xDB\xB7");                  // Persian: the extended forms
    EXPECT_EQ(show(12, "[$-D00041E]0"), "\xE0\xB9\x91\xE0\xB9\x92"); // Thai
    EXPECT_EQ(show(5, "[$-4000439]0"), "\xE0\xA5\xAB");              // Devanagari
    // A date in the numeral system too.
    EXPECT_EQ(show(45657, "[$-2000401]d/m/yyyy"),
              "\xD9\xA3\xD9\xA1/\xD9\xA1\xD9\xA2/\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA4");
    // A currency locale alone, an unknown system and a malformed code keep ASCII digits.
    EXPECT_EQ(show(5, "[$\xE2\x82\xAC-407]0"), "\xE2\x82\xAC"
                                               "5");
    EXPECT_EQ(show(5, "[$-409]0"), "5");
    EXPECT_EQ(show(5, "[$-7F000401]0"), "5");
    EXPECT_EQ(show(5, "[$-zz]0"), "5");
    // Each section has its own code.
    EXPECT_EQ(show(-5, "0;[$-2000401]0"), "\xD9\xA5");
    EXPECT_EQ(show(5, "0;[$-2000401]0"), "5");
}

TEST(RepeatedFill, MarksWhereTheCharacterGoes) {
    Shown shown;
    NumberFormat::parse("_($* #,##0.00_)")
        .formatNumber(1234.5, engine::DateSystem::Date1900, shown);
    EXPECT_EQ(shown.text, " $1,234.50 ");
    EXPECT_EQ(shown.fill, " ");
    EXPECT_EQ(shown.fillAt, 2u);

    Shown dashes;
    NumberFormat::parse("@*\xE2\x80\x93").formatText("Total", dashes);
    EXPECT_EQ(dashes.text, "Total");
    EXPECT_EQ(dashes.fill, "\xE2\x80\x93");
    EXPECT_EQ(dashes.fillAt, 5u);

    // Only the first repetition counts; a lone star at the end repeats nothing.
    Shown twice;
    NumberFormat::parse("*x0*y").formatNumber(3, engine::DateSystem::Date1900, twice);
    EXPECT_EQ(twice.text, "3");
    EXPECT_EQ(twice.fill, "x");
    EXPECT_EQ(twice.fillAt, 0u);
    Shown lone;
    NumberFormat::parse("0*").formatNumber(3, engine::DateSystem::Date1900, lone);
    EXPECT_EQ(lone.text, "3");
    EXPECT_TRUE(lone.fill.empty());

    // With native digits the place stays right.
    Shown both;
    NumberFormat::parse("[$-2000401]0* \"SAR\"")
        .formatNumber(12, engine::DateSystem::Date1900, both);
    EXPECT_EQ(both.text, "\xD9\xA1\xD9\xA2SAR");
    EXPECT_EQ(both.fillAt, 4u);
}

} // namespace
