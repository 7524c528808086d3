// Enhanced metafiles played into SVG: what each family of records draws, where, and that
// damaged or hostile pictures stop early without harm.

#include "engine/metafile/Metafile.h"

#include "MetafileBuilder.h"
#include "SvgProbe.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/Dib.h"
#include "engine/metafile/MetafileBlip.h"
#include "engine/metafile/SvgCanvas.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <zlib.h>

using namespace engine::metafile;
using testing_support::EmfBuilder;
using testing_support::Le;
using testing_support::svgElements;
using testing_support::svgElementsNamed;

namespace {

Rendered play(EmfBuilder& emf) {
    return toSvg(emf.finish());
}

TEST(EmfTest, RectangleWithPenAndBrushBecomesOnePathInDeviceUnits) {
    EmfBuilder emf(0, 0, 199, 99);
    emf.solidBrush(1, 0x0000FF) // red, as 0x00BBGGRR
        .pen(2, 0, 3, 0xFF0000)
        .select(1)
        .select(2)
        .rectangle(10, 20, 110, 70);
    const Rendered out = play(emf);
    EXPECT_EQ(out.stoppedEarly, "");
    const auto root = svgElementsNamed(out.svg, "svg").at(0);
    EXPECT_EQ(root.attributes.at("viewBox"), "0 0 200 100");
    EXPECT_NEAR(std::stod(root.attributes.at("width")), 200, 0.1); // from the frame
    const auto paths = svgElementsNamed(out.svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M10 20 L110 20 L110 70 L10 70 Z");
    EXPECT_EQ(paths[0].attributes.at("fill"), "#FF0000");
    EXPECT_EQ(paths[0].attributes.at("stroke"), "#0000FF");
    EXPECT_EQ(paths[0].attributes.at("stroke-width"), "3");
    EXPECT_NEAR(out.widthPt, 150, 0.1);
}

TEST(EmfTest, MappingModesAndWorldTransformPlaceFiguresOnTheDevice) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.record(17, Le().u32(8))                                            // anisotropic
        .record(9, Le().i32(1000).i32(1000))                               // window extent
        .record(11, Le().i32(100).i32(100))                                // viewport extent
        .record(10, Le().i32(500).i32(0))                                  // window origin
        .rectangle(500, 0, 600, 100)                                       // -> 0 0 10 10
        .record(36, Le().f32(2).f32(0).f32(0).f32(2).f32(0).f32(0).u32(4)) // world: scale 2
        .rectangle(500, 0, 600, 100); // -> 50 0 70 20 (scaled before the page)
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L10 0 L10 10 L0 10 Z");
    EXPECT_EQ(paths[1].attributes.at("d"), "M50 0 L70 0 L70 20 L50 20 Z");
}

TEST(EmfTest, MetricMappingTurnsTheYAxisUp) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.record(17, Le().u32(2)) // 0.1 mm, y up; 1920 px on 508 mm is 3.78 px a mm
        .rectangle(0, 0, 100, -100);
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L37.8 0 L37.8 37.76 L0 37.76 Z");
}

TEST(EmfTest, PathRecordsCollectFiguresUntilFilledOrStroked) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.solidBrush(1, 0x00FF00)
        .select(1)
        .record(59, Le())                     // begin path
        .record(27, Le().i32(0).i32(0))       // move to
        .record(54, Le().i32(50).i32(0))      // line to
        .record(54, Le().i32(50).i32(50))     // line to
        .record(61, Le())                     // close figure
        .record(60, Le())                     // end path
        .record(62, Le().rect(0, 0, 50, 50)); // fill path
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L50 0 L50 50 Z");
    EXPECT_EQ(paths[0].attributes.at("fill"), "#00FF00");
    EXPECT_EQ(paths[0].attributes.count("stroke"), 0u);
}

TEST(EmfTest, PolygonsPolylinesAndCurves) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.record(86, Le().rect(0, 0, 9, 9).u32(3).i16(0).i16(0).i16(9).i16(0).i16(9).i16(9))
        .record(87, Le().rect(0, 0, 9, 9).u32(2).i16(1).i16(2).i16(3).i16(4))
        .record(42, Le().rect(0, 0, 20, 10))                                // ellipse
        .record(47, Le().rect(0, 0, 20, 20).i32(20).i32(10).i32(10).i32(0)) // pie, a quarter
        .record(91, Le().rect(0, 0, 9, 9)
                        .u32(2)
                        .u32(6)
                        .u32(3)
                        .u32(3)
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
                        .i16(9));
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(paths[0].attributes.at("d"), "M0 0 L9 0 L9 9 Z");
    EXPECT_EQ(paths[1].attributes.at("d"), "M1 2 L3 4");
    EXPECT_EQ(paths[1].attributes.at("fill"), "none");
    const std::string& ellipse = paths[2].attributes.at("d");
    EXPECT_EQ(std::count(ellipse.begin(), ellipse.end(), 'C'), 4);
    EXPECT_EQ(ellipse.substr(0, 6), "M20 5 ");
    // The pie runs counter-clockwise from the right (20,10) to the top (10,0).
    EXPECT_EQ(paths[3].attributes.at("d"), "M10 10 L20 10 C20 4.48 15.52 0 10 0 Z");
    EXPECT_EQ(paths[4].attributes.at("d"), "M0 0 L4 0 L4 4 Z M5 5 L9 5 L9 9 Z");
}

TEST(EmfTest, TextIsEscapedAndCarriesItsFontAlignmentAndColour) {
    EmfBuilder emf(0, 0, 199, 99);
    Le font;
    font.u32(1).i32(-20).i32(0).i32(0).i32(0).i32(700).u8(1).u8(0).u8(0).u8(0).u32(0).utf16(
        "Ar\"ial");
    while (font.size() < 4 + 92)
        font.u8(0);
    emf.record(82, font).select(1).record(22, Le().u32(6 | 24)).record(24, Le().u32(0x000080));
    const std::string text = "<b>&x";
    Le out;
    out.rect(0, 0, 0, 0)
        .u32(1)
        .f32(1)
        .f32(1)
        .i32(100)
        .i32(50)
        .u32(5)
        .u32(76)
        .u32(0)
        .rect(0, 0, 0, 0)
        .u32(0)
        .utf16(text)
        .u16(0);
    emf.record(84, out);
    const auto texts = svgElementsNamed(play(emf).svg, "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "&lt;b&gt;&amp;x");
    // A quote in the name cannot end the family list early.
    EXPECT_EQ(texts[0].attributes.at("font-family"),
              "&#39;Arial&#39;,&#39;Liberation Sans&#39;,Arimo,sans-serif");
    EXPECT_EQ(texts[0].attributes.at("font-size"), "20");
    EXPECT_EQ(texts[0].attributes.at("font-weight"), "bold");
    EXPECT_EQ(texts[0].attributes.at("font-style"), "italic");
    EXPECT_EQ(texts[0].attributes.at("text-anchor"), "middle");
    EXPECT_EQ(texts[0].attributes.at("fill"), "#800000");
    EXPECT_EQ(texts[0].attributes.at("x"), "100");
    EXPECT_EQ(texts[0].attributes.at("y"), "50"); // on the baseline
}

TEST(EmfTest, ClipRectanglesIntersectAndAreSavedWithTheContext) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.record(33, Le())
        .record(30, Le().rect(10, 10, 50, 50))
        .record(30, Le().rect(20, 0, 100, 30))
        .rectangle(0, 0, 99, 99);
    Le out;
    out.rect(0, 0, 0, 0).u32(1).f32(1).f32(1).i32(30).i32(20).u32(1).u32(76).u32(0);
    out.rect(0, 0, 0, 0).u32(0).utf16("x").u16(0);
    emf.record(84, out)
        .record(34, Le().i32(-1))
        .rectangle(0, 0, 9, 9)
        .record(30, Le().rect(0, 0, 5, 5))
        .record(75, Le().u32(0).u32(5)) // no region copied: no clip
        .rectangle(0, 0, 8, 8);
    const std::string svg = play(emf).svg;
    const auto clips = svgElementsNamed(svg, "rect");
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[1].attributes.at("x"), "20");
    EXPECT_EQ(clips[1].attributes.at("y"), "10");
    EXPECT_EQ(clips[1].attributes.at("width"), "30");
    EXPECT_EQ(clips[1].attributes.at("height"), "20");
    const auto paths = svgElementsNamed(svg, "path");
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0].attributes.at("clip-path"), "url(#c1)");
    EXPECT_EQ(paths[1].attributes.count("clip-path"), 0u); // restored
    EXPECT_EQ(paths[2].attributes.count("clip-path"), 0u); // removed
    // Text is clipped through a group, so that its own turn does not turn the clip.
    const auto groups = svgElementsNamed(svg, "g");
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].attributes.at("clip-path"), "url(#c1)");
}

TEST(EmfTest, SaveAndRestoreBringBackTheSelectedObjects) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.solidBrush(1, 0x0000FF)
        .solidBrush(2, 0xFF0000)
        .select(1)
        .record(33, Le())
        .select(2)
        .record(34, Le().i32(-1))
        .rectangle(0, 0, 5, 5)
        .record(34, Le().i32(-5)) // nothing saved: ignored
        .select(0x80000005)       // the null brush
        .rectangle(0, 0, 5, 5);
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0].attributes.at("fill"), "#FF0000");
    EXPECT_EQ(paths[1].attributes.at("fill"), "none");
}

TEST(EmfTest, StretchedBitmapsBecomeDataUrisOfBmpFiles) {
    EmfBuilder emf(0, 0, 99, 99);
    const Le header = testing_support::bitmapHeader(2, 2);
    const Le pixels = testing_support::bitmapPixels(2, 2, 0x336699);
    Le r;
    r.rect(0, 0, 40, 20).i32(10).i32(5).i32(0).i32(0).i32(2).i32(2);
    const std::uint32_t offBmi = 8 + 72,
                        offBits = offBmi + static_cast<std::uint32_t>(header.size());
    r.u32(offBmi)
        .u32(static_cast<std::uint32_t>(header.size()))
        .u32(offBits)
        .u32(static_cast<std::uint32_t>(pixels.size()))
        .u32(0)
        .u32(0x00CC0020)
        .i32(40)
        .i32(20);
    r.bytes(header.data).bytes(pixels.data);
    emf.record(81, r);
    const auto images = svgElementsNamed(play(emf).svg, "image");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].attributes.at("x"), "10");
    EXPECT_EQ(images[0].attributes.at("width"), "40");
    EXPECT_EQ(images[0].attributes.at("height"), "20");
    EXPECT_EQ(images[0].attributes.at("href").substr(0, 24), "data:image/bmp;base64,Qk");
}

TEST(EmfTest, DamageStopsPlayingButKeepsWhatWasDrawn) {
    EmfBuilder emf(0, 0, 99, 99);
    emf.rectangle(0, 0, 5, 5);
    // A polygon that claims far more points than its record holds.
    emf.record(3, Le().rect(0, 0, 1, 1).u32(0x40000000).i32(0).i32(0));
    emf.rectangle(1, 1, 6, 6);
    const Rendered out = play(emf);
    EXPECT_EQ(svgElementsNamed(out.svg, "path").size(), 1u);
    EXPECT_NE(out.stoppedEarly.find("EMF record at offset"), std::string::npos) << out.stoppedEarly;

    EmfBuilder cut(0, 0, 99, 99);
    cut.rectangle(0, 0, 5, 5);
    std::vector<std::uint8_t> bytes = cut.finish();
    bytes[bytes.size() - 16] = 0xFF; // the end record's size now runs past the end
    const Rendered truncated = toSvg(bytes);
    EXPECT_EQ(svgElementsNamed(truncated.svg, "path").size(), 1u);
    EXPECT_NE(truncated.stoppedEarly.find("declares"), std::string::npos);

    EXPECT_THROW(toSvg(std::vector<std::uint8_t>(100, 0)), engine::ReadError);
    EXPECT_FALSE(tryToSvg(std::vector<std::uint8_t>(100, 0)));
}

TEST(EmfTest, HostileObjectIndicesAndDeepSavesAreHarmless) {
    EmfBuilder emf(0, 0, 99, 99, 4);
    emf.solidBrush(0, 0x123456)       // index 0 is the metafile itself
        .solidBrush(100000, 0x123456) // past the handle table
        .select(100000)
        .record(40, Le().u32(0xFFFFFFF)) // delete of nothing
        .select(0x8000FFFF);             // an unknown stock object
    for (int i = 0; i < 5000; ++i)
        emf.record(33, Le());
    emf.record(34, Le().i32(-1000000)).record(34, Le().i32(3000000));
    emf.rectangle(0, 0, 5, 5);
    const auto paths = svgElementsNamed(play(emf).svg, "path");
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].attributes.at("fill"), "#FFFFFF");
}

TEST(EmfTest, OnlyElementsOfOurOwnAreWritten) {
    EmfBuilder emf(0, 0, 99, 99);
    Le comment;
    comment.u32(24);
    for (char c : std::string("<script>alert(1)</script>"))
        comment.u8(static_cast<unsigned char>(c));
    while (comment.size() % 4)
        comment.u8(0);
    emf.record(70, comment)
        .record(39, Le().u32(1).u32(2).u32(0x0000FF).u32(4)) // a cross-hatched brush
        .select(1)
        .rectangle(0, 0, 10, 10);
    const Rendered out = play(emf);
    EXPECT_EQ(out.svg.find("script"), std::string::npos);
    const std::set<std::string> ours = {"svg",  "defs", "pattern", "clipPath", "rect",
                                        "path", "text", "image",   "g"};
    for (const auto& element : svgElements(out.svg))
        EXPECT_TRUE(ours.count(element.name)) << element.name;
    const auto paths = svgElementsNamed(out.svg, "path");
    ASSERT_EQ(paths.size(), 2u); // the hatch pattern's lines, then the rectangle
    EXPECT_EQ(paths[1].attributes.at("fill"), "url(#h0)");
    EXPECT_EQ(toSvg(emf.finish()).svg, out.svg); // the same bytes every time
}

TEST(SvgCanvasTest, StopsGrowingAtItsLimit) {
    SvgCanvas canvas(300);
    Fill fill;
    const std::vector<std::uint8_t> bmp(1000, 'B');
    for (int i = 0; i < 1000 && !canvas.full(); ++i) {
        canvas.image({0, 0}, {1, 1}, bmp); // never fits
        for (int j = 0; j < 10; ++j)
            canvas.lineTo({double(i), double(j)});
        canvas.drawPath(nullptr, &fill);
    }
    EXPECT_TRUE(canvas.full());
    EXPECT_LT(canvas.finish(0, 0, 1, 1, 1, 1).size(), 300u + 400u);
    EXPECT_EQ(canvas.finish(0, 0, 1, 1, 1, 1).find("<image"), std::string::npos);
}

TEST(DibTest, BitmapsAreCheckedBeforeTheyAreWrapped) {
    const auto header = testing_support::bitmapHeader(3, 2).data;
    const auto pixels = testing_support::bitmapPixels(3, 2, 0xFF0000).data;
    const auto bmp = bmpFromParts(header, pixels);
    ASSERT_EQ(bmp.size(), 14 + header.size() + pixels.size());
    EXPECT_EQ(bmp[10], 14 + 40); // pixels follow the header at once
    EXPECT_TRUE(bmpFromParts(header, std::span(pixels).first(pixels.size() - 1)).empty());
    auto huge = header;
    huge[4] = huge[5] = huge[6] = 0xFF; // 16 million pixels wide
    huge[8] = huge[9] = 0xFF;
    EXPECT_TRUE(bmpFromParts(huge, pixels).empty());
    std::vector<std::uint8_t> packed = header;
    packed.insert(packed.end(), pixels.begin(), pixels.end());
    EXPECT_EQ(bmpFromPacked(packed), bmp);
}

TEST(MetafileBlipTest, CompressedMetafilesInflateToTheirDeclaredSize) {
    EmfBuilder emf(0, 0, 9, 9);
    const auto metafile = emf.rectangle(0, 0, 5, 5).finish();
    std::vector<std::uint8_t> packed(compressBound(metafile.size()));
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress(packed.data(), &packedSize, metafile.data(), metafile.size()), Z_OK);
    packed.resize(packedSize);
    auto blip = [&](std::uint32_t declared, std::uint8_t compression) {
        Le body;
        for (int i = 0; i < 16; ++i)
            body.u8(i); // identifier
        body.u32(declared)
            .rect(0, 0, 10, 10)
            .i32(127000)
            .i32(254000)
            .u32(static_cast<std::uint32_t>(packed.size()))
            .u8(compression)
            .u8(0xFE)
            .bytes(packed);
        return body.data;
    };
    const auto stored = unpackMetafileBlip(blip(metafile.size(), 0), 16, 1 << 20);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->bytes, metafile);
    EXPECT_DOUBLE_EQ(stored->widthPt, 10);
    EXPECT_DOUBLE_EQ(stored->heightPt, 20);
    EXPECT_FALSE(unpackMetafileBlip(blip(metafile.size() + 1, 0), 16, 1 << 20)); // too long
    EXPECT_FALSE(unpackMetafileBlip(blip(metafile.size() - 1, 0), 16, 1 << 20)); // too short
    EXPECT_FALSE(unpackMetafileBlip(blip(1u << 30, 0), 16, 1 << 20));            // over the bound
    EXPECT_FALSE(unpackMetafileBlip(blip(metafile.size(), 7), 16, 1 << 20));     // unknown method
    EXPECT_FALSE(unpackMetafileBlip(std::vector<std::uint8_t>(20), 16, 1 << 20));
}

} // namespace
