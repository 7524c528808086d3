// Lines, rectangles, ovals and text boxes of binary workbooks: the OBJ records paired in order
// with the shapes of the sheet's drawing, their fill and outline from the drawing's properties,
// and their text and fonts from the TXO records, kept at their anchors and drawn as SVG by the
// page writer.

#include "engine/web/ShapeSvg.h"
#include "engine/xls/ShapeObjects.h"
#include "engine/xls/WorkbookStream.h"
#include "tests/engine/metafile/SvgProbe.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using testing_support::BiffWriter;
using testing_support::Bytes;
using testing_support::SvgElement;

constexpr std::uint16_t obj = 0x005D, txo = 0x01B6, note = 0x001C, continued = 0x003C;
constexpr std::uint16_t msoDrawing = 0x00EC, boundSheet = 0x0085, font = 0x0031;

Bytes object(std::uint16_t type, std::uint16_t id) {
    Bytes body;
    body.u16(0x15).u16(0x12).u16(type).u16(id).u16(0x6011);
    for (int i = 0; i < 12; ++i)
        body.u8(0);
    return body.u16(0).u16(0);
}

// A TXO of `characters` characters, horizontally `h` and vertically `v` aligned, with
// `runs` formatting runs (the closing one counted).
Bytes textObject(std::uint16_t characters, int h, int v, int runs) {
    return Bytes()
        .u16(static_cast<std::uint32_t>(h << 1 | v << 4))
        .u16(0)
        .u16(0)
        .u32(0)
        .u16(characters)
        .u16(static_cast<std::uint32_t>(runs * 8))
        .u16(0)
        .u32(0);
}

Bytes header(std::uint16_t verInstance, std::uint16_t type, const Bytes& body) {
    Bytes out;
    out.u16(verInstance).u16(type).u32(static_cast<std::uint32_t>(body.size()));
    out.data.insert(out.data.end(), body.data.begin(), body.data.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.data.insert(out.data.end(), part.data.begin(), part.data.end());
    return out;
}

// One shape container: its type and flags, simple properties, an anchor from column 1 row 1
// to column 3 row 5, and client data that ties it to its OBJ.
Bytes shape(std::uint16_t type, std::uint32_t flags, std::map<std::uint16_t, std::uint32_t> props,
            bool anchored = true) {
    Bytes fopt;
    for (const auto& [id, value] : props)
        fopt.u16(id).u32(value);
    Bytes anchor;
    anchor.u16(0).u16(1).u16(0).u16(1).u16(0).u16(3).u16(0).u16(5).u16(0);
    return header(
        0x000F, 0xF004,
        join({header(static_cast<std::uint16_t>(type << 4 | 2), 0xF00A,
                     Bytes().u32(1025).u32(flags | 0xA00)),
              header(static_cast<std::uint16_t>(props.size() << 4 | 3), 0xF00B, fopt),
              anchored ? header(0, 0xF010, anchor) : Bytes(), header(0, 0xF011, Bytes())}));
}

Bytes fontRecord(std::uint16_t twips, std::uint16_t weight, std::uint16_t color,
                 const std::string& name) {
    return Bytes().u16(twips).u16(0).u16(color).u16(weight).u16(0).u8(0).u8(0).u8(0).u8(0).str8(
        name);
}

template <typename F> std::vector<std::uint8_t> workbook(F&& sheet) {
    BiffWriter w;
    w.bof(0x0005);
    w.record(font, fontRecord(200, 400, 0x7FFF, "Arial"));
    w.record(font, fontRecord(240, 700, 10, "Courier New")); // 10 is red
    const std::size_t position = w.position() + 4;
    w.record(boundSheet, Bytes().u32(0).u8(0).u8(0).str8("Shapes"));
    w.eof();
    w.patch32(position, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    sheet(w);
    w.eof();
    return w.bytes;
}

std::vector<SvgElement> elementsOf(const engine::Picture& picture) {
    if (!picture.shape)
        return {};
    return testing_support::svgElements(engine::web::shapeSvg(
        *picture.shape, picture.anchor.widthPt * 4 / 3, picture.anchor.heightPt * 4 / 3));
}

const SvgElement* find(const std::vector<SvgElement>& elements, const std::string& name,
                       std::size_t nth = 0) {
    for (const SvgElement& element : elements)
        if (element.name == name && nth-- == 0)
            return &element;
    return nullptr;
}

TEST(XlsShapes, TextBoxesAndShapesPairWithTheirObjectsInOrderWhileNotesStayComments) {
    const auto bytes = workbook([](BiffWriter& w) {
        const Bytes group =
            header(0x000F, 0xF004, header(0x0002, 0xF00A, Bytes().u32(1024).u32(0x05)));
        // A text box filled with RGB blue (stored as BGR) outlined in palette black, a note's
        // box, a rectangle that is not filled, a deleted oval and an oval with no anchor.
        const Bytes shapes = join({
            group,
            shape(202, 0, {{0x0181, 0x00FF0000}, {0x01C0, 0x08000040}, {0x01CB, 19050}}),
            shape(202, 0, {{0x0181, 0x08000050}}),
            shape(1, 0, {{0x01BF, 0x00100000}, {0x01C0, 0x0000FF00}}),
            shape(3, 0x08, {}),
            shape(3, 0, {}, false),
        });
        w.record(msoDrawing, header(0x000F, 0xF002, header(0x000F, 0xF003, shapes)));
        w.record(obj, object(6, 1));
        // "Title\r\nbody text": the first word in font 1 (the second FONT record), centred in
        // the middle of the box.
        w.record(txo, textObject(16, 2, 2, 3));
        w.record(continued, Bytes().u8(0).chars("Title\r\nbody text"));
        w.record(continued,
                 Bytes().u16(0).u16(1).u32(0).u16(5).u16(0).u32(0).u16(16).u16(0).u32(0));
        w.record(obj, object(25, 2));
        w.record(txo, textObject(4, 1, 1, 2));
        w.record(continued, Bytes().u8(0).chars("Ann:"));
        w.record(continued, Bytes().u16(0).u16(0).u32(0).u16(4).u16(0).u32(0));
        w.record(obj, object(2, 3));
        w.record(obj, object(3, 4));
        w.record(obj, object(3, 5));
        w.record(note, Bytes().u16(0).u16(0).u16(0).u16(2).str16("Ann"));
    });
    const engine::Workbook book = engine::xls::readWorkbookStream(bytes, false);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.comments.size(), 1u);
    EXPECT_EQ(sheet.comments[0].text, "Ann:");
    ASSERT_EQ(sheet.pictures.size(), 2u);

    const engine::Picture& box = sheet.pictures[0];
    ASSERT_TRUE(box.shape.has_value());
    EXPECT_TRUE(box.data.empty());
    EXPECT_EQ(box.anchor.col, 1u);
    EXPECT_EQ(box.anchor.row, 1u);
    EXPECT_TRUE(box.anchor.twoCell);
    EXPECT_EQ(box.anchor.toCol, 3u);
    EXPECT_EQ(box.anchor.toRow, 5u);
    EXPECT_EQ(box.description, "Title\r\nbody text");
    const auto elements = elementsOf(box);
    const SvgElement* outline = find(elements, "path");
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->attributes.at("fill"), "#0000FF");
    EXPECT_EQ(outline->attributes.at("stroke"), "#000000");
    EXPECT_EQ(outline->attributes.at("stroke-width"), "2");
    const SvgElement* title = find(elements, "text", 0);
    const SvgElement* body = find(elements, "text", 1);
    ASSERT_NE(title, nullptr);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(title->text, "Title");
    EXPECT_EQ(title->attributes.at("font-weight"), "bold");
    EXPECT_EQ(title->attributes.at("font-family"),
              "&#39;Courier New&#39;,&#39;Liberation Mono&#39;,Cousine,monospace");
    EXPECT_EQ(title->attributes.at("fill"), "#FF0000");
    EXPECT_EQ(title->attributes.at("text-anchor"), "middle");
    EXPECT_EQ(body->text, "body text");
    EXPECT_EQ(body->attributes.count("font-weight"), 0u);
    // Two lines in the middle of the box: the first above the centre, the second below it.
    const double middle = box.anchor.heightPt * 4 / 3 / 2;
    EXPECT_LT(std::stod(title->attributes.at("y")), middle);
    EXPECT_GT(std::stod(body->attributes.at("y")), middle);

    const auto rectangle = elementsOf(sheet.pictures[1]);
    ASSERT_NE(find(rectangle, "path"), nullptr);
    EXPECT_EQ(find(rectangle, "path")->attributes.at("fill"), "none");
    EXPECT_EQ(find(rectangle, "path")->attributes.at("stroke"), "#00FF00");
    EXPECT_EQ(find(rectangle, "text"), nullptr);
}

TEST(XlsShapes, LongTextWrapsInsideTheBoxAndDamagedRunsKeepTheText) {
    const auto bytes = workbook([](BiffWriter& w) {
        w.record(msoDrawing, header(0x000F, 0xF002,
                                    header(0x000F, 0xF003, shape(202, 0, {{0x01FF, 0x80000}}))));
        w.record(obj, object(6, 1));
        const std::string text = "one two three four five six seven eight nine ten eleven";
        w.record(txo, textObject(static_cast<std::uint16_t>(text.size()), 3, 1, 4));
        w.record(continued, Bytes().u8(0).chars(text));
        w.record(continued, Bytes().u16(0).u16(1)); // cut short
    });
    const engine::Workbook book = engine::xls::readWorkbookStream(bytes, false);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    const auto elements = elementsOf(sheet.pictures[0]);
    // No outline (the line is switched off), a white fill, and right-aligned wrapped lines.
    ASSERT_NE(find(elements, "path"), nullptr);
    EXPECT_EQ(find(elements, "path")->attributes.count("stroke"), 0u);
    std::string joined;
    std::size_t lines = 0;
    const double width = sheet.pictures[0].anchor.widthPt * 4 / 3;
    for (const SvgElement& element : elements) {
        if (element.name != "text")
            continue;
        ++lines;
        joined += element.text;
        EXPECT_EQ(element.attributes.at("text-anchor"), "end");
        EXPECT_LT(std::stod(element.attributes.at("x")), width);
    }
    EXPECT_GT(lines, 1u);
    EXPECT_EQ(joined, "one two three four five six seven eight nine ten eleven");
}

TEST(XlsShapes, TheDescriptionSharesLooksByFontAndBoundsWhatTheFileSays) {
    engine::Workbook book;
    book.fonts.resize(2);
    book.fonts[0].name = "Arial";
    book.fonts[0].size = 500; // past the largest size a font may have
    book.fonts[1].name = "Tahoma";
    engine::xls::ArtShape art;
    art.type = 202;
    art.flags = 0x40;
    art.properties = {{0x01CB, 0xFFFFFFFF}, {0x0081, 0x7FFFFFFF}};
    engine::xls::TextObject text;
    text.text = "ab\r\ncdef";
    text.horizontal = 3;
    text.vertical = 2;
    // The first and third runs share FONT 1, the second names a font the workbook lacks: it
    // has a look of its own even though it looks like FONT 0's.
    text.runs = {{0, 1}, {2, 40}, {4, 1}, {50, 0}};
    const engine::Shape shape =
        engine::xls::shapeObject(art, 30, &text, book, engine::xls::Palette());
    EXPECT_EQ(shape.family, engine::ShapeFamily::Binary);
    EXPECT_EQ(shape.geometry, engine::ShapeGeometry::Rectangle);
    EXPECT_TRUE(shape.flipH);
    EXPECT_DOUBLE_EQ(shape.outlineEmu, 50 * 9525.0);
    EXPECT_DOUBLE_EQ(shape.insetLeftEmu, 1e7);
    EXPECT_DOUBLE_EQ(shape.emptyLineSizePt, 409);
    EXPECT_EQ(shape.textAnchor, engine::ShapeTextAnchor::Middle);
    ASSERT_EQ(shape.paragraphs.size(), 1u);
    const auto& runs = shape.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(shape.paragraphs[0].align, engine::ShapeAlign::Right);
    EXPECT_EQ(runs[0].text, "ab");
    EXPECT_EQ(runs[2].text, "cdef");
    EXPECT_EQ(runs[3].text, ""); // starts past the text's end
    EXPECT_EQ(runs[0].font, runs[2].font);
    EXPECT_NE(runs[0].font, runs[1].font);
    EXPECT_NE(runs[1].font, runs[3].font);
    ASSERT_EQ(shape.fonts.size(), 3u);
    // A missing font looks like the workbook's first; sizes stay within what a font may be.
    EXPECT_EQ(shape.fonts[runs[1].font].name, "Arial");
    EXPECT_DOUBLE_EQ(shape.fonts[runs[1].font].sizePt, 409);
}

} // namespace
