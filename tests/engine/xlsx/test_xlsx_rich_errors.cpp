// Error cells whose text is #VALUE! but whose rich value names the error the application shows:
// #SPILL! and #CALC! reach the page and ERROR.TYPE as themselves.

#include "engine/read/ReadWorkbook.h"
#include "engine/xlsx/RichValueErrors.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::mainNs;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

const std::string richNs = "xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2017/"
                           "richdata\"";

// Types: 1 the rich values', 2 another kind. Value blocks: 1 and 2 name rich values 0 and 1,
// 3 another kind's block, 4 a future block past the list.
std::string metadataXml() {
    return std::string("<metadata ") + mainNs +
           " xmlns:xlrd=\"http://schemas.microsoft.com/office/spreadsheetml/2017/richdata\">"
           "<metadataTypes><metadataType name=\"XLRICHVALUE\"/><metadataType name=\"XLDAPR\"/>"
           "</metadataTypes><futureMetadata name=\"XLRICHVALUE\"><bk><extLst><ext><xlrd:rvb "
           "i=\"0\"/></ext></extLst></bk><bk><extLst><ext><xlrd:rvb i=\"1\"/></ext></extLst>"
           "</bk></futureMetadata><valueMetadata><bk><rc t=\"1\" v=\"0\"/></bk><bk><rc t=\"1\" "
           "v=\"1\"/></bk><bk><rc t=\"2\" v=\"0\"/></bk><bk><rc t=\"1\" v=\"5\"/></bk>"
           "</valueMetadata></metadata>";
}

// Structures: 0 an error with its type second, 1 some other kind of value.
std::string structuresXml() {
    return "<rvStructures " + richNs +
           "><s t=\"_error\"><k n=\"subType\" t=\"i\"/><k n=\"errorType\" t=\"i\"/></s>"
           "<s t=\"_linkedentity\"><k n=\"errorType\" t=\"i\"/></s></rvStructures>";
}

// Values: 0 #CALC!, 1 #SPILL!, 2 an error type this engine does not tell apart, 3 another kind.
std::string valuesXml() {
    return "<rvData " + richNs +
           "><rv s=\"0\"><v>0</v><v>13</v></rv><rv s=\"0\"><v>2</v><v>8</v></rv>"
           "<rv s=\"0\"><v>0</v><v>11</v></rv><rv s=\"1\"><v>8</v></rv></rvData>";
}

TEST(XlsxRichErrors, ValueBlocksLeadToTheErrorsOfTheirRichValues) {
    const xlsx::RichValueErrors errors(
        xlsx::parseValueMetadataXml(metadataXml(), "xl/metadata.xml"),
        xlsx::parseRichValueErrorsXml(valuesXml(), structuresXml(), "xl/richData/rdrichvalue.xml"));
    EXPECT_EQ(errors.error("1"), CellError::Calc);
    EXPECT_EQ(errors.error("2"), CellError::Spill);
    for (const char* vm : {"", "0", "3", "4", "5", "x", "99999999999999999999"})
        EXPECT_EQ(errors.error(vm), std::nullopt) << vm;

    const auto values =
        xlsx::parseRichValueErrorsXml(valuesXml(), structuresXml(), "xl/richData/rdrichvalue.xml");
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[2], std::nullopt); // a type without an error of its own here
    EXPECT_EQ(values[3], std::nullopt); // not an _error value
}

TEST(XlsxRichErrors, TooManyRecordsFailNamingThePart) {
    std::string xml = "<rvData " + richNs + ">";
    for (int i = 0; i < 1'000'001; ++i)
        xml += "<rv/>";
    xml += "</rvData>";
    try {
        xlsx::parseRichValueErrorsXml(xml, structuresXml(), "xl/richData/rdrichvalue.xml");
        FAIL() << "a part past the bound was taken";
    } catch (const ReadError& error) {
        EXPECT_NE(std::string(error.what()).find("rdrichvalue"), std::string::npos);
    }
}

std::vector<std::uint8_t> workbook(const std::string& values) {
    const std::string cells =
        "<sheetData><row r=\"1\"><c r=\"A1\" t=\"e\" vm=\"1\"><v>#VALUE!</v></c>"
        "<c r=\"B1\" t=\"e\" vm=\"2\"><f>SEQUENCE(2)</f><v>#VALUE!</v></c>"
        "<c r=\"C1\" t=\"e\"><v>#VALUE!</v></c><c r=\"D1\" t=\"e\" vm=\"1\"><v>#N/A</v></c>"
        "<c r=\"E1\"><f>ERROR.TYPE(A1)</f></c></row></sheetData>";
    PackageWriter package;
    package.add("_rels/.rels", relationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"}}));
    package.add("xl/workbook.xml",
                std::string("<workbook ") + mainNs +
                    "><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
                    "</workbook>");
    const std::string rich = "http://schemas.microsoft.com/office/2017/06/relationships/";
    package.add("xl/_rels/workbook.xml.rels",
                relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                  {"rId2", "sheetMetadata", "metadata.xml"},
                                  {"rId3", rich + "rdRichValue", "richData/rdrichvalue.xml"},
                                  {"rId4", rich + "rdRichValueStructure",
                                   "richData/rdrichvaluestructure.xml"}}));
    package.add("xl/worksheets/sheet1.xml",
                std::string("<worksheet ") + mainNs + ">" + cells + "</worksheet>");
    package.add("xl/metadata.xml", metadataXml());
    package.add("xl/richData/rdrichvalue.xml", values);
    package.add("xl/richData/rdrichvaluestructure.xml", structuresXml());
    return package.bytes();
}

const Cell* cellAt(const Sheet& sheet, std::uint16_t col) {
    for (const Cell& c : sheet.cells)
        if (c.row == 0 && c.col == col)
            return &c;
    return nullptr;
}

TEST(XlsxRichErrors, CellsShowTheErrorTheApplicationShows) {
    const Workbook book = readWorkbookBytes(workbook(valuesXml()));
    const Sheet& sheet = book.sheets.at(0);
    const std::pair<std::uint16_t, CellError> expected[] = {
        {0, CellError::Calc}, {1, CellError::Spill}, {2, CellError::Value}, {3, CellError::NA}};
    for (const auto& [col, error] : expected) {
        const Cell* cell = cellAt(sheet, col);
        ASSERT_NE(cell, nullptr) << col;
        EXPECT_EQ(cell->type, CellType::Error) << col;
        EXPECT_EQ(cell->error, error) << col;
    }
    const Cell* type = cellAt(sheet, 4);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->type, CellType::Number);
    EXPECT_EQ(type->number, 14); // ERROR.TYPE of #CALC!
}

TEST(XlsxRichErrors, ADamagedRichValuePartLeavesTheCellsTheirText) {
    const Workbook book = readWorkbookBytes(workbook(valuesXml().substr(0, 40)));
    const Cell* cell = cellAt(book.sheets.at(0), 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->error, CellError::Value);
}

} // namespace
