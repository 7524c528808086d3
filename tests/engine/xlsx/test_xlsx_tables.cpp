// The table parts of XML workbooks: each table's name, range, header and total rows and column
// names, as structured references need them.

#include "engine/base/ReadError.h"
#include "engine/xlsx/TableParts.h"

#include <gtest/gtest.h>

namespace {

const std::string ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

std::string tableXml(const std::string& attributes, const std::string& columns) {
    return "<table " + ns + " id=\"1\" " + attributes + "><tableColumns>" + columns +
           "</tableColumns></table>";
}

struct Case {
    const char* what;
    std::string xml;
    bool usable;
    std::string name;
    engine::Range range;
    std::uint32_t headerRows, totalsRows;
    std::vector<std::string> columns;
};

TEST(XlsxTables, PartsReadAsTheirDefinitionsSay) {
    const std::string ab = "<tableColumn id=\"1\" name=\"A\"/><tableColumn id=\"2\" name=\"B\"/>";
    const std::vector<Case> cases{
        {"display name over name, a header row by default",
         tableXml("name=\"Table1\" displayName=\"Sales\" ref=\"B2:C6\"", ab),
         true,
         "Sales",
         engine::Range{1, 5, 1, 2},
         1,
         0,
         {"A", "B"}},
        {"the name when no display name",
         tableXml("name=\"Table1\" ref=\"A1:B3\"", ab),
         true,
         "Table1",
         engine::Range{0, 2, 0, 1},
         1,
         0,
         {"A", "B"}},
        {"no header row, a total row",
         tableXml("name=\"T\" ref=\"A1:B3\" headerRowCount=\"0\" totalsRowCount=\"1\"", ab),
         true,
         "T",
         engine::Range{0, 2, 0, 1},
         0,
         1,
         {"A", "B"}},
        {"escaped and non-ASCII column names",
         tableXml("name=\"T\" ref=\"A1:B3\"",
                  "<tableColumn id=\"1\" name=\"Line_x000a_Break\"/>"
                  "<tableColumn id=\"2\" name=\"Pr\xC3\xA9is [EUR]\"/>"),
         true,
         "T",
         engine::Range{0, 2, 0, 1},
         1,
         0,
         {"Line\nBreak", "Pr\xC3\xA9is [EUR]"}},
        {"columns the part leaves out get default names",
         tableXml("name=\"T\" ref=\"A1:C3\"", "<tableColumn id=\"1\" name=\"Only\"/>"),
         true,
         "T",
         engine::Range{0, 2, 0, 2},
         1,
         0,
         {"Only", "Column2", "Column3"}},
        {"columns past the range are dropped",
         tableXml("name=\"T\" ref=\"A1:A3\"", ab),
         true,
         "T",
         engine::Range{0, 2, 0, 0},
         1,
         0,
         {"A"}},
        {"no range", tableXml("name=\"T\"", ab), false, "T", {}, 1, 0, {}},
        {"a malformed range", tableXml("name=\"T\" ref=\"A1:\"", ab), false, "T", {}, 1, 0, {}},
        {"no name",
         tableXml("ref=\"A1:B3\"", ab),
         false,
         "",
         engine::Range{0, 2, 0, 1},
         1,
         0,
         {"A", "B"}},
        {"header and total rows and nothing between",
         tableXml("name=\"T\" ref=\"A1:B2\" totalsRowCount=\"1\"", ab),
         false,
         "T",
         engine::Range{0, 1, 0, 1},
         1,
         1,
         {"A", "B"}},
    };
    for (const Case& c : cases) {
        engine::Table table;
        EXPECT_EQ(engine::xlsx::parseTableXml(c.xml, "xl/tables/table1.xml", table), c.usable)
            << c.what;
        if (!c.usable)
            continue;
        EXPECT_EQ(table.name, c.name) << c.what;
        EXPECT_EQ(table.range, c.range) << c.what;
        EXPECT_EQ(table.headerRows, c.headerRows) << c.what;
        EXPECT_EQ(table.totalsRows, c.totalsRows) << c.what;
        EXPECT_EQ(table.columns, c.columns) << c.what;
    }
}

TEST(XlsxTables, BoundsHoldOnHostileParts) {
    // A name far past the bound is cut to it; a part that is not XML fails naming the part.
    engine::Table table;
    const std::string longName(100000, 'n');
    ASSERT_TRUE(engine::xlsx::parseTableXml(
        tableXml("name=\"T\" ref=\"A1:A3\"", "<tableColumn id=\"1\" name=\"" + longName + "\"/>"),
        "xl/tables/table1.xml", table));
    EXPECT_LE(table.columns.at(0).size(), 1024u);
    engine::Table broken;
    try {
        engine::xlsx::parseTableXml("<table name=\"T\"", "xl/tables/table9.xml", broken);
        FAIL() << "a malformed part was taken";
    } catch (const engine::ReadError& error) {
        EXPECT_NE(std::string(error.what()).find("table9"), std::string::npos) << error.what();
    }
}

} // namespace
