// FONT and XF records turned into the model's styles: the automatic colours of the oldest
// versions, diagonal borders and centring across a selection.

#include "engine/model/Workbook.h"
#include "engine/util/Text.h"
#include "engine/xls/Styles.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>

namespace {

using engine::BorderStyle;
using engine::Color;
using engine::xls::Record;
using engine::xls::Styles;
using testing_support::Bytes;

Record record(std::uint16_t id, const Bytes& body) {
    return Record{id, 0, body.data};
}

// A BIFF3-4 border field: four sides of a 3-bit style and a 5-bit colour.
std::uint32_t borders34(unsigned style, unsigned color) {
    const std::uint32_t side = style | color << 3;
    return side | side << 8 | side << 16 | side << 24;
}

TEST(XlsStyles, Biff4SystemColoursAreAutomaticNotPaletteEntries) {
    engine::util::CodePageDecoder decoder;
    Styles styles(4, decoder);
    const Bytes font = Bytes().u16(200).u16(0).u16(0x7FFF).u8(5).chars("Arial");
    styles.font(record(0x0231, font));
    // XF 0: thin borders in the window's text colour (24), a solid fill in the window's
    // background colour (25). XF 1: red borders (palette entry 10) on a pattern in blue (12).
    styles.xf(record(
        0x0443,
        Bytes().u8(0).u8(0).u16(0).u8(0).u8(0).u16(1 | 25 << 6 | 24 << 11).u32(borders34(1, 24))));
    styles.xf(record(
        0x0443,
        Bytes().u8(0).u8(0).u16(0).u8(0).u8(0).u16(1 | 12 << 6 | 25 << 11).u32(borders34(1, 10))));
    engine::Workbook book;
    styles.resolve(book);
    ASSERT_EQ(book.cellFormats.size(), 2u);
    EXPECT_TRUE(book.fonts.at(0).color.automatic);

    const auto& automatic = book.borders.at(book.cellFormats[0].border);
    for (const auto* side :
         {&automatic.left, &automatic.right, &automatic.top, &automatic.bottom}) {
        EXPECT_EQ(side->style, BorderStyle::Thin);
        EXPECT_TRUE(side->color.automatic);
    }
    EXPECT_TRUE(book.fills.at(book.cellFormats[0].fill).foreground.automatic);

    const auto& red = book.borders.at(book.cellFormats[1].border);
    EXPECT_EQ(red.left.color, Color::fromRgb(0xFF0000));
    const auto& blue = book.fills.at(book.cellFormats[1].fill);
    EXPECT_EQ(blue.foreground, Color::fromRgb(0x0000FF));
    EXPECT_TRUE(blue.background.automatic);
}

// A BIFF8 XF record with the given alignment byte and border words.
Bytes xf8(std::uint8_t align, std::uint32_t border1, std::uint32_t border2) {
    return Bytes().u16(0).u16(0).u16(0).u8(align).u8(0).u8(0).u8(0).u32(border1).u32(border2).u16(
        64 | 65 << 7);
}

TEST(XlsStyles, Biff8DiagonalsAndCentringAcrossTheSelection) {
    engine::util::CodePageDecoder decoder;
    Styles styles(8, decoder);
    // Down only, in a dashed red (palette 10); up and down in thin black; none.
    styles.xf(record(0x00E0, xf8(0, 1u << 30, 10u << 14 | 3u << 21)));
    styles.xf(record(0x00E0, xf8(0, 3u << 30, 8u << 14 | 1u << 21)));
    styles.xf(record(0x00E0, xf8(6, 0, 0)));
    engine::Workbook book;
    styles.resolve(book);
    ASSERT_EQ(book.cellFormats.size(), 3u);

    const auto& down = book.borders.at(book.cellFormats[0].border);
    EXPECT_TRUE(down.diagonalDown);
    EXPECT_FALSE(down.diagonalUp);
    EXPECT_EQ(down.diagonal.style, BorderStyle::Dashed);
    EXPECT_EQ(down.diagonal.color, Color::fromRgb(0xFF0000));
    const auto& both = book.borders.at(book.cellFormats[1].border);
    EXPECT_TRUE(both.diagonalDown && both.diagonalUp);
    EXPECT_EQ(both.diagonal.style, BorderStyle::Thin);
    // Formats differing only in their diagonals must not share a border.
    EXPECT_NE(book.cellFormats[0].border, book.cellFormats[1].border);
    EXPECT_FALSE(book.borders.at(book.cellFormats[2].border).hasDiagonal());
    EXPECT_EQ(book.cellFormats[2].alignment.horizontal, engine::HAlign::CenterAcrossSelection);
}

} // namespace
