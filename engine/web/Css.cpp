#include "engine/web/Css.h"

#include "engine/numfmt/DigitWidth.h"
#include "engine/svg/SvgWriter.h"
#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <span>

namespace engine::web {
namespace {

constexpr std::uint32_t black = 0x000000;
constexpr std::uint32_t white = 0xFFFFFF;

struct Fallback {
    std::string_view family;
    std::string_view alternatives;
};

// Fonts of the usual office installations and the freely available fonts that share their
// metrics, so that column widths and line breaks come out alike.
constexpr std::array<Fallback, 8> fallbacks = {{
    {"calibri", "Carlito,sans-serif"},
    {"cambria", "Caladea,serif"},
    {"arial", "'Liberation Sans',Arimo,sans-serif"},
    {"helvetica", "'Liberation Sans',Arimo,sans-serif"},
    {"times new roman", "'Liberation Serif',Tinos,serif"},
    {"courier new", "'Liberation Mono',Cousine,monospace"},
    {"arial narrow", "'Liberation Sans Narrow',sans-serif"},
    {"ms sans serif", "'Liberation Sans',sans-serif"},
}};

std::uint32_t mix(std::uint32_t a, std::uint32_t b, double share) {
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        auto channel = static_cast<std::uint32_t>(std::lround(ca * share + cb * (1 - share)));
        result |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return result;
}

// How much of a pattern's area its foreground colour covers.
double patternShare(FillPattern pattern) {
    switch (pattern) {
    case FillPattern::Solid:
        return 1.0;
    case FillPattern::DarkGray:
        return 0.75;
    case FillPattern::MediumGray:
        return 0.5;
    case FillPattern::LightGray:
        return 0.25;
    case FillPattern::Gray125:
        return 0.125;
    case FillPattern::Gray0625:
        return 0.0625;
    case FillPattern::DarkHorizontal:
    case FillPattern::DarkVertical:
    case FillPattern::DarkDown:
    case FillPattern::DarkUp:
    case FillPattern::DarkGrid:
    case FillPattern::DarkTrellis:
        return 0.5;
    default:
        return 0.25;
    }
}

const char* borderCss(BorderStyle style) {
    switch (style) {
    case BorderStyle::None:
        return nullptr;
    case BorderStyle::Thin:
        return "1px solid";
    case BorderStyle::Medium:
        return "2px solid";
    case BorderStyle::Thick:
        return "3px solid";
    case BorderStyle::Double:
        return "3px double";
    case BorderStyle::Hair:
        return "1px dotted";
    case BorderStyle::Dotted:
        return "1px dotted";
    case BorderStyle::Dashed:
        return "1px dashed";
    case BorderStyle::DashDot:
        return "1px dashed";
    case BorderStyle::DashDotDot:
        return "1px dashed";
    case BorderStyle::MediumDashed:
        return "2px dashed";
    case BorderStyle::MediumDashDot:
        return "2px dashed";
    case BorderStyle::MediumDashDotDot:
        return "2px dashed";
    case BorderStyle::SlantDashDot:
        return "2px dashed";
    }
    return nullptr;
}

// A diagonal's stroke width in pixels and its dash pattern, after the side styles above.
struct DiagonalStroke {
    int width;
    const char* dashes; // an SVG stroke-dasharray; null for a solid line
};

DiagonalStroke diagonalStroke(BorderStyle style) {
    switch (style) {
    case BorderStyle::Medium:
        return {2, nullptr};
    case BorderStyle::Thick:
        return {3, nullptr};
    case BorderStyle::Hair:
        return {1, "1 1"};
    case BorderStyle::Dotted:
        return {1, "2 2"};
    case BorderStyle::Dashed:
        return {1, "4 2"};
    case BorderStyle::DashDot:
        return {1, "6 2 2 2"};
    case BorderStyle::DashDotDot:
        return {1, "6 2 2 2 2 2"};
    case BorderStyle::MediumDashed:
        return {2, "6 3"};
    case BorderStyle::MediumDashDot:
        return {2, "6 3 2 3"};
    case BorderStyle::MediumDashDotDot:
        return {2, "6 3 2 3 2 3"};
    case BorderStyle::SlantDashDot:
        return {2, "8 2 3 2"};
    default:
        return {1, nullptr};
    }
}

// The diagonals as an SVG picture of the cell's size behind its text: a table cell has no
// border of its own for them, and a picture in the cell's own coordinates runs corner to
// corner whatever size the browser gives the cell, merged areas included. The picture sits
// in a CSS string inside the page's <style>: '#' and the angle brackets are escaped.
void appendDiagonalCss(std::string& out, const Border& border) {
    if (!border.hasDiagonal())
        return;
    const DiagonalStroke stroke = diagonalStroke(border.diagonal.style);
    std::string line = " stroke='%23";
    line += cssColor(border.diagonal.color.automatic ? black : border.diagonal.color.rgb).substr(1);
    line += "' stroke-width='";
    line += std::to_string(stroke.width);
    line += '\'';
    if (stroke.dashes) {
        line += " stroke-dasharray='";
        line += stroke.dashes;
        line += '\'';
    }
    // A double line is two thin ones a pixel apart.
    static constexpr std::array<const char*, 1> single = {nullptr};
    static constexpr std::array<const char*, 2> pair = {"-1", "1"};
    const std::span<const char* const> offsets = border.diagonal.style == BorderStyle::Double
                                                     ? std::span<const char* const>(pair)
                                                     : std::span<const char* const>(single);
    auto appendLine = [&](const char* ends) {
        for (const char* offset : offsets) {
            out += "%3Cline ";
            out += ends;
            out += line;
            if (offset) {
                out += " transform='translate(0 ";
                out += offset;
                out += ")'";
            }
            out += "/%3E";
        }
    };
    out += "background-image:url(\"data:image/svg+xml,%3Csvg "
           "xmlns='http://www.w3.org/2000/svg' width='100%25' height='100%25'%3E";
    if (border.diagonalDown)
        appendLine("x1='0' y1='0' x2='100%25' y2='100%25'");
    if (border.diagonalUp)
        appendLine("x1='0' y1='100%25' x2='100%25' y2='0'");
    out += "%3C/svg%3E\");background-repeat:no-repeat;background-size:100% 100%;";
}

void appendNumber(std::string& out, double value) {
    // Not printf: its decimal point follows the process's locale.
    char buffer[32];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 4);
    out.append(buffer, result.ptr);
}

} // namespace

std::string cssColor(std::uint32_t rgb) {
    return svg::colorText(rgb);
}

std::string cssFontFamily(std::string_view name) {
    std::string clean;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '_' || c == '.')
            clean += c;
    }
    while (!clean.empty() && clean.back() == ' ')
        clean.pop_back();
    while (!clean.empty() && clean.front() == ' ')
        clean.erase(0, 1);
    if (clean.size() > 64)
        clean.resize(64);
    while (!clean.empty() && (static_cast<unsigned char>(clean.back()) & 0x80))
        clean.pop_back();
    if (clean.empty())
        return "sans-serif";
    std::string key = util::asciiLowered(clean);
    for (const auto& fallback : fallbacks)
        if (key == fallback.family)
            return "'" + clean + "'," + std::string(fallback.alternatives);
    return "'" + clean + "',sans-serif";
}

void appendFontCss(std::string& out, const Font& font, bool withScript) {
    out += "font-family:";
    out += cssFontFamily(font.name);
    out += ";font-size:";
    double size = std::isfinite(font.size) ? std::clamp(font.size, 1.0, 409.0) : 11.0;
    appendNumber(out, size);
    out += "pt;";
    out += font.bold ? "font-weight:700;" : "font-weight:400;";
    out += font.italic ? "font-style:italic;" : "font-style:normal;";
    bool underline = font.underline != Underline::None;
    if (underline || font.strike) {
        out += "text-decoration:";
        if (underline)
            out += "underline ";
        if (font.strike)
            out += "line-through ";
        if (font.underline == Underline::Double || font.underline == Underline::DoubleAccounting)
            out += "double";
        else
            out += "solid";
        out += ';';
    } else {
        out += "text-decoration:none;";
    }
    out += "color:";
    out += cssColor(font.color.automatic ? black : font.color.rgb);
    out += ';';
    if (withScript && font.script != Script::Baseline)
        out += font.script == Script::Superscript ? "vertical-align:super;font-size:smaller;"
                                                  : "vertical-align:sub;font-size:smaller;";
}

void appendFillCss(std::string& out, const Fill& fill) {
    if (fill.pattern == FillPattern::None)
        return;
    std::uint32_t foreground = fill.foreground.automatic ? black : fill.foreground.rgb;
    std::uint32_t background = fill.background.automatic ? white : fill.background.rgb;
    std::uint32_t shown = fill.pattern == FillPattern::Solid
                              ? foreground
                              : mix(foreground, background, patternShare(fill.pattern));
    out += "background-color:";
    out += cssColor(shown);
    out += ';';
}

void appendBorderCss(std::string& out, const Border& border) {
    auto side = [&](const char* name, const BorderSide& value) {
        const char* css = borderCss(value.style);
        if (!css)
            return;
        out += "border-";
        out += name;
        out += ':';
        out += css;
        out += ' ';
        out += cssColor(value.color.automatic ? black : value.color.rgb);
        out += ';';
    };
    side("left", border.left);
    side("right", border.right);
    side("top", border.top);
    side("bottom", border.bottom);
    appendDiagonalCss(out, border);
}

void appendAlignmentCss(std::string& out, const Alignment& alignment) {
    switch (alignment.horizontal) {
    case HAlign::General:
        break;
    case HAlign::Left:
    case HAlign::Fill:
        out += "text-align:left;";
        break;
    case HAlign::Center:
    case HAlign::CenterAcrossSelection:
        out += "text-align:center;";
        break;
    case HAlign::Right:
        out += "text-align:right;";
        break;
    case HAlign::Justify:
        out += "text-align:justify;";
        break;
    case HAlign::Distributed:
        // Every line spread to both edges, the last one too.
        out += "text-align:justify;text-align-last:justify;";
        break;
    }
    switch (alignment.vertical) {
    case VAlign::Top:
        out += "vertical-align:top;";
        break;
    case VAlign::Center:
    case VAlign::Justify:
    case VAlign::Distributed:
        out += "vertical-align:middle;";
        break;
    case VAlign::Bottom:
        break;
    }
    if (wrapsText(alignment))
        out += "white-space:pre-wrap;overflow-wrap:break-word;";
    // Upright, stacked and quarter-turned text; other angles stay horizontal, since a table
    // cell cannot be turned without its neighbours moving.
    if (alignment.rotation == 255)
        out += "writing-mode:vertical-rl;text-orientation:upright;";
    else if (alignment.rotation == 90)
        out += "writing-mode:vertical-rl;transform:rotate(180deg);";
    else if (alignment.rotation == -90)
        out += "writing-mode:vertical-rl;";
    if (alignment.indent > 0) {
        int pixels = std::min<int>(alignment.indent, 250) * 3 * 7;
        out += (alignment.horizontal == HAlign::Right ? "padding-right:" : "padding-left:") +
               std::to_string(pixels + 2) + "px;";
    }
}

bool wrapsText(const Alignment& alignment) {
    return alignment.wrap || alignment.horizontal == HAlign::Justify ||
           alignment.horizontal == HAlign::Distributed || alignment.vertical == VAlign::Justify ||
           alignment.vertical == VAlign::Distributed;
}

bool isTurned(const Alignment& alignment) {
    return alignment.rotation != 0 && alignment.rotation != 90 && alignment.rotation != -90 &&
           alignment.rotation >= -90 && alignment.rotation <= 90;
}

void appendTurnCss(std::string& out, const Alignment& alignment) {
    if (!isTurned(alignment))
        return;
    // Counter-clockwise for positive angles; the row already has the height the application
    // fitted to the turned text.
    out += "display:inline-block;transform:rotate(";
    out += std::to_string(-alignment.rotation);
    out += "deg);";
}

bool isVisibleBlank(const Workbook& workbook, const CellFormat& format) {
    if (format.fill < workbook.fills.size() &&
        workbook.fills[format.fill].pattern != FillPattern::None)
        return true;
    if (format.border < workbook.borders.size()) {
        const Border& border = workbook.borders[format.border];
        return border.left.style != BorderStyle::None || border.right.style != BorderStyle::None ||
               border.top.style != BorderStyle::None || border.bottom.style != BorderStyle::None ||
               border.hasDiagonal();
    }
    return false;
}

int columnPixels(double widthCharacters) {
    if (!std::isfinite(widthCharacters) || widthCharacters <= 0)
        return 0;
    return static_cast<int>(std::lround(std::min(widthCharacters, 255.0 + 1) * 7.0));
}

int columnPixels(double widthCharacters, int digitPixels) {
    return numfmt::columnWidthPixels(widthCharacters, digitPixels);
}

int rowPixels(double heightPoints) {
    if (!std::isfinite(heightPoints) || heightPoints <= 0)
        return 0;
    return static_cast<int>(std::lround(std::min(heightPoints, 409.5) * 96.0 / 72.0));
}

} // namespace engine::web
