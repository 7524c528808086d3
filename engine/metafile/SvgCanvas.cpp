#include "engine/metafile/SvgCanvas.h"

#include "engine/base/Limits.h"
#include "engine/svg/FontFamily.h"
#include "engine/svg/SvgWriter.h"
#include "engine/util/Base64.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::metafile {
namespace {

// Metafile colours keep red in the low byte.
std::string colorText(ColorRef color) {
    return svg::colorText(((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF));
}

void appendNumber(std::string& out, double value) {
    svg::appendNumber(out, value, 2);
}

const char* dashArray(Pen::Style style) {
    switch (style) {
    case Pen::Style::Dash:
        return "6 2";
    case Pen::Style::Dot:
        return "1 1";
    case Pen::Style::DashDot:
        return "6 2 1 2";
    case Pen::Style::DashDotDot:
        return "6 2 1 2 1 2";
    default:
        return nullptr;
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
    appendNumber(path_, p.x);
    path_ += ' ';
    appendNumber(path_, p.y);
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
    defs_ += "<pattern id=\"" + id +
             "\" patternUnits=\"userSpaceOnUse\" width=\"8\" height=\"8\"><path d=\"" +
             lines[std::min<std::uint8_t>(fill.hatch, 5)] + "\" stroke=\"" + colorText(fill.color) +
             "\" stroke-width=\"1\"/></pattern>";
    patterns_.emplace(key, id);
    return id;
}

void SvgCanvas::clipTo(Point a, Point b) {
    std::string rect = "x=\"";
    appendNumber(rect, std::min(a.x, b.x));
    rect += "\" y=\"";
    appendNumber(rect, std::min(a.y, b.y));
    rect += "\" width=\"";
    appendNumber(rect, std::fabs(b.x - a.x));
    rect += "\" height=\"";
    appendNumber(rect, std::fabs(b.y - a.y));
    rect += '"';
    if (auto found = clips_.find(rect); found != clips_.end()) {
        clip_ = found->second;
        return;
    }
    if (clips_.size() >= limits::maxSvgClips) {
        clip_.clear();
        return;
    }
    clip_ = "c" + std::to_string(clips_.size());
    defs_ += "<clipPath id=\"" + clip_ + "\"><rect " + rect + "/></clipPath>";
    clips_.emplace(std::move(rect), clip_);
}

void SvgCanvas::appendClip() {
    if (!clip_.empty())
        body_ += " clip-path=\"url(#" + clip_ + ")\"";
}

void SvgCanvas::drawPath(const Stroke* stroke, const Fill* fill) {
    if (full())
        stopped_ = true;
    if (path_.empty() || full() || (!stroke && !fill)) {
        path_.clear();
        return;
    }
    body_ += "<path d=\"";
    body_ += path_;
    path_.clear();
    body_ += '"';
    appendClip();
    body_ += " fill=\"";
    if (!fill) {
        body_ += "none\"";
    } else {
        const std::string pattern = fill->hatched ? hatchPattern(*fill) : std::string();
        body_ += pattern.empty() ? colorText(fill->color) : "url(#" + pattern + ")";
        body_ += fill->winding ? "\"" : "\" fill-rule=\"evenodd\"";
    }
    if (stroke) {
        body_ += " stroke=\"" + colorText(stroke->color) + "\" stroke-width=\"";
        appendNumber(body_, std::max(stroke->width, 0.01));
        body_ += '"';
        if (const char* dashes = dashArray(stroke->style)) {
            // Dash lengths follow the pen's width, as the devices that draw them do.
            body_ += " stroke-dasharray=\"";
            std::string_view pattern = dashes;
            std::size_t start = 0;
            while (start < pattern.size()) {
                std::size_t end = pattern.find(' ', start);
                if (end == std::string_view::npos)
                    end = pattern.size();
                int units = 0;
                std::from_chars(pattern.data() + start, pattern.data() + end, units);
                if (start > 0)
                    body_ += ' ';
                appendNumber(body_, units * std::max(stroke->width, 1.0));
                start = end + 1;
            }
            body_ += '"';
        }
        static constexpr const char* caps[] = {"round", "square", "butt"};
        static constexpr const char* joins[] = {"round", "bevel", "miter"};
        body_ += " stroke-linecap=\"";
        body_ += caps[std::min<std::uint8_t>(stroke->cap, 2)];
        body_ += "\" stroke-linejoin=\"";
        body_ += joins[std::min<std::uint8_t>(stroke->join, 2)];
        body_ += '"';
    }
    body_ += "/>\n";
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
    // A clip goes on a group around it: on the element, it would turn with the text.
    const bool grouped = !clip_.empty();
    if (grouped) {
        body_ += "<g";
        appendClip();
        body_ += '>';
    }
    body_ += "<text x=\"";
    appendNumber(body_, at.x);
    body_ += "\" y=\"";
    appendNumber(body_, at.y + rise);
    body_ += "\" font-size=\"";
    appendNumber(body_, run.size);
    body_ += '"';
    if (run.font && !run.font->face.empty()) {
        body_ += " font-family=\"";
        svg::appendText(body_, svg::fontFamilyList(run.font->face));
        body_ += '"';
    }
    if (run.font && run.font->weight >= 600)
        body_ += " font-weight=\"bold\"";
    if (run.font && run.font->italic)
        body_ += " font-style=\"italic\"";
    if (run.font && (run.font->underline || run.font->strikeOut))
        body_ += run.font->underline ? " text-decoration=\"underline\""
                                     : " text-decoration=\"line-through\"";
    if (horizontal == 6)
        body_ += " text-anchor=\"middle\"";
    else if (horizontal == 2)
        body_ += " text-anchor=\"end\"";
    if (run.length > 0) {
        body_ += " textLength=\"";
        appendNumber(body_, run.length);
        body_ += "\" lengthAdjust=\"spacingAndGlyphs\"";
    }
    if (run.angle != 0) {
        body_ += " transform=\"rotate(";
        appendNumber(body_, -run.angle);
        body_ += ' ';
        appendNumber(body_, at.x);
        body_ += ' ';
        appendNumber(body_, at.y);
        body_ += ")\"";
    }
    body_ += " fill=\"" + colorText(run.color) + "\" xml:space=\"preserve\">";
    svg::appendText(body_, run.text);
    body_ += grouped ? "</text></g>\n" : "</text>\n";
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
    const bool grouped = !clip_.empty();
    if (grouped) {
        body_ += "<g";
        appendClip();
        body_ += '>';
    }
    body_ += "<image x=\"";
    appendNumber(body_, std::min(a.x, b.x));
    body_ += "\" y=\"";
    appendNumber(body_, std::min(a.y, b.y));
    body_ += "\" width=\"";
    appendNumber(body_, width);
    body_ += "\" height=\"";
    appendNumber(body_, height);
    body_ += "\" preserveAspectRatio=\"none\"";
    const bool mirrorX = b.x < a.x, mirrorY = b.y < a.y;
    if (mirrorX || mirrorY) {
        // Mirrors about the rectangle's centre.
        body_ += " transform=\"matrix(";
        body_ += mirrorX ? "-1 0 0 " : "1 0 0 ";
        body_ += mirrorY ? "-1 " : "1 ";
        appendNumber(body_, mirrorX ? a.x + b.x : 0);
        body_ += ' ';
        appendNumber(body_, mirrorY ? a.y + b.y : 0);
        body_ += ")\"";
    }
    body_ += " href=\"data:image/bmp;base64,";
    util::appendBase64(body_, bmp);
    body_ += grouped ? "\"/></g>\n" : "\"/>\n";
    ++elements_;
}

std::string SvgCanvas::finish(double x, double y, double width, double height, double widthPx,
                              double heightPx) const {
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    appendNumber(out, widthPx);
    out += "\" height=\"";
    appendNumber(out, heightPx);
    out += "\" viewBox=\"";
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += ' ';
    appendNumber(out, width);
    out += ' ';
    appendNumber(out, height);
    out += "\" preserveAspectRatio=\"none\" overflow=\"hidden\">\n";
    if (!defs_.empty())
        out += "<defs>" + defs_ + "</defs>\n";
    out += body_;
    out += "</svg>\n";
    return out;
}

} // namespace engine::metafile
