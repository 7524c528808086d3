#include "engine/xls/ShapeObjects.h"

#include "engine/base/Limits.h"
#include "engine/chart/SvgCanvas.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/xls/ObjectRecord.h"
#include "engine/xls/Strings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine::xls {
namespace {

// Shape properties of the drawing (MS-ODRAW 2.3).
constexpr std::uint16_t textLeft = 0x0081, textTop = 0x0082, textRight = 0x0083,
                        textBottom = 0x0084;
constexpr std::uint16_t fillColor = 0x0181, fillFlags = 0x01BF;
constexpr std::uint16_t lineColor = 0x01C0, lineWidth = 0x01CB, lineFlags = 0x01FF;
constexpr std::uint16_t shapeFlags = 0x03BF;
constexpr std::uint32_t deletedShape = 0x08;
// Shape types of office art objects.
constexpr std::uint16_t rectangleShape = 1, roundRectangleShape = 2, ellipseShape = 3,
                        arcShape = 19, lineShape = 20, textBoxShape = 202;
constexpr double emuPerPixel = 9525;

enum class Geometry { None, Rectangle, RoundRectangle, Ellipse, Arc, Line };

Geometry geometryOf(const ArtShape& shape, std::uint16_t objectType) {
    switch (objectType) {
    case object::line:
        return Geometry::Line;
    case object::rectangle:
    case object::textBox:
        return Geometry::Rectangle;
    case object::oval:
        return Geometry::Ellipse;
    case object::arc:
        return Geometry::Arc;
    case object::officeArt:
        switch (shape.type) {
        case rectangleShape:
        case textBoxShape:
            return Geometry::Rectangle;
        case roundRectangleShape:
            return Geometry::RoundRectangle;
        case ellipseShape:
            return Geometry::Ellipse;
        case arcShape:
            return Geometry::Arc;
        case lineShape:
            return Geometry::Line;
        default:
            return Geometry::None; // drawn by its text alone
        }
    default:
        return Geometry::None;
    }
}

bool drawable(std::uint16_t objectType) {
    return objectType == object::line || objectType == object::rectangle ||
           objectType == object::oval || objectType == object::arc ||
           objectType == object::textBox || objectType == object::officeArt;
}

// A colour of the drawing: an RGB value, or an index into the workbook's palette with the
// system colours the application adds after it.
std::uint32_t artColor(std::uint32_t value, const Palette& palette, std::uint32_t fallback) {
    const std::uint8_t kind = value >> 24;
    if (kind & 0x08) {
        const std::uint16_t index = value & 0xFFFF;
        if (index < 64) {
            const Color color = palette.resolve(index);
            return color.automatic ? fallback : color.rgb;
        }
        switch (index) {
        case 0x40: // window text
        case 0x51: // tooltip text
            return 0x000000;
        case 0x41: // window background
            return 0xFFFFFF;
        case 0x50: // tooltip background, the colour of notes
            return 0xFFFFE1;
        default:
            return fallback;
        }
    }
    if (kind & 0x10) // a system colour by number: the usual look stands in for it
        return fallback;
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

// A boolean of a property set: `bit` counts when its "use" bit 16 places higher is set.
bool flag(const ArtShape& shape, std::uint16_t id, std::uint32_t bit, bool fallback) {
    const auto value = shape.property(id);
    if (!value || !(*value & (bit << 16)))
        return fallback;
    return *value & bit;
}

double insetPx(const ArtShape& shape, std::uint16_t id, double fallbackEmu) {
    const double emu = shape.property(id).value_or(static_cast<std::uint32_t>(fallbackEmu));
    return std::min(emu, 1e7) / emuPerPixel;
}

struct Piece {
    std::string text;
    const Font* font = nullptr;
};

struct Line {
    std::vector<Piece> pieces;
    double width = 0, size = 0;
};

double sizeOf(const Font* font) {
    return std::clamp(font->size, 1.0, 409.0) * 4 / 3;
}

// The text as lines that fit `width` pixels: broken where the text breaks, and wrapped at
// spaces where a word would pass the box's edge.
std::vector<Line> layout(const TextObject& text, const Workbook& workbook, const Font& fallback,
                         double width) {
    const auto fontOf = [&](std::uint16_t index) {
        const std::size_t model = modelFont(index);
        return model < workbook.fonts.size() ? &workbook.fonts[model] : &fallback;
    };
    std::vector<Line> lines(1);
    const auto newLine = [&] {
        if (lines.size() < limits::maxShapeTextLines)
            lines.emplace_back();
        return lines.size() < limits::maxShapeTextLines;
    };
    const std::string_view all = std::string_view(text.text).substr(0, limits::maxShapeTextBytes);
    for (std::size_t r = 0; r < text.runs.size(); ++r) {
        const std::size_t begin = std::min(text.runs[r].start, all.size());
        const std::size_t end =
            r + 1 < text.runs.size() ? std::min(text.runs[r + 1].start, all.size()) : all.size();
        const Font* font = fontOf(text.runs[r].font);
        const double px = sizeOf(font);
        std::size_t at = begin;
        while (at < end) {
            const char c = all[at];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && at + 1 < end && all[at + 1] == '\n')
                    ++at;
                ++at;
                lines.back().size = std::max(lines.back().size, px);
                if (!newLine())
                    return lines;
                continue;
            }
            std::size_t stop = at;
            while (stop < end && all[stop] != ' ' && all[stop] != '\r' && all[stop] != '\n')
                ++stop;
            if (stop < end && all[stop] == ' ')
                ++stop;
            const std::string_view word = all.substr(at, stop - at);
            const double wordWidth = chart::textWidth(word, px);
            if (lines.back().width > 0 && lines.back().width + wordWidth > width && !newLine())
                return lines;
            Line& line = lines.back();
            if (line.pieces.empty() || line.pieces.back().font != font)
                line.pieces.push_back({std::string(), font});
            line.pieces.back().text += word;
            line.width += wordWidth;
            line.size = std::max(line.size, px);
            at = stop;
        }
    }
    return lines;
}

void drawText(chart::SvgCanvas& canvas, const ArtShape& shape, const TextObject& text,
              const Workbook& workbook, double widthPx, double heightPx) {
    const Font fallback = workbook.fonts.empty() ? Font{} : workbook.fonts.front();
    const double left = insetPx(shape, textLeft, 91440), right = insetPx(shape, textRight, 91440);
    const double top = insetPx(shape, textTop, 45720), bottom = insetPx(shape, textBottom, 45720);
    const double room = std::max(widthPx - left - right, 1.0);
    std::vector<Line> lines = layout(text, workbook, fallback, room);
    double total = 0;
    for (Line& line : lines) {
        if (line.size == 0)
            line.size = sizeOf(&fallback);
        total += line.size * 1.2;
    }
    double y = text.vertical == 2   ? (heightPx - total) / 2
               : text.vertical == 3 ? heightPx - bottom - total
                                    : top;
    for (const Line& line : lines) {
        y += line.size * 1.2;
        const double baseline = y - line.size * 0.25;
        double x = text.horizontal == 2   ? left + (room - line.width) / 2
                   : text.horizontal == 3 ? widthPx - right - line.width
                                          : left;
        for (const Piece& piece : line.pieces) {
            chart::TextLook look;
            look.sizePx = sizeOf(piece.font);
            look.fill = piece.font->color.automatic ? 0x000000 : piece.font->color.rgb;
            look.bold = piece.font->bold;
            look.italic = piece.font->italic;
            look.family = piece.font->name;
            // A line of one font is placed by its anchor, which the browser measures exactly.
            if (line.pieces.size() == 1 && text.horizontal == 2)
                canvas.text(left + room / 2, baseline, piece.text, look, chart::TextAnchor::Middle);
            else if (line.pieces.size() == 1 && text.horizontal == 3)
                canvas.text(widthPx - right, baseline, piece.text, look, chart::TextAnchor::End);
            else
                canvas.text(x, baseline, piece.text, look, chart::TextAnchor::Start);
            x += chart::textWidth(piece.text, look.sizePx);
        }
    }
}

// The outline of an ellipse, or of its quarter that an arc shows (centred on the bottom-left
// corner, from the top to the right, turned by the shape's flips).
void ellipsePath(chart::SvgCanvas& canvas, double x, double y, double w, double h, bool quarter,
                 bool flipH, bool flipV) {
    const int steps = quarter ? 24 : 72;
    const double sweep = quarter ? std::numbers::pi / 2 : 2 * std::numbers::pi;
    for (int i = 0; i <= steps; ++i) {
        const double t = sweep * i / steps;
        double px, py;
        if (quarter) {
            px = w * std::sin(t);
            py = h - h * std::cos(t);
        } else {
            px = w / 2 + w / 2 * std::cos(t);
            py = h / 2 + h / 2 * std::sin(t);
        }
        if (flipH)
            px = w - px;
        if (flipV)
            py = h - py;
        if (i == 0)
            canvas.moveTo(x + px, y + py);
        else
            canvas.lineTo(x + px, y + py);
    }
    if (!quarter)
        canvas.close();
}

} // namespace

void ShapeCollector::object(const Record& record) {
    if (const auto kind = readObjectKind(record);
        kind && objects_.size() < limits::maxShapesPerSheet)
        objects_.push_back({kind->type, std::nullopt});
}

void ShapeCollector::textObject(const std::optional<TextObject>& text) {
    if (objects_.empty() || !text || !drawable(objects_.back().type) ||
        textBytes_ + text->text.size() > limits::maxShapeTextBytesPerSheet)
        return;
    textBytes_ += text->text.size();
    objects_.back().text = text;
}

std::string shapeObjectSvg(const ArtShape& shape, std::uint16_t objectType, const TextObject* text,
                           const Workbook& workbook, const Palette& palette, double widthPx,
                           double heightPx) {
    std::string svg;
    chart::SvgCanvas canvas(svg);
    canvas.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "
               "xmlns=\"http://www.w3.org/2000/svg\" width=\"");
    canvas.number(widthPx);
    canvas.raw("\" height=\"");
    canvas.number(heightPx);
    canvas.raw("\" viewBox=\"0 0 ");
    canvas.number(widthPx);
    canvas.raw(" ");
    canvas.number(heightPx);
    canvas.raw("\" font-family=\"Arial, 'Liberation Sans', sans-serif\">");

    const Geometry geometry = geometryOf(shape, objectType);
    const bool open = geometry == Geometry::Line || geometry == Geometry::Arc;
    const bool filled = !open && flag(shape, fillFlags, 0x10, true);
    const bool lined = flag(shape, lineFlags, 0x08, true);
    const std::uint32_t fill =
        artColor(shape.property(fillColor).value_or(0xFFFFFF), palette, 0xFFFFFF);
    const std::uint32_t stroke = artColor(shape.property(lineColor).value_or(0), palette, 0);
    const double strokePx =
        lined ? std::clamp(shape.property(lineWidth).value_or(9525) / emuPerPixel, 0.5, 50.0) : 0;
    const double inset = strokePx / 2;
    const double w = std::max(widthPx - strokePx, 0.0), h = std::max(heightPx - strokePx, 0.0);
    if (geometry != Geometry::None && (filled || lined)) {
        canvas.beginPath();
        switch (geometry) {
        case Geometry::Line:
            canvas.moveTo(shape.flippedHorizontally() ? inset + w : inset,
                          shape.flippedVertically() ? inset + h : inset);
            canvas.lineTo(shape.flippedHorizontally() ? inset : inset + w,
                          shape.flippedVertically() ? inset : inset + h);
            break;
        case Geometry::Ellipse:
        case Geometry::Arc:
            ellipsePath(canvas, inset, inset, w, h, geometry == Geometry::Arc,
                        shape.flippedHorizontally(), shape.flippedVertically());
            break;
        default: {
            const double r = geometry == Geometry::RoundRectangle ? std::min(w, h) / 6 : 0;
            canvas.moveTo(inset + r, inset);
            canvas.lineTo(inset + w - r, inset);
            if (r > 0)
                canvas.arcTo(r, false, true, inset + w, inset + r);
            canvas.lineTo(inset + w, inset + h - r);
            if (r > 0)
                canvas.arcTo(r, false, true, inset + w - r, inset + h);
            canvas.lineTo(inset + r, inset + h);
            if (r > 0)
                canvas.arcTo(r, false, true, inset, inset + h - r);
            canvas.lineTo(inset, inset + r);
            if (r > 0)
                canvas.arcTo(r, false, true, inset + r, inset);
            canvas.close();
        }
        }
        canvas.endPath(fill, filled, stroke, strokePx);
    }
    if (text && !open)
        drawText(canvas, shape, *text, workbook, widthPx, heightPx);
    canvas.raw("</svg>\n");
    return svg;
}

void ShapeCollector::finish(std::span<const ArtShape> shapes, const Workbook& workbook,
                            const Palette& palette, Sheet& sheet) {
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    std::size_t next = 0;
    for (const ArtShape& shape : shapes) {
        if (!shape.clientData)
            continue;
        if (next >= objects_.size())
            break;
        const Object& object = objects_[next++];
        if (!drawable(object.type) || !shape.anchor || (shape.flags & deletedShape) ||
            flag(shape, shapeFlags, 0x02, false))
            continue;
        if (geometryOf(shape, object.type) == Geometry::None &&
            (!object.text || object.text->text.empty()))
            continue;
        const auto& a = *shape.anchor;
        Picture picture;
        picture.anchor = drawing::anchorByShares(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        drawing::measureAnchor(picture.anchor, sizes);
        // A horizontal or vertical line has no extent across: it gets its outline's.
        if (geometryOf(shape, object.type) == Geometry::Line) {
            picture.anchor.widthPt = std::max(picture.anchor.widthPt, 0.75);
            picture.anchor.heightPt = std::max(picture.anchor.heightPt, 0.75);
        }
        if (picture.anchor.widthPt <= 0 || picture.anchor.heightPt <= 0)
            continue;
        const std::string svg = shapeObjectSvg(
            shape, object.type, object.text ? &*object.text : nullptr, workbook, palette,
            picture.anchor.widthPt * 4 / 3, picture.anchor.heightPt * 4 / 3);
        picture.mimeType = "image/svg+xml";
        picture.data.assign(svg.begin(), svg.end());
        picture.description = shape.description;
        if (picture.description.empty() && object.text) {
            // Cut at a character's first byte, never inside one.
            std::size_t cut = std::min<std::size_t>(object.text->text.size(), 512);
            while (cut > 0 && cut < object.text->text.size() &&
                   (static_cast<unsigned char>(object.text->text[cut]) & 0xC0) == 0x80)
                --cut;
            picture.description = object.text->text.substr(0, cut);
        }
        sheet.pictures.push_back(std::move(picture));
    }
    objects_.clear();
    textBytes_ = 0;
}

} // namespace engine::xls
