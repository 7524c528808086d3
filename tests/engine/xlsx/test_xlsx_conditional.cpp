// Conditional formats and their differential styles as the OOXML reader takes them.

#include "engine/base/Limits.h"
#include "engine/web/ConditionalLooks.h"
#include "engine/xlsx/ConditionalFormats.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;

namespace {

const char* styles = "<dxfs count=\"2\"><dxf><font><b/><color rgb=\"FF9C0006\"/></font>"
                     "<fill><patternFill><bgColor rgb=\"FFFFC7CE\"/></patternFill></fill></dxf>"
                     "<dxf><border><bottom style=\"thin\"><color rgb=\"FF0000FF\"/></bottom>"
                     "</border></dxf></dxfs>";

TEST(XlsxConditional, RulesRangesAndDifferentialStyles) {
    const Workbook book = xlsx::readPackage(
        minimalWorkbook(
            {"<sheetData/>"
             "<conditionalFormatting sqref=\"B2:B10 D2\">"
             "<cfRule type=\"cellIs\" dxfId=\"0\" priority=\"2\" operator=\"between\">"
             "<formula>5</formula><formula>\"ten\"</formula></cfRule>"
             "<cfRule type=\"expression\" dxfId=\"1\" priority=\"1\" stopIfTrue=\"1\">"
             "<formula>$C2&gt;=B$1</formula></cfRule>"
             "<cfRule type=\"expression\" priority=\"3\"><formula>MOD(ROW(),2)=0</formula>"
             "</cfRule></conditionalFormatting>"
             "<conditionalFormatting sqref=\"A1:A5\"><cfRule type=\"colorScale\" priority=\"4\">"
             "<colorScale><cfvo type=\"min\"/><cfvo type=\"percentile\" val=\"50\"/>"
             "<cfvo type=\"max\"/><color rgb=\"FFF8696B\"/><color rgb=\"FFFFEB84\"/>"
             "<color rgb=\"FF63BE7B\"/></colorScale></cfRule>"
             "<cfRule type=\"iconSet\" priority=\"5\"><iconSet iconSet=\"3Arrows\" reverse=\"1\">"
             "<cfvo type=\"percent\" val=\"0\"/><cfvo type=\"num\" val=\"33\" gte=\"0\"/>"
             "<cfvo type=\"formula\" val=\"$Z$1\"/></iconSet></cfRule>"
             "<cfRule type=\"timePeriod\" timePeriod=\"today\" priority=\"6\"/>"
             "</conditionalFormatting>"
             "<conditionalFormatting sqref=\"bogus\"><cfRule type=\"top10\"/>"
             "</conditionalFormatting>"},
            {}, styles)
            .bytes());
    ASSERT_EQ(book.differentialStyles.size(), 2u);
    const DifferentialStyle& bad = book.differentialStyles[0];
    EXPECT_EQ(bad.bold, true);
    EXPECT_EQ(bad.fontColor, Color::fromRgb(0x9C0006));
    EXPECT_EQ(bad.fill, Color::fromRgb(0xFFC7CE));
    ASSERT_TRUE(book.differentialStyles[1].bottom);
    EXPECT_EQ(book.differentialStyles[1].bottom->style, BorderStyle::Thin);
    EXPECT_EQ(book.differentialStyles[1].bottom->color, Color::fromRgb(0x0000FF));

    const Sheet& sheet = book.sheets[0];
    ASSERT_EQ(sheet.conditionalFormats.size(), 2u); // the one without a range is dropped
    const ConditionalFormat& first = sheet.conditionalFormats[0];
    ASSERT_EQ(first.ranges.size(), 2u);
    EXPECT_EQ(first.ranges[1], (Range{1, 1, 3, 3}));
    ASSERT_EQ(first.rules.size(), 3u);
    const ConditionalRule& between = first.rules[0];
    EXPECT_EQ(between.kind, ConditionalKind::CellIs);
    EXPECT_EQ(between.op, ConditionalOperator::Between);
    ASSERT_EQ(between.operands.size(), 2u);
    EXPECT_EQ(between.operands[0].number, 5);
    EXPECT_EQ(between.operands[1].text, "ten");
    EXPECT_EQ(between.style, 0u);
    const ConditionalRule& expression = first.rules[1];
    EXPECT_EQ(expression.kind, ConditionalKind::Expression);
    EXPECT_TRUE(expression.stopIfTrue);
    EXPECT_EQ(expression.op, ConditionalOperator::GreaterOrEqual);
    ASSERT_EQ(expression.operands.size(), 2u);
    EXPECT_TRUE(expression.operands[0].absoluteCol);
    EXPECT_EQ(expression.operands[0].col, 2);
    EXPECT_EQ(expression.operands[0].rowOffset, 0);
    EXPECT_TRUE(expression.operands[1].absoluteRow);
    EXPECT_EQ(expression.operands[1].colOffset, 0);
    EXPECT_EQ(first.rules[2].kind, ConditionalKind::Unsupported);

    const ConditionalFormat& second = sheet.conditionalFormats[1];
    ASSERT_EQ(second.rules.size(), 3u);
    EXPECT_EQ(second.rules[0].kind, ConditionalKind::ColorScale);
    ASSERT_EQ(second.rules[0].thresholds.size(), 3u);
    EXPECT_EQ(second.rules[0].thresholds[1].kind, ConditionalValue::Kind::Percentile);
    EXPECT_EQ(second.rules[0].colors.size(), 3u);
    // An icon threshold that is a formula of another cell cannot be known.
    EXPECT_EQ(second.rules[1].kind, ConditionalKind::Unsupported);
    EXPECT_EQ(second.rules[2].kind, ConditionalKind::Unsupported);
}

TEST(XlsxConditional, OperandsAreConstantsOrSingleCells) {
    auto operand = [](const char* formula) { return xlsx::parseOperand(formula, 4, 2); };
    EXPECT_EQ(operand("-2.5")->number, -2.5);
    EXPECT_EQ(operand("\"say \"\"hi\"\"\"")->text, "say \"hi\"");
    EXPECT_EQ(operand("TRUE")->number, 1);
    const auto cell = operand("$A7");
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->kind, ConditionalOperand::Kind::Cell);
    EXPECT_TRUE(cell->absoluteCol);
    EXPECT_FALSE(cell->absoluteRow);
    EXPECT_EQ(cell->rowOffset, 2);
    for (const char* unsupported : {"", "A1:B2", "SUM(A1)", "\"open", "Sheet2!A1", "A1+1"})
        EXPECT_FALSE(operand(unsupported)) << unsupported;
}

TEST(XlsxConditional, RangesOfOneFormatAreCappedAsInBinaryWorkbooks) {
    std::string sqref;
    for (std::size_t i = 0; i < engine::limits::maxConditionalRanges + 10; ++i)
        sqref += "A" + std::to_string(i + 1) + " ";
    const Workbook book =
        xlsx::readPackage(minimalWorkbook({"<sheetData/><conditionalFormatting sqref=\"" + sqref +
                                           "\"><cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" "
                                           "operator=\"equal\"><formula>1</formula></cfRule>"
                                           "</conditionalFormatting>"},
                                          {}, styles)
                              .bytes());
    ASSERT_EQ(book.sheets[0].conditionalFormats.size(), 1u);
    EXPECT_EQ(book.sheets[0].conditionalFormats[0].ranges.size(),
              engine::limits::maxConditionalRanges);
}

} // namespace

TEST(XlsxConditional, IconSetsBeyondArrowsAndLightsHaveTheirOwnShapes) {
    const auto icon = [](const std::string& set, int count, int index) {
        web::CellLook look;
        look.iconSet = set;
        look.iconCount = count;
        look.icon = index;
        std::string out;
        web::appendLookIcon(out, look);
        return out;
    };
    EXPECT_NE(icon("3Flags", 3, 0).find("color:#FF0000\">&#x2691;"), std::string::npos);
    EXPECT_NE(icon("3Stars", 3, 2).find("&#x2605;"), std::string::npos);
    EXPECT_NE(icon("3Stars", 3, 0).find("&#x2606;"), std::string::npos);
    EXPECT_NE(icon("5Quarters", 5, 0).find("&#x25CB;"), std::string::npos);
    EXPECT_NE(icon("5Quarters", 5, 4).find("&#x25CF;"), std::string::npos);
    EXPECT_NE(icon("3Symbols", 3, 2).find("color:#00B050\">&#x2714;"), std::string::npos);
    EXPECT_NE(icon("4RedToBlack", 4, 0).find("color:#000000"), std::string::npos);
    // Ratings fill as many of their four bars as the band is high: none for the lowest of five.
    const std::string lowest = icon("5Rating", 5, 0), highest = icon("4Rating", 4, 3);
    EXPECT_EQ(lowest.find("#4472C4"), std::string::npos);
    EXPECT_EQ(highest.find("#D9D9D9"), std::string::npos);
    EXPECT_NE(highest.find("&#x2588;"), std::string::npos);
}

TEST(XlsxConditional, DifferentialStylesSetOnlyWhatTheyName) {
    // Read as cell fonts and borders are read, yet what a dxf leaves out stays unset.
    const Workbook book = xlsx::readPackage(
        minimalWorkbook({"<sheetData/>"}, {},
                        "<dxfs count=\"1\"><dxf><font><b val=\"0\"/><u val=\"doubleAccounting\"/>"
                        "</font><border><start style=\"dashed\"/><end/></border></dxf></dxfs>")
            .bytes());
    ASSERT_EQ(book.differentialStyles.size(), 1u);
    const DifferentialStyle& style = book.differentialStyles[0];
    EXPECT_EQ(style.bold, false);
    EXPECT_FALSE(style.italic);
    EXPECT_EQ(style.underline, Underline::DoubleAccounting);
    EXPECT_FALSE(style.fontColor);
    ASSERT_TRUE(style.left);
    EXPECT_EQ(style.left->style, BorderStyle::Dashed);
    EXPECT_FALSE(style.right); // an edge without a style draws nothing
    EXPECT_FALSE(style.top);
}

TEST(XlsxConditional, DifferentialSolidFillsShowTheirBackgroundColour) {
    // One fill read into the cells' table and into a dxf: a cell's solid fill shows fgColor,
    // a differential one bgColor.
    const std::string both = "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF00FF00\"/>"
                             "<bgColor rgb=\"FFFF0000\"/></patternFill></fill>";
    const std::string dxfs =
        "<dxf>" + both + "</dxf>" +
        // some writers give the foreground alone
        "<dxf><fill><patternFill><fgColor rgb=\"FF0000FF\"/></patternFill>"
        "</fill></dxf>"
        // no fill hides the cell's own
        "<dxf><fill><patternFill patternType=\"none\"/></fill></dxf>"
        // nothing named leaves the cell's fill alone
        "<dxf><fill/></dxf>"
        "<dxf><fill><gradientFill><stop position=\"0\"><color rgb=\"FF123456\"/>"
        "</stop><stop position=\"1\"><color rgb=\"FF654321\"/></stop>"
        "</gradientFill></fill></dxf>";
    const Workbook book = xlsx::readPackage(
        minimalWorkbook({"<sheetData/>"}, {},
                        "<fills count=\"1\">" + both + "</fills><dxfs>" + dxfs + "</dxfs>")
            .bytes());
    ASSERT_EQ(book.fills.size(), 1u);
    EXPECT_EQ(book.fills[0].pattern, FillPattern::Solid);
    EXPECT_EQ(book.fills[0].foreground, Color::fromRgb(0x00FF00));
    ASSERT_EQ(book.differentialStyles.size(), 5u);
    EXPECT_EQ(book.differentialStyles[0].fill, Color::fromRgb(0xFF0000));
    EXPECT_EQ(book.differentialStyles[1].fill, Color::fromRgb(0x0000FF));
    EXPECT_EQ(book.differentialStyles[2].fill, Color{});
    EXPECT_FALSE(book.differentialStyles[3].fill);
    EXPECT_EQ(book.differentialStyles[4].fill, Color::fromRgb(0x123456));
}
