#include "engine/chart/SvgCanvas.h"

#include "engine/web/HtmlText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::chart {
namespace {

// Labels and titles longer than this are cut: no chart shows more.
constexpr std::size_t maxTextBytes = 512;

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
    if (!std::isfinite(value))
        value = 0;
    // Far outside any drawing: clamped so that the text stays short.
    const long long tenths = std::llround(std::fmax(-1e9, std::fmin(1e9, value)) * 10);
    char buffer[32];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, tenths / 10).ptr;
    if (tenths < 0 && tenths > -10)
        out_ += '-';
    out_.append(buffer, end);
    if (const long long tenth = std::llabs(tenths % 10); tenth != 0) {
        out_ += '.';
        out_ += static_cast<char>('0' + tenth);
    }
}

void SvgCanvas::color(std::uint32_t rgb) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out_ += '#';
    for (int shift = 20; shift >= 0; shift -= 4)
        out_ += digits[(rgb >> shift) & 0xF];
}

void SvgCanvas::rect(double x, double y, double width, double height, std::uint32_t fill) {
    out_ += "<rect x=\"";
    number(x);
    out_ += "\" y=\"";
    number(y);
    out_ += "\" width=\"";
    number(std::fmax(width, 0));
    out_ += "\" height=\"";
    number(std::fmax(height, 0));
    out_ += "\" fill=\"";
    color(fill);
    out_ += "\"/>";
}

void SvgCanvas::frame(double x, double y, double width, double height, std::uint32_t stroke,
                      bool dashed) {
    out_ += "<rect x=\"";
    number(x);
    out_ += "\" y=\"";
    number(y);
    out_ += "\" width=\"";
    number(std::fmax(width, 0));
    out_ += "\" height=\"";
    number(std::fmax(height, 0));
    out_ += "\" fill=\"#FFFFFF\" stroke=\"";
    color(stroke);
    out_ += dashed ? "\" stroke-dasharray=\"6 4\"/>" : "\"/>";
}

void SvgCanvas::line(double x1, double y1, double x2, double y2, std::uint32_t stroke,
                     double strokeWidth) {
    out_ += "<line x1=\"";
    number(x1);
    out_ += "\" y1=\"";
    number(y1);
    out_ += "\" x2=\"";
    number(x2);
    out_ += "\" y2=\"";
    number(y2);
    out_ += "\" stroke=\"";
    color(stroke);
    if (strokeWidth != 1) {
        out_ += "\" stroke-width=\"";
        number(strokeWidth);
    }
    out_ += "\"/>";
}

void SvgCanvas::text(double x, double y, std::string_view text, double sizePx, TextAnchor anchor,
                     std::uint32_t fill, bool bold) {
    out_ += "<text x=\"";
    number(x);
    out_ += "\" y=\"";
    number(y);
    out_ += "\" font-size=\"";
    number(sizePx);
    out_ += "\" fill=\"";
    color(fill);
    if (anchor != TextAnchor::Start) {
        out_ += "\" text-anchor=\"";
        out_ += anchorName(anchor);
    }
    if (bold)
        out_ += "\" font-weight=\"bold";
    out_ += "\">";
    web::appendEscaped(out_, web::utf8Prefix(text, maxTextBytes));
    out_ += "</text>";
}

void SvgCanvas::text(double x, double y, std::string_view text, const TextLook& look,
                     TextAnchor anchor) {
    out_ += "<text x=\"";
    number(x);
    out_ += "\" y=\"";
    number(y);
    out_ += "\" font-size=\"";
    number(look.sizePx);
    out_ += "\" fill=\"";
    color(look.fill);
    if (anchor != TextAnchor::Start) {
        out_ += "\" text-anchor=\"";
        out_ += anchorName(anchor);
    }
    if (look.bold)
        out_ += "\" font-weight=\"bold";
    if (look.italic)
        out_ += "\" font-style=\"italic";
    if (!look.family.empty()) {
        out_ += "\" font-family=\"";
        web::appendEscaped(out_, web::utf8Prefix(look.family, 64));
    }
    if (look.rotate != 0) {
        out_ += "\" transform=\"rotate(";
        number(look.rotate);
        out_ += ' ';
        number(x);
        out_ += ' ';
        number(y);
        out_ += ')';
    }
    out_ += "\">";
    web::appendEscaped(out_, web::utf8Prefix(text, maxTextBytes));
    out_ += "</text>";
}

std::string SvgCanvas::paint(const ChartFill& fill, std::uint32_t fallback) {
    std::string result;
    std::string saved;
    saved.swap(out_);
    switch (fill.kind) {
    case ChartFill::Kind::None:
        out_ = "none";
        break;
    case ChartFill::Kind::Solid:
        color(fill.rgb);
        break;
    case ChartFill::Kind::Automatic:
        color(fallback);
        break;
    case ChartFill::Kind::Gradient: {
        if (fill.stops.empty()) {
            color(fallback);
            break;
        }
        if (fill.stops.size() == 1) {
            color(fill.stops.front().rgb);
            break;
        }
        // The direction as a line through the middle of the filled box.
        const double radians = fill.angle * 3.14159265358979323846 / 180;
        const double dx = std::cos(radians) / 2, dy = std::sin(radians) / 2;
        std::string body = "\" x1=\"";
        out_.clear();
        number(0.5 - dx);
        body += out_ + "\" y1=\"";
        out_.clear();
        number(0.5 - dy);
        body += out_ + "\" x2=\"";
        out_.clear();
        number(0.5 + dx);
        body += out_ + "\" y2=\"";
        out_.clear();
        number(0.5 + dy);
        body += out_ + "\">";
        for (const GradientStop& stop : fill.stops) {
            out_.clear();
            number(stop.position * 100);
            body += "<stop offset=\"" + out_ + "%\" stop-color=\"";
            out_.clear();
            color(stop.rgb);
            body += out_ + "\"/>";
        }
        // FNV-1a of the definition: equal gradients share an id, others differ.
        std::uint64_t hash = 1469598103934665603ull;
        for (unsigned char c : body)
            hash = (hash ^ c) * 1099511628211ull;
        static constexpr char digits[] = "0123456789abcdef";
        std::string id = idPrefix_ + "-gradient-";
        for (int shift = 60; shift >= 0; shift -= 4)
            id += digits[(hash >> shift) & 0xF];
        if (defined_.insert(id).second)
            saved += "<defs><linearGradient id=\"" + id + body + "</linearGradient></defs>";
        out_ = "url(#" + id + ")";
        break;
    }
    }
    result.swap(out_);
    out_.swap(saved);
    return result;
}

void SvgCanvas::rect(double x, double y, double width, double height, std::string_view paint) {
    out_ += "<rect x=\"";
    number(x);
    out_ += "\" y=\"";
    number(y);
    out_ += "\" width=\"";
    number(std::fmax(width, 0));
    out_ += "\" height=\"";
    number(std::fmax(height, 0));
    out_ += "\" fill=\"";
    out_ += paint;
    out_ += "\"/>";
}

void SvgCanvas::endPath(std::string_view paint) {
    out_ += "\" fill=\"";
    out_ += paint;
    out_ += "\"/>";
}

void SvgCanvas::beginPath() {
    out_ += "<path d=\"";
}

void SvgCanvas::moveTo(double x, double y) {
    out_ += 'M';
    number(x);
    out_ += ' ';
    number(y);
}

void SvgCanvas::lineTo(double x, double y) {
    out_ += 'L';
    number(x);
    out_ += ' ';
    number(y);
}

void SvgCanvas::arcTo(double radius, bool largeArc, bool clockwise, double x, double y) {
    out_ += 'A';
    number(radius);
    out_ += ' ';
    number(radius);
    out_ += largeArc ? " 0 1 " : " 0 0 ";
    out_ += clockwise ? "1 " : "0 ";
    number(x);
    out_ += ' ';
    number(y);
}

void SvgCanvas::endPath(std::uint32_t fill, bool filled, std::uint32_t stroke, double strokeWidth,
                        bool evenOdd) {
    out_ += "\" fill=\"";
    if (filled)
        color(fill);
    else
        out_ += "none";
    if (evenOdd)
        out_ += "\" fill-rule=\"evenodd";
    if (strokeWidth > 0) {
        out_ += "\" stroke=\"";
        color(stroke);
        if (strokeWidth != 1) {
            out_ += "\" stroke-width=\"";
            number(strokeWidth);
        }
        out_ += "\" stroke-linejoin=\"round";
    }
    out_ += "\"/>";
}

double textWidth(std::string_view text, double sizePx) {
    // Counting code points, not bytes: an average glyph is about half the font size wide.
    std::size_t glyphs = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++glyphs;
    return static_cast<double>(std::min<std::size_t>(glyphs, maxTextBytes)) * sizePx * 0.55;
}

} // namespace engine::chart
