#include "engine/drawingml/DrawingShapes.h"

#include "engine/base/Limits.h"
#include "engine/drawing/CellSizes.h"
#include "engine/drawingml/DrawingColor.h"
#include "engine/package/Colors.h"
#include "engine/package/XmlValues.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace engine::drawingml {
namespace {

constexpr double emuPerPoint = 12700.0;

struct Run {
    std::string text;
    double sizePt = 11;
    bool bold = false, italic = false;
    std::optional<std::uint32_t> color;
};

struct Paragraph {
    std::vector<Run> runs;
    char align = 'l'; // l, c (ctr), r
};

struct ParsedShape {
    package::DrawingAnchor place;
    std::string geometry = "rect";
    std::optional<std::uint32_t> fill, line, styleFill, styleLine, styleText;
    bool noFill = false, noLine = false;
    bool flipH = false, flipV = false;
    double lineWidthEmu = 9525; // at most 50 points
    std::vector<Paragraph> paragraphs;
    char verticalAnchor = 't';
    std::string description;
    bool seen = false; // an sp was met in the anchor
};

// Where the colour being read goes.
enum class Slot { None, Fill, Line, StyleFill, StyleLine, StyleText, RunColor };

} // namespace

struct ShapeCollector::State {
    explicit State(const package::Colors& colors) : colors(colors) {}

    void start(std::string_view local, const xml::Attributes& attributes, std::size_t depth);
    void end(std::string_view local, std::size_t depth);
    void startColor(std::string_view local, const xml::Attributes& attributes, std::size_t depth);
    void commitColor();

    const package::Colors& colors;
    std::vector<ParsedShape> shapes;
    // The elements of the anchor's content being read, innermost last, with their depths.
    std::vector<std::pair<std::string, std::size_t>> path;
    std::size_t anchorDepth = 0, spDepth = 0, colorDepth = 0, textBytes = 0;
    std::optional<ParsedShape> shape;
    std::string text;
    Slot slot = Slot::None;
    std::optional<DrawingColor> color;
};

ShapeCollector::ShapeCollector(const package::Colors& colors)
    : state_(std::make_unique<State>(colors)) {}

ShapeCollector::~ShapeCollector() = default;

void ShapeCollector::anchorStarted(std::size_t depth) {
    state_->shape.emplace();
    state_->anchorDepth = depth;
    state_->spDepth = 0;
    state_->path.clear();
    state_->color.reset();
    state_->textBytes = 0;
}

void ShapeCollector::anchorEnded(const package::DrawingAnchor& place) {
    State& s = *state_;
    if (s.shape && s.shape->seen && s.shapes.size() < limits::maxShapesPerSheet) {
        s.shape->place = place;
        s.shapes.push_back(std::move(*s.shape));
    }
    s.shape.reset();
    s.path.clear();
    s.spDepth = 0;
}

void ShapeCollector::start(std::string_view local, const xml::Attributes& attributes,
                           std::size_t depth) {
    state_->path.emplace_back(local, depth);
    state_->start(local, attributes, depth);
}

void ShapeCollector::end(std::string_view local, std::size_t depth) {
    State& s = *state_;
    if (s.path.empty() || s.path.back().second != depth)
        return; // an element of the anchor's place
    s.end(local, depth);
    s.path.pop_back();
}

void ShapeCollector::characters(std::string_view text) {
    State& s = *state_;
    if (s.text.size() < limits::maxShapeTextBytes)
        s.text.append(text.substr(0, limits::maxShapeTextBytes - s.text.size()));
}

void ShapeCollector::State::start(std::string_view local, const xml::Attributes& attributes,
                                  std::size_t depth) {
    if (!shape)
        return;
    ParsedShape& s = *shape;
    if (depth == anchorDepth + 1) {
        if (local == "sp" && !s.seen) {
            s.seen = true;
            spDepth = depth;
        }
        return;
    }
    if (spDepth == 0 || depth <= spDepth)
        return;
    const std::string_view parent =
        path.size() >= 2 ? std::string_view(path[path.size() - 2].first) : std::string_view();
    const std::size_t level = depth - spDepth; // 1 = child of sp
    if (local == "cNvPr" && level == 2) {
        s.description = attributes.value("descr");
        if (s.description.size() > 1024)
            s.description.resize(1024);
    } else if (local == "xfrm" && parent == "spPr") {
        s.flipH = package::parseBool(attributes.value("flipH"), false);
        s.flipV = package::parseBool(attributes.value("flipV"), false);
    } else if (local == "prstGeom" && parent == "spPr") {
        s.geometry = attributes.value("prst", "rect");
    } else if (local == "noFill" && parent == "spPr") {
        s.noFill = true;
    } else if (local == "noFill" && parent == "ln" && level == 3) {
        s.noLine = true;
    } else if (local == "ln" && parent == "spPr") {
        if (const auto width = package::parseNumber(attributes.value("w")); width && *width >= 0)
            s.lineWidthEmu = std::min(*width, 50 * emuPerPoint);
    } else if (local == "solidFill") {
        slot = parent == "spPr" && level == 2                                    ? Slot::Fill
               : parent == "ln" && level == 3                                    ? Slot::Line
               : parent == "rPr" || parent == "defRPr" || parent == "endParaRPr" ? Slot::RunColor
                                                                                 : Slot::None;
    } else if (parent == "fillRef" || parent == "lnRef" || parent == "fontRef") {
        slot = parent == "fillRef" ? Slot::StyleFill
               : parent == "lnRef" ? Slot::StyleLine
                                   : Slot::StyleText;
        startColor(local, attributes, depth);
    } else if (parent == "solidFill") {
        startColor(local, attributes, depth);
    } else if (color && depth == colorDepth + 1) {
        color->transform(local, attributes);
    } else if (local == "bodyPr") {
        const std::string_view anchor = attributes.value("anchor", "t");
        s.verticalAnchor = anchor == "ctr" ? 'c' : anchor == "b" ? 'b' : 't';
    } else if (local == "p" && parent == "txBody" &&
               s.paragraphs.size() < limits::maxShapeTextLines) {
        s.paragraphs.emplace_back();
    } else if (local == "pPr" && !s.paragraphs.empty()) {
        const std::string_view align = attributes.value("algn", "l");
        s.paragraphs.back().align = align == "ctr" ? 'c' : align == "r" ? 'r' : 'l';
    } else if ((local == "r" || local == "fld") && !s.paragraphs.empty()) {
        s.paragraphs.back().runs.emplace_back();
    } else if (local == "br" && !s.paragraphs.empty() &&
               s.paragraphs.size() < limits::maxShapeTextLines) {
        // A line break inside a paragraph starts a new line with the same alignment.
        const char align = s.paragraphs.back().align;
        s.paragraphs.emplace_back().align = align;
    } else if (local == "rPr" && parent != "endParaRPr" && !s.paragraphs.empty() &&
               !s.paragraphs.back().runs.empty()) {
        Run& run = s.paragraphs.back().runs.back();
        if (const auto size = package::parseNumber(attributes.value("sz"));
            size && *size >= 100 && *size <= 40000)
            run.sizePt = *size / 100;
        run.bold = package::parseBool(attributes.value("b"), false);
        run.italic = package::parseBool(attributes.value("i"), false);
    } else if (local == "t") {
        text.clear();
    }
}

void ShapeCollector::State::end(std::string_view local, std::size_t depth) {
    if (color && depth == colorDepth)
        commitColor();
    if (!shape)
        return;
    ParsedShape& s = *shape;
    if (local == "t" && spDepth && !s.paragraphs.empty() && !s.paragraphs.back().runs.empty() &&
        textBytes < limits::maxShapeTextBytes) {
        std::string piece = text.substr(0, limits::maxShapeTextBytes - textBytes);
        package::decodeEscapes(piece);
        textBytes += piece.size();
        s.paragraphs.back().runs.back().text += piece;
    }
    if (depth == spDepth)
        spDepth = 0;
}

void ShapeCollector::State::startColor(std::string_view local, const xml::Attributes& attributes,
                                       std::size_t depth) {
    if (auto started = DrawingColor::start(local, attributes, colors)) {
        color = started;
        colorDepth = depth;
    }
}

void ShapeCollector::State::commitColor() {
    const std::uint32_t rgb = color->rgb();
    color.reset();
    if (!shape)
        return;
    ParsedShape& s = *shape;
    switch (slot) {
    case Slot::Fill:
        s.fill = rgb;
        break;
    case Slot::Line:
        s.line = rgb;
        break;
    case Slot::StyleFill:
        s.styleFill = rgb;
        break;
    case Slot::StyleLine:
        s.styleLine = rgb;
        break;
    case Slot::StyleText:
        s.styleText = rgb;
        break;
    case Slot::RunColor:
        if (!s.paragraphs.empty() && !s.paragraphs.back().runs.empty())
            s.paragraphs.back().runs.back().color = rgb;
        break;
    case Slot::None:
        break;
    }
}

namespace {

bool isLine(const ParsedShape& shape) {
    return shape.geometry == "line" || shape.geometry.starts_with("straightConnector");
}

ShapeGeometry geometryOf(const ParsedShape& shape) {
    if (isLine(shape))
        return ShapeGeometry::Line;
    if (shape.geometry == "ellipse")
        return ShapeGeometry::Ellipse;
    // Other presets are drawn as their box.
    return shape.geometry == "roundRect" ? ShapeGeometry::RoundRectangle : ShapeGeometry::Rectangle;
}

// What the file leaves out is drawn by the shape's style.
engine::Shape describe(const ParsedShape& shape) {
    engine::Shape out;
    out.family = ShapeFamily::DrawingML;
    out.geometry = geometryOf(shape);
    out.flipH = shape.flipH;
    out.flipV = shape.flipV;
    if (!shape.noFill && (shape.fill || shape.styleFill))
        out.fill = shape.fill.value_or(shape.styleFill.value_or(0));
    if (!shape.noLine && (shape.line || shape.styleLine))
        out.outline = shape.line.value_or(shape.styleLine.value_or(0));
    out.outlineEmu = shape.lineWidthEmu;
    out.textAnchor = shape.verticalAnchor == 'c'   ? ShapeTextAnchor::Middle
                     : shape.verticalAnchor == 'b' ? ShapeTextAnchor::Bottom
                                                   : ShapeTextAnchor::Top;
    const std::uint32_t defaultText = shape.styleText.value_or(0x000000);
    for (const Paragraph& paragraph : shape.paragraphs) {
        ShapeParagraph& described = out.paragraphs.emplace_back();
        described.align = paragraph.align == 'c'   ? ShapeAlign::Center
                          : paragraph.align == 'r' ? ShapeAlign::Right
                                                   : ShapeAlign::Left;
        for (const Run& run : paragraph.runs) {
            ShapeFont& font = out.fonts.emplace_back();
            font.sizePt = run.sizePt;
            font.bold = run.bold;
            font.italic = run.italic;
            font.color = run.color.value_or(defaultText);
            described.runs.push_back({run.text, out.fonts.size() - 1});
        }
    }
    return out;
}

bool showsSomething(const ParsedShape& shape) {
    const bool fill = !shape.noFill && (shape.fill || shape.styleFill);
    const bool line = !shape.noLine && (shape.line || shape.styleLine);
    bool text = false;
    for (const Paragraph& paragraph : shape.paragraphs)
        for (const Run& run : paragraph.runs)
            text = text || !run.text.empty();
    return fill || line || text;
}

void addShapes(const std::vector<ParsedShape>& shapes, Sheet& sheet) {
    // A page measures its drawings again on its own grid; this size is for readers of the model.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (const ParsedShape& shape : shapes) {
        if (!showsSomething(shape))
            continue;
        Picture picture;
        picture.anchor = shape.place.toAnchor(sizes);
        // A horizontal or vertical line has no extent across: it gets its outline's.
        if (isLine(shape)) {
            const double across = std::max(shape.lineWidthEmu / emuPerPoint, 0.75);
            picture.anchor.widthPt = std::max(picture.anchor.widthPt, across);
            picture.anchor.heightPt = std::max(picture.anchor.heightPt, across);
        }
        if (picture.anchor.widthPt <= 0 || picture.anchor.heightPt <= 0)
            continue;
        picture.shape = describe(shape);
        picture.description = shape.description;
        if (picture.description.empty())
            for (const Paragraph& paragraph : shape.paragraphs)
                for (const Run& run : paragraph.runs)
                    if (picture.description.size() < 512)
                        picture.description += run.text;
        sheet.pictures.push_back(std::move(picture));
    }
}

} // namespace

void ShapeCollector::addTo(Sheet& sheet) const {
    addShapes(state_->shapes, sheet);
}

} // namespace engine::drawingml
