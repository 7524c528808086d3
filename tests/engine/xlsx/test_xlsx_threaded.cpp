// Threaded comments: conversations with their replies and the names of the people in them
// replace the placeholder notes files keep for older readers.

#include "engine/base/ReadError.h"
#include "engine/package/ThreadedCommentsPart.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::mainNs;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

constexpr const char* threadedKind =
    "http://schemas.microsoft.com/office/2017/10/relationships/threadedComment";
constexpr const char* personKind =
    "http://schemas.microsoft.com/office/2017/10/relationships/person";

std::string threaded(const std::string& body) {
    return "<ThreadedComments xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2018/"
           "threadedcomments\">" +
           body + "</ThreadedComments>";
}

std::string comment(const std::string& ref, const std::string& id, const std::string& person,
                    const std::string& text, const std::string& parent = {}) {
    return "<threadedComment ref=\"" + ref + "\" dT=\"2024-01-02T10:00:00.00\" personId=\"" +
           person + "\" id=\"" + id + "\"" +
           (parent.empty() ? "" : " parentId=\"" + parent + "\"") + "><text>" + text +
           "</text></threadedComment>";
}

const Comment* noteAt(const Sheet& sheet, std::uint32_t row, std::uint16_t col) {
    for (const Comment& note : sheet.comments)
        if (note.row == row && note.col == col)
            return &note;
    return nullptr;
}

} // namespace

TEST(XlsxThreadedComments, ConversationsReplaceThePlaceholderNotes) {
    PackageWriter package = minimalWorkbook({"<sheetData/>"});
    package.add("xl/_rels/workbook.xml.rels",
                relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                  {"rIdP", personKind, "persons/person.xml"}}));
    package.add("xl/persons/person.xml",
                "<personList xmlns=\"http://schemas.microsoft.com/office/spreadsheetml/2018/"
                "threadedcomments\"><person displayName=\"Ann Lee\" id=\"{A}\" userId=\"ann\" "
                "providerId=\"None\"/><person displayName=\"Bo &amp; Co\" id=\"{B}\"/>"
                "</personList>");
    package.add(
        "xl/worksheets/_rels/sheet1.xml.rels",
        relationshipsXml({{"rC", "comments", "../comments1.xml"},
                          {"rT", threadedKind, "../threadedComments/threadedComment1.xml"}}));
    package.add("xl/comments1.xml",
                std::string("<comments ") + mainNs +
                    "><authors><author>tc={1}</author></authors><commentList><comment ref=\"B2\" "
                    "authorId=\"0\"><text><t>[Threaded comment]\nYour version ...</t></text>"
                    "</comment></commentList></comments>");
    package.add("xl/threadedComments/threadedComment1.xml",
                threaded(comment("B2", "{1}", "{A}", "Is this right?") +
                         comment("D4", "{3}", "{nobody}", "Alone") +
                         comment("B2", "{2}", "{B}", "Yes &lt;checked&gt;", "{1}") +
                         comment("B2", "{4}", "{A}", "Thanks", "{1}")));
    const Workbook book = xlsx::readPackage(package.bytes());
    const Sheet& sheet = book.sheets[0];
    ASSERT_EQ(sheet.comments.size(), 2u);
    const Comment* conversation = noteAt(sheet, 1, 1);
    ASSERT_NE(conversation, nullptr);
    EXPECT_EQ(conversation->author, "Ann Lee");
    EXPECT_EQ(conversation->text, "Is this right?\n\nBo & Co: Yes <checked>\n\nAnn Lee: Thanks");
    // A conversation without a placeholder note still shows; an unknown person has no name.
    const Comment* alone = noteAt(sheet, 3, 3);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->author, "");
    EXPECT_EQ(alone->text, "Alone");
}

TEST(XlsxThreadedComments, MalformedPartsSayWhereAndRepliesWithoutThreadsAreDropped) {
    Sheet sheet;
    package::parseThreadedCommentsXml(
        threaded(comment("A1", "{r}", "{A}", "orphan reply", "{missing}") +
                 comment("bogus", "{x}", "{A}", "bad cell")),
        "t.xml", {}, sheet);
    // A reply whose thread is missing starts one of its own; a bad reference is left out.
    ASSERT_EQ(sheet.comments.size(), 1u);
    EXPECT_EQ(sheet.comments[0].text, "orphan reply");
    try {
        package::parsePersonsXml("<personList><person", "xl/persons/person.xml");
        FAIL();
    } catch (const ReadError& error) {
        EXPECT_NE(error.detail().find("xl/persons/person.xml"), std::string::npos);
    }
}

TEST(XlsxThreadedComments, DamagedPeoplePartLeavesTheConversationsUnnamed) {
    // The people part is optional: the XML and binary readers both pass over a damaged one.
    PackageWriter package = minimalWorkbook({"<sheetData/>"});
    package.add("xl/_rels/workbook.xml.rels",
                relationshipsXml({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                  {"rIdP", personKind, "persons/person.xml"}}));
    package.add("xl/persons/person.xml", "<personList><person displayName=");
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rT", threadedKind, "../threadedComments/t1.xml"}}));
    package.add("xl/threadedComments/t1.xml", threaded(comment("C3", "{1}", "{A}", "Still here")));
    const Workbook book = xlsx::readPackage(package.bytes());
    ASSERT_EQ(book.sheets[0].comments.size(), 1u);
    EXPECT_EQ(book.sheets[0].comments[0].author, "");
    EXPECT_EQ(book.sheets[0].comments[0].text, "Still here");
}
