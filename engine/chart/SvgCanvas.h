#pragma once
// Writing SVG shapes and texts into a string, with coordinates in tenths of a pixel.

#include "engine/model/Chart.h"
#include "engine/model/Style.h"
#include "engine/svg/SvgWriter.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace engine::chart {

enum class TextAnchor : std::uint8_t { Start, Middle, End };

// How a text is drawn beyond its size and colour.
struct TextLook {
    double sizePx = 12;
    std::uint32_t fill = 0x595959;
    bool bold = false, italic = false;
    std::string_view family; // empty: the drawing's
    double rotate = 0;       // degrees clockwise around the text's anchor point
};

class SvgCanvas {
public:
    explicit SvgCanvas(std::string& out) : out_(out), writer_(out, 1) {}

    // Sets what the ids of definitions start with: something that tells this drawing apart
    // from the others of its page.
    void setIdPrefix(std::string prefix) { idPrefix_ = std::move(prefix); }

    // A number as SVG writes it: rounded to a tenth, without a needless ".0".
    void number(double value);
    // "#RRGGBB".
    void color(std::uint32_t rgb);

    void rect(double x, double y, double width, double height, std::uint32_t fill);
    void frame(double x, double y, double width, double height, std::uint32_t stroke,
               bool dashed = false);
    // The outline of an area as `line` says; nothing for an automatic or absent line.
    void outline(double x, double y, double width, double height, const ChartLine& line);
    void line(double x1, double y1, double x2, double y2, std::uint32_t stroke,
              double strokeWidth = 1);
    // Text escaped and cut to a sane length; `sizePx` its font size; `y` its baseline.
    void text(double x, double y, std::string_view text, double sizePx, TextAnchor anchor,
              std::uint32_t fill = 0x595959, bool bold = false);
    void text(double x, double y, std::string_view text, const TextLook& look, TextAnchor anchor);
    // An SVG paint for `fill`: "none", its colour, or a gradient it defines on the spot (once
    // per drawing) under an id made of its content and the id prefix; `fallback` for an
    // automatic fill. Called before the element that uses it is begun.
    std::string paint(const ChartFill& fill, std::uint32_t fallback);
    void rect(double x, double y, double width, double height, std::string_view paint);
    // Opens a <path d="..."> whose data the caller appends with moveTo/lineTo...; end with
    // endPath.
    void beginPath();
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    // A circular arc; `clockwise` in screen coordinates (y pointing down).
    void arcTo(double radius, bool largeArc, bool clockwise, double x, double y);
    void close() { out_ += 'Z'; }
    void endPath(std::uint32_t fill, bool filled, std::uint32_t stroke, double strokeWidth,
                 bool evenOdd = false);
    void endPath(std::string_view paint);
    void raw(std::string_view markup) { out_ += markup; }
    // <g class="..."> around a part of the chart (a series, an axis, the legend).
    void group(std::string_view className) {
        out_ += "<g class=\"";
        out_ += className;
        out_ += "\">";
    }
    void endGroup() { out_ += "</g>"; }

private:
    // Opens a <rect> with its position and size.
    svg::Writer& box(double x, double y, double width, double height);

    std::string& out_;
    svg::Writer writer_;
    std::string idPrefix_ = "qm";
    std::set<std::string> defined_;
};

// An estimate of the width of `text` in pixels at `sizePx`, for laying out labels.
double textWidth(std::string_view text, double sizePx);

} // namespace engine::chart
