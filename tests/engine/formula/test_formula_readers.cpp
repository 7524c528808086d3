// Formulas as the readers take them from a file, computed once the workbook is read.

#include "engine/read/ReadWorkbook.h"
#include "engine/web/PageWriter.h"
#include "engine/web/Sink.h"
#include "tests/engine/ods/OdsBuilder.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;

namespace {

std::string textAt(const Workbook& book, std::uint32_t row, std::uint16_t col,
                   std::size_t sheet = 0) {
    for (const Cell& cell : book.sheets.at(sheet).cells)
        if (cell.row == row && cell.col == col) {
            switch (cell.type) {
            case CellType::Number: {
                char buffer[40];
                std::snprintf(buffer, sizeof buffer, "%.15g", cell.number);
                return buffer;
            }
            case CellType::Text:
                return book.strings.at(cell.text).text;
            case CellType::Boolean:
                return cell.boolean ? "TRUE" : "FALSE";
            case CellType::Error:
                return errorText(cell.error);
            case CellType::Empty:
                return "(empty)";
            }
        }
    return "(none)";
}

Workbook read(const PackageWriter& package) {
    const std::vector<std::uint8_t> bytes = package.bytes();
    return readWorkbookBytes(bytes);
}

// The workbook a reporting script writes: formulas without results.
const char* scriptSheet =
    "<sheetData>"
    "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>item</t></is></c></row>"
    "<row r=\"2\"><c r=\"B2\"><v>1.5</v></c><c r=\"C2\"><v>3</v></c><c r=\"D2\"><f>B2*C2</f></c>"
    "<c r=\"G2\" t=\"inlineStr\"><is><t>a</t></is></c><c r=\"H2\"><v>1.25</v></c></row>"
    "<row r=\"3\"><c r=\"B3\"><v>2</v></c><c r=\"C3\"><v>4.25</v></c><c r=\"D3\"><f>B3*C3</f></c>"
    "<c r=\"G3\" t=\"inlineStr\"><is><t>b</t></is></c><c r=\"H3\"><v>2.25</v></c></row>"
    "<row r=\"4\"><c r=\"B4\"><v>1</v></c><c r=\"C4\"><v>10.75</v></c><c r=\"D4\"><f>B4*C4</f></c>"
    "</row>"
    "<row r=\"5\"><c r=\"D5\"><f>SUM(D2:D4)</f></c><c r=\"E5\" t=\"str\"><f>IF(D5&gt;10,\"big\","
    "\"small\")</f></c><c r=\"F5\"><f>VLOOKUP(\"B\",$G$2:$H$3,2,FALSE)</f></c></row>"
    "</sheetData>";

TEST(FormulaReaders, ScriptWrittenWorkbookShowsItsComputedValuesOnThePage) {
    const Workbook book = read(minimalWorkbook({scriptSheet}));
    EXPECT_EQ(textAt(book, 1, 3), "4.5");
    EXPECT_EQ(textAt(book, 4, 3), "23.75");
    EXPECT_EQ(textAt(book, 4, 4), "big");
    EXPECT_EQ(textAt(book, 4, 5), "2.25");

    web::StringSink sink;
    web::PageContent content;
    content.sheets = {0};
    content.title = "t";
    web::writePage(sink, book, content);
    for (const char* shown : {">4.5<", ">23.75<", ">big<", ">2.25<"})
        EXPECT_NE(sink.text().find(shown), std::string::npos) << shown;
    EXPECT_EQ(sink.text().find("<!-- formulas:"), std::string::npos);
}

TEST(FormulaReaders, SharedAndArrayFormulasOfASheet) {
    const Workbook book = read(minimalWorkbook(
        {"<sheetData>"
         "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:B3\" si=\"0\">"
         "A1*2</f></c></row>"
         "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f t=\"shared\" si=\"0\"/></c></row>"
         "<row r=\"3\"><c r=\"A3\"><v>3</v></c><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>77</v></c>"
         "<c r=\"C3\"><f t=\"array\" ref=\"C3:D3\">{5,6}*A1</f></c><c r=\"D3\"/></row>"
         "</sheetData>"}));
    EXPECT_EQ(textAt(book, 0, 1), "2");
    EXPECT_EQ(textAt(book, 1, 1), "4");
    EXPECT_EQ(textAt(book, 2, 1), "77"); // has its result
    EXPECT_EQ(textAt(book, 2, 2), "5");
    EXPECT_EQ(textAt(book, 2, 3), "6");
}

TEST(FormulaReaders, FullCalculationNamesAndUnknownFunctions) {
    PackageWriter package = minimalWorkbook(
        {"<sheetData><row r=\"1\"><c r=\"A1\"><v>4</v></c><c r=\"B1\"><f>A1*Rate</f><v>0</v></c>"
         "<c r=\"C1\"><f>_xlfn.NOT_A_FUNCTION(A1)</f><v>9</v></c>"
         "<c r=\"D1\"><f>A1/0</f></c><c r=\"E1\"><f>E1+1</f></c></row></sheetData>",
         "<sheetData/>"});
    for (auto& [name, xml] : package.entries)
        if (name == "xl/workbook.xml") {
            xml.insert(xml.find("</workbook>"),
                       "<definedNames><definedName name=\"Rate\">Sheet2!$A$1*0+2.5"
                       "</definedName></definedNames><calcPr fullCalcOnLoad=\"1\"/>");
        }
    const Workbook book = read(package);
    EXPECT_TRUE(book.fullCalcOnLoad);
    EXPECT_EQ(textAt(book, 0, 1), "10"); // the stale 0 is replaced
    EXPECT_EQ(textAt(book, 0, 2), "9");  // unknown: the stored result stays
    EXPECT_EQ(textAt(book, 0, 3), "#DIV/0!");
    EXPECT_EQ(textAt(book, 0, 4), "0");
    EXPECT_EQ(book.unknownFunctionCells, 1u);
    EXPECT_EQ(book.circularCells, 1u);

    web::StringSink sink;
    web::PageContent content;
    content.sheets = {0, 1};
    content.title = "t";
    web::writePage(sink, book, content);
    const std::string note = "<!-- formulas: 1 cell with functions not computed; 1 circular "
                             "reference computed as 0 -->";
    const std::size_t at = sink.text().find(note);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(sink.text().find(note, at + 1), std::string::npos); // once for the whole page
}

TEST(FormulaReaders, OpenDocumentFormulasAndTheirRepeatedCopies) {
    const auto cell = [](const std::string& value) {
        return "<table:table-cell office:value-type=\"float\" office:value=\"" + value + "\"/>";
    };
    // B1 holds a stale result it keeps; C1 and its repeated copy have none and are computed.
    const std::string rows =
        "<table:table-row>" + cell("2") + cell("3") +
        "<table:table-cell table:formula=\"of:=[.A1]*[.B1]\" table:number-columns-repeated=\"2\"/>"
        "<table:table-cell table:formula=\"of:=SUM([.A1:.B1];[$Other.A1])\" "
        "office:value-type=\"float\" office:value=\"99\"/>"
        "<table:table-cell table:formula=\"of:=TODAY()-TODAY()+[$Other.A1]\"/>"
        "</table:table-row>";
    const std::string other = "<table:table-row>" + cell("7") + "</table:table-row>";
    const std::vector<std::uint8_t> bytes =
        testing_support::odsPackage(
            testing_support::odsContent(testing_support::odsTable(rows) +
                                        testing_support::odsTable(other, "Other")))
            .bytes();
    const Workbook book = readWorkbookBytes(bytes);
    EXPECT_EQ(textAt(book, 0, 2), "6");
    EXPECT_EQ(textAt(book, 0, 3), "18"); // B1*C1, moved one column
    EXPECT_EQ(textAt(book, 0, 4), "99");
    EXPECT_EQ(textAt(book, 0, 5), "7");
}

} // namespace
