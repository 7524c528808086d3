// The writing every drawing's SVG shares: numbers, colours, escaped text and elements.

#include "engine/svg/SvgWriter.h"

#include <gtest/gtest.h>
#include <limits>

using namespace engine::svg;

namespace {

std::string number(double value, int decimals) {
    std::string out;
    appendNumber(out, value, decimals);
    return out;
}

TEST(SvgNumbers, AreShortFixedRoundedAndBounded) {
    struct Row {
        double value;
        int decimals;
        const char* text;
    };
    const Row rows[] = {
        {1.5, 2, "1.5"},
        {2.0, 2, "2"},
        {-3.456, 2, "-3.46"},
        {0.125, 2, "0.13"}, // halves away from zero, not to even
        {-0.125, 2, "-0.13"},
        {0.05, 2, "0.05"}, // a leading zero in the decimals is kept
        {0.15, 1, "0.2"},
        {-0.5, 1, "-0.5"},
        {-1.25, 1, "-1.3"},
        {-0.001, 2, "0"}, // no "-0"
        {-0.04, 1, "0"},
        {12.34, 0, "12"},
        {1e20, 2, "10000000"},
        {-1e20, 1, "-10000000"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "0"},
        {std::numeric_limits<double>::infinity(), 1, "0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(number(row.value, row.decimals), row.text) << row.value << " " << row.decimals;
}

TEST(SvgColors, AreUpperCaseRgb) {
    EXPECT_EQ(colorText(0x336699), "#336699");
    EXPECT_EQ(colorText(0x0A0B0C), "#0A0B0C");
    EXPECT_EQ(colorText(0xFF00FF00), "#00FF00"); // bits above the colour are ignored
}

TEST(SvgText, IsEscapedCleanedAndCutOnACharacter) {
    std::string out;
    appendText(out, "a<b & \"c\"\x01");
    EXPECT_EQ(out, "a&lt;b &amp; &quot;c&quot;\xEF\xBF\xBD");
    out.clear();
    appendText(out, "x\xC3\xA9y", 2); // é takes bytes 2 and 3: cut before it
    EXPECT_EQ(out, "x");
}

TEST(SvgWriter, WritesElementsAttributeByAttribute) {
    std::string out;
    Writer writer(out, 1);
    writer.open("rect").number("x", 1.25).color("fill", 0xFF0000).raw("rx", "2").close();
    writer.open("text").text("font-family", "A&B", 64).content();
    writer.point(-0.5, 3);
    writer.end("text");
    EXPECT_EQ(out, "<rect x=\"1.3\" fill=\"#FF0000\" rx=\"2\"/>"
                   "<text font-family=\"A&amp;B\">-0.5 3</text>");
}

TEST(SvgWriter, WritesListsOfNumbersAndTransformsAtItsDecimals) {
    std::string out;
    Writer writer(out, 2);
    const double box[] = {0, -1.005, 1e9, 2.5};
    const double turn[] = {-30.125, 4, 0};
    const double none[] = {0};
    writer.open("g").numbers("viewBox", box).transform("rotate", turn);
    writer.numbers("stroke-dasharray", std::span<const double>(none, 0)).content();
    EXPECT_EQ(out, "<g viewBox=\"0 -1 10000000 2.5\" transform=\"rotate(-30.13 4 0)\" "
                   "stroke-dasharray=\"\">");
}

} // namespace
