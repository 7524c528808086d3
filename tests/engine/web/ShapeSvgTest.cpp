// Shapes drawn from their descriptions by the conventions of the family they come from.

#include "engine/web/ShapeSvg.h"

#include "tests/engine/metafile/SvgProbe.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::SvgElement;

namespace {

std::vector<SvgElement> named(const std::string& svg, const std::string& name) {
    std::vector<SvgElement> out;
    for (SvgElement& element : testing_support::svgElements(svg))
        if (element.name == name)
            out.push_back(std::move(element));
    return out;
}

Shape textBox(ShapeFamily family, std::initializer_list<ShapeRun> runs) {
    Shape shape;
    shape.family = family;
    shape.fill = 0xFFFFFF;
    shape.outline = 0x000000;
    shape.fonts = {{"Arial", 10, false, false, 0x000000},
                   {"Courier New", 12, true, false, 0xFF0000}};
    shape.paragraphs.push_back({runs, ShapeAlign::Left});
    return shape;
}

TEST(ShapeSvg, BinaryTextIsOneTextPerFontAndBreaksWhereTheTextBreaks) {
    // Two runs in one look read as one piece; a run of another look is a piece of its own.
    Shape shape = textBox(ShapeFamily::Binary, {{"one ", 0}, {"two ", 0}, {"red\r\nnext", 1}});
    const auto texts = named(web::shapeSvg(shape, 300, 100), "text");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "one two ");
    EXPECT_EQ(texts[0].attributes.at("font-family"),
              "&#39;Arial&#39;,&#39;Liberation Sans&#39;,Arimo,sans-serif");
    EXPECT_EQ(texts[1].text, "red");
    EXPECT_EQ(texts[1].attributes.at("fill"), "#FF0000");
    EXPECT_EQ(texts[1].attributes.at("font-weight"), "bold");
    EXPECT_GT(std::stod(texts[1].attributes.at("x")), std::stod(texts[0].attributes.at("x")));
    EXPECT_EQ(texts[2].text, "next");
    EXPECT_GT(std::stod(texts[2].attributes.at("y")), std::stod(texts[1].attributes.at("y")));
    EXPECT_EQ(texts[2].attributes.at("x"), texts[0].attributes.at("x"));
}

TEST(ShapeSvg, EachFamilyDrawsItsOutlineItsOwnWay) {
    Shape shape = textBox(ShapeFamily::Binary, {});
    shape.geometry = ShapeGeometry::Ellipse;
    const std::string binary = web::shapeSvg(shape, 100, 50);
    EXPECT_EQ(named(binary, "path").size(), 1u) << binary;
    EXPECT_TRUE(named(binary, "ellipse").empty());
    shape.family = ShapeFamily::DrawingML;
    const std::string drawingML = web::shapeSvg(shape, 100, 50);
    ASSERT_EQ(named(drawingML, "ellipse").size(), 1u) << drawingML;
    EXPECT_EQ(named(drawingML, "ellipse")[0].attributes.at("fill"), "#FFFFFF");

    // Lines and arcs of binary sheets never show text; a shape without an outline of its own
    // shows its text alone.
    for (ShapeGeometry open : {ShapeGeometry::Line, ShapeGeometry::Arc}) {
        Shape line = textBox(ShapeFamily::Binary, {{"hidden", 0}});
        line.geometry = open;
        line.fill.reset();
        const std::string svg = web::shapeSvg(line, 100, 50);
        EXPECT_TRUE(named(svg, "text").empty()) << svg;
        EXPECT_EQ(named(svg, "path")[0].attributes.at("fill"), "none");
    }
    Shape bare = textBox(ShapeFamily::Binary, {{"shown", 0}});
    bare.geometry = ShapeGeometry::None;
    const std::string svg = web::shapeSvg(bare, 100, 50);
    EXPECT_TRUE(named(svg, "path").empty());
    EXPECT_EQ(named(svg, "text").size(), 1u);
}

TEST(ShapeSvg, RunsNamingALookTheShapeLacksAreLeftOut) {
    for (ShapeFamily family : {ShapeFamily::Binary, ShapeFamily::DrawingML}) {
        const Shape shape = textBox(family, {{"kept", 0}, {"lost", 7}});
        const std::string svg = web::shapeSvg(shape, 200, 50);
        EXPECT_NE(svg.find("kept"), std::string::npos) << svg;
        EXPECT_EQ(svg.find("lost"), std::string::npos) << svg;
    }
}

} // namespace
