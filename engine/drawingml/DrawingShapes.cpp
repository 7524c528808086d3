#include "engine/drawingml/DrawingShapes.h"

#include "engine/package/AnchorGeometry.h"
#include "engine/package/Colors.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"
#include "engine/read/Limits.h"
#include "engine/svg/SvgWriter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace engine::xlsx {
namespace {

constexpr double emuPerPoint = 12700.0;
constexpr std::string_view markupCompatibility =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
// More shapes than any sheet shows, and more text than any shape; past them they are cut.
constexpr std::size_t maxShapes = 10000;
constexpr std::size_t maxShapeText = 4096;
constexpr std::size_t maxLines = 200;

struct Marker {
    std::uint64_t col = 0, row = 0;
    double colOffsetEmu = 0, rowOffsetEmu = 0;
};

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
    enum class Kind { TwoCell, OneCell, Absolute } anchorKind = Kind::TwoCell;
    Marker from, to;
    double widthEmu = 0, heightEmu = 0, xEmu = 0, yEmu = 0;
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

std::optional<std::size_t> schemeSlot(std::string_view name) {
    constexpr std::string_view names[] = {"lt1",     "dk1",     "lt2",     "dk2",
                                          "accent1", "accent2", "accent3", "accent4",
                                          "accent5", "accent6", "hlink",   "folHlink"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (names[i] == name)
            return i;
    if (name == "bg1")
        return 0;
    if (name == "tx1")
        return 1;
    if (name == "bg2")
        return 2;
    if (name == "tx2")
        return 3;
    return std::nullopt;
}

// Where the colour being read goes.
enum class Slot { None, Fill, Line, StyleFill, StyleLine, StyleText, RunColor };

class ShapesHandler : public xml::Handler {
public:
    ShapesHandler(const Colors& colors, std::vector<Shape>& shapes)
        : colors_(colors), shapes_(shapes) {}

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        path_.emplace_back(local);
        if (skip_ > 0) {
            ++skip_;
            return;
        }
        if (ns == markupCompatibility && local == "Fallback") {
            skip_ = 1;
            return;
        }
        const std::string_view parent =
            path_.size() >= 2 ? std::string_view(path_[path_.size() - 2]) : std::string_view();
        if (local == "twoCellAnchor" || local == "oneCellAnchor" || local == "absoluteAnchor") {
            shape_.emplace();
            shape_->anchorKind = local == "twoCellAnchor"   ? Shape::Kind::TwoCell
                                 : local == "oneCellAnchor" ? Shape::Kind::OneCell
                                                            : Shape::Kind::Absolute;
            anchorDepth_ = path_.size();
            return;
        }
        if (!shape_)
            return;
        Shape& s = *shape_;
        if (path_.size() == anchorDepth_ + 1) {
            if (local == "from" || local == "to")
                marker_ = local == "from" ? &s.from : &s.to;
            else if (local == "ext") {
                s.widthEmu = emu(attributes, "cx");
                s.heightEmu = emu(attributes, "cy");
            } else if (local == "pos") {
                s.xEmu = emu(attributes, "x");
                s.yEmu = emu(attributes, "y");
            } else if (local == "sp" && !s.seen) {
                s.seen = true;
                spDepth_ = path_.size();
            }
            return;
        }
        if (marker_ && path_.size() == anchorDepth_ + 2) {
            text_.clear();
            return;
        }
        if (spDepth_ == 0 || path_.size() <= spDepth_)
            return;
        const std::size_t depth = path_.size() - spDepth_; // 1 = child of sp
        if (local == "cNvPr" && depth == 2) {
            s.description = attributes.value("descr");
            if (s.description.size() > 1024)
                s.description.resize(1024);
        } else if (local == "xfrm" && parent == "spPr") {
            s.flipH = parseBool(attributes.value("flipH"), false);
            s.flipV = parseBool(attributes.value("flipV"), false);
        } else if (local == "prstGeom" && parent == "spPr") {
            s.geometry = attributes.value("prst", "rect");
        } else if (local == "noFill" && parent == "spPr") {
            s.noFill = true;
        } else if (local == "noFill" && parent == "ln" && depth == 3) {
            s.noLine = true;
        } else if (local == "ln" && parent == "spPr") {
            if (const auto width = parseNumber(attributes.value("w")); width && *width >= 0)
                s.lineWidthPt = std::min(*width / emuPerPoint, 50.0);
        } else if (local == "solidFill") {
            slot_ = parent == "spPr" && depth == 2 ? Slot::Fill
                    : parent == "ln" && depth == 3 ? Slot::Line
                    : parent == "rPr" || parent == "defRPr" || parent == "endParaRPr"
                        ? Slot::RunColor
                        : Slot::None;
        } else if (parent == "fillRef" || parent == "lnRef" || parent == "fontRef") {
            slot_ = parent == "fillRef" ? Slot::StyleFill
                    : parent == "lnRef" ? Slot::StyleLine
                                        : Slot::StyleText;
            startColor(local, attributes);
        } else if (parent == "solidFill") {
            startColor(local, attributes);
        } else if (color_ && path_.size() == colorDepth_ + 1) {
            const auto value = parseNumber(attributes.value("val"));
            if (value && std::isfinite(*value)) {
                if (local == "lumMod")
                    lumMod_ = *value / 100000;
                else if (local == "lumOff")
                    lumOff_ = *value / 100000;
                else if (local == "shade")
                    lumMod_ = *value / 100000;
                else if (local == "tint")
                    lumOff_ = 1 - *value / 100000;
            }
        } else if (local == "bodyPr") {
            const std::string_view anchor = attributes.value("anchor", "t");
            s.verticalAnchor = anchor == "ctr" ? 'c' : anchor == "b" ? 'b' : 't';
        } else if (local == "p" && parent == "txBody" && s.paragraphs.size() < maxLines) {
            s.paragraphs.emplace_back();
        } else if (local == "pPr" && !s.paragraphs.empty()) {
            const std::string_view align = attributes.value("algn", "l");
            s.paragraphs.back().align = align == "ctr" ? 'c' : align == "r" ? 'r' : 'l';
        } else if ((local == "r" || local == "fld") && !s.paragraphs.empty()) {
            s.paragraphs.back().runs.emplace_back();
        } else if (local == "br" && !s.paragraphs.empty() && s.paragraphs.size() < maxLines) {
            // A line break inside a paragraph starts a new line with the same alignment.
            const char align = s.paragraphs.back().align;
            s.paragraphs.emplace_back().align = align;
        } else if (local == "rPr" && parent != "endParaRPr" && !s.paragraphs.empty() &&
                   !s.paragraphs.back().runs.empty()) {
            Run& run = s.paragraphs.back().runs.back();
            if (const auto size = parseNumber(attributes.value("sz"));
                size && *size >= 100 && *size <= 40000)
                run.sizePt = *size / 100;
            run.bold = parseBool(attributes.value("b"), false);
            run.italic = parseBool(attributes.value("i"), false);
        } else if (local == "t") {
            text_.clear();
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (skip_ > 0) {
            --skip_;
            path_.pop_back();
            return;
        }
        if (color_ && path_.size() == colorDepth_)
            commitColor();
        if (shape_) {
            Shape& s = *shape_;
            if (marker_ && path_.size() == anchorDepth_ + 2)
                storeMarker(local);
            else if (marker_ && path_.size() == anchorDepth_ + 1)
                marker_ = nullptr;
            else if (local == "t" && spDepth_ && !s.paragraphs.empty() &&
                     !s.paragraphs.back().runs.empty() && textBytes_ < maxShapeText) {
                std::string piece = text_.substr(0, maxShapeText - textBytes_);
                decodeEscapes(piece);
                textBytes_ += piece.size();
                s.paragraphs.back().runs.back().text += piece;
            }
            if (path_.size() == spDepth_)
                spDepth_ = 0;
            if (path_.size() == anchorDepth_) {
                if (s.seen && shapes_.size() < maxShapes)
                    shapes_.push_back(std::move(s));
                shape_.reset();
                textBytes_ = 0;
            }
        }
        path_.pop_back();
    }

    void characters(std::string_view text) override {
        if (skip_ == 0 && text_.size() < maxShapeText)
            text_.append(text.substr(0, maxShapeText - text_.size()));
    }

private:
    void storeMarker(std::string_view local) {
        if (local == "col")
            marker_->col = parseUnsigned(text_, limits::maxColumns - 1).value_or(0);
        else if (local == "row")
            marker_->row = parseUnsigned(text_, limits::maxRows - 1).value_or(0);
        else if (const auto offset = parseNumber(text_); offset && *offset >= 0 && *offset < 1e15)
            (local == "colOff" ? marker_->colOffsetEmu : marker_->rowOffsetEmu) = *offset;
    }

    void startColor(std::string_view local, const xml::Attributes& attributes) {
        std::optional<std::uint32_t> rgb;
        if (local == "srgbClr")
            rgb = parseHexColor(attributes.value("val"));
        else if (local == "schemeClr") {
            if (const auto slot = schemeSlot(attributes.value("val")))
                rgb = colors_.themeColor(*slot);
        } else if (local == "sysClr")
            rgb = parseHexColor(attributes.value("lastClr"));
        else if (local == "prstClr")
            rgb = attributes.value("val") == "white" ? 0xFFFFFF : 0x000000;
        if (!rgb)
            return;
        color_ = rgb;
        colorDepth_ = path_.size();
        lumMod_ = 1;
        lumOff_ = 0;
    }

    void commitColor() {
        std::uint32_t rgb = *color_;
        color_.reset();
        if (lumOff_ > 0)
            rgb = applyTint(rgb, std::min(lumOff_, 1.0));
        else if (lumMod_ < 1)
            rgb = applyTint(rgb, std::max(lumMod_ - 1, -1.0));
        Shape& s = *shape_;
        switch (slot_) {
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

    const Colors& colors_;
    std::vector<Shape>& shapes_;
    std::vector<std::string> path_;
    std::size_t skip_ = 0, anchorDepth_ = 0, spDepth_ = 0, colorDepth_ = 0, textBytes_ = 0;
    std::optional<Shape> shape_;
    Marker* marker_ = nullptr;
    std::string text_;
    Slot slot_ = Slot::None;
    std::optional<std::uint32_t> color_;
    double lumMod_ = 1, lumOff_ = 0;
};

Anchor anchorOf(const Shape& shape, const Sheet& sheet) {
    DrawingAnchor place;
    place.kind = shape.anchorKind == Shape::Kind::TwoCell   ? DrawingAnchor::Kind::TwoCell
                 : shape.anchorKind == Shape::Kind::OneCell ? DrawingAnchor::Kind::OneCell
                                                            : DrawingAnchor::Kind::Absolute;
    const auto marker = [](const Marker& m) {
        return DrawingMarker{m.col, m.row, m.colOffsetEmu, m.rowOffsetEmu};
    };
    place.from = marker(shape.from);
    place.to = marker(shape.to);
    place.widthEmu = shape.widthEmu;
    place.heightEmu = shape.heightEmu;
    place.xEmu = shape.xEmu;
    place.yEmu = shape.yEmu;
    return place.toAnchor(drawing::SheetSizes(sheet, drawing::defaultDigitPixels));
}

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
            while (at < run.text.size() && lines.size() < maxLines) {
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
        if (lines.size() < maxLines)
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
    for (const Shape& shape : shapes) {
        if (!showsSomething(shape))
            continue;
        Picture picture;
        picture.anchor = anchorOf(shape, sheet);
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

void readDrawingShapes(const zip::ZipArchive& archive, const std::string& part,
                       const Colors& colors, Sheet& sheet) {
    std::vector<Shape> shapes;
    ShapesHandler handler(colors, shapes);
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    addShapes(shapes, sheet);
}

void parseDrawingShapesXml(std::string_view xml, const std::string& partName, const Colors& colors,
                           Sheet& sheet) {
    std::vector<Shape> shapes;
    ShapesHandler handler(colors, shapes);
    xml::parse(xml, handler, partName);
    addShapes(shapes, sheet);
}

} // namespace engine::xlsx
