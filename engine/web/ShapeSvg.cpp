#include "engine/web/ShapeSvg.h"

#include "engine/base/Limits.h"
#include "engine/chart/SvgCanvas.h"
#include "engine/svg/SvgWriter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace engine::web {
namespace {

constexpr double emuPerPixel = 9525;
constexpr double emuPerPoint = 12700;

bool isOpen(const Shape& shape) {
    return shape.geometry == ShapeGeometry::Line || shape.geometry == ShapeGeometry::Arc;
}

struct Insets {
    double left, top, right, bottom;
};

// The text's distance from the box's edges, in pixels.
Insets insetsOf(const Shape& shape) {
    return {shape.insetLeftEmu / emuPerPixel, shape.insetTopEmu / emuPerPixel,
            shape.insetRightEmu / emuPerPixel, shape.insetBottomEmu / emuPerPixel};
}

// Where text `total` pixels high begins in a box `heightPx` high.
double blockTop(const Shape& shape, double heightPx, double total) {
    const Insets insets = insetsOf(shape);
    return shape.textAnchor == ShapeTextAnchor::Middle   ? (heightPx - total) / 2
           : shape.textAnchor == ShapeTextAnchor::Bottom ? heightPx - insets.bottom - total
                                                         : insets.top;
}

// Binary sheets: text laid out with the fonts' estimated widths, one <text> per font.

struct Piece {
    std::string text;
    std::size_t font = 0;
};

struct PieceLine {
    std::vector<Piece> pieces;
    double width = 0, size = 0;
    ShapeAlign align = ShapeAlign::Left;
};

double pixelsOf(const ShapeFont& font) {
    return font.sizePt * 4 / 3;
}

// The text as lines that fit `width` pixels: broken where the text breaks, and wrapped at
// spaces where a word would pass the box's edge.
std::vector<PieceLine> layoutPieces(const Shape& shape, double width) {
    std::vector<PieceLine> lines(1);
    const auto newLine = [&] {
        if (lines.size() < limits::maxShapeTextLines) {
            const ShapeAlign align = lines.back().align;
            lines.emplace_back().align = align;
        }
        return lines.size() < limits::maxShapeTextLines;
    };
    for (std::size_t p = 0; p < shape.paragraphs.size(); ++p) {
        const ShapeParagraph& paragraph = shape.paragraphs[p];
        if (p > 0 && !newLine())
            return lines;
        lines.back().align = paragraph.align;
        for (const ShapeRun& run : paragraph.runs) {
            if (run.font >= shape.fonts.size())
                continue;
            const std::string_view all = run.text;
            const double px = pixelsOf(shape.fonts[run.font]);
            std::size_t at = 0;
            const std::size_t end = all.size();
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
                PieceLine& line = lines.back();
                if (line.pieces.empty() || line.pieces.back().font != run.font)
                    line.pieces.push_back({std::string(), run.font});
                line.pieces.back().text += word;
                line.width += wordWidth;
                line.size = std::max(line.size, px);
                at = stop;
            }
        }
    }
    return lines;
}

void drawPieces(chart::SvgCanvas& canvas, const Shape& shape, double widthPx, double heightPx) {
    const Insets insets = insetsOf(shape);
    const double left = insets.left, right = insets.right;
    const double room = std::max(widthPx - left - right, 1.0);
    std::vector<PieceLine> lines = layoutPieces(shape, room);
    double total = 0;
    for (PieceLine& line : lines) {
        if (line.size == 0)
            line.size = shape.emptyLineSizePt * 4 / 3;
        total += line.size * 1.2;
    }
    double y = blockTop(shape, heightPx, total);
    for (const PieceLine& line : lines) {
        y += line.size * 1.2;
        const double baseline = y - line.size * 0.25;
        double x = line.align == ShapeAlign::Center  ? left + (room - line.width) / 2
                   : line.align == ShapeAlign::Right ? widthPx - right - line.width
                                                     : left;
        for (const Piece& piece : line.pieces) {
            const ShapeFont& font = shape.fonts[piece.font];
            chart::TextLook look;
            look.sizePx = pixelsOf(font);
            look.fill = font.color;
            look.bold = font.bold;
            look.italic = font.italic;
            look.family = font.name;
            // A line of one font is placed by its anchor, which the browser measures exactly.
            if (line.pieces.size() == 1 && line.align == ShapeAlign::Center)
                canvas.text(left + room / 2, baseline, piece.text, look, chart::TextAnchor::Middle);
            else if (line.pieces.size() == 1 && line.align == ShapeAlign::Right)
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

void outlinePath(chart::SvgCanvas& canvas, const Shape& shape, double inset, double w, double h) {
    switch (shape.geometry) {
    case ShapeGeometry::Line:
        canvas.moveTo(shape.flipH ? inset + w : inset, shape.flipV ? inset + h : inset);
        canvas.lineTo(shape.flipH ? inset : inset + w, shape.flipV ? inset : inset + h);
        break;
    case ShapeGeometry::Ellipse:
    case ShapeGeometry::Arc:
        ellipsePath(canvas, inset, inset, w, h, shape.geometry == ShapeGeometry::Arc, shape.flipH,
                    shape.flipV);
        break;
    default: {
        const double r = shape.geometry == ShapeGeometry::RoundRectangle ? std::min(w, h) / 6 : 0;
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
}

std::string binarySvg(const Shape& shape, double widthPx, double heightPx) {
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

    const double strokePx = shape.outline ? shape.outlineEmu / emuPerPixel : 0;
    const double inset = strokePx / 2;
    const double w = std::max(widthPx - strokePx, 0.0), h = std::max(heightPx - strokePx, 0.0);
    if (shape.geometry != ShapeGeometry::None && (shape.fill || shape.outline)) {
        canvas.beginPath();
        outlinePath(canvas, shape, inset, w, h);
        canvas.endPath(shape.fill.value_or(0xFFFFFF), shape.fill.has_value(),
                       shape.outline.value_or(0), strokePx);
    }
    if (!shape.paragraphs.empty() && !isOpen(shape))
        drawPieces(canvas, shape, widthPx, heightPx);
    canvas.raw("</svg>\n");
    return svg;
}

// DrawingML: outlines as SVG elements, text as runs of one <text> a line, wrapped by an
// estimate of half the font size a character.

struct RunLine {
    std::vector<const ShapeRun*> runs; // runs of the paragraph, each whole
    std::vector<std::string> texts;
    double width = 0, size = 0;
    ShapeAlign align = ShapeAlign::Left;
};

// The paragraphs as lines that fit `width` pixels, words wrapping as text boxes wrap them.
std::vector<RunLine> layoutRuns(const Shape& shape, double width) {
    std::vector<RunLine> lines;
    for (const ShapeParagraph& paragraph : shape.paragraphs) {
        RunLine line;
        line.align = paragraph.align;
        line.size = shape.emptyLineSizePt * 4.0 / 3;
        for (const ShapeRun& run : paragraph.runs) {
            if (run.font >= shape.fonts.size())
                continue;
            const double px = shape.fonts[run.font].sizePt * 4 / 3;
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

void drawRuns(svg::Writer& out, const Shape& shape, double widthPx, double heightPx) {
    const Insets insets = insetsOf(shape);
    const double left = insets.left, right = insets.right;
    const std::vector<RunLine> lines = layoutRuns(shape, std::max(widthPx - (left + right), 1.0));
    double total = 0;
    for (const RunLine& l : lines)
        total += l.size * 1.2;
    double y = blockTop(shape, heightPx, total);
    for (const RunLine& l : lines) {
        y += l.size * 1.2;
        if (l.runs.empty())
            continue;
        out.open("text")
            .number("x", l.align == ShapeAlign::Center  ? widthPx / 2
                         : l.align == ShapeAlign::Right ? widthPx - right
                                                        : left)
            .number("y", y - l.size * 0.25);
        if (l.align != ShapeAlign::Left)
            out.raw("text-anchor", l.align == ShapeAlign::Center ? "middle" : "end");
        out.raw("xml:space", "preserve").content();
        for (std::size_t i = 0; i < l.runs.size(); ++i) {
            const ShapeFont& font = shape.fonts[l.runs[i]->font];
            out.open("tspan").number("font-size", font.sizePt * 4 / 3);
            out.color("fill", font.color);
            if (font.bold)
                out.raw("font-weight", "bold");
            if (font.italic)
                out.raw("font-style", "italic");
            out.content();
            svg::appendText(out.out(), l.texts[i]);
            out.end("tspan");
        }
        out.end("text");
    }
}

std::string drawingMLSvg(const Shape& shape, double widthPx, double heightPx) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg::Writer out(svg, 1);
    out.open("svg").raw("xmlns", "http://www.w3.org/2000/svg");
    out.number("width", widthPx).number("height", heightPx);
    svg += " viewBox=\"0 0 ";
    out.point(widthPx, heightPx);
    svg += '"';
    out.raw("font-family", "Calibri, Carlito, 'Liberation Sans', sans-serif").content();
    const double stroke = shape.outline ? std::max(shape.outlineEmu / emuPerPoint * 4 / 3, 0.5) : 0;
    const double inset = stroke / 2;
    const double w = std::max(widthPx - stroke, 0.0), h = std::max(heightPx - stroke, 0.0);
    if (shape.geometry == ShapeGeometry::Line) {
        // From corner to corner, the way the shape's flips turn it.
        if (shape.outline) {
            out.open("line")
                .number("x1", shape.flipH ? widthPx - inset : inset)
                .number("y1", shape.flipV ? heightPx - inset : inset)
                .number("x2", shape.flipH ? inset : widthPx - inset)
                .number("y2", shape.flipV ? inset : heightPx - inset)
                .color("stroke", *shape.outline)
                .number("stroke-width", stroke)
                .close();
        }
    } else if (shape.geometry != ShapeGeometry::None && (shape.fill || shape.outline)) {
        if (shape.geometry == ShapeGeometry::Ellipse) {
            out.open("ellipse")
                .number("cx", widthPx / 2)
                .number("cy", heightPx / 2)
                .number("rx", w / 2)
                .number("ry", h / 2);
        } else {
            out.open("rect").number("x", inset).number("y", inset).number("width", w);
            out.number("height", h);
            if (shape.geometry == ShapeGeometry::RoundRectangle)
                out.number("rx", std::min(w, h) / 6);
        }
        if (shape.fill)
            out.color("fill", *shape.fill);
        else
            out.raw("fill", "none");
        if (shape.outline)
            out.color("stroke", *shape.outline).number("stroke-width", stroke);
        out.close();
    }
    drawRuns(out, shape, widthPx, heightPx);
    svg += "</svg>\n";
    return svg;
}

} // namespace

std::string shapeSvg(const Shape& shape, double widthPx, double heightPx) {
    return shape.family == ShapeFamily::Binary ? binarySvg(shape, widthPx, heightPx)
                                               : drawingMLSvg(shape, widthPx, heightPx);
}

} // namespace engine::web
