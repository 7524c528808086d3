// The metadata part's cell metadata: which cm numbers mark a dynamic array formula.

#include "engine/base/ReadError.h"
#include "engine/xlsx/CellMetadata.h"

#include <gtest/gtest.h>

namespace {

const std::string head =
    "<metadata xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:xda=\"http://schemas.microsoft.com/office/spreadsheetml/2017/dynamicarray\">";

std::string future(const std::string& name, const std::vector<const char*>& dynamic) {
    std::string xml = "<futureMetadata name=\"" + name + "\">";
    for (const char* flag : dynamic)
        xml += std::string("<bk><extLst><ext uri=\"{bdbb8cdc-fa1e-496e-a857-3c3f30c029c3}\">"
                           "<xda:dynamicArrayProperties fDynamic=\"") +
               flag + "\" fCollapsed=\"0\"/></ext></extLst></bk>";
    return xml + "</futureMetadata>";
}

TEST(XlsxCellMetadata, OnlyBlocksOfDynamicArrayPropertiesMark) {
    // Types: 1 another kind, 2 the dynamic arrays'. Cell blocks: 1 the dynamic one, 2 the
    // collapsed-only one, 3 another kind's, 4 a future block past the list, 5 an unknown type.
    const std::string xml =
        head +
        "<metadataTypes><metadataType name=\"XLRICHVALUE\"/><metadataType name=\"XLDAPR\"/>"
        "</metadataTypes>" +
        future("XLRICHVALUE", {"1"}) + future("XLDAPR", {"1", "0"}) +
        "<cellMetadata><bk><rc t=\"2\" v=\"0\"/></bk><bk><rc t=\"2\" v=\"1\"/></bk>"
        "<bk><rc t=\"1\" v=\"0\"/></bk><bk><rc t=\"2\" v=\"7\"/></bk><bk><rc t=\"9\" v=\"0\"/>"
        "</bk></cellMetadata></metadata>";
    const engine::xlsx::DynamicArrayMarks marks =
        engine::xlsx::parseCellMetadataXml(xml, "xl/metadata.xml");
    EXPECT_TRUE(engine::xlsx::marksDynamicArray(marks, "1"));
    for (const char* cm : {"", "0", "2", "3", "4", "5", "6", "x", "99999999999999999999"})
        EXPECT_FALSE(engine::xlsx::marksDynamicArray(marks, cm)) << cm;
}

TEST(XlsxCellMetadata, WithoutAPartAnyCellMetadataMarks) {
    const engine::xlsx::DynamicArrayMarks none;
    EXPECT_TRUE(engine::xlsx::marksDynamicArray(none, "1"));
    EXPECT_TRUE(engine::xlsx::marksDynamicArray(none, "7"));
    EXPECT_FALSE(engine::xlsx::marksDynamicArray(none, ""));
}

TEST(XlsxCellMetadata, BlocksPastTheBoundFailNamingThePart) {
    std::string xml = head + "<cellMetadata>";
    for (int i = 0; i < 1'000'001; ++i)
        xml += "<bk/>";
    xml += "</cellMetadata></metadata>";
    try {
        engine::xlsx::parseCellMetadataXml(xml, "xl/metadata.xml");
        FAIL() << "a part past the bound was taken";
    } catch (const engine::ReadError& error) {
        EXPECT_NE(std::string(error.what()).find("metadata"), std::string::npos);
    }
}

} // namespace
