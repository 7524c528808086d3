#pragma once
// Writes the SVG of a played metafile: paths, texts and bitmaps in the metafile's device
// coordinates, with only the elements and attributes written here, so that nothing from the
// file can reach the page as markup or script.

#include "engine/metafile/GdiState.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace engine::metafile {

// How a path's outline is drawn, in device units.
struct Stroke {
    ColorRef color = 0;
    double width = 1;
    Pen::Style style = Pen::Style::Solid;
    std::uint8_t cap = 0, join = 0;
};

struct Fill {
    ColorRef color = 0;
    bool winding = false;
    bool hatched = false;
    std::uint8_t hatch = 0;
};

struct TextRun {
    Point at;                // device position of the reference point
    std::string text;        // UTF-8
    double size = 12;        // device units
    double angle = 0;        // degrees, counter-clockwise
    double length = 0;       // the run's advance in device units, 0 when unknown
    std::uint32_t align = 0; // the metafile's text alignment flags
    const Font* font = nullptr;
    ColorRef color = 0;
};

class SvgCanvas {
public:
    // Drawing stops once the SVG reaches `maxBytes`; `full()` says so.
    explicit SvgCanvas(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // The path being built, in device coordinates.
    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point c1, Point c2, Point p);
    void closeFigure();
    bool pathEmpty() const { return path_.empty(); }
    void discardPath() { path_.clear(); }
    // Draws the path built so far and starts a new one; a null stroke or fill leaves it out.
    void drawPath(const Stroke* stroke, const Fill* fill);

    void text(const TextRun& run);
    // A bitmap (a complete BMP file) in the device rectangle from `a` to `b`; a rectangle whose
    // corners are swapped mirrors the bitmap.
    void image(Point a, Point b, std::span<const std::uint8_t> bmp);

    // The drawing and the path being built together.
    // Elements drawn from now on are clipped to the device rectangle from `a` to `b`; none
    // clears the clip.
    void clipTo(Point a, Point b);
    void clearClip() { clip_.clear(); }

    // The smallest rectangle holding every point drawn so far; false when nothing was drawn.
    bool extent(Point& from, Point& to) const;

    bool full() const { return stopped_ || body_.size() + path_.size() >= maxBytes_; }
    std::size_t elements() const { return elements_; }

    // The whole document: `viewBox` in device units, shown at `widthPx` x `heightPx`.
    std::string finish(double x, double y, double width, double height, double widthPx,
                       double heightPx) const;

private:
    void appendPoint(Point p);
    void include(Point p);
    std::string hatchPattern(const Fill& fill);
    void appendClip();

    std::size_t maxBytes_;
    std::string body_, defs_, path_;
    std::map<std::pair<std::uint8_t, ColorRef>, std::string> patterns_;
    std::map<std::string, std::string> clips_; // rectangle to id
    std::string clip_;                         // the id of the current clip, empty for none
    std::size_t elements_ = 0;
    Point from_{}, to_{};
    bool drawn_ = false;
    bool stopped_ = false; // once full, nothing more is drawn, however much is discarded
};

} // namespace engine::metafile
