#pragma once
// Cell formatting as the readers resolve it: every colour is already an RGB value, so the
// writers never need the file's palette or theme.

#include <cstdint>
#include <string>

namespace engine {

// A colour; `automatic` means "the application's default" (black text, no fill, black border).
struct Color {
    bool automatic = true;
    std::uint32_t rgb = 0; // 0xRRGGBB, meaningful only when !automatic

    static Color fromRgb(std::uint32_t rgb) { return Color{false, rgb & 0xFFFFFFu}; }
    bool operator==(const Color&) const = default;
};

enum class Underline : std::uint8_t { None, Single, Double, SingleAccounting, DoubleAccounting };
enum class Script : std::uint8_t { Baseline, Superscript, Subscript };

struct Font {
    std::string name = "Calibri"; // family name as stored in the file
    double size = 11.0;           // points
    bool bold = false;
    bool italic = false;
    bool strike = false;
    Underline underline = Underline::None;
    Script script = Script::Baseline;
    Color color; // automatic = black

    bool operator==(const Font&) const = default;
};

// Fill patterns of the file formats; everything but None and Solid is drawn as a mix of the
// two colours by the writer.
enum class FillPattern : std::uint8_t {
    None,
    Solid,
    MediumGray,
    DarkGray,
    LightGray,
    DarkHorizontal,
    DarkVertical,
    DarkDown,
    DarkUp,
    DarkGrid,
    DarkTrellis,
    LightHorizontal,
    LightVertical,
    LightDown,
    LightUp,
    LightGrid,
    LightTrellis,
    Gray125,
    Gray0625
};

struct Fill {
    FillPattern pattern = FillPattern::None;
    Color foreground; // the pattern's colour; the whole fill's colour for Solid
    Color background;

    bool operator==(const Fill&) const = default;
};

enum class BorderStyle : std::uint8_t {
    None,
    Thin,
    Medium,
    Dashed,
    Dotted,
    Thick,
    Double,
    Hair,
    MediumDashed,
    DashDot,
    MediumDashDot,
    DashDotDot,
    MediumDashDotDot,
    SlantDashDot
};

struct BorderSide {
    BorderStyle style = BorderStyle::None;
    Color color; // automatic = black

    bool operator==(const BorderSide&) const = default;
};

struct Border {
    BorderSide left, right, top, bottom;
    // One line style for both diagonals, as every format stores it; each is drawn only when
    // its flag is set. Down runs from the top left corner, up from the bottom left.
    BorderSide diagonal;
    bool diagonalDown = false;
    bool diagonalUp = false;

    bool hasDiagonal() const {
        return diagonal.style != BorderStyle::None && (diagonalDown || diagonalUp);
    }

    bool operator==(const Border&) const = default;
};

enum class HAlign : std::uint8_t {
    General,
    Left,
    Center,
    Right,
    Fill,
    Justify,
    CenterAcrossSelection,
    Distributed
};
enum class VAlign : std::uint8_t { Top, Center, Bottom, Justify, Distributed };

struct Alignment {
    HAlign horizontal = HAlign::General;
    VAlign vertical = VAlign::Bottom;
    bool wrap = false;
    bool shrinkToFit = false;
    std::uint8_t indent = 0;   // levels of indentation (each about three character widths)
    std::int16_t rotation = 0; // degrees -90..90, or 255 for vertical stacked text

    bool operator==(const Alignment&) const = default;
};

// One cell format (an XF): indexes into the workbook's tables plus its alignment.
struct CellFormat {
    std::uint32_t numFmtId = 0; // built-in id (0..163) or a key of Workbook::numberFormats
    std::uint32_t font = 0;     // index into Workbook::fonts
    std::uint32_t fill = 0;     // index into Workbook::fills
    std::uint32_t border = 0;   // index into Workbook::borders
    Alignment alignment;
};

} // namespace engine
