#include "engine/metafile/PictPlayer.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/PictBitmap.h"
#include "engine/metafile/PictReader.h"
#include "engine/metafile/Player.h"
#include "engine/metafile/SvgCanvas.h"
#include "engine/util/Text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace engine::metafile {
namespace {

// Opcodes of version 2 PICT pictures.
constexpr std::uint16_t opClip = 0x0001, opTxFace = 0x0004, opPnSize = 0x0007, opOvSize = 0x000B,
                        opOrigin = 0x000C, opTxSize = 0x000D, opVersion = 0x0011, opRgbFg = 0x001A,
                        opRgbBk = 0x001B, opLine = 0x0020, opLineFrom = 0x0021,
                        opShortLine = 0x0022, opShortLineFrom = 0x0023, opLongText = 0x0028,
                        opDhText = 0x0029, opDvText = 0x002A, opDhDvText = 0x002B, opEnd = 0x00FF,
                        opHeader = 0x0C00;

struct Rect {
    double top = 0, left = 0, bottom = 0, right = 0;
};

ColorRef colorRef(std::uint16_t r, std::uint16_t g, std::uint16_t b) {
    // 16-bit channels; the metafile colours are 0x00BBGGRR.
    return static_cast<ColorRef>((b >> 8) << 16 | (g >> 8) << 8 | (r >> 8));
}

using Reader = PictReader;

class PictPlayer {
public:
    PictPlayer(std::span<const std::uint8_t> bytes, std::size_t start)
        : bytes_(bytes), in_(bytes, start), canvas_(limits::maxMetafileSvgBytes), start_(start) {}

    Rendered play() {
        in_.skip(2); // the picture's size, truncated to 16 bits: of no use
        frame_ = rect();
        if (in_.u16() != opVersion || in_.u16() != 0x02FF)
            throw ReadError(ReadError::Kind::Damaged,
                            "PICT picture: expected the version 2 opcode after the frame");
        header();
        // Every coordinate is taken relative to the drawing space's corner, so the SVG's view
        // box starts at 0,0 wherever the picture was drawn.
        originH_ = space_.left;
        originV_ = space_.top;
        Rendered out;
        try {
            run(out);
        } catch (const ReadError& error) {
            out.stoppedEarly = error.what();
        }
        const double width = std::max(frame_.right - frame_.left, 1.0);
        const double height = std::max(frame_.bottom - frame_.top, 1.0);
        const double spaceWidth = std::max(space_.right - space_.left, 1.0);
        const double spaceHeight = std::max(space_.bottom - space_.top, 1.0);
        if (canvas_.elements() == 0)
            placeholder(spaceWidth, spaceHeight, width, height);
        // The frame is in points at 72 per inch; the page shows them at 96.
        out.widthPt = width;
        out.heightPt = height;
        out.elements = canvas_.elements();
        out.svg = canvas_.finish(0, 0, spaceWidth, spaceHeight, width * 4 / 3, height * 4 / 3);
        return out;
    }

private:
    // The header opcode of a version 2 picture. An extended header names the rectangle the
    // opcodes draw in at the picture's own resolution, which may differ from the frame (a
    // 300 dpi picture, or one drawn away from 0,0); without one they draw in the frame.
    void header() {
        space_ = frame_;
        const std::size_t at = in_.position();
        if (in_.remaining() < 2 + 24)
            return;
        if (in_.u16() != opHeader) {
            in_ = Reader(bytes_, at); // an older picture: the opcodes start right here
            return;
        }
        if (in_.i16() != -2) {
            in_.skip(22);
            return;
        }
        in_.skip(2 + 8); // reserved, then the resolutions the space's size already carries
        const Rect source = rect();
        in_.skip(4);
        if (source.right > source.left && source.bottom > source.top)
            space_ = source;
    }

    Rect rect() {
        Rect r;
        r.top = in_.i16();
        r.left = in_.i16();
        r.bottom = in_.i16();
        r.right = in_.i16();
        return r;
    }

    Point point() {
        const double v = in_.i16();
        const double h = in_.i16();
        return {h - originH_, v - originV_};
    }

    Rect shifted(Rect r) const {
        r.left -= originH_;
        r.right -= originH_;
        r.top -= originV_;
        r.bottom -= originV_;
        return r;
    }

    void run(Rendered& out) {
        for (std::size_t count = 0; count < limits::maxMetafileRecords && !canvas_.full();
             ++count) {
            in_.alignEven(start_);
            const std::uint16_t op = in_.u16();
            if (op == opEnd)
                return;
            if (!opcode(op)) {
                out.stoppedEarly = "opcode " + std::to_string(op) + " is not drawn";
                return;
            }
        }
        if (canvas_.full())
            out.stoppedEarly = "the drawing reached its size limit";
    }

    // Plays or skips one opcode; false for one whose size cannot be known without reading it.
    bool opcode(std::uint16_t op) {
        switch (op) {
        case 0x0000:
        case 0x001C:
        case 0x001E:
            return true;
        case opClip: {
            const std::uint16_t size = in_.u16();
            in_.skip(size >= 2 ? size - 2u : 0u);
            return true;
        }
        case 0x0002:
        case 0x0009:
        case 0x000A:
        case 0x0010:
            in_.skip(8);
            return true;
        case 0x0003:
        case 0x0005:
        case 0x0008:
        case 0x0015:
        case 0x0016:
        case 0x00A0:
            in_.skip(2);
            return true;
        case opTxFace:
            face_ = in_.u8();
            return true;
        case 0x0006:
        case 0x000E:
        case 0x000F:
            in_.skip(4);
            return true;
        case opPnSize: {
            const double v = in_.i16(), h = in_.i16();
            pen_ = std::clamp((v + h) / 2, 0.0, 100.0);
            return true;
        }
        case opOvSize:
            ovalV_ = in_.i16();
            ovalH_ = in_.i16();
            return true;
        case opOrigin:
            originH_ += in_.i16();
            originV_ += in_.i16();
            return true;
        case opTxSize:
            textSize_ = std::clamp<double>(in_.u16(), 1, 500);
            return true;
        case opVersion:
            in_.skip(2);
            return true;
        case opRgbFg:
        case opRgbBk:
        case 0x001D:
        case 0x001F: {
            const std::uint16_t r = in_.u16(), g = in_.u16(), b = in_.u16();
            if (op == opRgbFg)
                fore_ = colorRef(r, g, b);
            else if (op == opRgbBk)
                back_ = colorRef(r, g, b);
            return true;
        }
        case opLine: {
            const Point from = point();
            line(from, point());
            return true;
        }
        case opLineFrom:
            line(penAt_, point());
            return true;
        case opShortLine: {
            const Point from = point();
            const double dh = static_cast<std::int8_t>(in_.u8());
            const double dv = static_cast<std::int8_t>(in_.u8());
            line(from, {from.x + dh, from.y + dv});
            return true;
        }
        case opShortLineFrom: {
            const double dh = static_cast<std::int8_t>(in_.u8());
            const double dv = static_cast<std::int8_t>(in_.u8());
            line(penAt_, {penAt_.x + dh, penAt_.y + dv});
            return true;
        }
        case opLongText:
            textAt_ = point();
            text();
            return true;
        case opDhText:
            textAt_.x += in_.u8();
            text();
            return true;
        case opDvText:
            textAt_.y += in_.u8();
            text();
            return true;
        case opDhDvText:
            textAt_.x += in_.u8();
            textAt_.y += in_.u8();
            text();
            return true;
        case 0x00A1: {
            in_.skip(2);
            in_.skip(in_.u16());
            return true;
        }
        default:
            break;
        }
        if (op >= 0x0030 && op <= 0x005F) {
            shape(op);
            return true;
        }
        if (op >= 0x0060 && op <= 0x006F) {
            if (op <= 0x0067)
                lastRect_ = shifted(rect());
            const double start = in_.i16(), angle = in_.i16();
            arc(op & 7, start, angle);
            return true;
        }
        if (op >= 0x0070 && op <= 0x0077) {
            polygon(op & 7);
            return true;
        }
        if ((op >= 0x0078 && op <= 0x007F) || (op >= 0x0088 && op <= 0x008F) ||
            (op >= 0x00B0 && op <= 0x00CF) || (op >= 0x8000 && op <= 0x80FF))
            return true; // the same shape again, or reserved without data: nothing new drawn
        if (op >= 0x0080 && op <= 0x0084) {
            region(op & 7);
            return true;
        }
        if (isPictBitmapOpcode(op)) {
            const PictBitmap bitmap = readPictBitmap(in_, op, fore_, back_);
            canvas_.image({bitmap.left - originH_, bitmap.top - originV_},
                          {bitmap.right - originH_, bitmap.bottom - originV_}, bitmap.bmp);
            return true;
        }
        if ((op >= 0x0024 && op <= 0x0027) || (op >= 0x002C && op <= 0x002F) ||
            (op >= 0x0085 && op <= 0x0087) || (op >= 0x0092 && op <= 0x0097) ||
            (op >= 0x009C && op <= 0x009F) || (op >= 0x00A2 && op <= 0x00AF)) {
            const std::uint16_t size = in_.u16();
            // Regions count their own size word.
            in_.skip(op >= 0x0085 && op <= 0x0087 ? (size >= 2 ? size - 2u : 0u) : size);
            return true;
        }
        if ((op >= 0x00D0 && op <= 0x00FE) || op >= 0x8100) {
            in_.skip(in_.u32());
            return true;
        }
        if (op >= 0x0100 && op <= 0x7FFF) {
            // The header opcode and the reserved ones carry twice their high byte in bytes.
            in_.skip(static_cast<std::size_t>(op >> 8) * 2);
            return true;
        }
        // Bitmaps and pixel patterns: their size is only known by decoding them.
        return false;
    }

    Stroke stroke() const {
        Stroke s;
        s.color = fore_;
        s.width = std::max(pen_, 1.0);
        return s;
    }

    void line(Point from, Point to) {
        penAt_ = to;
        if (pen_ <= 0)
            return;
        const Stroke s = stroke();
        canvas_.moveTo(from);
        canvas_.lineTo(to);
        canvas_.drawPath(&s, nullptr);
    }

    // Draws the path built as verb `verb`: 0 frame, 1 paint, 2 erase, 3 invert, 4 fill.
    void draw(int verb) {
        if (verb == 3 || verb > 4) {
            canvas_.discardPath();
            return;
        }
        Fill fill;
        fill.color = verb == 2 ? back_ : fore_;
        fill.winding = true;
        const Stroke s = stroke();
        if (verb == 0) {
            if (pen_ > 0)
                canvas_.drawPath(&s, nullptr);
            else
                canvas_.discardPath();
        } else {
            canvas_.drawPath(nullptr, &fill);
        }
    }

    void shape(std::uint16_t op) {
        const int verb = op & 7;
        const bool same = (op & 0x08) != 0;
        if (!same)
            lastRect_ = shifted(rect());
        const Rect r = lastRect_;
        const int kind = (op - 0x0030) >> 4; // 0 rectangle, 1 rounded, 2 oval
        if (kind == 0) {
            canvas_.moveTo({r.left, r.top});
            canvas_.lineTo({r.right, r.top});
            canvas_.lineTo({r.right, r.bottom});
            canvas_.lineTo({r.left, r.bottom});
            canvas_.closeFigure();
        } else {
            const double rx = kind == 2 ? (r.right - r.left) / 2
                                        : std::min(std::abs(ovalH_) / 2, (r.right - r.left) / 2);
            const double ry = kind == 2 ? (r.bottom - r.top) / 2
                                        : std::min(std::abs(ovalV_) / 2, (r.bottom - r.top) / 2);
            roundedRect(r, rx, ry);
        }
        draw(verb);
    }

    // A rectangle with elliptic corners of radii rx, ry (an oval when they are half its sides).
    void roundedRect(const Rect& r, double rx, double ry) {
        constexpr double k = 0.5522847498; // Bezier handle length of a quarter circle
        canvas_.moveTo({r.left + rx, r.top});
        canvas_.lineTo({r.right - rx, r.top});
        canvas_.curveTo({r.right - rx + rx * k, r.top}, {r.right, r.top + ry - ry * k},
                        {r.right, r.top + ry});
        canvas_.lineTo({r.right, r.bottom - ry});
        canvas_.curveTo({r.right, r.bottom - ry + ry * k}, {r.right - rx + rx * k, r.bottom},
                        {r.right - rx, r.bottom});
        canvas_.lineTo({r.left + rx, r.bottom});
        canvas_.curveTo({r.left + rx - rx * k, r.bottom}, {r.left, r.bottom - ry + ry * k},
                        {r.left, r.bottom - ry});
        canvas_.lineTo({r.left, r.top + ry});
        canvas_.curveTo({r.left, r.top + ry - ry * k}, {r.left + rx - rx * k, r.top},
                        {r.left + rx, r.top});
        canvas_.closeFigure();
    }

    // An arc of the oval in lastRect_: angles in degrees clockwise from twelve o'clock.
    void arc(int verb, double start, double angle) {
        const Rect& r = lastRect_;
        const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const double rx = (r.right - r.left) / 2, ry = (r.bottom - r.top) / 2;
        const auto at = [&](double degrees) {
            const double radians = degrees * std::numbers::pi / 180;
            return Point{cx + rx * std::sin(radians), cy - ry * std::cos(radians)};
        };
        angle = std::clamp(angle, -360.0, 360.0);
        const int steps = std::max(2, static_cast<int>(std::abs(angle) / 10));
        if (verb != 0)
            canvas_.moveTo({cx, cy});
        for (int i = 0; i <= steps; ++i) {
            const Point p = at(start + angle * i / steps);
            if (i == 0 && verb == 0)
                canvas_.moveTo(p);
            else
                canvas_.lineTo(p);
        }
        if (verb != 0)
            canvas_.closeFigure();
        draw(verb);
    }

    // A region drawn as its bounding rectangle, which it is for the simple regions pictures
    // mostly hold; the scan lines of a complex one are passed over.
    void region(int verb) {
        const std::uint16_t size = in_.u16();
        if (size < 10)
            throw ReadError(ReadError::Kind::Damaged, "PICT picture: a region too small");
        const Rect r = shifted(rect());
        in_.skip(size - 10u);
        canvas_.moveTo({r.left, r.top});
        canvas_.lineTo({r.right, r.top});
        canvas_.lineTo({r.right, r.bottom});
        canvas_.lineTo({r.left, r.bottom});
        canvas_.closeFigure();
        draw(verb);
    }

    void polygon(int verb) {
        const std::uint16_t size = in_.u16();
        if (size < 10)
            throw ReadError(ReadError::Kind::Damaged, "PICT picture: a polygon too small");
        in_.skip(8); // its bounds
        const std::size_t points = std::min<std::size_t>((size - 10) / 4, limits::maxPolygonPoints);
        for (std::size_t i = 0; i < points; ++i) {
            const Point p = point();
            if (i == 0)
                canvas_.moveTo(p);
            else
                canvas_.lineTo(p);
        }
        in_.skip((size - 10) - points * 4);
        if (verb != 0)
            canvas_.closeFigure();
        draw(verb);
    }

    void text() {
        const std::uint8_t count = in_.u8();
        const auto bytes = in_.bytes(count);
        TextRun run;
        // Text in the Mac's own encoding: its ASCII half is shared with Latin-1.
        util::appendLatin1(run.text, bytes);
        run.at = textAt_;
        run.size = textSize_;
        run.color = fore_;
        font_.weight = (face_ & 0x01) ? 700 : 400;
        font_.italic = (face_ & 0x02) != 0;
        font_.underline = (face_ & 0x04) != 0;
        run.font = &font_;
        run.align = 0x18; // on the baseline, from the left
        canvas_.text(run);
    }

    // A dashed frame over the drawing space (`width` x `height` from 0,0) naming the picture's
    // size in points.
    void placeholder(double width, double height, double widthPt, double heightPt) {
        Stroke s;
        s.color = 0x808080;
        s.width = std::max(std::min(width, height) / 100, 0.5);
        s.style = Pen::Style::Dash;
        canvas_.moveTo({s.width, s.width});
        canvas_.lineTo({width - s.width, s.width});
        canvas_.lineTo({width - s.width, height - s.width});
        canvas_.lineTo({s.width, height - s.width});
        canvas_.closeFigure();
        canvas_.drawPath(&s, nullptr);
        TextRun run;
        run.text = "Picture " + std::to_string(static_cast<long>(std::lround(widthPt))) + " x " +
                   std::to_string(static_cast<long>(std::lround(heightPt))) + " pt";
        run.size = std::clamp(std::min(width / 8, height / 3), 4.0, 24.0);
        run.at = {width / 2, height / 2 + run.size / 3};
        run.color = 0x606060;
        run.align = 0x18 | 0x06; // centred on the baseline
        canvas_.text(run);
    }

    std::span<const std::uint8_t> bytes_;
    Reader in_;
    SvgCanvas canvas_;
    std::size_t start_ = 0;
    Rect frame_, space_, lastRect_;
    Point penAt_, textAt_;
    double originH_ = 0, originV_ = 0;
    double pen_ = 1, ovalH_ = 0, ovalV_ = 0, textSize_ = 12;
    std::uint8_t face_ = 0;
    ColorRef fore_ = 0x000000, back_ = 0xFFFFFF;
    Font font_;
};

bool looksLikePict(std::span<const std::uint8_t> bytes, std::size_t at) {
    return bytes.size() >= at + 14 && bytes[at + 10] == 0x00 && bytes[at + 11] == 0x11 &&
           bytes[at + 12] == 0x02 && bytes[at + 13] == 0xFF;
}

} // namespace

std::size_t pictStart(std::span<const std::uint8_t> bytes) {
    if (looksLikePict(bytes, 0))
        return 0;
    if (looksLikePict(bytes, 512))
        return 512;
    return static_cast<std::size_t>(-1);
}

Rendered playPict(std::span<const std::uint8_t> bytes) {
    const std::size_t start = pictStart(bytes);
    if (start == static_cast<std::size_t>(-1))
        throw ReadError(ReadError::Kind::Damaged,
                        "picture at offset 0x0: expected the header of a version 2 PICT");
    PictPlayer player(bytes, start);
    return player.play();
}

} // namespace engine::metafile
