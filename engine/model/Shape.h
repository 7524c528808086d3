#pragma once
// A drawing shape of a sheet (a line, rectangle, oval, text box ...) as the reader found it:
// its outline, fill and text, described for the page writer to draw.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

enum class ShapeGeometry : std::uint8_t {
    None, // no outline of its own: the shape shows its text alone
    Rectangle,
    RoundRectangle,
    Ellipse,
    Arc, // the quarter of an ellipse from the top of its box to its right
    Line // from corner to corner of the box
};

// The two families of files draw their shapes by conventions of their own (outlines as paths
// and text measured per font in binary sheets, outlines as elements and text in the theme's
// font in DrawingML), which a page keeps so that a shape looks as it always did.
enum class ShapeFamily : std::uint8_t { Binary, DrawingML };

enum class ShapeAlign : std::uint8_t { Left, Center, Right };
enum class ShapeTextAnchor : std::uint8_t { Top, Middle, Bottom };

// How a run of a shape's text looks; runs sharing one look name the same entry.
struct ShapeFont {
    std::string name; // empty: the drawing's own family
    double sizePt = 11;
    bool bold = false, italic = false;
    std::uint32_t color = 0; // 0xRRGGBB, resolved by the reader
};

struct ShapeRun {
    std::string text;     // UTF-8; binary sheets keep their line breaks ("\r\n", "\n") in it
    std::size_t font = 0; // into Shape::fonts
};

struct ShapeParagraph {
    std::vector<ShapeRun> runs;
    ShapeAlign align = ShapeAlign::Left;
};

struct Shape {
    ShapeFamily family = ShapeFamily::DrawingML;
    ShapeGeometry geometry = ShapeGeometry::Rectangle;
    bool flipH = false, flipV = false;
    std::optional<std::uint32_t> fill;    // 0xRRGGBB; none when empty
    std::optional<std::uint32_t> outline; // 0xRRGGBB; none when empty
    double outlineEmu = 9525;             // the outline's width, bounded by the reader
    // The text's distance from the box's edges, in EMU (914400 to the inch).
    double insetLeftEmu = 91440, insetTopEmu = 45720, insetRightEmu = 91440, insetBottomEmu = 45720;
    ShapeTextAnchor textAnchor = ShapeTextAnchor::Top;
    // The size of a line without text (binary sheets: the workbook's default font).
    double emptyLineSizePt = 11;
    std::vector<ShapeFont> fonts;
    std::vector<ShapeParagraph> paragraphs;
};

} // namespace engine
