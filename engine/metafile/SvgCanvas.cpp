#include "engine/metafile/SvgCanvas.h"

#include "engine/base/Limits.h"
#include "engine/svg/FontFamily.h"
#include "engine/svg/SvgWriter.h"
#include "engine/util/Base64.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace engine::metafile {
namespace {

// Device coordinates keep two decimals.
constexpr int decimals = 2;

// Metafile colours keep red in the low byte.
std::uint32_t rgbOf(ColorRef color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Dashes and gaps in pen widths; none for a solid line.
std::span<const double> dashUnits(Pen::Style style) {
    static constexpr double dash[] = {6, 2}, dot[] = {1, 1}, dashDot[] = {6, 2, 1, 2},
                            dashDotDot[] = {6, 2, 1, 2, 1, 2};
    switch (style) {
    case Pen::Style::Dash:
        return dash;
    case Pen::Style::Dot:
        return dot;
    case Pen::Style::DashDot:
        return dashDot;
    case Pen::Style::DashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

} // namespace

void SvgCanvas::include(Point p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return;
    if (!drawn_) {
        from_ = to_ = p;
        drawn_ = true;
        return;
    }
    from_ = {std::min(from_.x, p.x), std::min(from_.y, p.y)};
    to_ = {std::max(to_.x, p.x), std::max(to_.y, p.y)};
}

bool SvgCanvas::extent(Point& from, Point& to) const {
    from = from_;
    to = to_;
    return drawn_;
}

void SvgCanvas::appendPoint(Point p) {
    include(p);
    svg::Writer(path_, decimals).point(p.x, p.y);
}

void SvgCanvas::moveTo(Point p) {
    if (full())
        return;
    path_ += path_.empty() ? "M" : " M";
    appendPoint(p);
}

void SvgCanvas::lineTo(Point p) {
    if (full())
        return;
    if (path_.empty())
        return moveTo(p);
    path_ += " L";
    appendPoint(p);
}

void SvgCanvas::curveTo(Point c1, Point c2, Point p) {
    if (full())
        return;
    if (path_.empty())
        moveTo(c1);
    path_ += " C";
    appendPoint(c1);
    path_ += ' ';
    appendPoint(c2);
    path_ += ' ';
    appendPoint(p);
}

void SvgCanvas::closeFigure() {
    if (!path_.empty())
        path_ += " Z";
}

std::string SvgCanvas::hatchPattern(const Fill& fill) {
    const auto key = std::make_pair(fill.hatch, fill.color);
    if (auto found = patterns_.find(key); found != patterns_.end())
        return found->second;
    if (patterns_.size() >= limits::maxSvgPatterns)
        return {};
    std::string id = "h" + std::to_string(patterns_.size());
    static constexpr const char* lines[] = {"M0 4H8",   "M4 0V8",       "M0 0L8 8",
                                            "M0 8L8 0", "M0 4H8M4 0V8", "M0 0L8 8M0 8L8 0"};
    svg::Writer out(defs_, decimals);
    out.open("pattern").raw("id", id).raw("patternUnits", "userSpaceOnUse");
    out.number("width", 8).number("height", 8).content();
    out.open("path").raw("d", lines[std::min<std::uint8_t>(fill.hatch, 5)]);
    out.color("stroke", rgbOf(fill.color)).number("stroke-width", 1).close();
    out.end("pattern");
    patterns_.emplace(key, id);
    return id;
}

void SvgCanvas::clipTo(Point a, Point b) {
    // The rectangle's attributes, which also tell one clip from another.
    std::string rect;
    svg::Writer(rect, decimals)
        .number("x", std::min(a.x, b.x))
        .number("y", std::min(a.y, b.y))
        .number("width", std::fabs(b.x - a.x))
        .number("height", std::fabs(b.y - a.y));
    if (auto found = clips_.find(rect); found != clips_.end()) {
        clip_ = found->second;
        return;
    }
    if (clips_.size() >= limits::maxSvgClips) {
        clip_.clear();
        return;
    }
    clip_ = "c" + std::to_string(clips_.size());
    svg::Writer out(defs_, decimals);
    out.open("clipPath").raw("id", clip_).content();
    out.open("rect");
    defs_ += rect;
    out.close();
    out.end("clipPath");
    clips_.emplace(std::move(rect), clip_);
}

void SvgCanvas::appendClip() {
    if (!clip_.empty())
        svg::Writer(body_, decimals).raw("clip-path", "url(#" + clip_ + ")");
}

void SvgCanvas::drawPath(const Stroke* stroke, const Fill* fill) {
    if (full())
        stopped_ = true;
    if (path_.empty() || full() || (!stroke && !fill)) {
        path_.clear();
        return;
    }
    svg::Writer out(body_, decimals);
    out.open("path").raw("d", path_);
    path_.clear();
    appendClip();
    if (!fill) {
        out.raw("fill", "none");
    } else {
        const std::string pattern = fill->hatched ? hatchPattern(*fill) : std::string();
        if (pattern.empty())
            out.color("fill", rgbOf(fill->color));
        else
            out.raw("fill", "url(#" + pattern + ")");
        if (!fill->winding)
            out.raw("fill-rule", "evenodd");
    }
    if (stroke) {
        out.color("stroke", rgbOf(stroke->color));
        out.number("stroke-width", std::max(stroke->width, 0.01));
        if (const auto units = dashUnits(stroke->style); !units.empty()) {
            // Dash lengths follow the pen's width, as the devices that draw them do.
            std::vector<double> lengths;
            for (const double unit : units)
                lengths.push_back(unit * std::max(stroke->width, 1.0));
            out.numbers("stroke-dasharray", lengths);
        }
        static constexpr const char* caps[] = {"round", "square", "butt"};
        static constexpr const char* joins[] = {"round", "bevel", "miter"};
        out.raw("stroke-linecap", caps[std::min<std::uint8_t>(stroke->cap, 2)]);
        out.raw("stroke-linejoin", joins[std::min<std::uint8_t>(stroke->join, 2)]);
    }
    out.close();
    body_ += '\n';
    ++elements_;
}

void SvgCanvas::text(const TextRun& run) {
    if (run.text.empty() || full() || !(run.size > 0))
        return;
    const std::uint32_t horizontal = run.align & 6, vertical = run.align & 24;
    Point at = run.at;
    include(at);
    double rise = 0; // from the reference point down to the baseline, before turning
    if (vertical == 0)
        rise = run.size * 0.85; // top: the ascent of a typical face
    else if (vertical == 8)
        rise = -run.size * 0.2; // bottom: the descent
    svg::Writer out(body_, decimals);
    // A clip goes on a group around it: on the element, it would turn with the text.
    const bool grouped = !clip_.empty();
    if (grouped) {
        out.open("g");
        appendClip();
        out.content();
    }
    out.open("text").number("x", at.x).number("y", at.y + rise).number("font-size", run.size);
    if (run.font && !run.font->face.empty())
        out.text("font-family", svg::fontFamilyList(run.font->face));
    if (run.font && run.font->weight >= 600)
        out.raw("font-weight", "bold");
    if (run.font && run.font->italic)
        out.raw("font-style", "italic");
    if (run.font && (run.font->underline || run.font->strikeOut))
        out.raw("text-decoration", run.font->underline ? "underline" : "line-through");
    if (horizontal == 6)
        out.raw("text-anchor", "middle");
    else if (horizontal == 2)
        out.raw("text-anchor", "end");
    if (run.length > 0)
        out.number("textLength", run.length).raw("lengthAdjust", "spacingAndGlyphs");
    if (run.angle != 0) {
        const double rotation[] = {-run.angle, at.x, at.y};
        out.transform("rotate", rotation);
    }
    out.color("fill", rgbOf(run.color)).raw("xml:space", "preserve").content();
    svg::appendText(body_, run.text);
    out.end("text");
    if (grouped)
        out.end("g");
    body_ += '\n';
    ++elements_;
}

void SvgCanvas::image(Point a, Point b, std::span<const std::uint8_t> bmp) {
    if (bmp.empty() || full() || body_.size() + path_.size() + bmp.size() / 3 * 4 + 256 > maxBytes_)
        return;
    const double width = std::fabs(b.x - a.x), height = std::fabs(b.y - a.y);
    include(a);
    include(b);
    if (!(width > 0) || !(height > 0))
        return;
    svg::Writer out(body_, decimals);
    const bool grouped = !clip_.empty();
    if (grouped) {
        out.open("g");
        appendClip();
        out.content();
    }
    out.open("image").number("x", std::min(a.x, b.x)).number("y", std::min(a.y, b.y));
    out.number("width", width).number("height", height).raw("preserveAspectRatio", "none");
    const bool mirrorX = b.x < a.x, mirrorY = b.y < a.y;
    if (mirrorX || mirrorY) {
        // Mirrors about the rectangle's centre.
        const double matrix[] = {
            mirrorX ? -1.0 : 1.0,     0, 0, mirrorY ? -1.0 : 1.0, mirrorX ? a.x + b.x : 0.0,
            mirrorY ? a.y + b.y : 0.0};
        out.transform("matrix", matrix);
    }
    std::string source = "data:image/bmp;base64,";
    util::appendBase64(source, bmp);
    out.raw("href", source).close();
    if (grouped)
        out.end("g");
    body_ += '\n';
    ++elements_;
}

std::string SvgCanvas::finish(double x, double y, double width, double height, double widthPx,
                              double heightPx) const {
    std::string out;
    const double box[] = {x, y, width, height};
    svg::Writer(out, decimals)
        .open("svg")
        .raw("xmlns", "http://www.w3.org/2000/svg")
        .number("width", widthPx)
        .number("height", heightPx)
        .numbers("viewBox", box)
        .raw("preserveAspectRatio", "none")
        .raw("overflow", "hidden")
        .content();
    out += '\n';
    if (!defs_.empty())
        out += "<defs>" + defs_ + "</defs>\n";
    out += body_;
    out += "</svg>\n";
    return out;
}

} // namespace engine::metafile
