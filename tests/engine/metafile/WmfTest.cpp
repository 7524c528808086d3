// Windows metafiles played into SVG: the placeable frame, windows mapped onto it, the object
// table's slots, text in the font's code page, and damage.

#include "MetafileBuilder.h"
#include "SvgProbe.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/Metafile.h"

#include <gtest/gtest.h>

using namespace engine::metafile;
using testing_support::Le;
using testing_support::svgElementsNamed;
using testing_support::WmfBuilder;

namespace {

TEST(WmfTest, PlaceableBoundsAreTheFrameAndGiveTheSize) {
    WmfBuilder wmf(4, 0, 0, 1440, 720, 1440); // an inch by half an inch
    wmf.window(0, 0, 1440, 720).solidBrush(0x00FF00).select(0).rectangle(144, 72, 288, 144);
    const Rendered out = toSvg(wmf.finish());
    EXPECT_EQ(kindOf(wmf.out), Kind::Wmf);
    EXPECT_DOUBLE_EQ(out.widthPt, 72);
    EXPECT_DOUBLE_EQ(out.heightPt, 36);
    const auto root = svgElementsNamed(out.svg, "svg").at(0);
    EXPECT_EQ(root.attributes.at("viewBox"), "0 0 1440 720");
    EXPECT_EQ(root.attributes.at("width"), "96");
    const auto paths = svgElementsNamed(out.svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M144 72 L288 72 L288 144 L144 144 Z");
    EXPECT_EQ(paths[0].attributes.at("fill"), "#00FF00");
}

TEST(WmfTest, ALaterWindowIsMappedOntoTheFirst) {
    WmfBuilder wmf;
    wmf.window(0, 0, 100, 100)
        .rectangle(10, 10, 20, 20)
        .record(0x001E, Le()) // save
        .window(0, 0, 1000, 1000)
        .rectangle(100, 100, 200, 200)
        .record(0x0127, Le().i16(-1)) // restore
        .rectangle(30, 30, 40, 40);
    const Rendered out = toSvg(wmf.finish(), std::make_pair(75.0, 75.0));
    EXPECT_DOUBLE_EQ(out.widthPt, 75);
    const auto paths = svgElementsNamed(out.svg, "path");
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[1].attributes.at("d"), "M10 10 L20 10 L20 20 L10 20 Z");
    EXPECT_EQ(paths[2].attributes.at("d"), "M30 30 L40 30 L40 40 L30 40 Z");
}

TEST(WmfTest, AWindowWithTheYAxisUpIsShownUpright) {
    WmfBuilder wmf;
    wmf.window(0, 100, 100, -100).rectangle(0, 100, 10, 90); // the top-left corner
    const auto paths = svgElementsNamed(toSvg(wmf.finish()).svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L10 0 L10 10 L0 10 Z");
}

TEST(WmfTest, ClipRectanglesAreMappedLikeFigures) {
    WmfBuilder wmf;
    wmf.window(0, 0, 1000, 1000)
        .record(0x020C, Le().i16(2000).i16(2000)) // later window: half the scale
        .record(0x0416, Le().i16(400).i16(400).i16(200).i16(200))
        .rectangle(0, 0, 2000, 2000)
        .record(0x012C, Le().u16(0))
        .rectangle(0, 0, 10, 10);
    const std::string svg = toSvg(wmf.finish()).svg;
    const auto clips = svgElementsNamed(svg, "rect");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].attributes.at("x"), "100");
    EXPECT_EQ(clips[0].attributes.at("width"), "100");
    const auto paths = svgElementsNamed(svg, "path");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].attributes.at("clip-path"), "url(#c0)");
    EXPECT_EQ(paths[1].attributes.count("clip-path"), 0u);
}

TEST(WmfTest, WithoutAWindowWhatIsDrawnIsTheFrame) {
    WmfBuilder wmf;
    wmf.rectangle(100, 50, 300, 150).rectangle(120, 60, 200, 250);
    const auto root = svgElementsNamed(toSvg(wmf.finish()).svg, "svg").at(0);
    EXPECT_EQ(root.attributes.at("viewBox"), "100 50 200 200");
}

TEST(WmfTest, CreatedObjectsTakeTheFirstFreeSlot) {
    WmfBuilder wmf(3);
    wmf.window(0, 0, 10, 10)
        .pen(0, 1, 0)                           // slot 0
        .solidBrush(0x0000FF)                   // slot 1
        .record(0x00F7, Le().u16(0x300).u16(0)) // a palette: slot 2
        .record(0x01F0, Le().u16(0))            // slot 0 freed
        .solidBrush(0xFF0000)                   // slot 0 again
        .solidBrush(0x00FF00)                   // no slot left: not created
        .select(0)
        .rectangle(0, 0, 5, 5)
        .select(1)
        .rectangle(0, 0, 5, 5);
    const auto paths = svgElementsNamed(toSvg(wmf.finish()).svg, "path");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].attributes.at("fill"), "#0000FF");
    EXPECT_EQ(paths[1].attributes.at("fill"), "#FF0000");
}

TEST(WmfTest, TextIsDecodedInTheCodePageOfItsFont) {
    WmfBuilder wmf;
    Le font;
    font.i16(-12).i16(0).i16(900).i16(0).i16(400).u8(0).u8(1).u8(0).u8(204).u32(0);
    for (char c : std::string("Courier"))
        font.u8(static_cast<unsigned char>(c));
    font.u8(0);
    wmf.window(0, 0, 100, 100).record(0x02FB, font).select(0);
    Le text;
    text.i16(3).u8(0xCF).u8(0xF0).u8('<').u8(0).i16(40).i16(10); // "Пр<" in windows-1251
    wmf.record(0x0521, text);
    const auto texts = svgElementsNamed(toSvg(wmf.finish()).svg, "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Пр&lt;");
    EXPECT_EQ(texts[0].attributes.at("font-family"), "&#39;Courier&#39;,monospace");
    EXPECT_EQ(texts[0].attributes.at("text-decoration"), "underline");
    EXPECT_EQ(texts[0].attributes.at("transform"), "rotate(-90 10 40)");
    EXPECT_EQ(texts[0].attributes.at("y"), "50.2"); // top aligned: moved down by the ascent
}

TEST(WmfTest, PolygonsArcsAndBitmaps) {
    WmfBuilder wmf;
    wmf.window(0, 0, 100, 100)
        .record(0x0324, Le().i16(3).i16(0).i16(0).i16(10).i16(0).i16(10).i16(10))
        .record(0x0538, Le().u16(2)
                            .u16(3)
                            .u16(3)
                            .i16(0)
                            .i16(0)
                            .i16(4)
                            .i16(0)
                            .i16(4)
                            .i16(4)
                            .i16(5)
                            .i16(5)
                            .i16(9)
                            .i16(5)
                            .i16(9)
                            .i16(9))
        .record(0x0817, Le().i16(0).i16(10).i16(10).i16(20).i16(20).i16(20).i16(0).i16(0));
    Le blit;
    blit.u32(0x00CC0020)
        .u16(0)
        .i16(2)
        .i16(2)
        .i16(0)
        .i16(0)
        .i16(20)
        .i16(30)
        .i16(5)
        .i16(6)
        .bytes(testing_support::bitmapHeader(2, 2).data)
        .bytes(testing_support::bitmapPixels(2, 2, 0xFFFFFF).data);
    wmf.record(0x0F43, blit);
    const Rendered out = toSvg(wmf.finish());
    const auto paths = svgElementsNamed(out.svg, "path");
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L10 0 L10 10 Z");
    EXPECT_EQ(paths[1].attributes.at("d"), "M0 0 L4 0 L4 4 Z M5 5 L9 5 L9 9 Z");
    EXPECT_EQ(paths[2].attributes.at("d"), "M20 10 C20 4.48 15.52 0 10 0");
    EXPECT_EQ(paths[2].attributes.at("fill"), "none");
    const auto images = svgElementsNamed(out.svg, "image");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].attributes.at("x"), "6");
    EXPECT_EQ(images[0].attributes.at("y"), "5");
    EXPECT_EQ(images[0].attributes.at("width"), "30");
    EXPECT_EQ(images[0].attributes.at("height"), "20");
}

TEST(WmfTest, DamageStopsPlayingButKeepsWhatWasDrawn) {
    WmfBuilder wmf;
    wmf.window(0, 0, 10, 10).rectangle(0, 0, 5, 5);
    wmf.record(0x0324, Le().i16(30000).i16(0)); // far more points than the record holds
    wmf.rectangle(1, 1, 6, 6);
    const Rendered out = toSvg(wmf.finish());
    EXPECT_EQ(svgElementsNamed(out.svg, "path").size(), 1u);
    EXPECT_NE(out.stoppedEarly.find("WMF record"), std::string::npos) << out.stoppedEarly;

    WmfBuilder cut;
    cut.window(0, 0, 10, 10).rectangle(0, 0, 5, 5);
    std::vector<std::uint8_t> bytes = cut.out;
    bytes.push_back(0xFF); // a record header cut short
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    bytes.push_back(0x00);
    bytes.push_back(0x1B);
    bytes.push_back(0x04);
    const Rendered truncated = toSvg(bytes);
    EXPECT_EQ(svgElementsNamed(truncated.svg, "path").size(), 1u);
    EXPECT_NE(truncated.stoppedEarly.find("declares"), std::string::npos);

    std::vector<std::uint8_t> header = WmfBuilder().out;
    header[2] = 7; // a header of 7 words
    EXPECT_EQ(kindOf(header), Kind::None);
    std::vector<std::uint8_t> placeable = WmfBuilder(4, 0, 0, 10, 10, 96).out;
    placeable[22 + 2] = 7;
    EXPECT_THROW(toSvg(placeable), engine::ReadError);
}

} // namespace
