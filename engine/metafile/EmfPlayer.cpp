#include "engine/metafile/EmfPlayer.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/Dib.h"
#include "engine/metafile/Player.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine::metafile {
namespace {

// Record types of enhanced metafiles (MS-EMF 2.1.1).
enum : std::uint32_t {
    emrHeader = 1,
    emrPolyBezier = 2,
    emrPolygon = 3,
    emrPolyline = 4,
    emrPolyBezierTo = 5,
    emrPolylineTo = 6,
    emrPolyPolyline = 7,
    emrPolyPolygon = 8,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrEof = 14,
    emrSetMapMode = 17,
    emrSetBkMode = 18,
    emrSetPolyFillMode = 19,
    emrSetTextAlign = 22,
    emrSetTextColor = 24,
    emrSetBkColor = 25,
    emrMoveToEx = 27,
    emrIntersectClipRect = 30,
    emrScaleViewportExtEx = 31,
    emrScaleWindowExtEx = 32,
    emrSaveDc = 33,
    emrRestoreDc = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrArc = 45,
    emrChord = 46,
    emrPie = 47,
    emrLineTo = 54,
    emrArcTo = 55,
    emrSetArcDirection = 57,
    emrBeginPath = 59,
    emrEndPath = 60,
    emrCloseFigure = 61,
    emrFillPath = 62,
    emrStrokeAndFillPath = 63,
    emrStrokePath = 64,
    emrAbortPath = 68,
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrSetDiBitsToDevice = 80,
    emrStretchDiBits = 81,
    emrExtSelectClipRgn = 75,
    emrExtCreateFontIndirectW = 82,
    emrExtTextOutW = 84,
    emrPolyBezier16 = 85,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrPolyBezierTo16 = 88,
    emrPolylineTo16 = 89,
    emrPolyPolyline16 = 90,
    emrPolyPolygon16 = 91,
    emrCreateMonoBrush = 93,
    emrCreateDibPatternBrushPt = 94,
    emrExtCreatePen = 95,
};

constexpr std::uint32_t emfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t stockObject = 0x80000000;
constexpr std::uint32_t srcCopy = 0x00CC0020, patCopy = 0x00F00021, blackness = 0x00000042,
                        whiteness = 0x00FF0062;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    double width() const { return static_cast<double>(right) - left; }
    double height() const { return static_cast<double>(bottom) - top; }
};

Rect readRect(util::ByteCursor& in) {
    Rect r;
    r.left = in.i32();
    r.top = in.i32();
    r.right = in.i32();
    r.bottom = in.i32();
    return r;
}

float f32(util::ByteCursor& in) {
    const std::uint32_t bits = in.u32();
    float value;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0f;
}

void penShape(Pen& pen, std::uint32_t style) {
    const std::uint32_t cap = (style >> 8) & 0x0F, join = (style >> 12) & 0x0F;
    pen.cap = static_cast<std::uint8_t>(cap == 1 ? 1 : cap == 2 ? 2 : 0);
    pen.join = static_cast<std::uint8_t>(join == 1 ? 1 : join == 2 ? 2 : 0);
}

Brush logBrush(std::uint32_t style, ColorRef color, std::uint32_t hatch) {
    Brush brush;
    brush.color = color;
    brush.style = style == 1   ? Brush::Style::Null
                  : style == 2 ? Brush::Style::Hatched
                               : Brush::Style::Solid;
    brush.hatch = static_cast<std::uint8_t>(std::min<std::uint32_t>(hatch, 5));
    return brush;
}

class EmfPlayer : public Player {
public:
    Rendered play(std::span<const std::uint8_t> bytes);

private:
    Xform pageTransform() const override;
    void record(std::uint32_t type, util::ByteCursor& in, std::span<const std::uint8_t> body);
    std::vector<Point> points(util::ByteCursor& in, std::uint32_t count, bool small);
    void polyPoly(util::ByteCursor& in, bool small, bool closed);
    void createObject(std::uint32_t index, Object object);
    void selectStock(std::uint32_t index);
    void textOut(util::ByteCursor& in, std::span<const std::uint8_t> body);
    void stretchBits(std::span<const std::uint8_t> body, Point at, double width, double height,
                     std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                     std::uint32_t cbBits, std::uint32_t usage);

    std::vector<Object> objects_;
    double pixelsPerMmX_ = 3.78, pixelsPerMmY_ = 3.78;
};

Xform EmfPlayer::pageTransform() const {
    double sx = 1, sy = 1;
    switch (dc_.mapMode) {
    case 2: // 0.1 mm, y up
        sx = pixelsPerMmX_ / 10, sy = -pixelsPerMmY_ / 10;
        break;
    case 3: // 0.01 mm
        sx = pixelsPerMmX_ / 100, sy = -pixelsPerMmY_ / 100;
        break;
    case 4: // 0.01 inch
        sx = pixelsPerMmX_ * 0.254, sy = -pixelsPerMmY_ * 0.254;
        break;
    case 5: // 0.001 inch
        sx = pixelsPerMmX_ * 0.0254, sy = -pixelsPerMmY_ * 0.0254;
        break;
    case 6: // twips
        sx = pixelsPerMmX_ * 25.4 / 1440, sy = -pixelsPerMmY_ * 25.4 / 1440;
        break;
    case 7:   // isotropic: the smaller scale in both directions
    case 8: { // anisotropic
        const double wx = dc_.windowExt.x != 0 ? dc_.windowExt.x : 1;
        const double wy = dc_.windowExt.y != 0 ? dc_.windowExt.y : 1;
        sx = dc_.viewportExt.x / wx;
        sy = dc_.viewportExt.y / wy;
        if (dc_.mapMode == 7) {
            const double s = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    }
    default:
        break;
    }
    return {sx,
            0,
            0,
            sy,
            dc_.viewportOrg.x - dc_.windowOrg.x * sx,
            dc_.viewportOrg.y - dc_.windowOrg.y * sy};
}

std::vector<Point> EmfPlayer::points(util::ByteCursor& in, std::uint32_t count, bool small) {
    if (static_cast<std::uint64_t>(count) * (small ? 4 : 8) > in.remaining())
        in.fail(static_cast<std::size_t>(
            std::min<std::uint64_t>(std::uint64_t(count) * (small ? 4 : 8), SIZE_MAX)));
    std::vector<Point> out(count);
    for (Point& p : out) {
        if (small) {
            p.x = static_cast<std::int16_t>(in.u16());
            p.y = static_cast<std::int16_t>(in.u16());
        } else {
            p.x = in.i32();
            p.y = in.i32();
        }
    }
    return out;
}

void EmfPlayer::polyPoly(util::ByteCursor& in, bool small, bool closed) {
    const std::uint32_t figures = in.u32();
    const std::uint32_t total = in.u32();
    if (static_cast<std::uint64_t>(figures) * 4 > in.remaining())
        in.fail(in.remaining() + 1);
    std::vector<std::uint32_t> counts(figures);
    std::uint64_t sum = 0;
    for (auto& count : counts)
        sum += count = in.u32();
    if (sum != total)
        throw ReadError(ReadError::Kind::Damaged,
                        "poly-polygon record: the figures' point counts add up to " +
                            std::to_string(sum) + ", not the " + std::to_string(total) +
                            " it declares");
    const std::vector<Point> all = points(in, total, small);
    std::size_t start = 0;
    for (std::uint32_t count : counts) {
        polyline(std::span(all).subspan(start, count), closed);
        start += count;
    }
    finishShape(true, closed);
}

void EmfPlayer::createObject(std::uint32_t index, Object object) {
    if (index == 0 || index >= objects_.size())
        return; // index 0 is the metafile itself
    objects_[index] = std::move(object);
}

void EmfPlayer::selectStock(std::uint32_t index) {
    Brush brush;
    switch (index) {
    case 0: // white, light grey, grey, dark grey and black brushes
    case 1:
    case 2:
    case 3:
    case 4: {
        static constexpr ColorRef greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
        brush.color = greys[index];
        dc_.brush = brush;
        break;
    }
    case 5:
        brush.style = Brush::Style::Null;
        dc_.brush = brush;
        break;
    case 6:
    case 7:
        dc_.pen = Pen{Pen::Style::Solid, 0, index == 6 ? 0xFFFFFFu : 0u, 0, 0};
        break;
    case 8:
        dc_.pen.style = Pen::Style::Null;
        break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        dc_.font = Font{};
        break;
    default:
        break;
    }
}

void EmfPlayer::textOut(util::ByteCursor& in, std::span<const std::uint8_t> body) {
    in.skip(16); // bounds
    in.u32();    // graphics mode
    in.skip(8);  // scales of the compatible graphics mode
    Point reference{static_cast<double>(in.i32()), static_cast<double>(in.i32())};
    const std::uint32_t chars = in.u32();
    const std::uint32_t offString = in.u32();
    const std::uint32_t options = in.u32();
    const Rect box = readRect(in);
    const std::uint32_t offDx = in.u32();
    // Offsets count from the record's start, 8 bytes before its body.
    if (options & 2) // opaque: the rectangle is filled first
        if (box.right > box.left && box.bottom > box.top)
            fillRect({double(box.left), double(box.top)}, {double(box.right), double(box.bottom)},
                     dc_.backgroundColor);
    if (chars == 0)
        return;
    if (offString < 8 || offString - 8 > body.size() || chars > (body.size() - (offString - 8)) / 2)
        throw ReadError(ReadError::Kind::Damaged, "text record: its " + std::to_string(chars) +
                                                      " characters lie past the record's end");
    std::string utf8;
    util::appendUtf16le(utf8, body.subspan(offString - 8, std::size_t(chars) * 2));
    double advance = 0;
    const std::uint64_t dxBytes = std::uint64_t(chars) * ((options & 0x2000) ? 8 : 4);
    if (offDx >= 8 && offDx - 8 <= body.size() && dxBytes <= body.size() - (offDx - 8)) {
        const std::uint8_t* p = body.data() + (offDx - 8);
        const std::size_t step = (options & 0x2000) ? 8 : 4;
        for (std::uint32_t i = 0; i < chars; ++i)
            advance += static_cast<std::int32_t>(util::loadU32(p + i * step));
    }
    if (dc_.textAlign & 1)
        reference = dc_.position;
    text(reference, utf8, advance);
    if (dc_.textAlign & 1)
        dc_.position.x += advance;
}

void EmfPlayer::stretchBits(std::span<const std::uint8_t> body, Point at, double width,
                            double height, std::uint32_t offBmi, std::uint32_t cbBmi,
                            std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage) {
    // Offsets count from the record's start; palette-indexed colours cannot be resolved here.
    if (usage != 0 || offBmi < 8 || offBits < 8)
        return;
    const std::uint64_t bmiAt = offBmi - 8ull, bitsAt = offBits - 8ull;
    if (bmiAt + cbBmi > body.size() || bitsAt + cbBits > body.size())
        throw ReadError(ReadError::Kind::Damaged, "bitmap record: its bitmap lies past the "
                                                  "record's end");
    const auto bmp = bmpFromParts(body.subspan(bmiAt, cbBmi), body.subspan(bitsAt, cbBits));
    bitmap(at, width, height, bmp);
}

void EmfPlayer::record(std::uint32_t type, util::ByteCursor& in,
                       std::span<const std::uint8_t> body) {
    switch (type) {
    case emrPolyBezier:
    case emrPolyBezier16:
    case emrPolyBezierTo:
    case emrPolyBezierTo16: {
        const bool small = type == emrPolyBezier16 || type == emrPolyBezierTo16;
        const bool to = type == emrPolyBezierTo || type == emrPolyBezierTo16;
        in.skip(16);
        const auto pts = points(in, in.u32(), small);
        polyBezier(pts, to);
        finishShape(true, false);
        break;
    }
    case emrPolygon:
    case emrPolygon16:
    case emrPolyline:
    case emrPolyline16: {
        const bool small = type == emrPolygon16 || type == emrPolyline16;
        const bool closed = type == emrPolygon || type == emrPolygon16;
        in.skip(16);
        const auto pts = points(in, in.u32(), small);
        polyline(pts, closed);
        finishShape(true, closed);
        break;
    }
    case emrPolylineTo:
    case emrPolylineTo16: {
        in.skip(16);
        const auto pts = points(in, in.u32(), type == emrPolylineTo16);
        if (!inPath_ || canvas_.pathEmpty())
            canvas_.moveTo(map(dc_.position.x, dc_.position.y));
        for (const Point& p : pts)
            canvas_.lineTo(map(p.x, p.y));
        if (!pts.empty())
            dc_.position = pts.back();
        finishShape(true, false);
        break;
    }
    case emrPolyPolyline:
    case emrPolyPolyline16:
    case emrPolyPolygon:
    case emrPolyPolygon16:
        in.skip(16);
        polyPoly(in, type == emrPolyPolyline16 || type == emrPolyPolygon16,
                 type == emrPolyPolygon || type == emrPolyPolygon16);
        break;
    case emrSetWindowExtEx:
    case emrSetWindowOrgEx:
    case emrSetViewportExtEx:
    case emrSetViewportOrgEx: {
        const Point p{static_cast<double>(in.i32()), static_cast<double>(in.i32())};
        Point& target = type == emrSetWindowExtEx     ? dc_.windowExt
                        : type == emrSetWindowOrgEx   ? dc_.windowOrg
                        : type == emrSetViewportExtEx ? dc_.viewportExt
                                                      : dc_.viewportOrg;
        target = p;
        updateTransform();
        break;
    }
    case emrScaleViewportExtEx:
    case emrScaleWindowExtEx: {
        const double xNum = in.i32(), xDenom = in.i32(), yNum = in.i32(), yDenom = in.i32();
        if (xDenom != 0 && yDenom != 0) {
            Point& ext = type == emrScaleWindowExtEx ? dc_.windowExt : dc_.viewportExt;
            ext = {ext.x * xNum / xDenom, ext.y * yNum / yDenom};
            updateTransform();
        }
        break;
    }
    case emrSetMapMode:
        dc_.mapMode = in.u32();
        updateTransform();
        break;
    case emrSetPolyFillMode:
        dc_.winding = in.u32() == 2;
        break;
    case emrSetTextAlign:
        dc_.textAlign = in.u32();
        break;
    case emrSetTextColor:
        dc_.textColor = in.u32();
        break;
    case emrSetBkColor:
        dc_.backgroundColor = in.u32();
        break;
    case emrSetArcDirection:
        dc_.clockwise = in.u32() == 2;
        break;
    case emrMoveToEx: {
        const Point p{static_cast<double>(in.i32()), static_cast<double>(in.i32())};
        moveTo(p);
        break;
    }
    case emrLineTo: {
        const Point p{static_cast<double>(in.i32()), static_cast<double>(in.i32())};
        lineTo(p);
        break;
    }
    case emrIntersectClipRect: {
        const Rect r = readRect(in);
        intersectClip(r.left, r.top, r.right, r.bottom);
        break;
    }
    case emrExtSelectClipRgn: {
        // A region in device units: its bounding rectangle stands for it. Copying no region
        // removes the clip.
        const std::uint32_t size = in.u32(), mode = in.u32();
        if (size == 0) {
            if (mode == 5)
                resetClip();
        } else if (size >= 32 && (mode == 1 || mode == 5)) {
            in.skip(16);
            const Rect bound = readRect(in);
            const Point a{double(bound.left), double(bound.top)};
            const Point b{double(bound.right), double(bound.bottom)};
            if (mode == 5)
                setDeviceClip(a, b);
            else
                intersectDeviceClip(a, b);
        }
        break;
    }
    case emrSaveDc:
        saveContext();
        break;
    case emrRestoreDc:
        restoreContext(in.i32());
        break;
    case emrSetWorldTransform:
    case emrModifyWorldTransform: {
        Xform x;
        x.m11 = f32(in);
        x.m12 = f32(in);
        x.m21 = f32(in);
        x.m22 = f32(in);
        x.dx = f32(in);
        x.dy = f32(in);
        const std::uint32_t mode = type == emrSetWorldTransform ? 4 : in.u32();
        if (mode == 1)
            dc_.world = Xform{};
        else if (mode == 2)
            dc_.world = x.then(dc_.world);
        else if (mode == 3)
            dc_.world = dc_.world.then(x);
        else if (mode == 4)
            dc_.world = x;
        updateTransform();
        break;
    }
    case emrSelectObject: {
        const std::uint32_t index = in.u32();
        if (index & stockObject)
            selectStock(index & 0x7FFFFFFF);
        else if (index < objects_.size())
            selectObject(objects_[index]);
        break;
    }
    case emrDeleteObject: {
        const std::uint32_t index = in.u32();
        if (index < objects_.size())
            objects_[index] = std::monostate{};
        break;
    }
    case emrCreatePen: {
        const std::uint32_t index = in.u32();
        const std::uint32_t style = in.u32();
        Pen pen;
        pen.width = std::abs(in.i32());
        in.i32();
        pen.color = in.u32();
        pen.style = Pen::styleOf(style);
        penShape(pen, style);
        createObject(index, pen);
        break;
    }
    case emrExtCreatePen: {
        const std::uint32_t index = in.u32();
        in.skip(16); // the pattern bitmap's place
        const std::uint32_t style = in.u32();
        Pen pen;
        pen.width = in.u32() & 0x7FFFFFFF;
        const std::uint32_t brushStyle = in.u32();
        pen.color = in.u32();
        pen.style = brushStyle == 1 ? Pen::Style::Null : Pen::styleOf(style);
        penShape(pen, style);
        createObject(index, pen);
        break;
    }
    case emrCreateBrushIndirect: {
        const std::uint32_t index = in.u32();
        const std::uint32_t style = in.u32();
        const ColorRef color = in.u32();
        const std::uint32_t hatch = in.u32();
        createObject(index, logBrush(style, color, hatch));
        break;
    }
    case emrCreateMonoBrush:
    case emrCreateDibPatternBrushPt: {
        // Pattern brushes are shown as the grey their pattern averages to, most often.
        Brush brush;
        brush.color = 0x808080;
        createObject(in.u32(), brush);
        break;
    }
    case emrExtCreateFontIndirectW: {
        const std::uint32_t index = in.u32();
        Font font;
        font.height = in.i32();
        in.i32(); // width
        font.escapement = in.i32();
        in.i32(); // orientation
        font.weight = in.i32();
        font.italic = in.u8() != 0;
        font.underline = in.u8() != 0;
        font.strikeOut = in.u8() != 0;
        in.skip(5);
        const auto face = in.bytes(std::min<std::size_t>(64, in.remaining()));
        std::size_t n = 0;
        while (n + 1 < face.size() && (face[n] | face[n + 1]) != 0)
            n += 2;
        util::appendUtf16le(font.face, face.first(n));
        createObject(index, font);
        break;
    }
    case emrRectangle:
    case emrEllipse: {
        const Rect r = readRect(in);
        if (type == emrRectangle)
            rectangle(r.left, r.top, r.right, r.bottom);
        else
            ellipse(r.left, r.top, r.right, r.bottom);
        finishShape(true, true);
        break;
    }
    case emrRoundRect: {
        const Rect r = readRect(in);
        const double w = in.i32(), h = in.i32();
        roundRect(r.left, r.top, r.right, r.bottom, w, h);
        finishShape(true, true);
        break;
    }
    case emrArc:
    case emrChord:
    case emrPie:
    case emrArcTo: {
        const Rect r = readRect(in);
        const Point start{double(in.i32()), double(in.i32())};
        const Point end{double(in.i32()), double(in.i32())};
        const ArcKind kind = type == emrArc     ? ArcKind::Arc
                             : type == emrChord ? ArcKind::Chord
                             : type == emrPie   ? ArcKind::Pie
                                                : ArcKind::ArcTo;
        arc(kind, r.left, r.top, r.right, r.bottom, start, end);
        break;
    }
    case emrBeginPath:
        beginPath();
        break;
    case emrEndPath:
        endPath();
        break;
    case emrCloseFigure:
        closeFigure();
        break;
    case emrAbortPath:
        abortPath();
        break;
    case emrFillPath:
        drawOpenPath(false, true);
        break;
    case emrStrokePath:
        drawOpenPath(true, false);
        break;
    case emrStrokeAndFillPath:
        drawOpenPath(true, true);
        break;
    case emrExtTextOutW:
        textOut(in, body);
        break;
    case emrBitBlt:
    case emrStretchBlt: {
        in.skip(16);
        const double x = in.i32(), y = in.i32(), cx = in.i32(), cy = in.i32();
        const std::uint32_t rop = in.u32();
        in.skip(8 + 24 + 4); // source origin, its transform and background colour
        const std::uint32_t usage = in.u32();
        const std::uint32_t offBmi = in.u32(), cbBmi = in.u32();
        const std::uint32_t offBits = in.u32(), cbBits = in.u32();
        if (cbBmi == 0) {
            // No source bitmap: the destination is painted by the raster operation alone.
            if (rop == patCopy && dc_.brush.style != Brush::Style::Null)
                fillRect({x, y}, {x + cx, y + cy}, dc_.brush.color);
            else if (rop == blackness || rop == whiteness)
                fillRect({x, y}, {x + cx, y + cy}, rop == blackness ? 0 : 0xFFFFFF);
        } else if (rop == srcCopy) {
            stretchBits(body, {x, y}, cx, cy, offBmi, cbBmi, offBits, cbBits, usage);
        }
        break;
    }
    case emrStretchDiBits: {
        in.skip(16);
        const double x = in.i32(), y = in.i32();
        in.skip(16); // the source rectangle: the whole bitmap is shown
        const std::uint32_t offBmi = in.u32(), cbBmi = in.u32();
        const std::uint32_t offBits = in.u32(), cbBits = in.u32();
        const std::uint32_t usage = in.u32(), rop = in.u32();
        const double cx = in.i32(), cy = in.i32();
        if (rop == srcCopy && cbBmi > 0)
            stretchBits(body, {x, y}, cx, cy, offBmi, cbBmi, offBits, cbBits, usage);
        break;
    }
    case emrSetDiBitsToDevice: {
        in.skip(16);
        const double x = in.i32(), y = in.i32();
        in.skip(8);
        const double cx = in.i32(), cy = in.i32();
        const std::uint32_t offBmi = in.u32(), cbBmi = in.u32();
        const std::uint32_t offBits = in.u32(), cbBits = in.u32();
        const std::uint32_t usage = in.u32();
        if (cbBmi > 0)
            stretchBits(body, {x, y}, cx, cy, offBmi, cbBmi, offBits, cbBits, usage);
        break;
    }
    default:
        // Clipping by paths and excluded rectangles, palettes, comments (EMF+ among them: its
        // records always come with these plain ones as their fallback) and the rarer drawing
        // records are not needed to show what a picture shows.
        break;
    }
}

Rendered EmfPlayer::play(std::span<const std::uint8_t> bytes) {
    util::ByteCursor header(bytes, "EMF header");
    if (bytes.size() < 88 || util::loadU32(bytes.data()) != emrHeader ||
        util::loadU32(bytes.data() + 40) != emfSignature)
        throw ReadError(ReadError::Kind::Damaged,
                        "EMF header at offset 0x0: expected a header record with the \" EMF\" "
                        "signature");
    header.skip(8);
    const Rect bounds = readRect(header);
    const Rect frame = readRect(header);
    header.skip(16); // signature, version, size, record count
    const std::uint32_t handles = header.u16();
    header.skip(14);
    const std::int32_t deviceX = header.i32(), deviceY = header.i32();
    const std::int32_t millimetresX = header.i32(), millimetresY = header.i32();
    if (deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0) {
        pixelsPerMmX_ = static_cast<double>(deviceX) / millimetresX;
        pixelsPerMmY_ = static_cast<double>(deviceY) / millimetresY;
    }
    objects_.resize(std::clamp<std::size_t>(handles, 1, limits::maxMetafileObjects));
    updateTransform();

    Rendered result;
    std::size_t offset = util::loadU32(bytes.data() + 4);
    std::size_t count = 0;
    try {
        while (offset < bytes.size()) {
            if (bytes.size() - offset < 8)
                throw ReadError(ReadError::Kind::Damaged,
                                "EMF record at offset " + util::hexOffset(offset) +
                                    ": expected 8 bytes of record header, found " +
                                    std::to_string(bytes.size() - offset));
            const std::uint32_t type = util::loadU32(bytes.data() + offset);
            const std::uint32_t size = util::loadU32(bytes.data() + offset + 4);
            if (size < 8 || size > bytes.size() - offset)
                throw ReadError(ReadError::Kind::Damaged,
                                "EMF record at offset " + util::hexOffset(offset) + ": declares " +
                                    std::to_string(size) + " bytes, " +
                                    std::to_string(bytes.size() - offset) + " remain");
            if (type == emrEof)
                break;
            if (++count > limits::maxMetafileRecords) {
                result.stoppedEarly =
                    "more than " + std::to_string(limits::maxMetafileRecords) + " records";
                break;
            }
            if (canvas_.full()) {
                result.stoppedEarly = "the picture's drawing grew past its limit";
                break;
            }
            const auto body = bytes.subspan(offset + 8, size - 8);
            util::ByteCursor in(body, "EMF record", offset + 8);
            record(type, in, body);
            offset += size;
        }
    } catch (const ReadError& error) {
        result.stoppedEarly = error.detail();
    }

    // The picture's extent: its bounds in device units, or its frame (hundredths of a
    // millimetre) where the bounds are empty, as some writers leave them.
    double x = bounds.left, y = bounds.top, w = bounds.width() + 1, h = bounds.height() + 1;
    const bool frameUsable = frame.width() > 0 && frame.height() > 0;
    if (!(bounds.width() > 0 && bounds.height() > 0) && frameUsable) {
        x = frame.left * pixelsPerMmX_ / 100;
        y = frame.top * pixelsPerMmY_ / 100;
        w = frame.width() * pixelsPerMmX_ / 100;
        h = frame.height() * pixelsPerMmY_ / 100;
    }
    if (!(w > 0 && h > 0))
        w = h = 1;
    double widthPx = frameUsable ? frame.width() / 2540.0 * 96 : w / pixelsPerMmX_ / 25.4 * 96;
    double heightPx = frameUsable ? frame.height() / 2540.0 * 96 : h / pixelsPerMmY_ / 25.4 * 96;
    widthPx = std::clamp(widthPx, 1.0, 20000.0);
    heightPx = std::clamp(heightPx, 1.0, 20000.0);
    result.svg = canvas_.finish(x, y, w, h, widthPx, heightPx);
    result.widthPt = widthPx * 0.75;
    result.heightPt = heightPx * 0.75;
    result.elements = canvas_.elements();
    return result;
}

} // namespace

Rendered playEmf(std::span<const std::uint8_t> bytes) {
    EmfPlayer player;
    return player.play(bytes);
}

} // namespace engine::metafile
