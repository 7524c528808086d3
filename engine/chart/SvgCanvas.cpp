#include "engine/chart/SvgCanvas.h"

#include "engine/base/Limits.h"
#include "engine/svg/FontFamily.h"

#include <algorithm>
#include <cmath>

namespace engine::chart {
namespace {

const char* anchorName(TextAnchor anchor) {
    switch (anchor) {
    case TextAnchor::Middle:
        return "middle";
    case TextAnchor::End:
        return "end";
    case TextAnchor::Start:
        break;
    }
    return "start";
}

} // namespace

void SvgCanvas::number(double value) {
    svg::appendNumber(out_, value, 1);
}

void SvgCanvas::color(std::uint32_t rgb) {
    svg::appendColor(out_, rgb);
}

svg::Writer& SvgCanvas::box(double x, double y, double width, double height) {
    return writer_.open("rect")
        .number("x", x)
        .number("y", y)
        .number("width", std::fmax(width, 0))
        .number("height", std::fmax(height, 0));
}

void SvgCanvas::rect(double x, double y, double width, double height, std::uint32_t fill) {
    box(x, y, width, height).color("fill", fill).close();
}

void SvgCanvas::rect(double x, double y, double width, double height, std::string_view paint) {
    box(x, y, width, height).raw("fill", paint).close();
}

void SvgCanvas::frame(double x, double y, double width, double height, std::uint32_t stroke,
                      bool dashed) {
    box(x, y, width, height).raw("fill", "#FFFFFF").color("stroke", stroke);
    if (dashed)
        writer_.raw("stroke-dasharray", "6 4");
    writer_.close();
}

void SvgCanvas::outline(double x, double y, double width, double height, const ChartLine& line) {
    if (line.kind != ChartLine::Kind::Solid)
        return;
    // Points at 96 pixels to the inch, and never thinner than a device pixel.
    const double widthPx = std::clamp(line.widthPt * 4 / 3, 1.0, 20.0);
    box(x, y, width, height)
        .raw("fill", "none")
        .color("stroke", line.rgb)
        .number("stroke-width", widthPx);
    writer_.close();
}

void SvgCanvas::line(double x1, double y1, double x2, double y2, std::uint32_t stroke,
                     double strokeWidth) {
    writer_.open("line").number("x1", x1).number("y1", y1).number("x2", x2).number("y2", y2).color(
        "stroke", stroke);
    if (strokeWidth != 1)
        writer_.number("stroke-width", strokeWidth);
    writer_.close();
}

void SvgCanvas::text(double x, double y, std::string_view text, double sizePx, TextAnchor anchor,
                     std::uint32_t fill, bool bold) {
    TextLook look;
    look.sizePx = sizePx;
    look.fill = fill;
    look.bold = bold;
    this->text(x, y, text, look, anchor);
}

void SvgCanvas::text(double x, double y, std::string_view text, const TextLook& look,
                     TextAnchor anchor) {
    writer_.open("text").number("x", x).number("y", y).number("font-size", look.sizePx);
    writer_.color("fill", look.fill);
    if (anchor != TextAnchor::Start)
        writer_.raw("text-anchor", anchorName(anchor));
    if (look.bold)
        writer_.raw("font-weight", "bold");
    if (look.italic)
        writer_.raw("font-style", "italic");
    if (!look.family.empty())
        writer_.text("font-family", svg::fontFamilyList(look.family), 256);
    if (look.rotate != 0) {
        out_ += " transform=\"rotate(";
        number(look.rotate);
        out_ += ' ';
        writer_.point(x, y);
        out_ += ")\"";
    }
    writer_.content();
    svg::appendText(out_, text, limits::maxDrawnTextBytes);
    writer_.end("text");
}

std::string SvgCanvas::paint(const ChartFill& fill, std::uint32_t fallback) {
    switch (fill.kind) {
    case ChartFill::Kind::None:
        return "none";
    case ChartFill::Kind::Solid:
        return svg::colorText(fill.rgb);
    case ChartFill::Kind::Automatic:
        return svg::colorText(fallback);
    case ChartFill::Kind::Gradient:
        break;
    }
    if (fill.stops.empty())
        return svg::colorText(fallback);
    if (fill.stops.size() == 1)
        return svg::colorText(fill.stops.front().rgb);
    // The direction as a line through the middle of the filled box.
    const double radians = fill.angle * 3.14159265358979323846 / 180;
    const double dx = std::cos(radians) / 2, dy = std::sin(radians) / 2;
    std::string body;
    svg::Writer gradient(body, 1);
    gradient.number("x1", 0.5 - dx).number("y1", 0.5 - dy);
    gradient.number("x2", 0.5 + dx).number("y2", 0.5 + dy).content();
    for (const GradientStop& stop : fill.stops) {
        body += "<stop offset=\"";
        gradient.number(stop.position * 100);
        body += '%';
        body += '"';
        gradient.color("stop-color", stop.rgb).close();
    }
    // FNV-1a of the definition (after the id's closing quote, as the ids have always been
    // made): equal gradients share an id, others differ.
    std::uint64_t hash = (1469598103934665603ull ^ '"') * 1099511628211ull;
    for (unsigned char c : body)
        hash = (hash ^ c) * 1099511628211ull;
    static constexpr char digits[] = "0123456789abcdef";
    std::string id = idPrefix_ + "-gradient-";
    for (int shift = 60; shift >= 0; shift -= 4)
        id += digits[(hash >> shift) & 0xF];
    if (defined_.insert(id).second) {
        writer_.open("defs").content();
        writer_.open("linearGradient").raw("id", id);
        out_ += body;
        writer_.end("linearGradient");
        writer_.end("defs");
    }
    return "url(#" + id + ")";
}

void SvgCanvas::beginPath() {
    out_ += "<path d=\"";
}

void SvgCanvas::moveTo(double x, double y) {
    out_ += 'M';
    writer_.point(x, y);
}

void SvgCanvas::lineTo(double x, double y) {
    out_ += 'L';
    writer_.point(x, y);
}

void SvgCanvas::arcTo(double radius, bool largeArc, bool clockwise, double x, double y) {
    out_ += 'A';
    writer_.point(radius, radius);
    out_ += largeArc ? " 0 1 " : " 0 0 ";
    out_ += clockwise ? "1 " : "0 ";
    writer_.point(x, y);
}

void SvgCanvas::endPath(std::string_view paint) {
    out_ += '"';
    writer_.raw("fill", paint).close();
}

void SvgCanvas::endPath(std::uint32_t fill, bool filled, std::uint32_t stroke, double strokeWidth,
                        bool evenOdd) {
    out_ += '"';
    if (filled)
        writer_.color("fill", fill);
    else
        writer_.raw("fill", "none");
    if (evenOdd)
        writer_.raw("fill-rule", "evenodd");
    if (strokeWidth > 0) {
        writer_.color("stroke", stroke);
        if (strokeWidth != 1)
            writer_.number("stroke-width", strokeWidth);
        writer_.raw("stroke-linejoin", "round");
    }
    writer_.close();
}

double textWidth(std::string_view text, double sizePx) {
    // Counting code points, not bytes: an average glyph is about half the font size wide.
    std::size_t glyphs = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++glyphs;
    return static_cast<double>(std::min<std::size_t>(glyphs, limits::maxDrawnTextBytes)) * sizePx *
           0.55;
}

} // namespace engine::chart
