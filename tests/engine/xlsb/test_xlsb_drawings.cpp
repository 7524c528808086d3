// Binary workbooks' notes (binary comments parts and threaded conversations), and the charts
// and shapes of their drawings, which are the same XML as in the XML packages.

#include "engine/base/ReadError.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xlsb/CommentsBin.h"
#include "tests/engine/xlsb/RecordWriter.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr std::uint32_t commentAuthor = 632, beginComment = 635, endComment = 636,
                        commentText = 637;

// A BrtBeginComment on one cell (the range's corners are the same cell), then its text.
std::string note(std::int32_t author, std::uint32_t row, std::uint32_t col,
                 const std::u16string& text) {
    Fields begin;
    begin.u32(static_cast<std::uint32_t>(author)).u32(row).u32(row).u32(col).u32(col);
    begin.raw(std::string(16, '\0')); // the GUID
    return RecordWriter()
        .add(beginComment, begin)
        .add(commentText, Fields().u8(0).wide(text))
        .add(endComment)
        .bytes;
}

std::string authors(std::initializer_list<std::u16string> names) {
    RecordWriter records;
    records.add(628).add(630);
    for (const auto& name : names)
        records.add(commentAuthor, Fields().wide(name));
    records.add(631).add(633);
    return records.bytes;
}

const engine::Comment* noteAt(const engine::Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const auto& comment : sheet.comments)
        if (comment.row == row && comment.col == col)
            return &comment;
    return nullptr;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

BinarySheet sheetWith(const std::vector<std::tuple<std::string, std::string, std::string>>& rels,
                      const std::string& records = {}) {
    BinarySheet sheet;
    sheet.name = "S";
    sheet.records = sheetData("") + records;
    sheet.relationships = rels;
    return sheet;
}

constexpr const char* drawingNs =
    "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"";

const std::string chartFrame =
    "<xdr:oneCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:row>1</xdr:row></xdr:from><xdr:ext "
    "cx=\"3810000\" cy=\"2540000\"/><xdr:graphicFrame><a:graphic><a:graphicData><c:chart "
    "r:id=\"rC\"/></a:graphicData></a:graphic></xdr:graphicFrame></xdr:oneCellAnchor>";

const std::string chartXml =
    "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart>"
    "<c:title><c:tx><c:rich><a:p xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/"
    "main\"><a:r><a:t>Sales</a:t></a:r></a:p></c:rich></c:tx></c:title><c:plotArea><c:lineChart>"
    "<c:ser><c:val><c:numRef><c:f>S!$A$1:$A$2</c:f><c:numCache><c:ptCount val=\"2\"/><c:pt "
    "idx=\"0\"><c:v>3</c:v></c:pt><c:pt idx=\"1\"><c:v>4</c:v></c:pt></c:numCache></c:numRef>"
    "</c:val></c:ser></c:lineChart></c:plotArea></c:chart></c:chartSpace>";

const std::string boxShape =
    "<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>5</xdr:row></xdr:from><xdr:ext "
    "cx=\"1270000\" cy=\"635000\"/><xdr:sp><xdr:spPr><a:solidFill><a:srgbClr val=\"00FF00\"/>"
    "</a:solidFill></xdr:spPr><xdr:txBody><a:bodyPr/><a:p><a:r><a:t>boxed</a:t></a:r></a:p>"
    "</xdr:txBody></xdr:sp></xdr:oneCellAnchor>";

// A workbook whose sheet has a notes part and a threaded conversations part, both still to add.
PackageWriter notesAndConversations() {
    return binaryWorkbook({sheetWith({{"rN", "comments", "../comments1.bin"},
                                      {"rT",
                                       "http://schemas.microsoft.com/office/2017/10/relationships/"
                                       "threadedComment",
                                       "../threadedComments/threadedComment1.xml"}})});
}

} // namespace

TEST(XlsbComments, NotesNameTheirAuthorsAndKeepOnePerCell) {
    const std::string part = authors({u"Ann", u"Bo"}) + note(1, 2, 3, u"first\r\nsecond") +
                             note(0, 2, 3, u"same cell again") + note(7, 0, 0, u"nobody") +
                             note(0, 2000000, 0, u"below the grid") +
                             RecordWriter().add(634).add(629).bytes;
    engine::Sheet sheet;
    engine::xlsb::parseCommentsBin(bytesOf(part), "comments1.bin", sheet);
    ASSERT_EQ(sheet.comments.size(), 2u);
    const engine::Comment* d3 = noteAt(sheet, 2, 3);
    ASSERT_NE(d3, nullptr);
    EXPECT_EQ(d3->author, "Bo");
    EXPECT_EQ(d3->text, "first\nsecond");
    EXPECT_FALSE(d3->shown);
    const engine::Comment* a1 = noteAt(sheet, 0, 0);
    ASSERT_NE(a1, nullptr);
    EXPECT_EQ(a1->author, ""); // an author index past the list names nobody
}

TEST(XlsbComments, ADamagedPartKeepsTheNotesBeforeItAndTheWorkbook) {
    std::string part = authors({u"Ann"}) + note(0, 0, 0, u"kept");
    // A text record whose string claims more units than it holds.
    part += RecordWriter()
                .add(beginComment,
                     Fields().u32(0).u32(1).u32(1).u32(0).u32(0).raw(std::string(16, '\0')))
                .add(commentText, Fields().u8(0).u32(1000).u16('x'))
                .bytes;
    engine::Sheet direct;
    EXPECT_THROW(engine::xlsb::parseCommentsBin(bytesOf(part), "c.bin", direct), engine::ReadError);
    EXPECT_EQ(direct.comments.size(), 1u);

    auto package = binaryWorkbook({sheetWith({{"rN", "comments", "../comments1.bin"}})});
    package.add("xl/comments1.bin", part);
    const auto book = engine::readWorkbookBytes(package.bytes());
    ASSERT_EQ(book.sheets.at(0).comments.size(), 1u);
    EXPECT_EQ(book.sheets[0].comments[0].text, "kept");
}

TEST(XlsbComments, ThreadedConversationsReplaceTheirPlaceholderNotes) {
    auto package = notesAndConversations();
    package.add("xl/comments1.bin", authors({u"tc={1}"}) + note(0, 0, 1, u"[Threaded comment]") +
                                        note(0, 4, 4, u"plain note"));
    package.add("xl/threadedComments/threadedComment1.xml",
                "<ThreadedComments xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/"
                "2018/threadedcomments\"><threadedComment ref=\"B1\" personId=\"{P}\" "
                "id=\"{1}\"><text>Is this right?</text></threadedComment><threadedComment "
                "ref=\"B1\" personId=\"{P}\" id=\"{2}\" parentId=\"{1}\"><text>Yes.</text>"
                "</threadedComment></ThreadedComments>");
    // The persons part hangs off the workbook part.
    package.add("xl/_rels/workbook.bin.rels",
                relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.bin"},
                                  {"rIdP",
                                   "http://schemas.microsoft.com/office/2017/10/relationships/"
                                   "person",
                                   "persons/person.xml"}}));
    package.add("xl/persons/person.xml",
                "<personList xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2018/"
                "threadedcomments\"><person displayName=\"Cy Ng\" id=\"{P}\"/></personList>");
    const auto book = engine::readWorkbookBytes(package.bytes());
    const auto& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.comments.size(), 2u);
    const engine::Comment* b1 = noteAt(sheet, 0, 1);
    ASSERT_NE(b1, nullptr);
    EXPECT_EQ(b1->author, "Cy Ng");
    EXPECT_NE(b1->text.find("Is this right?"), std::string::npos);
    EXPECT_NE(b1->text.find("Yes."), std::string::npos);
    EXPECT_EQ(b1->text.find("[Threaded comment]"), std::string::npos);
    EXPECT_EQ(noteAt(sheet, 4, 4)->text, "plain note");
}

TEST(XlsbComments, ADamagedNotesPartKeepsTheThreadedConversations) {
    auto package = notesAndConversations();
    // A text record whose string claims more units than it holds.
    package.add("xl/comments1.bin",
                authors({u"Ann"}) +
                    RecordWriter()
                        .add(beginComment,
                             Fields().u32(0).u32(3).u32(3).u32(0).u32(0).raw(std::string(16, '\0')))
                        .add(commentText, Fields().u8(0).u32(1000).u16('x'))
                        .bytes);
    package.add("xl/threadedComments/threadedComment1.xml",
                "<ThreadedComments xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/"
                "2018/threadedcomments\"><threadedComment ref=\"B1\" id=\"{1}\"><text>Still "
                "here</text></threadedComment></ThreadedComments>");
    const auto book = engine::readWorkbookBytes(package.bytes());
    const engine::Comment* b1 = noteAt(book.sheets.at(0), 0, 1);
    ASSERT_NE(b1, nullptr);
    EXPECT_NE(b1->text.find("Still here"), std::string::npos);
}

TEST(XlsbDrawings, ChartsAndShapesOfTheDrawingAreRead) {
    auto package = binaryWorkbook({sheetWith({{"rD", "drawing", "../drawings/drawing1.xml"}},
                                             RecordWriter().add(550, Fields().wide(u"rD")).bytes)});
    package.add("xl/drawings/drawing1.xml", std::string("<xdr:wsDr ") + drawingNs + ">" +
                                                chartFrame + boxShape + "</xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rC", "chart", "../charts/chart1.xml"}}));
    package.add("xl/charts/chart1.xml", chartXml);
    const auto book = engine::readWorkbookBytes(package.bytes());
    const auto& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.charts.size(), 1u);
    EXPECT_EQ(sheet.charts[0].title, "Sales");
    EXPECT_EQ(sheet.charts[0].anchor.col, 2);
    EXPECT_EQ(sheet.charts[0].anchor.row, 1u);
    ASSERT_EQ(sheet.charts[0].plots.size(), 1u);
    EXPECT_EQ(sheet.charts[0].plots[0].kind, engine::ChartKind::Line);
    EXPECT_EQ(sheet.charts[0].plots[0].series.at(0).values, (std::vector<double>{3, 4}));
    ASSERT_EQ(sheet.pictures.size(), 1u);
    const auto& shape = sheet.pictures[0].shape;
    ASSERT_TRUE(shape.has_value());
    ASSERT_EQ(shape->paragraphs.size(), 1u);
    ASSERT_EQ(shape->paragraphs[0].runs.size(), 1u);
    EXPECT_NE(shape->paragraphs[0].runs[0].text.find("boxed"), std::string::npos);
}

TEST(XlsbDrawings, AChartSheetShowsItsChart) {
    BinarySheet chartSheet;
    chartSheet.name = "Chart1";
    chartSheet.kind = "chartsheet";
    chartSheet.relationships = {{"rD", "drawing", "../drawings/drawing1.xml"}};
    auto package = binaryWorkbook({chartSheet});
    package.add("xl/drawings/drawing1.xml",
                std::string("<xdr:wsDr ") + drawingNs + ">" + chartFrame + "</xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rC", "chart", "../charts/chart1.xml"}}));
    package.add("xl/charts/chart1.xml", chartXml);
    const auto book = engine::readWorkbookBytes(package.bytes());
    ASSERT_EQ(book.sheets.at(0).kind, engine::SheetKind::Chart);
    ASSERT_EQ(book.sheets[0].charts.size(), 1u);
    EXPECT_EQ(book.sheets[0].charts[0].title, "Sales");
}

TEST(XlsbDrawings, TheCorpusChartSheetHasItsChart) {
    const auto book = engine::readWorkbook(corpusFile("other/calamine-any_sheets.xlsb").string());
    std::size_t charts = 0;
    for (const auto& sheet : book.sheets)
        if (sheet.kind == engine::SheetKind::Chart) {
            charts += sheet.charts.size();
            for (const auto& chart : sheet.charts)
                EXPECT_FALSE(chart.plots.empty());
        }
    EXPECT_EQ(charts, 1u);
}
