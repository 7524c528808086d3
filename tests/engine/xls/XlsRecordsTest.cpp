// BIFF reading with bytes built in the test: the cursor, CONTINUE joining, and a small workbook
// stream that exercises every cell record kind.

#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/ContinuedRecord.h"
#include "engine/xls/Hyperlinks.h"
#include "engine/xls/Strings.h"
#include "engine/xls/WorkbookStream.h"
#include "engine/xls/XlsReader.h"
#include "tests/engine/cfb/CompoundFileBuilder.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>

namespace {

using engine::CellType;
using engine::ReadError;
using engine::xls::ContinuedRecord;
using testing_support::BiffWriter;
using testing_support::Bytes;

template <typename F> ReadError catchError(F&& f) {
    try {
        f();
    } catch (const ReadError& error) {
        return error;
    }
    ADD_FAILURE() << "no ReadError";
    return ReadError(ReadError::Kind::Missing, "");
}

TEST(ByteCursor, ReadsLittleEndianAndNamesStructureAndOffsetOnOverrun) {
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    engine::util::ByteCursor in(bytes, "XF record", 0x100);
    EXPECT_EQ(in.u16(), 0x0201);
    EXPECT_EQ(in.u32(), 0x06050403u);
    const ReadError error = catchError([&] { in.u32(); });
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
    EXPECT_EQ(error.detail(), "XF record at offset 0x106: expected 4 more bytes, found 2");
    EXPECT_EQ(in.u16(), 0x0807); // a failed read consumes nothing
    EXPECT_TRUE(in.atEnd());
    EXPECT_THROW(in.seek(9), ReadError);
}

std::vector<std::span<const std::uint8_t>> spans(const std::vector<Bytes>& pieces) {
    std::vector<std::span<const std::uint8_t>> out;
    for (const Bytes& piece : pieces)
        out.emplace_back(piece.data);
    return out;
}

TEST(ContinuedRecord, CharactersCrossingIntoContinueRestartWithTheirOwnWidth) {
    // "abc" compressed, then the CONTINUE switches to 16-bit for "Жx".
    const std::vector<Bytes> pieces = {Bytes().u16(5).u8(0).chars("abc"),
                                       Bytes().u8(1).u16(0x0416).u16('x')};
    ContinuedRecord in(spans(pieces), 0, "SST record");
    EXPECT_EQ(engine::xls::readUnicodeString(in, 2).text, "abc\xD0\x96x");
    EXPECT_TRUE(in.atEnd());
}

TEST(ContinuedRecord, StringWhoseCharactersStartInTheContinueStillHasAFlagByte) {
    const std::vector<Bytes> pieces = {Bytes().u16(2).u8(1), Bytes().u8(0).chars("hi")};
    ContinuedRecord in(spans(pieces), 0, "SST record");
    EXPECT_EQ(engine::xls::readUnicodeString(in, 2).text, "hi");
}

TEST(ContinuedRecord, RunsAndPhoneticDataCrossingABoundaryHaveNoFlagByte) {
    // A rich string with phonetic data whose runs and phonetic bytes sit in the CONTINUE,
    // followed by a plain string.
    const std::vector<Bytes> pieces = {
        Bytes().u16(4).u8(0x0C).u16(2).u32(3).chars("ab"),
        Bytes().u8(0).chars("cd").u16(1).u16(5).u16(3).u16(0).u8(9).u8(9).u8(9).str16("ok")};
    ContinuedRecord in(spans(pieces), 0, "SST record");
    const engine::RichText rich = engine::xls::readUnicodeString(in, 2);
    EXPECT_EQ(rich.text, "abcd");
    ASSERT_EQ(rich.runs.size(), 2u);
    EXPECT_EQ(rich.runs[0].start, 1u);
    EXPECT_EQ(rich.runs[0].font, 4u); // font number 5: there is no font 4
    EXPECT_EQ(rich.runs[1].start, 3u);
    EXPECT_EQ(engine::xls::readUnicodeString(in, 2).text, "ok");
}

TEST(ContinuedRecord, RichRunOffsetsCountUtf8Bytes) {
    const std::vector<Bytes> pieces = {
        Bytes().u16(3).u8(0x09).u16(1).u16(0x00E9).u16(0x0416).u16('z').u16(2).u16(1)};
    ContinuedRecord in(spans(pieces), 0, "SST record");
    const engine::RichText rich = engine::xls::readUnicodeString(in, 2);
    EXPECT_EQ(rich.text, "\xC3\xA9\xD0\x96z");
    ASSERT_EQ(rich.runs.size(), 1u);
    EXPECT_EQ(rich.runs[0].start, 4u); // after two 2-byte characters
}

TEST(ContinuedRecord, AStringCutShortIsDamagedWithItsOffset) {
    const std::vector<Bytes> pieces = {Bytes().u16(10).u8(0).chars("abc")};
    ContinuedRecord in(spans(pieces), 0x40, "SST record");
    const ReadError error = catchError([&] { engine::xls::readUnicodeString(in, 2); });
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
    EXPECT_NE(error.detail().find("SST record at offset 0x46"), std::string::npos)
        << error.detail();
}

// A BIFF8 workbook: globals with fonts, formats, XFs, a palette and an SST split over a
// CONTINUE record; a worksheet with every cell kind; a hidden chart sheet.
struct TestWorkbook {
    BiffWriter w;
    std::size_t sheetPositionField = 0, chartPositionField = 0;

    explicit TestWorkbook(bool encrypted = false) {
        w.bof(0x0005);
        if (encrypted)
            w.record(0x002F, Bytes().u16(1).u16(1).u16(2));
        w.record(0x0042, Bytes().u16(1200));
        w.record(0x0022, Bytes().u16(1)); // 1904 dates
        for (int i = 0; i < 5; ++i)       // font 4 is never written, but writers do emit five
            w.record(0x0031, Bytes()
                                 .u16(200)
                                 .u16(i == 1 ? 0x02 : 0)
                                 .u16(i == 1 ? 2 : 0x7FFF)
                                 .u16(i == 1 ? 700 : 400)
                                 .u16(0)
                                 .u8(0)
                                 .u8(0)
                                 .u8(0)
                                 .u8(0)
                                 .str8(i == 1 ? "Courier" : "Arial"));
        w.record(0x041E, Bytes().u16(164).str16("0.000"));
        for (int i = 0; i < 16; ++i) // style XFs and the default cell XF
            w.record(0x00E0,
                     Bytes().u16(0).u16(0).u16(0xFFF5).u8(0x20).u8(0).u8(0).u8(0).u32(0).u32(0).u16(
                         0x20C0));
        // XF 16: font 1, format 164, centred and wrapped, thin red left border (fixed colours 0..7
        // ignore the PALETTE), solid fill of palette colour 12 (replaced below).
        w.record(0x00E0, Bytes()
                             .u16(1)
                             .u16(164)
                             .u16(0)
                             .u8(0x1A)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u32(0x1 | (2u << 16))
                             .u32(1u << 26)
                             .u16(12 | (65 << 7)));
        Bytes palette;
        palette.u16(56);
        for (int i = 0; i < 56; ++i)
            palette.u32(i == 4 ? 0x00563412 : 0); // colour 12 becomes 0x123456
        w.record(0x0092, palette);
        sheetPositionField = w.position() + 4;
        w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Data"));
        chartPositionField = w.position() + 4;
        w.record(0x0085, Bytes().u32(0).u8(1).u8(2).str8("Chart 1"));
        // SST: "first", then "second" split over the CONTINUE (which switches to 16-bit).
        w.record(0x00FC, Bytes().u32(2).u32(2).str16("first").u16(6).u8(0).chars("sec"));
        w.record(0x003C, Bytes().u8(1).u16('o').u16('n').u16('d'));
        w.record(0x00FF, Bytes().u16(8)); // EXTSST, ignored
        w.eof();

        w.patch32(sheetPositionField, static_cast<std::uint32_t>(w.position()));
        w.bof(0x0010);
        w.record(0x0225, Bytes().u16(0).u16(300)); // default row height 15 pt
        w.record(0x0055, Bytes().u16(10));
        w.record(0x007D, Bytes().u16(1).u16(256).u16(20 * 256).u16(15).u16(0x0003).u16(0));
        w.record(0x0200, Bytes().u32(0).u32(60000000).u16(0).u16(200).u16(0)); // lies
        w.record(0x0208, Bytes().u16(2).u16(0).u16(3).u16(600).u16(0).u16(0).u16(0x01C0).u16(15));
        w.record(0x00FD, Bytes().u16(0).u16(0).u16(16).u32(1));                 // A1 "second"
        w.record(0x027E, Bytes().u16(0).u16(1).u16(15).u32(0x03 | (123 << 2))); // B1 1.23
        w.record(0x00BD, Bytes()
                             .u16(1)
                             .u16(0)
                             .u16(15)
                             .u32((7 << 2) | 2)
                             .u16(15)
                             .u32(0x3FF00000)
                             .u16(2));                                  // A2 7, B2 1.0
        w.record(0x0203, Bytes().u16(1).u16(2).u16(15).f64(-2.5));      // C2
        w.record(0x0204, Bytes().u16(2).u16(0).u16(15).str16("label")); // A3
        w.record(0x0205, Bytes().u16(2).u16(1).u16(15).u8(1).u8(0));    // B3 TRUE
        w.record(0x0205, Bytes().u16(2).u16(2).u16(15).u8(0x07).u8(1)); // C3 #DIV/0!
        w.record(0x0006,
                 Bytes().u16(3).u16(0).u16(15).u8(0).u32(0).u8(0).u16(0xFFFF).u16(0).u32(0).u16(
                     0));                                // A4 string result...
        w.record(0x04BC, Bytes().u32(0).u32(0));         // (a SHRFMLA may come between)
        w.record(0x0207, Bytes().str16("from formula")); // ...given here
        w.record(0x0006, Bytes()
                             .u16(3)
                             .u16(1)
                             .u16(15)
                             .u8(2)
                             .u8(0)
                             .u8(0x2A)
                             .u8(0)
                             .u16(0)
                             .u16(0xFFFF)
                             .u16(0)
                             .u32(0)
                             .u16(0)); // B4 #N/A
        w.record(0x0006, Bytes()
                             .u16(3)
                             .u16(2)
                             .u16(15)
                             .u8(3)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u16(0)
                             .u16(0xFFFF)
                             .u16(0)
                             .u32(0)
                             .u16(0));                                                // C4 ""
        w.record(0x0006, Bytes().u16(3).u16(3).u16(15).f64(42).u16(0).u32(0).u16(0)); // D4 42
        w.record(0x00BE, Bytes().u16(4).u16(0).u16(16).u16(16).u16(1));               // A5:B5 blank
        w.record(0x00E5, Bytes().u16(1).u16(4).u16(5).u16(0).u16(1));
        w.bof(0x0020); // a chart on the sheet: skipped whole
        w.record(0x0203, Bytes().u16(9).u16(9).u16(15).f64(99));
        w.eof();
        w.record(0x023E, Bytes().u16(0x06B6).u16(0).u16(0).u32(0));
        w.eof();

        w.patch32(chartPositionField, static_cast<std::uint32_t>(w.position()));
        w.bof(0x0020);
        w.eof();
    }
};

TEST(WorkbookStream, ReadsSheetsStringsStylesAndEveryCellKind) {
    const TestWorkbook book;
    const engine::Workbook wb = engine::xls::readWorkbookStream(book.w.bytes, false);
    EXPECT_EQ(wb.dateSystem, engine::DateSystem::Date1904);
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[1].name, "Chart 1");
    EXPECT_EQ(wb.sheets[1].kind, engine::SheetKind::Chart);
    EXPECT_EQ(wb.sheets[1].visibility, engine::Visibility::Hidden);
    const engine::Sheet& s = wb.sheets[0];
    EXPECT_EQ(s.name, "Data");

    auto at = [&](std::uint32_t r, std::uint16_t c) -> const engine::Cell& {
        for (const auto& cell : s.cells)
            if (cell.row == r && cell.col == c)
                return cell;
        ADD_FAILURE() << "no cell at " << r << "," << c;
        static const engine::Cell none;
        return none;
    };
    auto text = [&](const engine::Cell& c) {
        return c.type == CellType::Text ? wb.strings.at(c.text).text : std::string("<not text>");
    };
    EXPECT_EQ(text(at(0, 0)), "second");
    EXPECT_EQ(at(0, 0).format, 16u);
    EXPECT_DOUBLE_EQ(at(0, 1).number, 1.23);
    EXPECT_DOUBLE_EQ(at(1, 0).number, 7);
    EXPECT_DOUBLE_EQ(at(1, 1).number, 1.0);
    EXPECT_DOUBLE_EQ(at(1, 2).number, -2.5);
    EXPECT_EQ(text(at(2, 0)), "label");
    EXPECT_EQ(at(2, 1).type, CellType::Boolean);
    EXPECT_TRUE(at(2, 1).boolean);
    EXPECT_EQ(at(2, 2).type, CellType::Error);
    EXPECT_EQ(at(2, 2).error, engine::CellError::Div0);
    EXPECT_EQ(text(at(3, 0)), "from formula");
    EXPECT_TRUE(at(3, 0).isFormula);
    EXPECT_EQ(at(3, 1).error, engine::CellError::NA);
    EXPECT_EQ(text(at(3, 2)), "");
    EXPECT_DOUBLE_EQ(at(3, 3).number, 42);
    EXPECT_EQ(at(4, 1).type, CellType::Empty);
    EXPECT_EQ(s.cells.size(), 14u); // nothing from the embedded chart

    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0], (engine::Range{4, 5, 0, 1}));
    ASSERT_EQ(s.columns.size(), 1u);
    EXPECT_EQ(s.columns[0].lastCol, 255); // the range closed at 256 is clipped
    EXPECT_DOUBLE_EQ(s.columns[0].width, 20.0);
    EXPECT_TRUE(s.columns[0].hidden);
    EXPECT_NEAR(s.defaultColumnWidth, 80 / 7.0, 1e-9);
    EXPECT_DOUBLE_EQ(s.defaultRowHeight, 15.0);
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(s.rows[0].height, 30.0);
    EXPECT_TRUE(s.rows[0].customHeight);
    EXPECT_TRUE(s.rows[0].hasFormat);
    EXPECT_EQ(s.rows[0].format, 15u);
    EXPECT_TRUE(s.showGridLines);

    const engine::CellFormat& xf = wb.cellFormats.at(16);
    EXPECT_EQ(xf.numFmtId, 164u);
    EXPECT_EQ(wb.numberFormats.at(164), "0.000");
    EXPECT_EQ(xf.alignment.horizontal, engine::HAlign::Center);
    EXPECT_TRUE(xf.alignment.wrap);
    EXPECT_EQ(xf.alignment.vertical, engine::VAlign::Center);
    const engine::Font& font = wb.fonts.at(xf.font);
    EXPECT_EQ(font.name, "Courier");
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_EQ(font.color, engine::Color::fromRgb(0xFF0000));
    const engine::Fill& fill = wb.fills.at(xf.fill);
    EXPECT_EQ(fill.pattern, engine::FillPattern::Solid);
    EXPECT_EQ(fill.foreground, engine::Color::fromRgb(0x123456)); // from the PALETTE
    EXPECT_TRUE(fill.background.automatic);
    const engine::Border& border = wb.borders.at(xf.border);
    EXPECT_EQ(border.left.style, engine::BorderStyle::Thin);
    EXPECT_EQ(border.left.color, engine::Color::fromRgb(0xFF0000)); // fixed colour 2
}

TEST(WorkbookStream, FilePassMeansEncrypted) {
    const TestWorkbook book(true);
    const ReadError error =
        catchError([&] { engine::xls::readWorkbookStream(book.w.bytes, false); });
    EXPECT_EQ(error.kind(), ReadError::Kind::Encrypted);
}

TEST(WorkbookStream, ATruncatedRecordIsDamagedWithItsOffset) {
    const TestWorkbook book;
    for (const std::size_t cut :
         {std::size_t(30), book.sheetPositionField + 2, book.w.bytes.size() - 40}) {
        std::vector<std::uint8_t> bytes(book.w.bytes.begin(), book.w.bytes.begin() + cut);
        try {
            engine::xls::readWorkbookStream(bytes, false);
        } catch (const ReadError& error) {
            EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
            EXPECT_NE(error.detail().find("offset 0x"), std::string::npos) << error.detail();
        }
    }
}

TEST(CompoundWorkbook, FindsTheStreamByNameAndRecognisesEncryptedPackages) {
    const TestWorkbook book;
    {
        testing_support::CompoundFileBuilder builder;
        builder.addStream("WORKBOOK", book.w.bytes);
        EXPECT_EQ(engine::xls::readCompoundFile(builder.build()).sheets.size(), 2u);
    }
    {
        testing_support::CompoundFileBuilder builder;
        builder.addStream("EncryptionInfo", std::vector<std::uint8_t>(200, 1));
        builder.addStream("EncryptedPackage", std::vector<std::uint8_t>(5000, 2));
        const ReadError error = catchError([&] { engine::xls::readCompoundFile(builder.build()); });
        EXPECT_EQ(error.kind(), ReadError::Kind::Encrypted);
    }
    {
        testing_support::CompoundFileBuilder builder;
        builder.addStream("WordDocument", std::vector<std::uint8_t>(5000, 2));
        const ReadError error = catchError([&] { engine::xls::readCompoundFile(builder.build()); });
        EXPECT_EQ(error.kind(), ReadError::Kind::NotWorkbook);
    }
}

TEST(WorkbookStream, Biff5TextIsReadInTheCodePageOfItsCodepageRecord) {
    BiffWriter w;
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0005).u16(0).u16(0));
    w.record(0x0042, Bytes().u16(1251));
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).u8(2).u8(0xCB).u8(0xE8)); // "Ли"
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0010).u16(0).u16(0));
    w.record(0x0204, Bytes().u16(0).u16(0).u16(15).u16(3).u8(0xCC).u8(0xE8).u8('r'));
    w.eof();
    const engine::Workbook wb = engine::xls::readWorkbookStream(w.bytes, true);
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].name, "\xD0\x9B\xD0\xB8");
    ASSERT_EQ(wb.sheets[0].cells.size(), 1u);
    EXPECT_EQ(wb.strings.at(wb.sheets[0].cells[0].text).text, "\xD0\x9C\xD0\xB8r");
}

// A hostile globals substream whose 5,000 sheets all point at one substream of 20,000 cells:
// reading it once per sheet would be 100 million cells of work.
TEST(WorkbookStream, SheetsSharingOneSubstreamReadItOnce) {
    BiffWriter w;
    w.bof(0x0005);
    std::vector<std::size_t> fields;
    for (int i = 0; i < 5000; ++i) {
        fields.push_back(w.position() + 4);
        w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("S" + std::to_string(i)));
    }
    w.eof();
    for (const std::size_t field : fields)
        w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    for (std::uint32_t i = 0; i < 20000; ++i)
        w.record(0x0203, Bytes().u16(i / 10).u16(i % 10).u16(15).f64(i));
    w.eof();
    const engine::Workbook wb = engine::xls::readWorkbookStream(w.bytes, false);
    ASSERT_EQ(wb.sheets.size(), 5000u);
    std::size_t cells = 0;
    for (const auto& sheet : wb.sheets)
        cells += sheet.cells.size();
    EXPECT_EQ(cells, 20000u);
    EXPECT_EQ(wb.sheets[0].cells.size(), 20000u);
}

// An HLINK record around a hyperlink object (link class id, version 2, flags, parts).
engine::xls::Record hlinkRecord(Bytes& body, std::uint32_t flags) {
    Bytes head;
    head.u16(1).u16(2).u16(3).u16(3); // B2:D3
    for (int i = 0; i < 16; ++i)
        head.u8(0xD0);
    head.u32(2).u32(flags);
    body.data.insert(body.data.begin(), head.data.begin(), head.data.end());
    return engine::xls::Record{0x01B8, 0x100, body.data};
}

Bytes& utf16z(Bytes& b, const std::string& ascii) {
    for (const char c : ascii)
        b.u16(static_cast<std::uint8_t>(c));
    return b.u16(0);
}

TEST(Hyperlinks, ReadUrlsLocationsAndFilePathsWithoutFollowingThem) {
    {
        Bytes body; // URL moniker and a display name
        body.u32(5);
        utf16z(body, "Site");
        const std::uint8_t urlClass[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                           0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
        body.data.insert(body.data.end(), urlClass, urlClass + 16);
        body.u32(2 * 20);
        utf16z(body, "http://example.org");
        body.u16(0); // padding inside the declared length
        const auto link = engine::xls::readHyperlink(hlinkRecord(body, 0x01 | 0x02 | 0x10));
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->target, "http://example.org");
        EXPECT_EQ(link->range, (engine::Range{1, 2, 3, 3}));
        std::vector<engine::Hyperlink> links{*link};
        Bytes tip;
        tip.u16(0x0800).u16(0).u16(1).u16(2).u16(3).u16(3);
        utf16z(tip, "Go there");
        engine::xls::readHyperlinkTooltip(engine::xls::Record{0x0800, 0, tip.data}, links);
        EXPECT_EQ(links[0].tooltip, "Go there");
    }
    {
        Bytes body; // a place in the workbook only
        body.u32(10);
        utf16z(body, "Sheet2!A1");
        const auto link = engine::xls::readHyperlink(hlinkRecord(body, 0x08));
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->target, "");
        EXPECT_EQ(link->location, "Sheet2!A1");
    }
    {
        Bytes body; // a file moniker: kept as text, two levels up
        const std::uint8_t fileClass[16] = {0x03, 0x03, 0, 0, 0, 0, 0, 0,
                                            0xC0, 0,    0, 0, 0, 0, 0, 0x46};
        body.data.insert(body.data.end(), fileClass, fileClass + 16);
        body.u16(2).u32(9).chars("data.xls").u8(0).u16(0xFFFF).u16(0xDEAD);
        for (int i = 0; i < 20; ++i)
            body.u8(0);
        body.u32(0);
        const auto link = engine::xls::readHyperlink(hlinkRecord(body, 0x01));
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->target, "..\\..\\data.xls");
    }
    {
        Bytes body; // cut short inside the display name
        body.u32(50).u16('x');
        EXPECT_THROW(engine::xls::readHyperlink(hlinkRecord(body, 0x10)), ReadError);
    }
}

} // namespace
