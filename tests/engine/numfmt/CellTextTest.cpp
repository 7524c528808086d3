// Cells of a workbook shown through their cell format's number format.

#include "engine/numfmt/CellText.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

Cell numberCell(double value, std::uint32_t format) {
    Cell cell;
    cell.type = CellType::Number;
    cell.number = value;
    cell.format = format;
    return cell;
}

TEST(CellText, ShowsEveryKindOfValue) {
    Workbook workbook;
    workbook.cellFormats.resize(3);
    workbook.cellFormats[1].numFmtId = 14;
    workbook.cellFormats[2].numFmtId = 200;
    workbook.numberFormats[200] = "0.0;[Red]-0.0;0;\"[\"@\"]\"";
    workbook.strings.push_back({"text", {}});
    workbook.finish();
    numfmt::CellTextFormatter formatter(workbook);
    numfmt::Shown shown;

    formatter.format(numberCell(45000, 1), shown);
    EXPECT_EQ(shown.text, "3/15/2023");
    formatter.format(numberCell(-2.25, 2), shown);
    EXPECT_EQ(shown.text, "-2.3");
    EXPECT_EQ(shown.color, Color::fromRgb(0xFF0000));
    formatter.format(numberCell(0.1, 0), shown);
    EXPECT_EQ(shown.text, "0.1");
    EXPECT_TRUE(shown.color.automatic);

    Cell text;
    text.type = CellType::Text;
    text.text = 0;
    text.format = 2;
    formatter.format(text, shown);
    EXPECT_EQ(shown.text, "[text]");

    Cell boolean;
    boolean.type = CellType::Boolean;
    boolean.boolean = true;
    formatter.format(boolean, shown);
    EXPECT_EQ(shown.text, "TRUE");
    boolean.boolean = false;
    formatter.format(boolean, shown);
    EXPECT_EQ(shown.text, "FALSE");

    Cell error;
    error.type = CellType::Error;
    error.error = CellError::Div0;
    formatter.format(error, shown);
    EXPECT_EQ(shown.text, "#DIV/0!");

    Cell empty;
    formatter.format(empty, shown);
    EXPECT_EQ(shown.text, "");
}

TEST(CellText, FormatsAreParsedOncePerId) {
    Workbook workbook;
    workbook.cellFormats.resize(3);
    workbook.cellFormats[1].numFmtId = 2;
    workbook.cellFormats[2].numFmtId = 2;
    workbook.finish();
    numfmt::CellTextFormatter formatter(workbook);
    EXPECT_EQ(&formatter.numberFormatOf(1), &formatter.numberFormatOf(2));
    EXPECT_EQ(&formatter.numberFormatOf(99), &formatter.numberFormatOf(0));
}

} // namespace
