// Macintosh PICT pictures played into SVG: shapes, lines, texts and colours of small built
// pictures, a placeholder for what is not drawn, and pictures cut or lying about their sizes.

#include "engine/metafile/Metafile.h"
#include "engine/metafile/PictPlayer.h"
#include "engine/read/ReadError.h"
#include "tests/engine/metafile/SvgProbe.h"

#include <gtest/gtest.h>

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
    EXPECT_NE(picture.svg.find("#ff0000"), std::string::npos);
    EXPECT_NE(picture.svg.find("#0000ff"), std::string::npos);
    EXPECT_NE(picture.svg.find(">Hello<"), std::string::npos);
    EXPECT_NE(picture.svg.find("bold"), std::string::npos);
}

TEST(Pict, UndrawnPicturesShowAFrameWithTheirSize) {
    // A picture that is one bitmap: its size cannot be skipped, so playing stops.
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
