// The text of BIFF2-5 workbooks in every code page a CODEPAGE record can carry: each name is
// checked against this system's iconv, each code page decodes characters known from its
// published table, and an unknown one is an error naming it as soon as its text needs it.

#include "engine/util/CodePages.h"

#include "engine/base/ReadError.h"
#include "engine/util/Text.h"
#include "engine/xls/WorkbookStream.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace {

using engine::ReadError;
using engine::util::CodePageDecoder;

std::string decode(std::uint16_t codePage, const std::string& bytes) {
    CodePageDecoder decoder(codePage);
    return decoder.decode(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool validUtf8(const std::string& text) {
    iconv_t cd = ::iconv_open("UTF-32LE", "UTF-8");
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::string out(text.size() * 4 + 4, '\0');
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const bool ok = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    return ok && inLeft == 0;
}

TEST(CodePages, EveryNameIsOneThisSystemsIconvAcceptsAndEveryByteDecodes) {
    std::uint16_t previous = 0;
    std::string allBytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        allBytes.push_back(static_cast<char>(b));
    for (const engine::util::CodePage& page : engine::util::knownCodePages()) {
        SCOPED_TRACE(page.number);
        EXPECT_GT(page.number, previous); // sorted, no duplicates
        previous = page.number;
        ASSERT_NE(page.iconvName == nullptr, page.upperHalf == nullptr);
        if (page.iconvName) {
            iconv_t cd = ::iconv_open("UTF-8", page.iconvName);
            EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << page.iconvName;
            if (cd != reinterpret_cast<iconv_t>(-1))
                ::iconv_close(cd);
        } else {
            for (int i = 0; i < 128; ++i)
                EXPECT_NE(page.upperHalf[i], 0) << i;
        }
        const std::string text = decode(page.number, allBytes);
        EXPECT_TRUE(validUtf8(text));
        if (page.asciiCompatible) {
            EXPECT_EQ(decode(page.number, "Sheet 1 (a+b)"), "Sheet 1 (a+b)");
        }
    }
}

struct Sample {
    std::uint16_t codePage;
    const char* bytes;
    const char* utf8;
};

// Characters of each kind of code page as their published tables give them.
const Sample samples[] = {
    {10000, "\x80rkusz1", "\xC3\x84rkusz1"},    // Mac Roman: Ä
    {32768, "\x80", "\xC3\x84"},                // Mac Roman, BIFF's number
    {10029, "\x80rkusz1", "\xC3\x84rkusz1"},    // Mac Central European: Ä
    {10029, "\x81", "\xC4\x80"},                // Ā
    {10007, "\x80", "\xD0\x90"},                // Mac Cyrillic: А
    {10079, "\xA0", "\xC3\x9D"},                // Mac Icelandic: Ý
    {10079, "\xDC\xDD", "\xC3\x90\xC3\xB0"},    // Ð ð
    {10006, "\xA1", "\xCE\x93"},                // Mac Greek: Γ
    {10081, "\xDA", "\xC4\x9E"},                // Mac Turkish: Ğ
    {10082, "\xA9", "\xC5\xA0"},                // Mac Croatian: Š
    {10010, "\xAE", "\xC4\x82"},                // Mac Romanian: Ă
    {10004, "\xC7", "\xD8\xA7"},                // Mac Arabic: ا
    {720, "\xE9", "\xD9\x84"},                  // DOS Arabic: ل
    {1251, "\xCB\xE8", "\xD0\x9B\xD0\xB8"},     // Ли
    {1252, "\x80", "\xE2\x82\xAC"},             // €
    {1200, "\x80", "\xE2\x82\xAC"},             // BIFF8's Unicode mark: windows-1252
    {32769, "\x80", "\xE2\x82\xAC"},            // windows-1252, BIFF2-3's number
    {932, "\x82\xA0", "\xE3\x81\x82"},          // あ
    {936, "\xC4\xE3", "\xE4\xBD\xA0"},          // 你
    {949, "\xB0\xA1", "\xEA\xB0\x80"},          // 가
    {950, "\xA4\xA4", "\xE4\xB8\xAD"},          // 中
    {10001, "\x82\xA0", "\xE3\x81\x82"},        // Mac Japanese as Shift_JIS
    {37, "\xC1\xC2", "AB"},                     // EBCDIC: no byte is ASCII
    {50220, "\x1B$B$\"\x1B(B", "\xE3\x81\x82"}, // ISO-2022-JP: escapes are not text
    {65001, "caf\xC3\xA9", "caf\xC3\xA9"},      // UTF-8
};

TEST(CodePages, DecodeCharactersAsTheirTablesGiveThem) {
    for (const Sample& s : samples)
        EXPECT_EQ(decode(s.codePage, s.bytes), s.utf8) << s.codePage;
}

TEST(CodePages, AnUnknownCodePageReadsAsciiAndNamesItselfAtItsFirstOtherByte) {
    EXPECT_EQ(engine::util::findCodePage(57002), nullptr); // ISCII: no converter here
    CodePageDecoder decoder(57002);
    EXPECT_EQ(decoder.decode(std::vector<std::uint8_t>{'O', 'k'}), "Ok");
    try {
        decoder.decode(std::vector<std::uint8_t>{'A', 0xB3});
        ADD_FAILURE() << "no error";
    } catch (const ReadError& error) {
        EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
        EXPECT_NE(error.detail().find("code page 57002"), std::string::npos) << error.detail();
    }
    // A known code page afterwards decodes again.
    decoder.setCodePage(10029);
    EXPECT_EQ(decoder.decode(std::vector<std::uint8_t>{0x80}), "\xC3\x84");
}

// The regression: a Polish BIFF5 workbook from a Mac came out as "€rkusz1".
TEST(CodePages, Biff5MacWorkbookKeepsItsSheetNameAndText) {
    using testing_support::BiffWriter;
    using testing_support::Bytes;
    BiffWriter w;
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0005).u16(0).u16(0));
    w.record(0x0042, Bytes().u16(10029));
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).u8(7).chars("\x80rkusz1"));
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0010).u16(0).u16(0));
    w.record(0x0204, Bytes().u16(0).u16(0).u16(15).u16(4).chars("\x88\x86\x84\x9F")); // ąÜĄü
    w.eof();
    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, true);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "\xC3\x84rkusz1");
    ASSERT_EQ(book.sheets[0].cells.size(), 1u);
    EXPECT_EQ(book.strings.at(book.sheets[0].cells[0].text).text,
              "\xC4\x85\xC3\x9C\xC4\x84\xC3\xBC");
}

} // namespace
