// Macintosh PICT pictures played into SVG: shapes, lines, texts and colours of small built
// pictures, a placeholder for what is not drawn, and pictures cut or lying about their sizes.

#include "engine/base/ReadError.h"
#include "engine/metafile/Metafile.h"
#include "engine/metafile/PictBitmap.h"
#include "engine/metafile/PictPlayer.h"
#include "tests/engine/metafile/SvgProbe.h"

#include <array>
#include <cctype>
#include <gtest/gtest.h>
#include <sstream>

using namespace engine;
using testing_support::svgElements;

namespace {

// A version 2 picture, big-endian, opcodes word-aligned.
struct PictBuilder {
    std::vector<std::uint8_t> bytes;

    PictBuilder& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    PictBuilder& u16(std::uint16_t v) { return u8(static_cast<std::uint8_t>(v >> 8)).u8(v & 0xFF); }
    PictBuilder& u32(std::uint32_t v) { return u16(v >> 16).u16(v & 0xFFFF); }
    PictBuilder& rect(std::int16_t top, std::int16_t left, std::int16_t bottom,
                      std::int16_t right) {
        return u16(top).u16(left).u16(bottom).u16(right);
    }
    PictBuilder& align() {
        if (bytes.size() % 2)
            u8(0);
        return *this;
    }

    // The frame, the version opcode and an extended header.
    static PictBuilder start(std::int16_t width, std::int16_t height) {
        PictBuilder b;
        b.u16(0).rect(0, 0, height, width).u16(0x0011).u16(0x02FF).u16(0x0C00);
        b.u16(0xFFFE).u16(0).u32(72 << 16).u32(72 << 16).rect(0, 0, height, width).u32(0);
        return b;
    }
};

std::size_t count(const std::vector<testing_support::SvgElement>& elements,
                  const std::string& name) {
    return static_cast<std::size_t>(std::count_if(elements.begin(), elements.end(),
                                                  [&](const auto& e) { return e.name == name; }));
}

// The pixels (0xRRGGBB) of the BMP in the n-th <image> of `svg`, row by row.
std::vector<std::vector<std::uint32_t>> imagePixels(const std::string& svg, std::size_t nth = 0) {
    std::vector<std::vector<std::uint32_t>> rows;
    for (const auto& element : svgElements(svg)) {
        if (element.name != "image" || nth-- != 0)
            continue;
        const std::string& href = element.attributes.at("href");
        const std::string prefix = "data:image/bmp;base64,";
        if (href.rfind(prefix, 0) != 0)
            return rows;
        std::vector<std::uint8_t> bmp;
        std::uint32_t buffer = 0;
        int bits = 0;
        static const std::string alphabet =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (std::size_t i = prefix.size(); i < href.size() && href[i] != '='; ++i) {
            buffer = buffer << 6 | static_cast<std::uint32_t>(alphabet.find(href[i]));
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                bmp.push_back(static_cast<std::uint8_t>(buffer >> bits));
            }
        }
        const auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 |
                                              bmp[at + 3] << 24);
        };
        const std::uint32_t offset = u32(10), width = u32(18);
        const auto height = static_cast<std::int32_t>(u32(22));
        EXPECT_LT(height, 0); // drawn top-down
        EXPECT_EQ(bmp[28], 24);
        const std::size_t stride = (width * 3 + 3) / 4 * 4;
        for (std::int32_t y = 0; y < -height; ++y) {
            auto& row = rows.emplace_back();
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint8_t* p = &bmp[offset + y * stride + x * 3];
                row.push_back(static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]));
            }
        }
        return rows;
    }
    return rows;
}

// The PixMap of a bitmap opcode after its row bytes: bounds `width` x `height` at 0,0, and
// its fields up to the colour table.
void pixMap(PictBuilder& b, std::int16_t width, std::int16_t height, std::uint16_t packType,
            std::uint16_t pixelSize, std::uint16_t components) {
    b.rect(0, 0, height, width).u16(0).u16(packType).u32(0).u32(72 << 16).u32(72 << 16);
    b.u16(pixelSize > 8 ? 16 : 0).u16(pixelSize).u16(components).u16(pixelSize > 8 ? 8 : pixelSize);
    b.u32(0).u32(0).u32(0);
}

} // namespace

TEST(Pict, ShapesLinesAndTextsAreDrawnInTheirColours) {
    PictBuilder b = PictBuilder::start(200, 100);
    b.u16(0x001A).u16(0xFFFF).u16(0).u16(0);      // red
    b.u16(0x0031).rect(10, 10, 40, 60);           // paintRect
    b.u16(0x001A).u16(0).u16(0).u16(0xFFFF);      // blue
    b.u16(0x0007).u16(3).u16(3);                  // pen 3
    b.u16(0x0050).rect(50, 100, 90, 180);         // frameOval
    b.u16(0x0020).u16(5).u16(5).u16(95).u16(195); // line
    b.u16(0x0070).u16(22).rect(0, 0, 50, 50).u16(0).u16(0).u16(0).u16(50).u16(50).u16(0); // poly
    b.u16(0x000D).u16(18);               // text size
    b.u16(0x0004).u8(1).align();         // bold
    b.u16(0x0028).u16(80).u16(20).u8(5); // long text
    for (char c : std::string("Hello"))
        b.u8(static_cast<std::uint8_t>(c));
    b.align();
    b.u16(0x00A1).u16(100).u16(3).u8(1).u8(2).u8(3).align(); // a long comment, skipped
    b.u16(0x00FF);
    ASSERT_EQ(metafile::kindOf(b.bytes), metafile::Kind::Pict);
    const metafile::Rendered picture = metafile::toSvg(b.bytes);
    EXPECT_EQ(picture.widthPt, 200);
    EXPECT_EQ(picture.heightPt, 100);
    EXPECT_TRUE(picture.stoppedEarly.empty()) << picture.stoppedEarly;
    const auto elements = svgElements(picture.svg);
    EXPECT_EQ(count(elements, "path"), 4u);
    EXPECT_NE(picture.svg.find("#FF0000"), std::string::npos);
    EXPECT_NE(picture.svg.find("#0000FF"), std::string::npos);
    EXPECT_NE(picture.svg.find(">Hello<"), std::string::npos);
    EXPECT_NE(picture.svg.find("bold"), std::string::npos);
}

TEST(Pict, UndrawnPicturesShowAFrameWithTheirSize) {
    // A picture that is one bitmap cut short: playing stops.
    PictBuilder b = PictBuilder::start(320, 240);
    b.u16(0x009A).u32(0x000000FF).u16(0x8000);
    const metafile::Rendered picture = metafile::toSvg(b.bytes);
    EXPECT_FALSE(picture.stoppedEarly.empty());
    EXPECT_NE(picture.svg.find("Picture 320 x 240 pt"), std::string::npos);
    EXPECT_NE(picture.svg.find("stroke-dasharray"), std::string::npos);

    // With the 512 bytes of a file's header in front, as some stores keep them.
    std::vector<std::uint8_t> withHeader(512, 0);
    withHeader.insert(withHeader.end(), b.bytes.begin(), b.bytes.end());
    EXPECT_EQ(metafile::kindOf(withHeader), metafile::Kind::Pict);
    EXPECT_EQ(metafile::toSvg(withHeader).widthPt, 320);
}

// The corners of every path's coordinates in `svg`: min x, min y, max x, max y.
std::array<double, 4> pathBounds(const std::string& svg) {
    std::array<double, 4> box{1e9, 1e9, -1e9, -1e9};
    for (const auto& element : testing_support::svgElementsNamed(svg, "path")) {
        std::istringstream in(element.attributes.at("d"));
        std::string token;
        std::vector<double> numbers;
        while (in >> token)
            if (std::isdigit(static_cast<unsigned char>(token.back())))
                numbers.push_back(std::stod(token.substr(std::isalpha(token[0]) ? 1 : 0)));
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
            box[0] = std::min(box[0], numbers[i]);
            box[1] = std::min(box[1], numbers[i + 1]);
            box[2] = std::max(box[2], numbers[i]);
            box[3] = std::max(box[3], numbers[i + 1]);
        }
    }
    return box;
}

TEST(Pict, ShapesDrawnAwayFromTheCornerOrAtAFinerResolutionFillTheViewBox) {
    // A frame at 100,200 in points and a source rectangle at 300 dpi offset to 400,800: the
    // opcodes draw in the source rectangle's coordinates.
    PictBuilder b;
    b.u16(0).rect(100, 200, 172, 344).u16(0x0011).u16(0x02FF).u16(0x0C00);
    b.u16(0xFFFE).u16(0).u32(300u << 16).u32(300u << 16).rect(400, 800, 700, 1400).u32(0);
    b.u16(0x0031).rect(400, 800, 700, 1400); // paintRect over the whole source
    b.u16(0x00FF);
    const metafile::Rendered picture = metafile::toSvg(b.bytes);
    EXPECT_EQ(picture.widthPt, 144);
    EXPECT_EQ(picture.heightPt, 72);
    const auto svg = testing_support::svgElementsNamed(picture.svg, "svg");
    ASSERT_EQ(svg.size(), 1u);
    EXPECT_EQ(svg[0].attributes.at("viewBox"), "0 0 600 300");
    EXPECT_EQ(svg[0].attributes.at("width"), "192");
    EXPECT_EQ((pathBounds(picture.svg)), (std::array<double, 4>{0, 0, 600, 300}));

    // A frame away from 0,0 at 72 dpi: drawn in the frame, shown from its corner.
    PictBuilder moved;
    moved.u16(0).rect(-50, 30, 50, 230).u16(0x0011).u16(0x02FF).u16(0x0C00);
    moved.u16(0xFFFF).u16(0xFFFF).u32(0).u32(0).u32(0).u32(0).u32(0);
    moved.u16(0x0031).rect(-50, 30, 0, 130).u16(0x00FF);
    const metafile::Rendered shifted = metafile::toSvg(moved.bytes);
    EXPECT_EQ(testing_support::svgElementsNamed(shifted.svg, "svg")[0].attributes.at("viewBox"),
              "0 0 200 100");
    EXPECT_EQ((pathBounds(shifted.svg)), (std::array<double, 4>{0, 0, 100, 50}));
}

TEST(Pict, CutAndHostilePicturesEndWithWhatWasDrawn) {
    PictBuilder b = PictBuilder::start(100, 100);
    b.u16(0x0031).rect(0, 0, 50, 50);
    // A region and a data opcode whose sizes run past the end.
    b.u16(0x0081).u16(0xFFFF);
    const metafile::Rendered cut = metafile::toSvg(b.bytes);
    EXPECT_FALSE(cut.stoppedEarly.empty());
    EXPECT_EQ(count(svgElements(cut.svg), "path"), 1u);

    PictBuilder huge = PictBuilder::start(100, 100);
    huge.u16(0x8200).u32(0xFFFFFFF0);
    EXPECT_NO_THROW(metafile::toSvg(huge.bytes));
    // Every truncation of a good picture plays or is refused, never worse.
    PictBuilder good = PictBuilder::start(50, 50);
    good.u16(0x0070).u16(18).rect(0, 0, 9, 9).u16(1).u16(1).u16(2).u16(2).u16(0x00FF);
    for (std::size_t size = 0; size < good.bytes.size(); ++size) {
        const std::vector<std::uint8_t> part(good.bytes.begin(), good.bytes.begin() + size);
        try {
            metafile::toSvg(part);
        } catch (const ReadError&) {
        }
    }
}

TEST(Pict, BitmapsOfEveryDepthAreDrawnWithTheirPixels) {
    PictBuilder b = PictBuilder::start(40, 40);
    // PackBitsRect, 8-bit indexed 3 x 2, a colour table of red, green, blue; rows of 8 bytes
    // (so packed): a run of three 2s, then literals 0 1 0.
    b.u16(0x0098).u16(0x8000 | 8);
    pixMap(b, 3, 2, 0, 8, 1);
    b.u32(0).u16(0).u16(2);
    b.u16(0).u16(0xFFFF).u16(0).u16(0);
    b.u16(1).u16(0).u16(0xFFFF).u16(0);
    b.u16(2).u16(0).u16(0).u16(0xFFFF);
    b.rect(0, 0, 2, 3).rect(0, 0, 20, 30).u16(0);
    b.u8(2).u8(0xFE).u8(2);
    b.u8(4).u8(2).u8(0).u8(1).u8(0);
    b.align();
    // DirectBitsRect, 32-bit 2 x 1 packed by component planes (R, G, B).
    b.u16(0x009A).u32(0xFF).u16(0x8000 | 8);
    pixMap(b, 2, 1, 4, 32, 3);
    b.rect(0, 0, 1, 2).rect(20, 0, 30, 10).u16(0);
    b.u8(7).u8(5).u8(0x10).u8(0x20).u8(0x30).u8(0x40).u8(0x50).u8(0x60);
    b.align();
    // BitsRect, a 1-bit bitmap 4 x 1 (a BitMap, no colour table): set bits in the foreground.
    b.u16(0x0090).u16(2).rect(0, 0, 1, 4).rect(0, 0, 1, 4).rect(30, 0, 31, 4).u16(0);
    b.u8(0xA0).u8(0);
    // DirectBitsRgn, 16-bit 1 x 1 unpacked, with a rectangular mask region.
    b.u16(0x009B).u32(0xFF).u16(0x8000 | 2);
    pixMap(b, 1, 1, 0, 16, 3);
    b.rect(0, 0, 1, 1).rect(35, 35, 36, 36).u16(0).u16(10).rect(35, 35, 36, 36);
    b.u16(0x7C00); // pure red in 5-5-5
    b.u16(0x00FF);
    const metafile::Rendered picture = metafile::toSvg(b.bytes);
    EXPECT_TRUE(picture.stoppedEarly.empty()) << picture.stoppedEarly;
    const auto elements = svgElements(picture.svg);
    EXPECT_EQ(count(elements, "image"), 4u);

    const auto indexed = imagePixels(picture.svg, 0);
    ASSERT_EQ(indexed.size(), 2u);
    EXPECT_EQ(indexed[0], (std::vector<std::uint32_t>{0x0000FF, 0x0000FF, 0x0000FF}));
    EXPECT_EQ(indexed[1], (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0xFF0000}));
    const auto direct = imagePixels(picture.svg, 1);
    ASSERT_EQ(direct.size(), 1u);
    EXPECT_EQ(direct[0], (std::vector<std::uint32_t>{0x103050, 0x204060}));
    const auto mono = imagePixels(picture.svg, 2);
    ASSERT_EQ(mono.size(), 1u);
    EXPECT_EQ(mono[0], (std::vector<std::uint32_t>{0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}));
    const auto high = imagePixels(picture.svg, 3);
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0][0], 0xFF0000u);
    // Placed at its destination rectangle, scaled to it.
    const auto image = std::find_if(elements.begin(), elements.end(),
                                    [](const auto& e) { return e.name == "image"; });
    EXPECT_EQ(image->attributes.at("width"), "30");
    EXPECT_EQ(image->attributes.at("height"), "20");
}

TEST(Pict, RegionsAreDrawnAsTheirBoundsAndOversizedBitmapsAreSkippedOver) {
    PictBuilder b = PictBuilder::start(100, 100);
    b.u16(0x0081).u16(14).rect(10, 10, 20, 30).u16(0).u16(0); // paintRgn with scan lines
    // A bitmap of 20000 x 20000 pixels is read past, not decoded: rows of 1 byte each say
    // "nothing"; the oval after it is still drawn.
    b.u16(0x0098).u16(0x8000 | 2500);
    pixMap(b, 20000, 20000, 0, 1, 1);
    b.u32(0).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
    b.rect(0, 0, 1, 1).rect(0, 0, 1, 1).u16(0);
    for (int row = 0; row < 20000; ++row)
        b.u16(0); // a count of 0 bytes (rows over 250 bytes count in 16 bits)
    b.u16(0x0051).rect(50, 50, 60, 60);
    b.u16(0x00FF);
    const metafile::Rendered picture = metafile::toSvg(b.bytes);
    EXPECT_TRUE(picture.stoppedEarly.empty()) << picture.stoppedEarly;
    const auto elements = svgElements(picture.svg);
    EXPECT_EQ(count(elements, "image"), 0u);
    EXPECT_EQ(count(elements, "path"), 2u);

    // Every truncation of a picture with a bitmap plays what it can, never worse.
    PictBuilder small = PictBuilder::start(10, 10);
    small.u16(0x009A).u32(0xFF).u16(0x8000 | 8);
    pixMap(small, 2, 2, 0, 32, 3);
    small.rect(0, 0, 2, 2).rect(0, 0, 2, 2).u16(0);
    for (int row = 0; row < 2; ++row)
        small.u8(3).u8(0x81).u8(0x7F).u8(0x03).u8(0x01);
    small.align().u16(0x00FF);
    for (std::size_t size = 0; size < small.bytes.size(); ++size) {
        const std::vector<std::uint8_t> part(small.bytes.begin(), small.bytes.begin() + size);
        try {
            metafile::toSvg(part);
        } catch (const ReadError&) {
        }
    }
}

TEST(Pict, PackBitsRunsLiteralsAndBrokenRows) {
    std::vector<std::uint8_t> out(6);
    // Literal of two, run of three, the no-op -128, then a literal cut short.
    const std::vector<std::uint8_t> packed{0x01, 7, 8, 0xFE, 9, 0x80, 0x03, 1};
    metafile::unpackBits(packed, 1, out.data(), out.size());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{7, 8, 9, 9, 9, 1}));
    // Words repeated for 16-bit pixels; a run longer than the row stops at its end.
    std::vector<std::uint8_t> words(6);
    const std::vector<std::uint8_t> run{0xF0, 0xAB, 0xCD};
    metafile::unpackBits(run, 2, words.data(), words.size());
    EXPECT_EQ(words, (std::vector<std::uint8_t>{0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD}));
    // A run missing its value leaves the row at 0.
    std::vector<std::uint8_t> rest(3, 0xEE);
    metafile::unpackBits(std::vector<std::uint8_t>{0xFE}, 1, rest.data(), rest.size());
    EXPECT_EQ(rest, (std::vector<std::uint8_t>{0, 0, 0}));
}
