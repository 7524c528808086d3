// Named and automatic styles: inheritance, fonts, fills, borders and alignment, and data styles
// turned into the format codes the pages render.

#include "engine/numfmt/CellText.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/ods/OdsBuilder.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::odsContent;
using testing_support::odsPackage;
using testing_support::odsStyles;
using testing_support::odsTable;

namespace {

// A workbook whose one cell has automatic style "c" made of `cellStyle` properties and data
// style "N" (`dataStyle`), over the named styles `named`.
Workbook readStyled(const std::string& cellStyle, const std::string& dataStyle = {},
                    const std::string& named = {}, const std::string& value = "1") {
    const std::string automatic = dataStyle +
                                  "<style:style style:name=\"c\" style:family=\"table-cell\" "
                                  "style:parent-style-name=\"Default\"" +
                                  (dataStyle.empty() ? "" : " style:data-style-name=\"N\"") + ">" +
                                  cellStyle + "</style:style>";
    const std::string table = odsTable("<table:table-row><table:table-cell table:style-name=\"c\" "
                                       "office:value-type=\"float\" office:value=\"" +
                                       value + "\"/></table:table-row>");
    return readWorkbookBytes(odsPackage(odsContent(table, automatic), odsStyles(named)).bytes());
}

const CellFormat& formatOf(const Workbook& book) {
    return book.cellFormats.at(book.sheets.at(0).cells.at(0).format);
}

const std::string defaultStyles =
    "<style:default-style style:family=\"table-cell\"><style:text-properties "
    "style:font-name=\"Liberation Sans\" fo:font-size=\"10pt\"/></style:default-style>"
    "<style:style style:name=\"Default\" style:family=\"table-cell\"/>"
    "<style:style style:name=\"Heading\" style:family=\"table-cell\" "
    "style:parent-style-name=\"Default\"><style:text-properties fo:font-weight=\"bold\" "
    "fo:font-size=\"14pt\"/></style:style>";

TEST(OdsStyles, FontsInheritFromNamedStylesAndTheDefault) {
    const Workbook book = readWorkbookBytes(
        odsPackage(odsContent(odsTable("<table:table-row><table:table-cell table:style-name=\"h\" "
                                       "office:value-type=\"string\"><text:p>x</text:p>"
                                       "</table:table-cell></table:table-row>"),
                              "<style:style style:name=\"h\" style:family=\"table-cell\" "
                              "style:parent-style-name=\"Heading\"><style:text-properties "
                              "fo:font-style=\"italic\" fo:color=\"#ff0000\" "
                              "style:text-underline-style=\"solid\"/></style:style>"),
                   odsStyles("<office:font-face-decls/>" + defaultStyles))
            .bytes());
    const Font& font = book.fonts.at(formatOf(book).font);
    EXPECT_EQ(font.name, "Liberation Sans");
    EXPECT_DOUBLE_EQ(font.size, 14);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_EQ(font.underline, Underline::Single);
    EXPECT_EQ(font.color, Color::fromRgb(0xFF0000));
    // The default format is the document's default cell style.
    EXPECT_DOUBLE_EQ(book.fonts.at(book.cellFormats.at(0).font).size, 10);
    EXPECT_FALSE(book.fonts.at(book.cellFormats.at(0).font).bold);
}

TEST(OdsStyles, FillsBordersAndAlignment) {
    const Workbook book = readStyled(
        "<style:table-cell-properties fo:background-color=\"#ffff00\" "
        "fo:border-left=\"0.74pt solid #000000\" fo:border-bottom=\"2.5pt solid #0000ff\" "
        "fo:border-top=\"0.74pt dashed #000000\" fo:border-right=\"none\" "
        "style:vertical-align=\"middle\" fo:wrap-option=\"wrap\" style:rotation-angle=\"90\" "
        "style:text-align-source=\"fix\"/>"
        "<style:paragraph-properties fo:text-align=\"center\"/>");
    const CellFormat& format = formatOf(book);
    const Fill& fill = book.fills.at(format.fill);
    EXPECT_EQ(fill.pattern, FillPattern::Solid);
    EXPECT_EQ(fill.foreground, Color::fromRgb(0xFFFF00));
    const Border& border = book.borders.at(format.border);
    EXPECT_EQ(border.left.style, BorderStyle::Thin);
    EXPECT_EQ(border.bottom.style, BorderStyle::Thick);
    EXPECT_EQ(border.bottom.color, Color::fromRgb(0x0000FF));
    EXPECT_EQ(border.top.style, BorderStyle::Dashed);
    EXPECT_EQ(border.right.style, BorderStyle::None);
    EXPECT_EQ(format.alignment.horizontal, HAlign::Center);
    EXPECT_EQ(format.alignment.vertical, VAlign::Center);
    EXPECT_TRUE(format.alignment.wrap);
    EXPECT_EQ(format.alignment.rotation, 90);
}

TEST(OdsStyles, TextTurnedDownwardsAndDiagonalLines) {
    // 270 degrees anticlockwise reads downwards, as -90 does; angles may carry a unit.
    for (const char* angle : {"270", "270deg", "-90", "300grad", "4.712389rad"}) {
        SCOPED_TRACE(angle);
        const Workbook book = readStyled(std::string("<style:table-cell-properties "
                                                     "style:rotation-angle=\"") +
                                         angle + "\"/>");
        EXPECT_EQ(formatOf(book).alignment.rotation, -90);
    }
    EXPECT_EQ(formatOf(readStyled("<style:table-cell-properties style:rotation-angle=\"180\"/>"))
                  .alignment.rotation,
              0);

    const Workbook crossed =
        readStyled("<style:table-cell-properties style:diagonal-bl-tr=\"0.74pt solid #ff0000\" "
                   "style:diagonal-tl-br=\"none\"/>");
    const Border& up = crossed.borders.at(formatOf(crossed).border);
    EXPECT_TRUE(up.diagonalUp);
    EXPECT_FALSE(up.diagonalDown);
    EXPECT_EQ(up.diagonal.style, BorderStyle::Thin);
    EXPECT_EQ(up.diagonal.color, Color::fromRgb(0xFF0000));
    const Workbook both =
        readStyled("<style:table-cell-properties style:diagonal-bl-tr=\"0.74pt solid #000000\" "
                   "style:diagonal-tl-br=\"2.5pt solid #0000ff\"/>");
    const Border& cross = both.borders.at(formatOf(both).border);
    EXPECT_TRUE(cross.diagonalUp && cross.diagonalDown);
    EXPECT_EQ(cross.diagonal.style, BorderStyle::Thick);
}

TEST(OdsStyles, TheDefaultCellStylesLanguageIsTheWorkbooks) {
    const auto languageOf = [](const std::string& properties) {
        return readStyled("", {},
                          "<style:default-style style:family=\"table-cell\">"
                          "<style:text-properties " +
                              properties + "/></style:default-style>")
            .language;
    };
    EXPECT_EQ(languageOf("fo:language=\"de\" fo:country=\"AT\""), "de-AT");
    EXPECT_EQ(languageOf("fo:language=\"fi\" fo:country=\"none\""), "fi");
    EXPECT_EQ(languageOf("fo:language=\"zxx\" fo:country=\"none\""), "");
    EXPECT_EQ(languageOf("fo:font-size=\"10pt\""), "");
    // A paragraph style's language is its text's, not the workbook's.
    EXPECT_EQ(readStyled("", {},
                         "<style:default-style style:family=\"paragraph\"><style:text-properties "
                         "fo:language=\"fr\" fo:country=\"FR\"/></style:default-style>")
                  .language,
              "");
}

TEST(OdsStyles, AlignmentByValueTypeIsGeneral) {
    const Workbook book =
        readStyled("<style:table-cell-properties style:text-align-source=\"value-type\"/>"
                   "<style:paragraph-properties fo:text-align=\"start\"/>");
    EXPECT_EQ(formatOf(book).alignment.horizontal, HAlign::General);
}

TEST(OdsStyles, ALoopOfParentsEnds) {
    const Workbook book = readWorkbookBytes(
        odsPackage(odsContent(odsTable("<table:table-row><table:table-cell table:style-name=\"a\" "
                                       "office:value-type=\"float\" office:value=\"1\"/>"
                                       "</table:table-row>"),
                              "<style:style style:name=\"a\" style:family=\"table-cell\" "
                              "style:parent-style-name=\"b\"/>"
                              "<style:style style:name=\"b\" style:family=\"table-cell\" "
                              "style:parent-style-name=\"a\"/>"))
            .bytes());
    EXPECT_EQ(book.sheets.at(0).cells.size(), 1u);
}

TEST(OdsStyles, SpansOfTextStylesBecomeRunsOverTheCellsFont) {
    const std::string table = odsTable(
        "<table:table-row><table:table-cell table:style-name=\"big\" office:value-type=\"string\">"
        "<text:p>plain <text:span text:style-name=\"T1\">bold <text:span text:style-name=\"T2\">"
        "red</text:span></text:span> end</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"string\"><text:p>x<text:span>y</text:span>"
        "</text:p></table:table-cell></table:table-row>");
    const std::string automatic =
        "<style:style style:name=\"big\" style:family=\"table-cell\"><style:text-properties "
        "fo:font-size=\"16pt\"/></style:style>"
        "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
        "fo:font-weight=\"bold\"/></style:style>"
        "<style:style style:name=\"T2\" style:family=\"text\"><style:text-properties "
        "fo:color=\"#ff0000\"/></style:style>";
    const Workbook book = readWorkbookBytes(odsPackage(odsContent(table, automatic)).bytes());
    const RichText& rich = book.strings.at(book.sheets.at(0).cells.at(0).text);
    EXPECT_EQ(rich.text, "plain bold red end");
    ASSERT_EQ(rich.runs.size(), 3u);
    EXPECT_EQ(rich.runs[0].start, 6u);
    const Font& bold = book.fonts.at(rich.runs[0].font);
    EXPECT_TRUE(bold.bold);
    EXPECT_DOUBLE_EQ(bold.size, 16);
    // A nested span adds its properties to the outer span's.
    EXPECT_EQ(rich.runs[1].start, 11u);
    EXPECT_EQ(book.fonts.at(rich.runs[1].font).color, Color::fromRgb(0xFF0000));
    EXPECT_TRUE(book.fonts.at(rich.runs[1].font).bold);
    EXPECT_EQ(rich.runs[2].start, 14u);
    EXPECT_EQ(rich.runs[2].font, 0u);
    // A span without a style changes nothing.
    EXPECT_TRUE(book.strings.at(book.sheets.at(0).cells.at(1).text).runs.empty());
}

TEST(OdsStyles, WhatNoFormatCodeCanSayShowsTheSuitesText) {
    const std::string table =
        odsTable("<table:table-row><table:table-cell table:style-name=\"q\" "
                 "office:value-type=\"date\" office:date-value=\"2021-05-01\"><text:p>Q2 2021"
                 "</text:p></table:table-cell></table:table-row>");
    const std::string automatic =
        "<number:date-style style:name=\"NQ\"><number:quarter/><number:text> </number:text>"
        "<number:year number:style=\"long\"/></number:date-style>"
        "<style:style style:name=\"q\" style:family=\"table-cell\" "
        "style:data-style-name=\"NQ\"/>";
    const Workbook book = readWorkbookBytes(odsPackage(odsContent(table, automatic)).bytes());
    const Cell& cell = book.sheets.at(0).cells.at(0);
    ASSERT_EQ(cell.type, CellType::Text);
    EXPECT_EQ(book.strings.at(cell.text).text, "Q2 2021");
}

struct DataStyleCase {
    const char* name;
    const char* xml; // the data style "N"
    const char* code;
    double value;
    const char* shown; // nullptr: not checked
};

class OdsDataStyles : public testing::TestWithParam<DataStyleCase> {};

TEST_P(OdsDataStyles, BecomeFormatCodes) {
    const DataStyleCase& c = GetParam();
    const Workbook book = readStyled("", c.xml, {}, std::to_string(c.value));
    const CellFormat& format = formatOf(book);
    const std::string code =
        format.numFmtId == 0 ? "General" : book.numberFormats.at(format.numFmtId);
    EXPECT_EQ(code, c.code);
    numfmt::CellTextFormatter formatter(book);
    numfmt::Shown shown;
    formatter.format(book.sheets[0].cells[0], shown);
    if (c.shown) {
        EXPECT_EQ(shown.text, c.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OdsDataStyles,
    testing::Values(
        DataStyleCase{"TwoDecimals",
                      "<number:number-style style:name=\"N\"><number:number "
                      "number:decimal-places=\"2\" number:min-integer-digits=\"1\"/>"
                      "</number:number-style>",
                      "0.00", 3.14159, "3.14"},
        DataStyleCase{"Grouping",
                      "<number:number-style style:name=\"N\"><number:number "
                      "number:decimal-places=\"0\" number:min-integer-digits=\"1\" "
                      "number:grouping=\"true\"/></number:number-style>",
                      "#,##0", 1234567, "1,234,567"},
        DataStyleCase{"NoDecimalsGiven",
                      "<number:number-style style:name=\"N\"><number:number "
                      "number:min-integer-digits=\"1\"/></number:number-style>",
                      "General", 0.5, "0.5"},
        DataStyleCase{"Percent",
                      "<number:percentage-style style:name=\"N\"><number:number "
                      "number:decimal-places=\"1\" number:min-integer-digits=\"1\"/>"
                      "<number:text>%</number:text></number:percentage-style>",
                      "0.0%", 0.125, "12.5%"},
        DataStyleCase{"Scientific",
                      "<number:number-style style:name=\"N\"><number:scientific-number "
                      "number:decimal-places=\"2\" number:min-integer-digits=\"1\" "
                      "number:min-exponent-digits=\"2\"/></number:number-style>",
                      "0.00E+00", 12345, "1.23E+04"},
        DataStyleCase{"Fraction",
                      "<number:number-style style:name=\"N\"><number:fraction "
                      "number:min-integer-digits=\"1\" number:min-numerator-digits=\"1\" "
                      "number:min-denominator-digits=\"1\"/></number:number-style>",
                      "0 ?/?", 0.5, "0 1/2"},
        DataStyleCase{"MixedFractionWithoutRequiredWholes",
                      "<number:number-style style:name=\"N\"><number:fraction "
                      "number:min-integer-digits=\"0\" number:min-numerator-digits=\"1\" "
                      "number:min-denominator-digits=\"1\"/></number:number-style>",
                      "# ?/?", 1.5, "1 1/2"},
        DataStyleCase{"ImproperFraction",
                      "<number:number-style style:name=\"N\"><number:fraction "
                      "number:min-numerator-digits=\"1\" number:min-denominator-digits=\"1\"/>"
                      "</number:number-style>",
                      "?/?", 1.5, "3/2"},
        DataStyleCase{"CurrencyWithRedNegatives",
                      "<number:currency-style style:name=\"NP0\"><number:currency-symbol>€"
                      "</number:currency-symbol><number:number number:decimal-places=\"2\" "
                      "number:min-integer-digits=\"1\" number:grouping=\"true\"/>"
                      "</number:currency-style>"
                      "<number:currency-style style:name=\"N\"><style:text-properties "
                      "fo:color=\"#ff0000\"/><number:text>-</number:text><number:currency-symbol>"
                      "€</number:currency-symbol><number:number number:decimal-places=\"2\" "
                      "number:min-integer-digits=\"1\" number:grouping=\"true\"/><style:map "
                      "style:condition=\"value()&gt;=0\" style:apply-style-name=\"NP0\"/>"
                      "</number:currency-style>",
                      "\"€\"#,##0.00;[Red]\"-\"\"€\"#,##0.00", -1234.5, "-€1,234.50"},
        DataStyleCase{"IsoDate",
                      "<number:date-style style:name=\"N\"><number:year number:style=\"long\"/>"
                      "<number:text>-</number:text><number:month number:style=\"long\"/>"
                      "<number:text>-</number:text><number:day number:style=\"long\"/>"
                      "</number:date-style>",
                      "yyyy\"-\"mm\"-\"dd", 44197, "2021-01-01"},
        DataStyleCase{"DateWithMonthNameAndTime",
                      "<number:date-style style:name=\"N\"><number:day/><number:text> "
                      "</number:text><number:month number:textual=\"true\"/><number:text> "
                      "</number:text><number:year number:style=\"long\"/><number:text> "
                      "</number:text><number:hours/><number:text>:</number:text>"
                      "<number:minutes number:style=\"long\"/><number:text> </number:text>"
                      "<number:am-pm/></number:date-style>",
                      "d\" \"mmm\" \"yyyy\" \"h\":\"mm\" \"AM/PM", 44197.75, "1 Jan 2021 6:00 PM"},
        DataStyleCase{"ElapsedTimeWithFractionOfSeconds",
                      "<number:time-style style:name=\"N\" number:truncate-on-overflow=\"false\">"
                      "<number:hours/><number:text>:</number:text><number:minutes "
                      "number:style=\"long\"/><number:text>:</number:text><number:seconds "
                      "number:style=\"long\" number:decimal-places=\"2\"/></number:time-style>",
                      "[h]\":\"mm\":\"ss.00", 1.5, "36:00:00.00"},
        DataStyleCase{"TextWithQuote",
                      "<number:text-style style:name=\"N\"><number:text>say \"</number:text>"
                      "<number:text-content/></number:text-style>",
                      "\"say \"\\\"@", 2, nullptr}),
    [](const testing::TestParamInfo<DataStyleCase>& info) { return info.param.name; });

} // namespace
