// A report written the way a common report library writes one: every formula with a placeholder
// result 0, a full calculation asked for on load, a table with a calculated column and a total
// row, a name, a spilled SORT and a LET. Every value must be the one the application computes.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/ConditionalLooks.h"
#include "engine/web/SparklineValues.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::mainNs;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

std::string cell(const std::string& ref, const std::string& body, const std::string& extra = {}) {
    return "<c r=\"" + ref + "\"" + extra + ">" + body + "</c>";
}
std::string number(const std::string& ref, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return cell(ref, std::string("<v>") + text + "</v>");
}
std::string text(const std::string& ref, const std::string& value) {
    return cell(ref, "<is><t>" + value + "</t></is>", " t=\"inlineStr\"");
}
std::string formula(const std::string& ref, const std::string& f, const std::string& extra = {}) {
    return cell(ref, "<f" + extra + ">" + f + "</f><v>0</v>");
}

// A chart, a sparkline and a data bar over the spilled F6:F9 and the calculated D2:D5, as a
// script writes them: the chart caches no values, but for a third series whose cache holds
// the placeholders of a workbook computed on opening.
struct Views {
    std::string sheet, drawing, chart;
};
Views views() {
    Views v;
    v.sheet = "<conditionalFormatting sqref=\"F6:F9\"><cfRule type=\"dataBar\" priority=\"1\">"
              "<dataBar><cfvo type=\"min\"/><cfvo type=\"max\"/><color rgb=\"FF638EC6\"/>"
              "</dataBar></cfRule></conditionalFormatting><drawing r:id=\"rD\"/>";
    v.drawing =
        "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><xdr:oneCellAnchor>"
        "<xdr:from><xdr:col>8</xdr:col><xdr:row>0</xdr:row></xdr:from><xdr:ext cx=\"3810000\" "
        "cy=\"2540000\"/><xdr:graphicFrame><a:graphic><a:graphicData><c:chart r:id=\"rC\"/>"
        "</a:graphicData></a:graphic></xdr:graphicFrame></xdr:oneCellAnchor></xdr:wsDr>";
    const auto series = [](const std::string& values) {
        return "<c:ser><c:val><c:numRef><c:f>" + values + "</c:f></c:numRef></c:val></c:ser>";
    };
    v.chart = "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
              "<c:chart><c:plotArea><c:barChart>" +
              series("Sheet1!$F$6:$F$9") + series("Sheet1!$D$2:$D$5") +
              "<c:ser><c:val><c:numRef><c:f>Sheet1!$D$2:$D$5</c:f><c:numCache><c:ptCount "
              "val=\"4\"/><c:pt idx=\"0\"><c:v>0</c:v></c:pt><c:pt idx=\"1\"><c:v>0</c:v>"
              "</c:pt><c:pt idx=\"2\"><c:v>0</c:v></c:pt><c:pt idx=\"3\"><c:v>0</c:v></c:pt>"
              "</c:numCache></c:numRef></c:val></c:ser>" +
              "</c:barChart></c:plotArea></c:chart></c:chartSpace>";
    return v;
}

std::string sparklineOver(const std::string& data, const std::string& cell) {
    return "<extLst><ext uri=\"{05C60535-1F16-4fd2-B633-F4F36F0B64E0}\" "
           "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
           "<x14:sparklineGroups xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">"
           "<x14:sparklineGroup><x14:sparklines><x14:sparkline><xm:f>" +
           data + "</xm:f><xm:sqref>" + cell +
           "</xm:sqref></x14:sparkline></x14:sparklines></x14:sparklineGroup>"
           "</x14:sparklineGroups></ext></extLst>";
}

// With `blocked`, a value stands in F8, where the SORT would spill; with `collapsed`, the cell
// metadata of the SORT says it is no dynamic array; with `damagedTable`, the table part is cut
// short; with `withViews`, the views() and a sparkline in G6 show the computed cells.
std::vector<std::uint8_t> report(bool blocked = false, bool collapsed = false,
                                 bool damagedTable = false, bool withViews = false) {
    const std::string row = "</row><row>";
    std::string data = "<sheetData><row>" + text("A1", "Region") + text("B1", "Amount") +
                       text("C1", "Rate") + text("D1", "Commission") + number("H1", 1150);
    const char* regions[] = {"North", "South", "East", "West"};
    const double amounts[] = {1000, 1330, 1200, 1120};
    const double rates[] = {0.06, 0.05, 0.06, 0.0375};
    const char* extras[] = {"", "F3", "F4", ""};
    for (int i = 0; i < 4; ++i) {
        const std::string r = std::to_string(i + 2);
        data += row + text("A" + r, regions[i]) + number("B" + r, amounts[i]) +
                number("C" + r, rates[i]) +
                formula("D" + r, "Sales[[#This Row],[Amount]]*Sales[[#This Row],[Rate]]");
        if (std::string(extras[i]) == "F3")
            data += formula("F3", "SUM(Sales[Amount])");
        if (std::string(extras[i]) == "F4")
            data += formula("F4", "COUNTIF(Sales[Amount],\"&gt;\"&amp;Target)");
    }
    data += row + text("A6", "Total") + formula("B6", "SUBTOTAL(109,[Amount])") +
            formula("D6", "SUBTOTAL(109,Sales[Commission])") +
            cell("F6", "<f t=\"array\" ref=\"F6\">_xlfn._xlws.SORT(Sales[Amount],1,-1)</f><v>0</v>",
                 " cm=\"1\"");
    if (blocked)
        data += row + number("F8", 7);
    data += row + formula("F11", "_xlfn.LET(_xlpm.x,F3,_xlpm.x*2)") + "</row></sheetData>";
    PackageWriter package;
    package.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"}}));
    package.add("xl/workbook.xml",
                std::string("<workbook ") + mainNs +
                    "><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
                    "<definedNames><definedName name=\"Target\">Sheet1!$H$1</definedName>"
                    "</definedNames><calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>");
    package.add("xl/_rels/workbook.xml.rels",
                relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                  {"rId2", "sheetMetadata", "metadata.xml"}}));
    const Views shown = withViews ? views() : Views{};
    package.add("xl/worksheets/sheet1.xml",
                std::string("<worksheet ") + mainNs + ">" + data + shown.sheet +
                    "<tableParts count=\"1\"><tablePart r:id=\"rId1\"/></tableParts>" +
                    (withViews ? sparklineOver("Sheet1!F6:F9", "G6") : "") + "</worksheet>");
    std::vector<std::tuple<std::string, std::string, std::string>> sheetRels{
        {"rId1", "table", "../tables/table1.xml"}};
    if (withViews) {
        sheetRels.emplace_back("rD", "drawing", "../drawings/drawing1.xml");
        package.add("xl/drawings/drawing1.xml", shown.drawing);
        package.add("xl/drawings/_rels/drawing1.xml.rels",
                    relationshipsXml({{"rC", "chart", "../charts/chart1.xml"}}));
        package.add("xl/charts/chart1.xml", shown.chart);
    }
    package.add("xl/worksheets/_rels/sheet1.xml.rels", relationshipsXml(sheetRels));
    const std::string table =
        std::string("<table ") + mainNs +
        " id=\"1\" name=\"Sales\" displayName=\"Sales\" ref=\"A1:D6\" "
        "totalsRowCount=\"1\"><autoFilter ref=\"A1:D5\"/><tableColumns count=\"4\">"
        "<tableColumn id=\"1\" name=\"Region\" totalsRowLabel=\"Total\"/>"
        "<tableColumn id=\"2\" name=\"Amount\" totalsRowFunction=\"sum\"/>"
        "<tableColumn id=\"3\" name=\"Rate\"/>"
        "<tableColumn id=\"4\" name=\"Commission\" totalsRowFunction=\"sum\">"
        "<calculatedColumnFormula>Sales[[#This Row],[Amount]]*Sales[[#This "
        "Row],[Rate]]</calculatedColumnFormula></tableColumn></tableColumns>"
        "<tableStyleInfo name=\"TableStyleMedium9\" showRowStripes=\"1\"/></table>";
    package.add("xl/tables/table1.xml", damagedTable ? table.substr(0, 60) : table);
    package.add("xl/metadata.xml",
                std::string("<metadata ") + mainNs +
                    " xmlns:xda=\"http://schemas.microsoft.com/office/spreadsheetml/2017/"
                    "dynamicarray\"><metadataTypes count=\"1\"><metadataType name=\"XLDAPR\" "
                    "minSupportedVersion=\"120000\"/></metadataTypes><futureMetadata "
                    "name=\"XLDAPR\" count=\"1\"><bk><extLst><ext "
                    "uri=\"{bdbb8cdc-fa1e-496e-a857-3c3f30c029c3}\"><xda:dynamicArrayProperties "
                    "fDynamic=\"" +
                    std::string(collapsed ? "0" : "1") +
                    "\" fCollapsed=\"0\"/></ext></extLst></bk></futureMetadata>"
                    "<cellMetadata count=\"1\"><bk><rc t=\"1\" v=\"0\"/></bk></cellMetadata>"
                    "</metadata>");
    return package.bytes();
}

double valueAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const Cell& c : sheet.cells)
        if (c.row == row && c.col == col)
            return c.type == CellType::Number ? c.number : -1;
    return -2;
}

TEST(DynamicArrayReport, ShowsWhatTheApplicationComputes) {
    const std::vector<std::uint8_t> bytes = report();
    const Workbook book = readWorkbookBytes(bytes);
    ASSERT_EQ(book.tables.size(), 1u);
    EXPECT_EQ(book.tables[0].columns.size(), 4u);
    const Sheet& sheet = book.sheets.at(0);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 1, 3), 60);   // D2
    EXPECT_DOUBLE_EQ(valueAt(sheet, 2, 3), 66.5); // D3
    EXPECT_DOUBLE_EQ(valueAt(sheet, 3, 3), 72);   // D4
    EXPECT_DOUBLE_EQ(valueAt(sheet, 4, 3), 42);   // D5
    EXPECT_DOUBLE_EQ(valueAt(sheet, 5, 1), 4650); // B6, the total row
    EXPECT_DOUBLE_EQ(valueAt(sheet, 5, 3), 240.5);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 2, 5), 4650); // F3
    EXPECT_DOUBLE_EQ(valueAt(sheet, 3, 5), 2);    // F4
    EXPECT_DOUBLE_EQ(valueAt(sheet, 5, 5), 1330); // F6:F9, spilled
    EXPECT_DOUBLE_EQ(valueAt(sheet, 6, 5), 1200);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 7, 5), 1120);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 8, 5), 1000);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 10, 5), 9300); // F11
}

TEST(DynamicArrayReport, ASpillBlockedByAValueIsSpillError) {
    const std::vector<std::uint8_t> bytes = report(true);
    const Workbook book = readWorkbookBytes(bytes);
    const Sheet& sheet = book.sheets.at(0);
    const auto at = [&](std::uint32_t row) {
        return std::find_if(sheet.cells.begin(), sheet.cells.end(),
                            [&](const Cell& c) { return c.row == row && c.col == 5; });
    };
    ASSERT_NE(at(5), sheet.cells.end());
    EXPECT_EQ(at(5)->type, CellType::Error);
    EXPECT_EQ(at(5)->error, CellError::Spill);
    EXPECT_DOUBLE_EQ(at(7)->number, 7); // the value that blocks it stays
    EXPECT_EQ(at(6), sheet.cells.end());
}

TEST(DynamicArrayReport, CellMetadataThatIsNoDynamicArrayDoesNotSpill) {
    const std::vector<std::uint8_t> bytes = report(false, true);
    const Workbook book = readWorkbookBytes(bytes);
    const Sheet& sheet = book.sheets.at(0);
    // A legacy array formula over F6 alone shows the first of the sorted values there.
    EXPECT_DOUBLE_EQ(valueAt(sheet, 5, 5), 1330);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 6, 5), -2);
}

TEST(DynamicArrayReport, ChartsSparklinesAndDataBarsShowSpilledAndTableValues) {
    const std::vector<std::uint8_t> bytes = report(false, false, false, true);
    const Workbook book = readWorkbookBytes(bytes);
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.charts.size(), 1u);
    const auto& series = sheet.charts[0].plots.at(0).series;
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].values, (std::vector<double>{1330, 1200, 1120, 1000})); // the spill
    EXPECT_EQ(series[1].values, (std::vector<double>{60, 66.5, 72, 42}));       // the column
    EXPECT_EQ(series[2].values, series[1].values); // not the cached placeholders

    ASSERT_EQ(sheet.sparklines.size(), 1u);
    const auto points =
        web::sparklineValues(book, 0, sheet.sparklines[0], sheet.sparklines[0].sparklines.at(0));
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0], 1330);
    EXPECT_EQ(points[3], 1000);

    numfmt::CellTextFormatter formatter(book);
    const web::ConditionalLooks looks(book, sheet, formatter);
    ASSERT_NE(looks.at(5, 5), nullptr);
    ASSERT_NE(looks.at(8, 5), nullptr);
    EXPECT_EQ(looks.at(5, 5)->barPercent, 90); // the greatest spilled value
    EXPECT_EQ(looks.at(8, 5)->barPercent, 10); // the least
}

TEST(DynamicArrayReport, ADamagedTablePartCostsOnlyTheTable) {
    const std::vector<std::uint8_t> bytes = report(false, false, true);
    const Workbook book = readWorkbookBytes(bytes);
    EXPECT_TRUE(book.tables.empty());
    const Sheet& sheet = book.sheets.at(0);
    EXPECT_DOUBLE_EQ(valueAt(sheet, 1, 1), 1000); // the cells are all there
    EXPECT_DOUBLE_EQ(valueAt(sheet, 4, 2), 0.0375);
}

} // namespace
