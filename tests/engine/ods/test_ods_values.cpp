// Cells, repeats, merges, rows, columns, links and pictures of small spreadsheets built here,
// one quirk of the format per case.

#include "engine/base/ReadError.h"
#include "engine/ods/OdsReader.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/ods/OdsBuilder.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::odsContent;
using testing_support::odsPackage;
using testing_support::odsTable;

namespace {

Workbook read(const std::string& content, const std::string& styles = {}) {
    return readWorkbookBytes(odsPackage(content, styles).bytes());
}

Workbook readTable(const std::string& rows) {
    return read(odsContent(odsTable(rows)));
}

const Cell* cellAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const auto& cell : sheet.cells)
        if (cell.row == row && cell.col == col)
            return &cell;
    return nullptr;
}

std::string textAt(const Workbook& book, std::uint32_t row, std::uint16_t col) {
    const Cell* cell = cellAt(book.sheets.at(0), row, col);
    if (!cell || cell->type != CellType::Text)
        return "<no text>";
    return book.strings.at(cell->text).text;
}

std::string row(const std::string& cells, const std::string& attributes = {}) {
    return "<table:table-row" + attributes + ">" + cells + "</table:table-row>";
}

std::string cell(const std::string& attributes, const std::string& body = {}) {
    return "<table:table-cell " + attributes + ">" + body + "</table:table-cell>";
}

TEST(OdsCells, EveryValueType) {
    const Workbook book = readTable(
        row(cell("office:value-type=\"float\" office:value=\"1.5\"", "<text:p>1.5</text:p>") +
            cell("office:value-type=\"percentage\" office:value=\"0.25\"") +
            cell("office:value-type=\"currency\" office:currency=\"EUR\" office:value=\"-3\"") +
            cell("office:value-type=\"date\" office:date-value=\"2021-01-01\"") +
            cell("office:value-type=\"date\" office:date-value=\"2021-01-01T12:00:00\"") +
            cell("office:value-type=\"time\" office:time-value=\"PT10H10M10S\"") +
            cell("office:value-type=\"boolean\" office:boolean-value=\"true\"") +
            cell("office:value-type=\"string\"", "<text:p>words</text:p>") +
            cell("office:value-type=\"string\" office:string-value=\"attribute\"",
                 "<text:p>shown</text:p>") +
            cell("table:formula=\"of:=1/0\" office:value-type=\"float\" office:value=\"0\"",
                 "<text:p>#DIV/0!</text:p>") +
            cell("", "<text:p>untyped</text:p>")));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cells.size(), 11u);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 0)->number, 1.5);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 1)->number, 0.25);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 2)->number, -3);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 3)->number, 44197);
    EXPECT_DOUBLE_EQ(cellAt(sheet, 0, 4)->number, 44197.5);
    EXPECT_NEAR(cellAt(sheet, 0, 5)->number, (10 * 3600 + 610) / 86400.0, 1e-12);
    ASSERT_EQ(cellAt(sheet, 0, 6)->type, CellType::Boolean);
    EXPECT_TRUE(cellAt(sheet, 0, 6)->boolean);
    EXPECT_EQ(textAt(book, 0, 7), "words");
    EXPECT_EQ(textAt(book, 0, 8), "attribute");
    ASSERT_EQ(cellAt(sheet, 0, 9)->type, CellType::Error);
    EXPECT_EQ(cellAt(sheet, 0, 9)->error, CellError::Div0);
    EXPECT_TRUE(cellAt(sheet, 0, 9)->isFormula);
    EXPECT_EQ(textAt(book, 0, 10), "untyped");
}

TEST(OdsCells, DatesBeforeMarchNineteenHundredAndTheOtherDateOrigin) {
    const std::string cells =
        row(cell("office:value-type=\"date\" office:date-value=\"1900-01-01\"") +
            cell("office:value-type=\"date\" office:date-value=\"1900-03-01\""));
    const Workbook book = readTable(cells);
    EXPECT_EQ(book.dateSystem, DateSystem::Date1900);
    EXPECT_DOUBLE_EQ(cellAt(book.sheets[0], 0, 0)->number, 1);
    EXPECT_DOUBLE_EQ(cellAt(book.sheets[0], 0, 1)->number, 61);

    const Workbook origin1904 = read(odsContent(
        odsTable(row(cell("office:value-type=\"date\" office:date-value=\"1904-01-02\""))), {},
        "<table:calculation-settings><table:null-date table:date-value=\"1904-01-01\"/>"
        "</table:calculation-settings>"));
    EXPECT_EQ(origin1904.dateSystem, DateSystem::Date1904);
    EXPECT_DOUBLE_EQ(cellAt(origin1904.sheets[0], 0, 0)->number, 1);
}

TEST(OdsText, ParagraphsSpacesTabsAndBreaksAsTheSuiteShowsThem) {
    const Workbook book = readTable(row(
        cell("office:value-type=\"string\"", "<text:p>Split</text:p><text:p>Line</text:p>") +
        cell(
            "office:value-type=\"string\"",
            "<text:p><text:s/>a <text:s text:c=\"2\"/>b<text:tab/>c<text:line-break/>d </text:p>") +
        cell("office:value-type=\"string\"", "<text:p>collapsed \n   white</text:p>") +
        cell("office:value-type=\"string\"",
             "<text:p>x<text:span text:style-name=\"T1\">y</text:span>z</text:p>")));
    EXPECT_EQ(textAt(book, 0, 0), "Split\nLine");
    EXPECT_EQ(textAt(book, 0, 1), " a   b\tc\nd ");
    EXPECT_EQ(textAt(book, 0, 2), "collapsed white");
    EXPECT_EQ(textAt(book, 0, 3), "xyz");
}

TEST(OdsText, CommentsAndDrawingsInACellAreNotItsText) {
    const Workbook book =
        readTable(row(cell("office:value-type=\"string\"",
                           "<office:annotation><text:p>a comment</text:p></office:annotation>"
                           "<text:p>value</text:p>")));
    EXPECT_EQ(textAt(book, 0, 0), "value");
}

TEST(OdsRepeats, RepeatedCellsAndRowsWithContentAreEachACell) {
    const Workbook book =
        readTable(row(cell("table:number-columns-repeated=\"3\" office:value-type=\"float\" "
                           "office:value=\"7\"") +
                          cell("table:number-columns-repeated=\"1000\""),
                      " table:number-rows-repeated=\"2\"") +
                  row(cell("office:value-type=\"string\"", "<text:p>last</text:p>")));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.cells.size(), 7u);
    for (std::uint32_t r = 0; r < 2; ++r)
        for (std::uint16_t c = 0; c < 3; ++c)
            ASSERT_NE(cellAt(sheet, r, c), nullptr) << r << "," << c;
    EXPECT_EQ(textAt(book, 2, 0), "last");
}

TEST(OdsRepeats, EmptyRowsAndColumnsToTheEndOfTheSheetCostNothing) {
    const Workbook book =
        readTable("<table:table-column table:number-columns-repeated=\"16384\"/>" +
                  row(cell("office:value-type=\"float\" office:value=\"1\"") +
                      cell("table:number-columns-repeated=\"16383\"")) +
                  row(cell("table:number-columns-repeated=\"16384\""),
                      " table:number-rows-repeated=\"1048575\" table:visibility=\"collapse\""));
    const Sheet& sheet = book.sheets.at(0);
    EXPECT_EQ(sheet.cells.size(), 1u);
    EXPECT_TRUE(sheet.rows.empty());
    EXPECT_TRUE(sheet.columns.empty());
}

TEST(OdsMerges, SpannedCellsAreMergedAndCoveredCellsKeepTheirValues) {
    const Workbook book = readTable(
        row(cell("office:value-type=\"string\" table:number-columns-spanned=\"2\" "
                 "table:number-rows-spanned=\"3\"",
                 "<text:p>big</text:p>") +
            "<table:covered-table-cell/>") +
        row("<table:covered-table-cell table:number-columns-repeated=\"2\"/>" +
            cell("office:value-type=\"float\" office:value=\"5\"")) +
        row("<table:covered-table-cell office:value-type=\"string\"><text:p>hidden</text:p>"
            "</table:covered-table-cell>"));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.merges.size(), 1u);
    EXPECT_EQ(sheet.merges[0], (Range{0, 2, 0, 1}));
    // The value right of the area sits in the third column.
    ASSERT_NE(cellAt(sheet, 1, 2), nullptr);
    EXPECT_EQ(textAt(book, 2, 0), "hidden");
}

TEST(OdsLayout, ColumnWidthsRowHeightsAndHiddenRowsAndColumns) {
    const std::string styles =
        "<style:style style:name=\"co1\" style:family=\"table-column\">"
        "<style:table-column-properties style:column-width=\"1in\"/></style:style>"
        "<style:style style:name=\"ro1\" style:family=\"table-row\">"
        "<style:table-row-properties style:row-height=\"30pt\" "
        "style:use-optimal-row-height=\"false\"/></style:style>";
    const Workbook book = read(odsContent(
        odsTable(
            "<table:table-column table:style-name=\"co1\" table:number-columns-repeated=\"2\"/>"
            "<table:table-column table:visibility=\"collapse\"/>" +
            row(cell("office:value-type=\"float\" office:value=\"1\""),
                " table:style-name=\"ro1\"") +
            row("", " table:visibility=\"collapse\"") +
            row(cell("office:value-type=\"float\" office:value=\"2\""))),
        styles));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.columns.size(), 2u);
    EXPECT_EQ(sheet.columns[0].firstCol, 0);
    EXPECT_EQ(sheet.columns[0].lastCol, 1);
    EXPECT_NEAR(sheet.columns[0].width * 7, 96, 0.01); // one inch is 96 pixels
    EXPECT_TRUE(sheet.columns[1].hidden);
    EXPECT_EQ(sheet.columns[1].firstCol, 2);
    ASSERT_EQ(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[0].row, 0u);
    EXPECT_DOUBLE_EQ(sheet.rows[0].height, 30);
    EXPECT_TRUE(sheet.rows[0].customHeight);
    EXPECT_EQ(sheet.rows[1].row, 1u);
    EXPECT_TRUE(sheet.rows[1].hidden);
}

TEST(OdsTables, HiddenTablesAndSheetOrder) {
    const std::string styles = "<style:style style:name=\"ta2\" style:family=\"table\">"
                               "<style:table-properties table:display=\"false\"/></style:style>";
    const Workbook book =
        read(odsContent(odsTable(row(cell("")), "First") +
                            odsTable(row(cell("")), "Second", " table:style-name=\"ta2\"") +
                            odsTable(row(cell("")), "Third"),
                        styles));
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, "First");
    EXPECT_EQ(book.sheets[1].visibility, Visibility::Hidden);
    EXPECT_EQ(book.sheets[2].name, "Third");
    EXPECT_EQ(book.sheets[2].visibility, Visibility::Visible);
}

TEST(OdsLinks, ExternalAndInternalLinksOfCells) {
    const Workbook book = readTable(
        row(cell("office:value-type=\"string\"",
                 "<text:p><text:a xlink:href=\"https://example.org/\">site</text:a></text:p>") +
            cell("office:value-type=\"string\"",
                 "<text:p><text:a xlink:href=\"#Other.B2\">there</text:a></text:p>")));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.hyperlinks.size(), 2u);
    EXPECT_EQ(sheet.hyperlinks[0].target, "https://example.org/");
    EXPECT_EQ(sheet.hyperlinks[0].range, (Range{0, 0, 0, 0}));
    EXPECT_EQ(sheet.hyperlinks[1].location, "Other!B2");
    EXPECT_EQ(textAt(book, 0, 0), "site");
}

TEST(OdsPictures, FramesInCellsAndInTheTablesShapes) {
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\1\0\0\0\1\x08\x02\0\0\0", 29);
    auto package = odsPackage(odsContent(
        odsTable("<table:shapes><draw:frame svg:x=\"10pt\" svg:y=\"20pt\" svg:width=\"30pt\" "
                 "svg:height=\"40pt\"><draw:image xlink:href=\"Pictures/a.png\"/></draw:frame>"
                 "</table:shapes>" +
                 row(cell("") +
                     cell("", "<draw:frame svg:width=\"1in\" svg:height=\"1in\">"
                              "<draw:image xlink:href=\"./Pictures/a.png\"><text:p/></draw:image>"
                              "</draw:frame>") +
                     cell("", "<draw:frame><draw:image xlink:href=\"https://example.org/x.png\"/>"
                              "</draw:frame>") +
                     cell("", "<draw:frame><draw:image xlink:href=\"Pictures/missing.png\"/>"
                              "</draw:frame>")))));
    package.add("Pictures/a.png", png);
    const Workbook book = readWorkbookBytes(package.bytes());
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 2u);
    EXPECT_EQ(sheet.pictures[0].mimeType, "image/png");
    EXPECT_DOUBLE_EQ(sheet.pictures[0].anchor.colOffsetPt, 10);
    EXPECT_DOUBLE_EQ(sheet.pictures[0].anchor.rowOffsetPt, 20);
    EXPECT_DOUBLE_EQ(sheet.pictures[0].anchor.heightPt, 40);
    EXPECT_EQ(sheet.pictures[1].anchor.col, 1);
    EXPECT_DOUBLE_EQ(sheet.pictures[1].anchor.widthPt, 72);
    EXPECT_TRUE(sheet.cells.empty());
}

TEST(OdsFlat, AFlatDocumentReadsLikeAPackage) {
    std::string flat =
        std::string("<?xml version=\"1.0\"?>\n<!-- written by hand -->"
                    "<office:document ") +
        testing_support::odsNamespaces +
        " office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
        "<office:styles><number:percentage-style style:name=\"N1\">"
        "<number:number number:decimal-places=\"1\" number:min-integer-digits=\"1\"/>"
        "<number:text>%</number:text></number:percentage-style>"
        "<style:style style:name=\"P\" style:family=\"table-cell\" "
        "style:data-style-name=\"N1\"/></office:styles>"
        "<office:body><office:spreadsheet>" +
        odsTable(row(cell("table:style-name=\"P\" office:value-type=\"percentage\" "
                          "office:value=\"0.5\""))) +
        "</office:spreadsheet></office:body></office:document>";
    const std::vector<std::uint8_t> bytes(flat.begin(), flat.end());
    ASSERT_TRUE(ods::looksLikeFlatDocument(bytes));
    const Workbook book = readWorkbookBytes(bytes);
    const Cell* value = cellAt(book.sheets.at(0), 0, 0);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(book.numberFormats.at(book.cellFormats.at(value->format).numFmtId), "0.0%");
}

TEST(OdsFlat, InlinePicturesAreDecodedAndBrokenOnesLeftOut) {
    const auto frame = [](const std::string& data) {
        return "<draw:frame svg:width=\"1in\" svg:height=\"1in\"><draw:image>"
               "<office:binary-data>" +
               data + "</office:binary-data></draw:image></draw:frame>";
    };
    std::string flat =
        std::string("<office:document ") + testing_support::odsNamespaces +
        "><office:body><office:spreadsheet>" +
        odsTable("<table:shapes>" + frame("iVBORw0KGgoAAAANSUhE\nUgAAAAEAAAABCAIAAAA=") +
                 frame("not base64!") + "</table:shapes>" + row(cell(""))) +
        "</office:spreadsheet></office:body></office:document>";
    const Workbook book = readWorkbookBytes(std::vector<std::uint8_t>(flat.begin(), flat.end()));
    const Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    EXPECT_EQ(sheet.pictures[0].mimeType, "image/png");
    EXPECT_EQ(sheet.pictures[0].data.size(), 29u);
}

TEST(OdsRecognition, ByContentNotByName) {
    EXPECT_TRUE(ods::looksLikePackage(odsPackage(odsContent(odsTable(""))).bytes()));
    testing_support::PackageWriter noMimetype;
    noMimetype.add("META-INF/manifest.xml", "<m/>").add("content.xml", "<c/>");
    EXPECT_TRUE(ods::looksLikePackage(noMimetype.bytes()));
    testing_support::PackageWriter ooxml;
    ooxml.add("[Content_Types].xml", "<Types/>")
        .add("content.xml", "<c/>")
        .add("META-INF/manifest.xml", "<m/>");
    EXPECT_FALSE(ods::looksLikePackage(ooxml.bytes()));
    const std::string xml = "<?xml version=\"1.0\"?><worksheet/>";
    EXPECT_FALSE(ods::looksLikeFlatDocument(std::vector<std::uint8_t>(xml.begin(), xml.end())));
}

// office:settings with two views of two tables: "Frozen" keeps a row and two columns, "Split"
// is split without freezing; a second view's freezing is another window's and counts not.
std::string viewSettings() {
    const auto item = [](const char* name, int value) {
        return std::string("<config:config-item config:name=\"") + name +
               "\" config:type=\"int\">" + std::to_string(value) + "</config:config-item>";
    };
    const auto table = [&](const char* name, int columnsMode, int columns, int rowsMode, int rows) {
        return std::string("<config:config-item-map-entry config:name=\"") + name + "\">" +
               item("HorizontalSplitMode", columnsMode) + item("VerticalSplitMode", rowsMode) +
               item("HorizontalSplitPosition", columns) + item("VerticalSplitPosition", rows) +
               "</config:config-item-map-entry>";
    };
    const auto view = [](const std::string& tables) {
        return "<config:config-item-map-entry><config:config-item config:name=\"ViewId\" "
               "config:type=\"string\">view</config:config-item>"
               "<config:config-item-map-named config:name=\"Tables\">" +
               tables + "</config:config-item-map-named></config:config-item-map-entry>";
    };
    return "<office:settings><config:config-item-set config:name=\"ooo:view-settings\">"
           "<config:config-item-map-indexed config:name=\"Views\">" +
           view(table("Frozen", 2, 2, 2, 1) + table("Split", 1, 3, 1, 4)) +
           view(table("Split", 2, 3, 2, 4)) +
           "</config:config-item-map-indexed></config:config-item-set></office:settings>";
}

constexpr const char* configNamespace =
    " xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\"";

void expectFrozenPanes(const Workbook& book) {
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].frozenRows, 1u);
    EXPECT_EQ(book.sheets[0].frozenColumns, 2u);
    EXPECT_EQ(book.sheets[1].frozenRows, 0u);
    EXPECT_EQ(book.sheets[1].frozenColumns, 0u);
}

TEST(OdsSettings, FrozenPanesOfThePackagesAndFlatDocumentsFirstView) {
    const std::string tables =
        odsTable(row(cell("office:value-type=\"float\" office:value=\"1\"")), "Frozen") +
        odsTable(row(cell("")), "Split");
    auto package = odsPackage(odsContent(tables));
    package.add("settings.xml", std::string("<?xml version=\"1.0\"?><office:document-settings ") +
                                    testing_support::odsNamespaces + configNamespace + ">" +
                                    viewSettings() + "</office:document-settings>");
    expectFrozenPanes(readWorkbookBytes(package.bytes()));

    const std::string flat = std::string("<?xml version=\"1.0\"?><office:document ") +
                             testing_support::odsNamespaces + configNamespace + ">" +
                             viewSettings() + "<office:body><office:spreadsheet>" + tables +
                             "</office:spreadsheet></office:body></office:document>";
    expectFrozenPanes(readWorkbookBytes(std::vector<std::uint8_t>(flat.begin(), flat.end())));

    // Damaged settings cost the frozen panes, not the workbook.
    auto damaged = odsPackage(odsContent(tables));
    damaged.add("settings.xml", "<office:document-settings><unclosed>");
    const Workbook book = readWorkbookBytes(damaged.bytes());
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].frozenRows, 0u);
}

} // namespace
