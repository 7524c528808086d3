// Sparkline groups of a worksheet's extension list: looks, data references and cells.

#include "engine/package/Colors.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;

namespace {

std::string extension(const std::string& groups) {
    return "<extLst><ext uri=\"{05C60535-1F16-4fd2-B633-F4F36F0B64E0}\" "
           "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
           "<x14:sparklineGroups "
           "xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">" +
           groups + "</x14:sparklineGroups></ext></extLst>";
}

std::string sparkline(const std::string& data, const std::string& cell) {
    return "<x14:sparkline><xm:f>" + data + "</xm:f><xm:sqref>" + cell +
           "</xm:sqref></x14:sparkline>";
}

Sheet readSheet(const std::string& body) {
    const auto bytes = minimalWorkbook({body}).bytes();
    Workbook workbook = xlsx::readPackage(bytes);
    return std::move(workbook.sheets.at(0));
}

} // namespace

TEST(XlsxSparklines, GroupLooksAndSparklinesAreRead) {
    const Sheet sheet = readSheet(
        "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>" +
        extension("<x14:sparklineGroup type=\"column\" displayEmptyCellsAs=\"gap\" markers=\"1\" "
                  "high=\"1\" low=\"1\" first=\"1\" last=\"1\" negative=\"1\" displayXAxis=\"1\" "
                  "displayHidden=\"1\" rightToLeft=\"1\" lineWeight=\"2.25\" "
                  "minAxisType=\"custom\" manualMin=\"-5\" maxAxisType=\"group\">"
                  "<x14:colorSeries theme=\"4\" tint=\"-0.5\"/><x14:colorNegative "
                  "rgb=\"FFFF0000\"/><x14:colorAxis rgb=\"FF000000\"/><x14:colorMarkers "
                  "rgb=\"FF00FF00\"/><x14:colorFirst rgb=\"FF010203\"/><x14:colorLast "
                  "rgb=\"FF040506\"/><x14:colorHigh rgb=\"FF070809\"/><x14:colorLow "
                  "rgb=\"FF0A0B0C\"/><x14:sparklines>" +
                  sparkline("Sheet1!A1:D1", "E1") + sparkline("'Sheet1'!$A$2:$D$2", " E2 ") +
                  "</x14:sparklines></x14:sparklineGroup>" +
                  // A group of defaults after it.
                  "<x14:sparklineGroup><x14:sparklines>" + sparkline("Sheet1!A3:A9", "B10") +
                  "</x14:sparklines></x14:sparklineGroup>"));
    ASSERT_EQ(sheet.sparklines.size(), 2u);
    const SparklineGroup& group = sheet.sparklines[0];
    EXPECT_EQ(group.type, SparklineType::Column);
    EXPECT_EQ(group.empty, SparklineEmpty::Gap);
    EXPECT_TRUE(group.showMarkers && group.showHigh && group.showLow && group.showFirst &&
                group.showLast && group.showNegative && group.showAxis && group.includeHidden &&
                group.rightToLeft);
    EXPECT_DOUBLE_EQ(group.lineWeightPt, 2.25);
    EXPECT_EQ(group.minScale, SparklineScale::Custom);
    EXPECT_EQ(group.maxScale, SparklineScale::Group);
    ASSERT_TRUE(group.manualMin);
    EXPECT_DOUBLE_EQ(*group.manualMin, -5);
    EXPECT_FALSE(group.manualMax);
    const package::Colors colors;
    EXPECT_EQ(group.series, Color::fromRgb(package::applyTint(colors.themeColor(4), -0.5)));
    EXPECT_EQ(group.negative, Color::fromRgb(0xFF0000));
    EXPECT_EQ(group.markers, Color::fromRgb(0x00FF00));
    EXPECT_EQ(group.first, Color::fromRgb(0x010203));
    EXPECT_EQ(group.last, Color::fromRgb(0x040506));
    EXPECT_EQ(group.high, Color::fromRgb(0x070809));
    EXPECT_EQ(group.low, Color::fromRgb(0x0A0B0C));
    ASSERT_EQ(group.sparklines.size(), 2u);
    EXPECT_EQ(group.sparklines[0].data, "Sheet1!A1:D1");
    EXPECT_EQ(group.sparklines[0].row, 0u);
    EXPECT_EQ(group.sparklines[0].col, 4);
    EXPECT_EQ(group.sparklines[1].data, "'Sheet1'!$A$2:$D$2");
    EXPECT_EQ(group.sparklines[1].row, 1u);

    const SparklineGroup& plain = sheet.sparklines[1];
    EXPECT_EQ(plain.type, SparklineType::Line);
    EXPECT_EQ(plain.empty, SparklineEmpty::Zero);
    EXPECT_EQ(plain.minScale, SparklineScale::Individual);
    EXPECT_DOUBLE_EQ(plain.lineWeightPt, 0.75);
    EXPECT_TRUE(plain.series.automatic);
    EXPECT_FALSE(plain.showMarkers || plain.rightToLeft);
    ASSERT_EQ(plain.sparklines.size(), 1u);
    EXPECT_EQ(plain.sparklines[0].row, 9u);
    EXPECT_EQ(plain.sparklines[0].col, 1);
}

TEST(XlsxSparklines, DamagedSparklinesAreLeftOutAndTheSheetStillReads) {
    const std::string longReference(5000, 'A');
    const Sheet sheet =
        readSheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>7</v></c></row></sheetData>" +
                  extension(
                      // No cell, a malformed cell, a cell past the grid: dropped. An overlong
                      // reference keeps its cell without data.
                      "<x14:sparklineGroup type=\"line\" lineWeight=\"-3\" manualMax=\"1e400\">"
                      "<x14:sparklines><x14:sparkline><xm:f>Sheet1!A1:B1</xm:f></x14:sparkline>" +
                      sparkline("Sheet1!A1:B1", "1A") + sparkline("Sheet1!A1:B1", "XFE1") +
                      sparkline(longReference, "C3") +
                      "</x14:sparklines></x14:sparklineGroup>"
                      // A group with nothing to draw disappears.
                      "<x14:sparklineGroup><x14:sparklines/></x14:sparklineGroup>"));
    ASSERT_EQ(sheet.cells.size(), 1u);
    EXPECT_DOUBLE_EQ(sheet.cells[0].number, 7);
    ASSERT_EQ(sheet.sparklines.size(), 1u);
    const SparklineGroup& group = sheet.sparklines[0];
    EXPECT_DOUBLE_EQ(group.lineWeightPt, 0.75);
    EXPECT_FALSE(group.manualMax);
    ASSERT_EQ(group.sparklines.size(), 1u);
    EXPECT_EQ(group.sparklines[0].row, 2u);
    EXPECT_TRUE(group.sparklines[0].data.empty());
}

TEST(XlsxSparklines, OtherExtensionsBesideTheGroupsAreUntouched) {
    // Conditional formats of the extension list come before the sparklines in files.
    const Sheet sheet = readSheet(
        "<sheetData/><extLst "
        "xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\"><ext "
        "uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\" "
        "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
        "<x14:conditionalFormattings><x14:conditionalFormatting><x14:cfRule type=\"dataBar\" "
        "id=\"{1}\"/><xm:sqref>A1</xm:sqref></x14:conditionalFormatting>"
        "</x14:conditionalFormattings></ext>"
        "<ext uri=\"{05C60535-1F16-4fd2-B633-F4F36F0B64E0}\" "
        "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
        "<x14:sparklineGroups><x14:sparklineGroup><x14:sparklines>" +
        sparkline("Sheet1!A1:A4", "B1") +
        "</x14:sparklines></x14:sparklineGroup></x14:sparklineGroups></ext></extLst>");
    ASSERT_EQ(sheet.sparklines.size(), 1u);
    EXPECT_EQ(sheet.sparklines[0].sparklines.at(0).data, "Sheet1!A1:A4");
}
