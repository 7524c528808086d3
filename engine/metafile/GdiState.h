#pragma once
// The drawing objects and device-context state that metafile records create, select and change.

#include <array>
#include <cstdint>
#include <string>

namespace engine::metafile {

// 0x00BBGGRR, as metafiles store colours.
using ColorRef = std::uint32_t;

struct Pen {
    enum class Style : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Null };
    Style style = Style::Solid;
    double width = 0; // logical units; 0 draws one device pixel wide
    ColorRef color = 0;
    std::uint8_t cap = 0;  // 0 round, 1 square, 2 flat
    std::uint8_t join = 0; // 0 round, 1 bevel, 2 miter

    // The line style in the low four bits of a pen's style, in both metafile formats.
    static Style styleOf(std::uint32_t style) {
        switch (style & 0x0F) {
        case 1:
            return Style::Dash;
        case 2:
            return Style::Dot;
        case 3:
            return Style::DashDot;
        case 4:
            return Style::DashDotDot;
        case 5:
            return Style::Null;
        default:
            return Style::Solid;
        }
    }
};

struct Brush {
    enum class Style : std::uint8_t { Solid, Null, Hatched };
    Style style = Style::Solid;
    ColorRef color = 0xFFFFFF;
    std::uint8_t hatch = 0; // 0 horizontal, 1 vertical, 2 falling, 3 rising, 4 cross, 5 diagonal
};

struct Font {
    double height = -12; // logical units; negative is the character height, positive the cell's
    int escapement = 0;  // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    std::string face; // UTF-8, may be empty
};

// An affine transform: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Xform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    Xform then(const Xform& next) const {
        return {m11 * next.m11 + m12 * next.m21,         m11 * next.m12 + m12 * next.m22,
                m21 * next.m11 + m22 * next.m21,         m21 * next.m12 + m22 * next.m22,
                dx * next.m11 + dy * next.m21 + next.dx, dx * next.m12 + dy * next.m22 + next.dy};
    }
    double determinant() const { return m11 * m22 - m12 * m21; }
};

struct Point {
    double x = 0, y = 0;
};

// What SaveDC keeps and RestoreDC brings back.
struct DeviceContext {
    Pen pen{Pen::Style::Solid, 0, 0, 0, 0};
    Brush brush{};
    Font font{};
    ColorRef textColor = 0;
    ColorRef backgroundColor = 0xFFFFFF;
    bool clockwise = false; // the direction arcs are drawn in
    std::uint32_t textAlign = 0;
    bool winding = false; // polygon fill mode
    std::uint32_t mapMode = 1;
    Point windowOrg{}, windowExt{1, 1}, viewportOrg{}, viewportExt{1, 1};
    Xform world{};
    Point position{}; // the current position, in logical units
    bool clipped = false;
    Point clipFrom{}, clipTo{}; // the clip rectangle in device units, corners in order
};

} // namespace engine::metafile
