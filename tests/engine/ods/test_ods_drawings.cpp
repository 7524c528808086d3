// Notes, pictures tied to two cells and embedded charts of spreadsheet documents.

#include "engine/ods/ChartObject.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "engine/web/Sink.h"
#include "tests/engine/ods/OdsBuilder.h"
#include "tests/support/TestPaths.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::odsContent;
using testing_support::odsPackage;
using testing_support::odsTable;
using testing_support::PackageWriter;

namespace {

constexpr const char* extraNamespaces =
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:chart=\"urn:oasis:names:tc:opendocument:xmlns:chart:1.0\"";

// content.xml whose root also declares the namespaces of notes and charts.
std::string content(const std::string& tables) {
    std::string xml = odsContent(tables);
    const std::size_t root = xml.find("<office:document-content ") + 24;
    return xml.insert(root, extraNamespaces);
}

std::string row(const std::string& cells) {
    return "<table:table-row>" + cells + "</table:table-row>";
}

std::string cell(const std::string& attributes, const std::string& body = {}) {
    return "<table:table-cell " + attributes + ">" + body + "</table:table-cell>";
}

std::string number(double value) {
    const std::string text = std::to_string(value);
    return cell("office:value-type=\"float\" office:value=\"" + text + "\"",
                "<text:p>" + text + "</text:p>");
}

std::string label(const std::string& text) {
    return cell("office:value-type=\"string\"", "<text:p>" + text + "</text:p>");
}

const Comment* noteAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const Comment& note : sheet.comments)
        if (note.row == row && note.col == col)
            return &note;
    return nullptr;
}

const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\1\0\0\0\1\x08\x02\0\0\0", 29);

std::string chartDocument(const std::string& chart, const std::string& styles = {}) {
    return std::string("<office:document-content ") + testing_support::odsNamespaces +
           extraNamespaces + "><office:automatic-styles>" + styles +
           "</office:automatic-styles><office:body><office:chart>" + chart +
           "</office:chart></office:body></office:document-content>";
}

// A sheet "Data" of a header row and three rows of a label and two numbers, and `frame` in
// cell D2.
PackageWriter dataWithFrame(const std::string& frame) {
    return odsPackage(
        content(odsTable(row(label("Region") + label("Sales") + label("Costs")) +
                             row(label("North") + number(10) + number(4) + cell("", frame)) +
                             row(label("South") + number(20) + number(5)) +
                             row(label("West") + number(30) + number(6)),
                         "Data")));
}

std::string page(const Workbook& workbook) {
    web::PageContent content;
    content.sheets = {0};
    content.title = "page";
    web::StringSink sink;
    web::writePage(sink, workbook, content);
    return sink.text();
}

const std::string chartFrame =
    "<draw:frame svg:width=\"8cm\" svg:height=\"6cm\" svg:x=\"0cm\" svg:y=\"0cm\" "
    "table:end-cell-address=\"Data.H12\" table:end-x=\"1cm\" table:end-y=\"0.5cm\">"
    "<draw:object xlink:href=\"./Object 1\"/>"
    "<draw:image xlink:href=\"./ObjectReplacements/Object 1\"/></draw:frame>";

} // namespace

TEST(OdsNotes, AnnotationsBecomeTheCellsNotes) {
    const Workbook book = readWorkbookBytes(
        odsPackage(
            content(odsTable(row(
                cell("office:value-type=\"string\"",
                     "<office:annotation office:display=\"true\" svg:x=\"2cm\"><dc:creator>Ann "
                     "Lee</dc:creator><dc:date>2024-09-18T18:27:00</dc:date><text:p>first "
                     "<text:span>line</text:span></text:p><text:p>second<text:s "
                     "text:c=\"2\"/>line</text:p></office:annotation><text:p>the cell</text:p>") +
                cell("table:number-columns-repeated=\"2\"",
                     "<office:annotation><text:p>on a repeat</text:p></office:annotation>")))))
            .bytes());
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.comments.size(), 2u);
    const Comment* a1 = noteAt(sheet, 0, 0);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->author, "Ann Lee");
    EXPECT_EQ(a1->text, "first line\nsecond  line");
    EXPECT_TRUE(a1->shown);
    const Comment* b1 = noteAt(sheet, 0, 1);
    ASSERT_NE(b1, nullptr);
    EXPECT_FALSE(b1->shown);
    EXPECT_EQ(b1->author, "");
    // The note is not the cell's text.
    ASSERT_EQ(sheet.cells.size(), 1u);
    EXPECT_EQ(book.strings.at(sheet.cells[0].text).text, "the cell");
}

TEST(OdsNotes, TheCorpusAnnotationIsRead) {
    const Workbook book =
        readWorkbook(testing_support::corpusFile("ods/calamine-with-annotation.ods").string());
    const Comment* a1 = noteAt(book.sheets.at(0), 0, 0);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->author, "Marc Schreiber");
    EXPECT_EQ(a1->text, "This is annotation of a.1");
}

TEST(OdsPictures, AnEndCellTiesAPictureToTwoCells) {
    auto package = odsPackage(content(odsTable(
        row(cell("") +
            cell("", "<draw:frame table:end-cell-address=\"'My sheet'.$E$7\" table:end-x=\"1cm\" "
                     "table:end-y=\"0.5in\" svg:width=\"3cm\" svg:height=\"2cm\">"
                     "<draw:image xlink:href=\"Pictures/a.png\"/></draw:frame>") +
            // An end before the start is ignored: the picture keeps its own size.
            cell("", "<draw:frame table:end-cell-address=\"S.A1\" svg:width=\"10pt\" "
                     "svg:height=\"10pt\"><draw:image xlink:href=\"Pictures/a.png\"/>"
                     "</draw:frame>")),
        "My sheet")));
    package.add("Pictures/a.png", png);
    const Workbook book = readWorkbookBytes(package.bytes());
    const auto& pictures = book.sheets.at(0).pictures;
    ASSERT_EQ(pictures.size(), 2u);
    const Anchor& tied = pictures[0].anchor;
    EXPECT_TRUE(tied.twoCell);
    EXPECT_EQ(tied.col, 1);
    EXPECT_EQ(tied.toRow, 6u);
    EXPECT_EQ(tied.toCol, 4);
    EXPECT_NEAR(tied.toColOffsetPt, 72 / 2.54, 1e-9);
    EXPECT_NEAR(tied.toRowOffsetPt, 36, 1e-9);
    EXPECT_FALSE(pictures[1].anchor.twoCell);
    EXPECT_DOUBLE_EQ(pictures[1].anchor.widthPt, 10);
}

TEST(OdsPictures, OffsetsFromTheSheetsCornerBecomeOffsetsInTheCell) {
    // Two columns and rows of the default 64 by 12.8 points lie before C3.
    const auto frame = [](const std::string& x, const std::string& y) {
        return "<draw:frame svg:x=\"" + x + "\" svg:y=\"" + y +
               "\" svg:width=\"10pt\" svg:height=\"10pt\"><draw:image "
               "xlink:href=\"Pictures/a.png\"/></draw:frame>";
    };
    const std::string empty = "<table:table-row><table:table-cell/></table:table-row>";
    auto package = odsPackage(
        content(odsTable(empty + empty +
                         row(cell("table:number-columns-repeated=\"2\"") +
                             cell("", frame("133pt", "30.6pt")) + cell("", frame("5pt", "4pt"))))));
    package.add("Pictures/a.png", png);
    const Workbook book = readWorkbookBytes(package.bytes());
    const auto& pictures = book.sheets.at(0).pictures;
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].anchor.col, 2);
    EXPECT_EQ(pictures[0].anchor.row, 2u);
    EXPECT_NEAR(pictures[0].anchor.colOffsetPt, 5, 1);
    EXPECT_NEAR(pictures[0].anchor.rowOffsetPt, 5, 1);
    // Offsets no larger than the cell's own are from the cell already.
    EXPECT_EQ(pictures[1].anchor.col, 3);
    EXPECT_DOUBLE_EQ(pictures[1].anchor.colOffsetPt, 5);
    EXPECT_DOUBLE_EQ(pictures[1].anchor.rowOffsetPt, 4);
}

TEST(OdsCharts, SeriesReferencesBecomeA1References) {
    EXPECT_EQ(ods::seriesReference("Data.$B$2:.$B$4"), "'Data'!$B$2:$B$4");
    EXPECT_EQ(ods::seriesReference("'My sheet'.A1:'My sheet'.A3"), "'My sheet'!A1:A3");
    EXPECT_EQ(ods::seriesReference("Data.B2:Data.B3 Data.D2:Data.D3"),
              "('Data'!B2:B3,'Data'!D2:D3)");
    EXPECT_EQ(ods::seriesReference(""), "");
}

TEST(OdsCharts, AnEmbeddedChartPlotsTheSheetsCells) {
    auto package = dataWithFrame(chartFrame);
    package.add("Object 1/content.xml",
                chartDocument(
                    "<chart:chart chart:class=\"chart:bar\" chart:style-name=\"C\"><chart:title>"
                    "<text:p>Sales by region</text:p></chart:title><chart:legend "
                    "chart:legend-position=\"bottom\"/><chart:plot-area chart:style-name=\"P\">"
                    "<chart:axis chart:dimension=\"x\" chart:name=\"primary-x\"><chart:title>"
                    "<text:p>Region</text:p></chart:title><chart:categories "
                    "table:cell-range-address=\"Data.A2:Data.A4\"/></chart:axis><chart:axis "
                    "chart:dimension=\"y\" chart:name=\"primary-y\" chart:style-name=\"Y\">"
                    "<chart:grid chart:class=\"major\"/></chart:axis><chart:series "
                    "chart:style-name=\"S1\" chart:values-cell-range-address=\"Data.B2:Data.B4\" "
                    "chart:label-cell-address=\"Data.B1\"/><chart:series "
                    "chart:class=\"chart:line\" chart:values-cell-range-address=\"Data.C2:.C4\" "
                    "chart:label-cell-address=\"Data.C1\"/></chart:plot-area></chart:chart>",
                    "<style:style style:name=\"P\" style:family=\"chart\"><style:chart-properties "
                    "chart:vertical=\"true\" chart:stacked=\"true\"/></style:style>"
                    "<style:style style:name=\"Y\" style:family=\"chart\"><style:chart-properties "
                    "chart:minimum=\"0\" chart:maximum=\"40\" chart:interval-major=\"10\"/>"
                    "</style:style><style:style style:name=\"S1\" style:family=\"chart\">"
                    "<style:graphic-properties draw:fill-color=\"#ff0000\"/></style:style>"));
    package.add("ObjectReplacements/Object 1", png);
    const Workbook book = readWorkbookBytes(package.bytes());
    const Sheet& sheet = book.sheets.at(0);
    // The chart stands in for its replacement image.
    EXPECT_TRUE(sheet.pictures.empty());
    ASSERT_EQ(sheet.charts.size(), 1u);
    const Chart& chart = sheet.charts[0];
    EXPECT_EQ(chart.title, "Sales by region");
    EXPECT_EQ(chart.legend, LegendPosition::Bottom);
    EXPECT_EQ(chart.categoryAxis.title, "Region");
    EXPECT_TRUE(chart.valueAxis.gridlines);
    EXPECT_EQ(chart.valueAxis.max, 40.0);
    EXPECT_EQ(chart.valueAxis.majorUnit, 10.0);
    EXPECT_EQ(chart.anchor.row, 1u);
    EXPECT_EQ(chart.anchor.col, 3);
    EXPECT_TRUE(chart.anchor.twoCell);
    EXPECT_EQ(chart.anchor.toRow, 11u);
    ASSERT_EQ(chart.plots.size(), 2u);
    EXPECT_EQ(chart.plots[0].kind, ChartKind::Bar);
    EXPECT_EQ(chart.plots[0].grouping, ChartGrouping::Stacked);
    const ChartSeries& sales = chart.plots[0].series.at(0);
    EXPECT_EQ(sales.name, "Sales");
    EXPECT_EQ(sales.values, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(sales.categories, (std::vector<std::string>{"North", "South", "West"}));
    EXPECT_EQ(sales.color, Color::fromRgb(0xFF0000));
    EXPECT_EQ(chart.plots[1].kind, ChartKind::Line);
    EXPECT_EQ(chart.plots[1].series.at(0).values, (std::vector<double>{4, 5, 6}));
}

TEST(OdsCharts, AChartOfItsOwnTableKeepsThoseValues) {
    auto package = dataWithFrame(chartFrame);
    package.add(
        "Object 1/content.xml",
        chartDocument("<chart:chart chart:class=\"chart:ring\"><chart:plot-area><chart:series "
                      "chart:values-cell-range-address=\"local-table.$B$2:.$B$3\" "
                      "chart:label-cell-address=\"local-table.$B$1\"><chart:data-point "
                      "chart:repeated=\"2\"/></chart:series><chart:axis chart:dimension=\"x\">"
                      "<chart:categories table:cell-range-address=\"local-table.$A$2:.$A$3\"/>"
                      "</chart:axis></chart:plot-area><table:table table:name=\"local-table\">"
                      "<table:table-header-rows><table:table-row><table:table-cell/>"
                      "<table:table-cell office:value-type=\"string\"><text:p>Share</text:p>"
                      "</table:table-cell></table:table-row></table:table-header-rows>"
                      "<table:table-rows><table:table-row><table:table-cell "
                      "office:value-type=\"string\"><text:p>Tea</text:p></table:table-cell>"
                      "<table:table-cell office:value-type=\"float\" office:value=\"3\"/>"
                      "</table:table-row><table:table-row><table:table-cell "
                      "office:value-type=\"string\"><text:p>Milk</text:p></table:table-cell>"
                      "<table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                      "</table:table-row></table:table-rows></table:table></chart:chart>"));
    const Workbook book = readWorkbookBytes(package.bytes());
    const Chart& chart = book.sheets.at(0).charts.at(0);
    ASSERT_EQ(chart.plots.size(), 1u);
    EXPECT_EQ(chart.plots[0].kind, ChartKind::Doughnut);
    const ChartSeries& series = chart.plots[0].series.at(0);
    EXPECT_EQ(series.name, "Share");
    EXPECT_EQ(series.values, (std::vector<double>{3, 1}));
    EXPECT_EQ(series.categories, (std::vector<std::string>{"Tea", "Milk"}));
}

TEST(OdsCharts, ABrokenChartFallsBackToItsReplacementImageOrNothing) {
    auto broken = dataWithFrame(chartFrame);
    broken.add("Object 1/content.xml", "<office:document-content><unclosed>");
    broken.add("ObjectReplacements/Object 1", png);
    const Workbook withImage = readWorkbookBytes(broken.bytes());
    EXPECT_TRUE(withImage.sheets.at(0).charts.empty());
    ASSERT_EQ(withImage.sheets[0].pictures.size(), 1u);
    EXPECT_EQ(withImage.sheets[0].pictures[0].mimeType, "image/png");
    EXPECT_EQ(withImage.sheets[0].pictures[0].anchor.col, 3);

    // An object outside the package is never opened; a missing one shows nothing.
    auto outside = dataWithFrame(
        "<draw:frame><draw:object xlink:href=\"../Object 1\"/></draw:frame><draw:frame>"
        "<draw:object xlink:href=\"/etc/Object 1\"/></draw:frame><draw:frame><draw:object "
        "xlink:href=\"./Object 9\"/></draw:frame>");
    outside.add("Object 1/content.xml", chartDocument("<chart:chart/>"));
    const Workbook none = readWorkbookBytes(outside.bytes());
    EXPECT_TRUE(none.sheets.at(0).charts.empty());
    EXPECT_TRUE(none.sheets[0].pictures.empty());
    EXPECT_EQ(none.sheets[0].cells.size(), 12u);
}

TEST(OdsCharts, TheCorpusChartPlotsItsSheetsCells) {
    const Workbook book =
        readWorkbook(testing_support::corpusFile("ods/calamine-any_sheets.ods").string());
    std::size_t charts = 0;
    for (const Sheet& sheet : book.sheets)
        for (const Chart& chart : sheet.charts) {
            ++charts;
            ASSERT_EQ(chart.plots.size(), 1u);
            EXPECT_EQ(chart.plots[0].kind, ChartKind::Column);
            ASSERT_EQ(chart.plots[0].series.size(), 2u);
            EXPECT_EQ(chart.plots[0].series[0].values.size(), 3u);
            EXPECT_GT(chart.anchor.widthPt, 700);
        }
    EXPECT_EQ(charts, 1u);
}

TEST(OdsPages, NotesAndChartsShowAsTheyDoForOtherFormats) {
    const Workbook annotated =
        readWorkbook(testing_support::corpusFile("ods/calamine-with-annotation.ods").string());
    const std::string notes = page(annotated);
    EXPECT_NE(notes.find("role=\"note\" title=\"Marc Schreiber:&#10;This is annotation of a.1\""),
              std::string::npos)
        << notes;

    auto package = dataWithFrame(chartFrame);
    package.add("Object 1/content.xml",
                chartDocument("<chart:chart chart:class=\"chart:bar\"><chart:plot-area><chart:axis "
                              "chart:dimension=\"x\"><chart:categories "
                              "table:cell-range-address=\"Data.A2:Data.A4\"/></chart:axis>"
                              "<chart:series chart:values-cell-range-address=\"Data.B2:Data.B4\"/>"
                              "</chart:plot-area></chart:chart>"));
    const std::string charted = page(readWorkbookBytes(package.bytes()));
    EXPECT_NE(charted.find("<svg"), std::string::npos);
    EXPECT_NE(charted.find(">South<"), std::string::npos);
}

TEST(OdsCharts, AnOversizedChartIsCutShort) {
    std::string series;
    for (int i = 0; i < 3; ++i)
        series += "<chart:series chart:values-cell-range-address=\"local-table.A1:.XFD1048576\">"
                  "<chart:data-point chart:repeated=\"1000000000000\"/></chart:series>";
    const auto chart = ods::parseChartObjectXml(
        chartDocument("<chart:chart chart:class=\"chart:line\"><chart:plot-area>" + series +
                      "</chart:plot-area><table:table><table:table-row><table:table-cell "
                      "table:number-columns-repeated=\"99999999\"/></table:table-row>"
                      "</table:table></chart:chart>"),
        "Object 1/content.xml");
    ASSERT_TRUE(chart.has_value());
    std::size_t points = 0;
    for (const ChartSeries& s : chart->plots.at(0).series)
        points += s.values.size();
    EXPECT_LE(points, 1'000'000u);
    EXPECT_GT(points, 0u);
}
