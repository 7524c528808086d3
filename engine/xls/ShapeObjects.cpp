#include "engine/xls/ShapeObjects.h"

#include "engine/base/Limits.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/xls/ObjectRecord.h"
#include "engine/xls/Strings.h"

#include <algorithm>
#include <map>

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

ShapeGeometry geometryOf(const ArtShape& shape, std::uint16_t objectType) {
    switch (objectType) {
    case object::line:
        return ShapeGeometry::Line;
    case object::rectangle:
    case object::textBox:
        return ShapeGeometry::Rectangle;
    case object::oval:
        return ShapeGeometry::Ellipse;
    case object::arc:
        return ShapeGeometry::Arc;
    case object::officeArt:
        switch (shape.type) {
        case rectangleShape:
        case textBoxShape:
            return ShapeGeometry::Rectangle;
        case roundRectangleShape:
            return ShapeGeometry::RoundRectangle;
        case ellipseShape:
            return ShapeGeometry::Ellipse;
        case arcShape:
            return ShapeGeometry::Arc;
        case lineShape:
            return ShapeGeometry::Line;
        default:
            return ShapeGeometry::None; // drawn by its text alone
        }
    default:
        return ShapeGeometry::None;
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

double insetEmu(const ArtShape& shape, std::uint16_t id, double fallbackEmu) {
    const double emu = shape.property(id).value_or(static_cast<std::uint32_t>(fallbackEmu));
    return std::min(emu, 1e7);
}

ShapeFont shapeFont(const Font& font) {
    ShapeFont look;
    look.name = font.name;
    look.sizePt = std::clamp(font.size, 1.0, 409.0);
    look.bold = font.bold;
    look.italic = font.italic;
    look.color = font.color.automatic ? 0x000000 : font.color.rgb;
    return look;
}

// The text as one paragraph of runs, each with the look of its font; runs of one font share
// a look, and a font the workbook lacks takes its first font's.
ShapeParagraph paragraphOf(const TextObject& text, const Workbook& workbook, const Font& fallback,
                           std::vector<ShapeFont>& fonts) {
    constexpr std::size_t missing = static_cast<std::size_t>(-1);
    std::map<std::size_t, std::size_t> looks; // model font to its entry of `fonts`
    const auto lookOf = [&](std::uint16_t index) {
        const std::size_t model = modelFont(index);
        const std::size_t key = model < workbook.fonts.size() ? model : missing;
        const auto [found, added] = looks.try_emplace(key, fonts.size());
        if (added)
            fonts.push_back(shapeFont(key == missing ? fallback : workbook.fonts[key]));
        return found->second;
    };
    ShapeParagraph paragraph;
    paragraph.align = text.horizontal == 2   ? ShapeAlign::Center
                      : text.horizontal == 3 ? ShapeAlign::Right
                                             : ShapeAlign::Left;
    const std::string_view all = std::string_view(text.text).substr(0, limits::maxShapeTextBytes);
    for (std::size_t r = 0; r < text.runs.size(); ++r) {
        const std::size_t begin = std::min(text.runs[r].start, all.size());
        const std::size_t end =
            r + 1 < text.runs.size() ? std::min(text.runs[r + 1].start, all.size()) : all.size();
        ShapeRun run;
        run.font = lookOf(text.runs[r].font);
        if (begin < end)
            run.text = all.substr(begin, end - begin);
        paragraph.runs.push_back(std::move(run));
    }
    return paragraph;
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

Shape shapeObject(const ArtShape& art, std::uint16_t objectType, const TextObject* text,
                  const Workbook& workbook, const Palette& palette) {
    Shape shape;
    shape.family = ShapeFamily::Binary;
    shape.geometry = geometryOf(art, objectType);
    shape.flipH = art.flippedHorizontally();
    shape.flipV = art.flippedVertically();
    const bool open = shape.geometry == ShapeGeometry::Line || shape.geometry == ShapeGeometry::Arc;
    if (!open && flag(art, fillFlags, 0x10, true))
        shape.fill = artColor(art.property(fillColor).value_or(0xFFFFFF), palette, 0xFFFFFF);
    if (flag(art, lineFlags, 0x08, true))
        shape.outline = artColor(art.property(lineColor).value_or(0), palette, 0);
    shape.outlineEmu = std::clamp<double>(art.property(lineWidth).value_or(9525), 0.5 * emuPerPixel,
                                          50 * emuPerPixel);
    shape.insetLeftEmu = insetEmu(art, textLeft, 91440);
    shape.insetTopEmu = insetEmu(art, textTop, 45720);
    shape.insetRightEmu = insetEmu(art, textRight, 91440);
    shape.insetBottomEmu = insetEmu(art, textBottom, 45720);
    const Font fallback = workbook.fonts.empty() ? Font{} : workbook.fonts.front();
    shape.emptyLineSizePt = std::clamp(fallback.size, 1.0, 409.0);
    if (text) {
        shape.textAnchor = text->vertical == 2   ? ShapeTextAnchor::Middle
                           : text->vertical == 3 ? ShapeTextAnchor::Bottom
                                                 : ShapeTextAnchor::Top;
        shape.paragraphs.push_back(paragraphOf(*text, workbook, fallback, shape.fonts));
    }
    return shape;
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
        if (geometryOf(shape, object.type) == ShapeGeometry::None &&
            (!object.text || object.text->text.empty()))
            continue;
        const auto& a = *shape.anchor;
        Picture picture;
        picture.anchor = drawing::anchorByShares(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        drawing::measureAnchor(picture.anchor, sizes);
        // A horizontal or vertical line has no extent across: it gets its outline's.
        if (geometryOf(shape, object.type) == ShapeGeometry::Line) {
            picture.anchor.widthPt = std::max(picture.anchor.widthPt, 0.75);
            picture.anchor.heightPt = std::max(picture.anchor.heightPt, 0.75);
        }
        if (picture.anchor.widthPt <= 0 || picture.anchor.heightPt <= 0)
            continue;
        picture.shape = shapeObject(shape, object.type, object.text ? &*object.text : nullptr,
                                    workbook, palette);
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
