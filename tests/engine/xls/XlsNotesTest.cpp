// Comments of binary workbooks: BIFF8 notes joined from OBJ, TXO (with its CONTINUE records) and
// NOTE records, BIFF5 notes from NOTE records alone, and the sheet's reading direction.

#include "engine/xls/WorkbookStream.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::BiffWriter;
using testing_support::Bytes;

constexpr std::uint16_t obj = 0x005D, txo = 0x01B6, note = 0x001C, continued = 0x003C;
constexpr std::uint16_t window2 = 0x023E, boundSheet = 0x0085;

// A comment's object: FtCmo of type 25 (note) with `id`, then FtEnd.
Bytes noteObject(std::uint16_t id) {
    Bytes body;
    body.u16(0x15).u16(0x12).u16(25).u16(id).u16(0x4011);
    for (int i = 0; i < 12; ++i)
        body.u8(0);
    return body.u16(0).u16(0);
}

Bytes textObject(std::uint16_t characters) {
    return Bytes().u16(0x0212).u16(0).u16(0).u32(0).u16(characters).u16(16).u16(0).u32(0);
}

// Globals with one worksheet, whose substream `sheet` writes between its BOF and EOF.
template <typename F> std::vector<std::uint8_t> workbook(F&& sheet) {
    BiffWriter w;
    w.bof(0x0005);
    const std::size_t position = w.position() + 4;
    w.record(boundSheet, Bytes().u32(0).u8(0).u8(0).str8("Notes"));
    w.eof();
    w.patch32(position, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    sheet(w);
    w.eof();
    return w.bytes;
}

TEST(XlsNotes, TextFromTheObjectsTxoAcrossContinueRecordsTiedToItsCell) {
    const auto bytes = workbook([](BiffWriter& w) {
        w.record(window2, Bytes().u16(0x06B6 | 0x40).u16(0).u16(0).u32(0));
        w.record(0x00EC, Bytes().u32(0)); // the shape's drawing, not looked into here
        w.record(obj, noteObject(3));
        w.record(txo, textObject(15));
        // "Ann:\r\nfi" in 8 bits, then "rst <€>" in 16 bits.
        w.record(continued, Bytes().u8(0).chars("Ann:\r\nfi"));
        Bytes wide;
        wide.u8(1);
        for (char16_t c : std::u16string(u"rst <\u20AC>"))
            wide.u16(c);
        w.record(continued, wide);
        w.record(continued, Bytes().u32(0).u32(0).u32(0).u32(0)); // formatting runs
        // A text box that is no note keeps its text to itself.
        w.record(obj, Bytes().u16(0x15).u16(0x12).u16(6).u16(4).u16(0).u32(0).u32(0).u32(0));
        w.record(txo, textObject(3));
        w.record(continued, Bytes().u8(0).chars("box"));
        w.record(note, Bytes().u16(2).u16(1).u16(0x02).u16(3).str16("Ann"));
        // A note without text, a note on a cell that has one, and a record cut short.
        w.record(note, Bytes().u16(5).u16(5).u16(0).u16(9).str16("Bo"));
        w.record(note, Bytes().u16(2).u16(1).u16(0).u16(3).str16("Cy"));
        w.record(note, Bytes().u16(7));
    });
    const engine::Workbook book = engine::xls::readWorkbookStream(bytes, false);
    const engine::Sheet& sheet = book.sheets.at(0);
    EXPECT_TRUE(sheet.rightToLeft);
    ASSERT_EQ(sheet.comments.size(), 1u);
    const engine::Comment& comment = sheet.comments[0];
    EXPECT_EQ(comment.row, 2u);
    EXPECT_EQ(comment.col, 1u);
    EXPECT_EQ(comment.author, "Ann");
    EXPECT_TRUE(comment.shown);
    EXPECT_EQ(comment.text, "Ann:\nfirst <\xE2\x82\xAC>");
}

TEST(XlsNotes, ATxoCutShortCostsItsNoteOnly) {
    const auto bytes = workbook([](BiffWriter& w) {
        w.record(obj, noteObject(1));
        w.record(txo, textObject(50));
        w.record(continued, Bytes().u8(0).chars("short"));
        w.record(note, Bytes().u16(0).u16(0).u16(0).u16(1).str16("A"));
        w.record(0x0203, Bytes().u16(0).u16(1).u16(15).f64(2.5));
    });
    const engine::Workbook book = engine::xls::readWorkbookStream(bytes, false);
    EXPECT_TRUE(book.sheets.at(0).comments.empty());
    EXPECT_EQ(book.sheets.at(0).cells.size(), 1u);
    EXPECT_FALSE(book.sheets.at(0).rightToLeft);
}

TEST(XlsNotes, Biff5NotesCarryTheirTextInNoteRecords) {
    BiffWriter w;
    auto bof5 = [&](std::uint16_t type) {
        w.record(0x0809, Bytes().u16(0x0500).u16(type).u16(0x0DBB).u16(0x07CC));
    };
    bof5(0x0005);
    const std::size_t position = w.position() + 4;
    w.record(boundSheet, Bytes().u32(0).u8(0).u8(0).u8(5).chars("Notes"));
    w.eof();
    w.patch32(position, static_cast<std::uint32_t>(w.position()));
    bof5(0x0010);
    w.record(note, Bytes().u16(1).u16(2).u16(12).chars("first\rsec"));
    w.record(note, Bytes().u16(0xFFFF).u16(0).u16(3).chars("ond"));
    w.eof();
    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, false);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.comments.size(), 1u);
    EXPECT_EQ(sheet.comments[0].row, 1u);
    EXPECT_EQ(sheet.comments[0].col, 2u);
    EXPECT_EQ(sheet.comments[0].text, "first\nsecond");
}

} // namespace
