// Comments and the sheet's reading direction as the OOXML reader takes them from a package.

#include "engine/base/ReadError.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::mainNs;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

PackageWriter withComments(const std::string& comments, const std::string& view = {}) {
    PackageWriter package =
        minimalWorkbook({view + "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                "</sheetData><legacyDrawing r:id=\"rIdV\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rIdC", "comments", "../comments1.xml"},
                                  {"rIdV", "vmlDrawing", "../drawings/vmlDrawing1.vml"}}));
    package.add("xl/comments1.xml",
                std::string("<comments ") + mainNs + ">" + comments + "</comments>");
    return package;
}

const Comment* noteAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const Comment& comment : sheet.comments)
        if (comment.row == row && comment.col == col)
            return &comment;
    return nullptr;
}

TEST(XlsxComments, TextsAuthorsAndCellsThroughTheSheetsRelationships) {
    const Workbook book = xlsx::readPackage(
        withComments("<authors><author>Ann_x0020_Lee</author><author>Bo</author></authors>"
                     "<commentList>"
                     "<comment ref=\"A1\" authorId=\"0\"><text><r><rPr><b/></rPr><t>Ann Lee:</t>"
                     "</r><r><t xml:space=\"preserve\">\nChecked &amp; &lt;ok&gt;</t></r>"
                     "</text></comment>"
                     "<comment ref=\"C5\" authorId=\"7\"><text><t>plain</t>"
                     "<rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh></text></comment>"
                     // A second note on one cell, a bad reference and one past the grid are
                     // left out.
                     "<comment ref=\"A1\" authorId=\"1\"><text><t>again</t></text></comment>"
                     "<comment ref=\"bogus\"><text><t>x</t></text></comment>"
                     "<comment ref=\"XFE1\"><text><t>x</t></text></comment>"
                     "</commentList>")
            .bytes());
    const Sheet& sheet = book.sheets[0];
    ASSERT_EQ(sheet.comments.size(), 2u);
    const Comment* first = noteAt(sheet, 0, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->author, "Ann Lee");
    EXPECT_EQ(first->text, "Ann Lee:\nChecked & <ok>");
    const Comment* second = noteAt(sheet, 4, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->author, ""); // no such author
    EXPECT_EQ(second->text, "plain");
    EXPECT_FALSE(sheet.rightToLeft);
}

TEST(XlsxComments, MissingOrMalformedPartsCostTheNotesOrSayWhere) {
    // A relationship to a part the package lacks: the sheet reads without notes.
    PackageWriter missing = minimalWorkbook({"<sheetData/>"});
    missing.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rIdC", "comments", "../comments9.xml"}}));
    EXPECT_TRUE(xlsx::readPackage(missing.bytes()).sheets[0].comments.empty());

    try {
        xlsx::readPackage(withComments("<commentList><comment ref=\"A1\">").bytes());
        ADD_FAILURE() << "a malformed comments part was read";
    } catch (const ReadError& error) {
        EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
        EXPECT_NE(std::string(error.what()).find("comments1.xml"), std::string::npos)
            << error.what();
    }
}

TEST(XlsxView, RightToLeftSheetsFromTheFirstView) {
    const Workbook book = xlsx::readPackage(
        withComments("", "<sheetViews><sheetView rightToLeft=\"1\"/><sheetView/></sheetViews>")
            .bytes());
    EXPECT_TRUE(book.sheets[0].rightToLeft);
}

} // namespace
