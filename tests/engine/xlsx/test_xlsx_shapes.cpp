// Shapes and text boxes of drawing parts, kept with outline, fill and text and drawn as SVG by
// the page writer.

#include "engine/drawingml/ChartPart.h"
#include "engine/drawingml/DrawingColor.h"
#include "engine/drawingml/DrawingObjects.h"
#include "engine/package/Colors.h"
#include "engine/web/ShapeSvg.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace engine;
using testing_support::minimalWorkbook;
using testing_support::PackageWriter;
using testing_support::relationshipsXml;

namespace {

// The SVG a page shows for a picture holding a shape.
std::string drawn(const Picture& picture) {
    if (!picture.shape)
        return std::string();
    return web::shapeSvg(*picture.shape, picture.anchor.widthPt * 4 / 3,
                         picture.anchor.heightPt * 4 / 3);
}

std::string drawing(const std::string& anchors) {
    return "<xdr:wsDr "
           "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">" +
           anchors + "</xdr:wsDr>";
}

std::string oneCell(int col, int row, const std::string& shape) {
    return "<xdr:oneCellAnchor><xdr:from><xdr:col>" + std::to_string(col) +
           "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" + std::to_string(row) +
           "</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext cx=\"1905000\" "
           "cy=\"952500\"/>" +
           shape + "<xdr:clientData/></xdr:oneCellAnchor>";
}

// A rounded rectangle in the default shape style (accent fill, darker outline, light text)
// holding two paragraphs.
const std::string styledShape =
    "<xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"2\" name=\"Box\" descr=\"Totals note\"/></xdr:nvSpPr>"
    "<xdr:spPr><a:prstGeom prst=\"roundRect\"/></xdr:spPr><xdr:style><a:lnRef idx=\"2\">"
    "<a:schemeClr val=\"accent1\"><a:shade val=\"50000\"/></a:schemeClr></a:lnRef><a:fillRef "
    "idx=\"1\"><a:schemeClr val=\"accent1\"/></a:fillRef><a:fontRef idx=\"minor\"><a:schemeClr "
    "val=\"lt1\"/></a:fontRef></xdr:style><xdr:txBody><a:bodyPr anchor=\"ctr\"/><a:p><a:pPr "
    "algn=\"ctr\"/><a:r><a:rPr sz=\"1400\" b=\"1\"/><a:t>Q1 &lt;up&gt;</a:t></a:r></a:p><a:p>"
    "<a:r><a:rPr><a:solidFill><a:srgbClr val=\"FFFF00\"/></a:solidFill></a:rPr><a:t>by 5%</a:t>"
    "</a:r></a:p></xdr:txBody></xdr:sp>";

} // namespace

TEST(XlsxShapes, ShapesAreDrawnWithTheirStyleGeometryAndText) {
    Sheet sheet;
    const package::Colors colors;
    drawingml::parseDrawingShapesXml(
        drawing(oneCell(1, 2, styledShape) +
                // A text box with its own fill and outline, and a shape showing nothing.
                oneCell(4, 0,
                        "<xdr:sp><xdr:nvSpPr><xdr:cNvPr id=\"3\" name=\"T\"/><xdr:cNvSpPr "
                        "txBox=\"1\"/></xdr:nvSpPr><xdr:spPr><a:solidFill><a:srgbClr "
                        "val=\"FFFFFF\"/></a:solidFill><a:ln w=\"25400\"><a:solidFill><a:srgbClr "
                        "val=\"FF0000\"/></a:solidFill></a:ln></xdr:spPr><xdr:txBody><a:bodyPr/>"
                        "<a:p><a:r><a:t>plain</a:t></a:r></a:p></xdr:txBody></xdr:sp>") +
                oneCell(0, 9,
                        "<xdr:sp><xdr:spPr><a:noFill/><a:ln><a:noFill/></a:ln></xdr:spPr>"
                        "</xdr:sp>")),
        "xl/drawings/drawing1.xml", colors, sheet);
    ASSERT_EQ(sheet.pictures.size(), 2u);
    const Picture& box = sheet.pictures[0];
    ASSERT_TRUE(box.shape.has_value());
    EXPECT_EQ(box.anchor.col, 1);
    EXPECT_EQ(box.anchor.row, 2u);
    EXPECT_DOUBLE_EQ(box.anchor.widthPt, 150);
    EXPECT_EQ(box.description, "Totals note");
    const std::string svg = drawn(box);
    const std::string accent = [&] {
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", colors.themeColor(4));
        return std::string(text);
    }();
    EXPECT_NE(svg.find("<rect"), std::string::npos);
    EXPECT_NE(svg.find(" rx=\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"" + accent + "\""), std::string::npos);
    EXPECT_NE(svg.find(">Q1 &lt;up&gt;<"), std::string::npos);
    EXPECT_NE(svg.find("font-weight=\"bold\""), std::string::npos);
    EXPECT_NE(svg.find("text-anchor=\"middle\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#FFFF00\">by 5%"), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#FFFFFF\" font-weight=\"bold\">Q1"), std::string::npos);

    const std::string text = drawn(sheet.pictures[1]);
    EXPECT_NE(text.find("stroke=\"#FF0000\" stroke-width=\"2.7\""), std::string::npos);
    EXPECT_NE(text.find("fill=\"#000000\">plain"), std::string::npos);
    EXPECT_EQ(sheet.pictures[1].description, "plain");
}

TEST(XlsxShapes, SheetsShowTheShapesOfTheirDrawing) {
    PackageWriter package = minimalWorkbook({"<sheetData/><drawing r:id=\"rD\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    // Long text wraps inside the shape rather than running past it.
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "word ";
    package.add("xl/drawings/drawing1.xml",
                drawing(oneCell(0, 0,
                                "<xdr:sp><xdr:txBody><a:bodyPr/><a:p><a:r><a:t>" + words +
                                    "</a:t></a:r></a:p></xdr:txBody></xdr:sp>")));
    const Workbook book = xlsx::readPackage(package.bytes());
    ASSERT_EQ(book.sheets[0].pictures.size(), 1u);
    const std::string svg = drawn(book.sheets[0].pictures[0]);
    EXPECT_GT(std::count(svg.begin(), svg.end(), '\n'), 0);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = svg.find("<text", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_GT(lines, 3u);
}

TEST(XlsxShapes, LinesRunCornerToCornerEvenWithoutHeight) {
    Sheet sheet;
    drawingml::parseDrawingShapesXml(
        drawing("<xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff>"
                "<xdr:row>0</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>2"
                "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>0</xdr:row><xdr:rowOff>0"
                "</xdr:rowOff></xdr:to><xdr:sp><xdr:spPr><a:xfrm flipH=\"1\"/><a:prstGeom "
                "prst=\"line\"/><a:noFill/><a:ln w=\"12700\"><a:solidFill><a:srgbClr "
                "val=\"000000\"/></a:solidFill></a:ln></xdr:spPr></xdr:sp></xdr:twoCellAnchor>"),
        "d.xml", package::Colors(), sheet);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    EXPECT_DOUBLE_EQ(sheet.pictures[0].anchor.heightPt, 1);
    const std::string svg = drawn(sheet.pictures[0]);
    EXPECT_NE(svg.find("<line x1=\"127.3\" y1=\"0.7\" x2=\"0.7\""), std::string::npos) << svg;
    EXPECT_EQ(svg.find("<rect"), std::string::npos);
}

TEST(XlsxShapes, AlternateContentIsReadOnceAndAnchorsKeepTheirEditMode) {
    // The choice holds the shape; the fallback repeats it (and its anchor's place) for older
    // readers. A shape marked to keep its size does not stretch with its cells.
    const std::string mc = "http://schemas.openxmlformats.org/markup-compatibility/2006";
    const std::string shape = "<xdr:sp><xdr:spPr><a:solidFill><a:srgbClr val=\"00FF00\"/>"
                              "</a:solidFill></xdr:spPr></xdr:sp>";
    const std::string twoCell = "<xdr:twoCellAnchor editAs=\"oneCell\"><xdr:from><xdr:col>1"
                                "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row>"
                                "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>3</xdr:col>"
                                "<xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row><xdr:rowOff>0"
                                "</xdr:rowOff></xdr:to>" +
                                shape + "<xdr:clientData/></xdr:twoCellAnchor>";
    Sheet sheet;
    drawingml::parseDrawingShapesXml(drawing("<mc:AlternateContent xmlns:mc=\"" + mc +
                                             "\"><mc:Choice Requires=\"a14\">" + twoCell +
                                             "</mc:Choice><mc:Fallback>" + oneCell(7, 7, shape) +
                                             "</mc:Fallback></mc:AlternateContent>"),
                                     "d.xml", package::Colors(), sheet);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    const Anchor& anchor = sheet.pictures[0].anchor;
    EXPECT_EQ(anchor.col, 1);
    EXPECT_EQ(anchor.row, 1u);
    EXPECT_FALSE(anchor.twoCell);
    EXPECT_GT(anchor.widthPt, 0);
    EXPECT_GT(anchor.heightPt, 0);
}

using Transforms = std::vector<std::pair<const char*, const char*>>;

TEST(DrawingColor, FollowsTheDrawingMLRules) {
    const struct {
        const char* name;
        const char* local;
        std::vector<const char*> attributes; // name, value ..., then nullptr
        Transforms transforms;
        std::optional<std::uint32_t> rgb;
    } rows[] = {
        // The worked examples of the format: tint and shade mix in linear light.
        {"tint mixes with white",
         "srgbClr",
         {"val", "00FF00", nullptr},
         {{"tint", "50000"}},
         0xBCFFBC},
        {"shade mixes with black",
         "srgbClr",
         {"val", "00FF00", nullptr},
         {{"shade", "50000"}},
         0x00BC00},
        // The application's "darker 25 %" and "lighter 40 %" of 4472C4.
        {"luminance modulated",
         "srgbClr",
         {"val", "4472C4", nullptr},
         {{"lumMod", "75000"}},
         0x2F5597},
        {"luminance modulated and offset",
         "srgbClr",
         {"val", "4472C4", nullptr},
         {{"lumMod", "60000"}, {"lumOff", "40000"}},
         0x8FAADC},
        {"alpha changes nothing",
         "srgbClr",
         {"val", "123456", nullptr},
         {{"alpha", "50000"}},
         0x123456},
        {"preset", "prstClr", {"val", "red", nullptr}, {}, 0xFF0000},
        {"preset in camel case", "prstClr", {"val", "cornflowerBlue", nullptr}, {}, 0x6495ED},
        {"preset dark short form", "prstClr", {"val", "dkGreen", nullptr}, {}, 0x006400},
        {"preset light short form", "prstClr", {"val", "ltGray", nullptr}, {}, 0xD3D3D3},
        {"preset medium short form", "prstClr", {"val", "medSeaGreen", nullptr}, {}, 0x3CB371},
        {"unknown preset", "prstClr", {"val", "notAColour", nullptr}, {}, std::nullopt},
        {"system colour by its last value",
         "sysClr",
         {"val", "window", "lastClr", "FFFFFF", nullptr},
         {},
         0xFFFFFF},
        {"linear percentages",
         "scrgbClr",
         {"r", "100000", "g", "21586", "b", "0", nullptr},
         {},
         0xFF8000},
    };
    const package::Colors colors;
    for (const auto& row : rows) {
        auto color = drawingml::DrawingColor::start(
            row.local, xml::Attributes(const_cast<const char**>(row.attributes.data())), colors);
        ASSERT_EQ(color.has_value(), row.rgb.has_value()) << row.name;
        if (!color)
            continue;
        for (const auto& [local, value] : row.transforms) {
            const char* pair[] = {"val", value, nullptr};
            color->transform(local, xml::Attributes(pair));
        }
        EXPECT_EQ(color->rgb(), *row.rgb) << row.name;
    }
}

TEST(XlsxShapes, ShapesAndChartsReadAColourAlike) {
    // Shapes once took every preset but white for black, and both mixed tints in HLS.
    const std::string fill = "<a:solidFill><a:prstClr val=\"red\"/></a:solidFill>";
    const std::string line =
        "<a:solidFill><a:srgbClr val=\"00FF00\"><a:tint val=\"50000\"/></a:srgbClr></a:solidFill>";
    Sheet sheet;
    const package::Colors colors;
    drawingml::parseDrawingShapesXml(
        drawing(oneCell(
            0, 0, "<xdr:sp><xdr:spPr>" + fill + "<a:ln>" + line + "</a:ln></xdr:spPr></xdr:sp>")),
        "xl/drawings/drawing1.xml", colors, sheet);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    const std::string svg = drawn(sheet.pictures[0]);
    EXPECT_NE(svg.find("fill=\"#FF0000\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("stroke=\"#BCFFBC\""), std::string::npos) << svg;

    const Chart chart = drawingml::parseChartXml(
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:plotArea>"
        "<c:barChart><c:ser><c:spPr>" +
            fill + "</c:spPr></c:ser><c:ser><c:spPr>" + line +
            "</c:spPr></c:ser></c:barChart></c:plotArea></c:chart></c:chartSpace>",
        "xl/charts/chart1.xml", colors, DateSystem::Date1900);
    ASSERT_EQ(chart.plots.size(), 1u);
    ASSERT_EQ(chart.plots[0].series.size(), 2u);
    EXPECT_EQ(chart.plots[0].series[0].color.rgb, 0xFF0000u);
    EXPECT_EQ(chart.plots[0].series[1].color.rgb, 0xBCFFBCu);
}
