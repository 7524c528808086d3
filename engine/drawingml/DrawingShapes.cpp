#include "engine/drawingml/DrawingShapes.h"

#include "engine/base/Limits.h"
#include "engine/drawing/CellSizes.h"
#include "engine/drawingml/DrawingColor.h"
#include "engine/package/Colors.h"
#include "engine/package/XmlValues.h"
#include "engine/svg/SvgWriter.h"

#include <algorithm>
#include <cmath>
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

struct Shape {
    package::DrawingAnchor place;
    std::string geometry = "rect";
    std::optional<std::uint32_t> fill, line, styleFill, styleLine, styleText;
    bool noFill = false, noLine = false;
    bool flipH = false, flipV = false;
    double lineWidthPt = 0.75;
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
    std::vector<Shape> shapes;
    // The elements of the anchor's content being read, innermost last, with their depths.
    std::vector<std::pair<std::string, std::size_t>> path;
    std::size_t anchorDepth = 0, spDepth = 0, colorDepth = 0, textBytes = 0;
    std::optional<Shape> shape;
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
    Shape& s = *shape;
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
            s.lineWidthPt = std::min(*width / emuPerPoint, 50.0);
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
    Shape& s = *shape;
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
    Shape& s = *shape;
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

bool isLine(const Shape& shape) {
    return shape.geometry == "line" || shape.geometry.starts_with("straightConnector");
}

struct Line {
    std::vector<const Run*> runs; // runs of the paragraph, each whole
    std::vector<std::string> texts;
    double width = 0, size = 0;
    char align = 'l';
};

// The paragraphs as lines that fit `width` pixels, words wrapping as text boxes wrap them.
std::vector<Line> layout(const Shape& shape, double width) {
    std::vector<Line> lines;
    for (const Paragraph& paragraph : shape.paragraphs) {
        Line line;
        line.align = paragraph.align;
        line.size = 11 * 4.0 / 3;
        for (const Run& run : paragraph.runs) {
            const double px = run.sizePt * 4 / 3;
            line.size = std::max(line.size, px);
            std::size_t at = 0;
            while (at < run.text.size() && lines.size() < limits::maxShapeTextLines) {
                std::size_t end = run.text.find(' ', at);
                end = end == std::string::npos ? run.text.size() : end + 1;
                const std::string word = run.text.substr(at, end - at);
                const double wordWidth = static_cast<double>(word.size()) * px * 0.5;
                if (line.width + wordWidth > width && line.width > 0) {
                    lines.push_back(line);
                    line.runs.clear();
                    line.texts.clear();
                    line.width = 0;
                }
                if (line.runs.empty() || line.runs.back() != &run) {
                    line.runs.push_back(&run);
                    line.texts.emplace_back();
                }
                line.texts.back() += word;
                line.width += wordWidth;
                at = end;
            }
        }
        if (lines.size() < limits::maxShapeTextLines)
            lines.push_back(line);
    }
    return lines;
}

std::string shapeSvg(const Shape& shape, double widthPx, double heightPx) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg::Writer out(svg, 1);
    out.open("svg").raw("xmlns", "http://www.w3.org/2000/svg");
    out.number("width", widthPx).number("height", heightPx);
    svg += " viewBox=\"0 0 ";
    out.point(widthPx, heightPx);
    svg += '"';
    out.raw("font-family", "Calibri, Carlito, 'Liberation Sans', sans-serif").content();
    // Plain values rather than optionals: what the file leaves out is drawn by the style.
    const bool hasFill = !shape.noFill && (shape.fill || shape.styleFill);
    const bool hasLine = !shape.noLine && (shape.line || shape.styleLine);
    const std::uint32_t fillRgb = shape.fill.value_or(shape.styleFill.value_or(0));
    const std::uint32_t lineRgb = shape.line.value_or(shape.styleLine.value_or(0));
    const double stroke = hasLine ? std::max(shape.lineWidthPt * 4 / 3, 0.5) : 0;
    const double inset = stroke / 2;
    const double w = std::max(widthPx - stroke, 0.0), h = std::max(heightPx - stroke, 0.0);
    if (isLine(shape)) {
        // From corner to corner, the way the shape's flips turn it.
        if (hasLine) {
            out.open("line")
                .number("x1", shape.flipH ? widthPx - inset : inset)
                .number("y1", shape.flipV ? heightPx - inset : inset)
                .number("x2", shape.flipH ? inset : widthPx - inset)
                .number("y2", shape.flipV ? inset : heightPx - inset)
                .color("stroke", lineRgb)
                .number("stroke-width", stroke)
                .close();
        }
    } else if (hasFill || hasLine) {
        if (shape.geometry == "ellipse") {
            out.open("ellipse")
                .number("cx", widthPx / 2)
                .number("cy", heightPx / 2)
                .number("rx", w / 2)
                .number("ry", h / 2);
        } else {
            out.open("rect").number("x", inset).number("y", inset).number("width", w);
            out.number("height", h);
            if (shape.geometry == "roundRect")
                out.number("rx", std::min(w, h) / 6);
        }
        if (hasFill)
            out.color("fill", fillRgb);
        else
            out.raw("fill", "none");
        if (hasLine)
            out.color("stroke", lineRgb).number("stroke-width", stroke);
        out.close();
    }
    // Text inside the shape's insets (a tenth of an inch across, a twentieth up and down).
    const double left = 9.6, top = 4.8;
    const std::vector<Line> lines = layout(shape, std::max(widthPx - 2 * left, 1.0));
    double total = 0;
    for (const Line& l : lines)
        total += l.size * 1.2;
    double y = shape.verticalAnchor == 'c'   ? (heightPx - total) / 2
               : shape.verticalAnchor == 'b' ? heightPx - top - total
                                             : top;
    const std::uint32_t defaultText = shape.styleText.value_or(0x000000);
    for (const Line& l : lines) {
        y += l.size * 1.2;
        if (l.runs.empty())
            continue;
        out.open("text")
            .number("x", l.align == 'c'   ? widthPx / 2
                         : l.align == 'r' ? widthPx - left
                                          : left)
            .number("y", y - l.size * 0.25);
        if (l.align == 'c' || l.align == 'r')
            out.raw("text-anchor", l.align == 'c' ? "middle" : "end");
        out.raw("xml:space", "preserve").content();
        for (std::size_t i = 0; i < l.runs.size(); ++i) {
            const Run& run = *l.runs[i];
            out.open("tspan").number("font-size", run.sizePt * 4 / 3);
            out.color("fill", run.color.value_or(defaultText));
            if (run.bold)
                out.raw("font-weight", "bold");
            if (run.italic)
                out.raw("font-style", "italic");
            out.content();
            svg::appendText(svg, l.texts[i]);
            out.end("tspan");
        }
        out.end("text");
    }
    svg += "</svg>\n";
    return svg;
}

bool showsSomething(const Shape& shape) {
    const bool fill = !shape.noFill && (shape.fill || shape.styleFill);
    const bool line = !shape.noLine && (shape.line || shape.styleLine);
    bool text = false;
    for (const Paragraph& paragraph : shape.paragraphs)
        for (const Run& run : paragraph.runs)
            text = text || !run.text.empty();
    return fill || line || text;
}

void addShapes(const std::vector<Shape>& shapes, Sheet& sheet) {
    // A page measures its drawings again on its own grid; this size is for readers of the model.
    const drawing::SheetSizes sizes(sheet, drawing::defaultDigitPixels);
    for (const Shape& shape : shapes) {
        if (!showsSomething(shape))
            continue;
        Picture picture;
        picture.anchor = shape.place.toAnchor(sizes);
        // A horizontal or vertical line has no extent across: it gets its outline's.
        if (isLine(shape)) {
            const double across = std::max(shape.lineWidthPt, 0.75);
            picture.anchor.widthPt = std::max(picture.anchor.widthPt, across);
            picture.anchor.heightPt = std::max(picture.anchor.heightPt, across);
        }
        if (picture.anchor.widthPt <= 0 || picture.anchor.heightPt <= 0)
            continue;
        const std::string svg =
            shapeSvg(shape, picture.anchor.widthPt * 4 / 3, picture.anchor.heightPt * 4 / 3);
        picture.mimeType = "image/svg+xml";
        picture.data.assign(svg.begin(), svg.end());
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
