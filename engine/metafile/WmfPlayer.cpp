#include "engine/metafile/WmfPlayer.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/Dib.h"
#include "engine/metafile/Player.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace engine::metafile {
namespace {

// Record functions of Windows metafiles (MS-WMF 2.1.1.1).
enum : std::uint16_t {
    metaEof = 0x0000,
    metaSetBkColor = 0x0201,
    metaSetMapMode = 0x0103,
    metaSetPolyFillMode = 0x0106,
    metaSetTextColor = 0x0209,
    metaSetWindowOrg = 0x020B,
    metaSetWindowExt = 0x020C,
    metaOffsetWindowOrg = 0x020F,
    metaScaleWindowExt = 0x0410,
    metaLineTo = 0x0213,
    metaMoveTo = 0x0214,
    metaArc = 0x0817,
    metaEllipse = 0x0418,
    metaPie = 0x081A,
    metaRectangle = 0x041B,
    metaIntersectClipRect = 0x0416,
    metaSelectClipRegion = 0x012C,
    metaRoundRect = 0x061C,
    metaPatBlt = 0x061D,
    metaSaveDc = 0x001E,
    metaTextOut = 0x0521,
    metaPolygon = 0x0324,
    metaPolyline = 0x0325,
    metaRestoreDc = 0x0127,
    metaChord = 0x0830,
    metaExtTextOut = 0x0A32,
    metaSetDibToDev = 0x0D33,
    metaPolyPolygon = 0x0538,
    metaSelectObject = 0x012D,
    metaSetTextAlign = 0x012E,
    metaDeleteObject = 0x01F0,
    metaCreatePenIndirect = 0x02FA,
    metaCreateFontIndirect = 0x02FB,
    metaCreateBrushIndirect = 0x02FC,
    metaCreatePalette = 0x00F7,
    metaCreatePatternBrush = 0x01F9,
    metaDibCreatePatternBrush = 0x0142,
    metaCreateRegion = 0x06FF,
    metaDibBitBlt = 0x0940,
    metaDibStretchBlt = 0x0B41,
    metaStretchDib = 0x0F43,
};

constexpr std::uint32_t placeableKey = 0x9AC6CDD7;
constexpr std::uint32_t srcCopy = 0x00CC0020, patCopy = 0x00F00021, blackness = 0x00000042,
                        whiteness = 0x00FF0062;

// The code page of a font's character set (MS-WMF 2.1.1.5).
std::uint16_t codePageOf(std::uint8_t charset) {
    switch (charset) {
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 1252;
    }
}

std::int16_t s16(util::ByteCursor& in) {
    return static_cast<std::int16_t>(in.u16());
}

class WmfPlayer : public Player {
public:
    Rendered play(std::span<const std::uint8_t> bytes,
                  std::optional<std::pair<double, double>> sizeHintPt);

private:
    Xform pageTransform() const override;
    double devicePixel() const override { return pixel_; }
    void record(std::uint16_t function, util::ByteCursor& in, std::size_t words);
    void addObject(Object object, std::uint16_t codePage = 1252);
    std::vector<Point> points(util::ByteCursor& in, std::size_t count);
    void textOut(util::ByteCursor& in, std::int16_t count, Point at, bool extended,
                 std::uint16_t options);
    void dib(util::ByteCursor& in, Point at, double width, double height, std::uint32_t rop);

    std::vector<Object> objects_;
    std::vector<std::uint16_t> codePages_; // of the font in each slot
    std::set<std::size_t> free_;           // slots no object takes
    std::uint16_t codePage_ = 1252;        // of the selected font
    // One decoder a code page: opening one costs far more than decoding a short text.
    util::CodePageDecoder& decoder(std::uint16_t codePage);
    std::map<std::uint16_t, std::unique_ptr<util::CodePageDecoder>> decoders_;
    bool frameKnown_ = false, windowSet_ = false;
    Point frameOrg_{}, frameExt_{1, 1};
    double pixel_ = 1;
};

Xform WmfPlayer::pageTransform() const {
    // The window is mapped onto the picture's frame: its placeable bounds, or the first
    // window the metafile set, as devices that play a picture into a rectangle do.
    if (!frameKnown_ || !windowSet_ || dc_.windowExt.x == 0 || dc_.windowExt.y == 0)
        return {};
    const double sx = frameExt_.x / dc_.windowExt.x, sy = frameExt_.y / dc_.windowExt.y;
    return {sx, 0, 0, sy, frameOrg_.x - dc_.windowOrg.x * sx, frameOrg_.y - dc_.windowOrg.y * sy};
}

util::CodePageDecoder& WmfPlayer::decoder(std::uint16_t codePage) {
    auto& slot = decoders_[codePage];
    if (!slot)
        slot = std::make_unique<util::CodePageDecoder>(codePage);
    return *slot;
}

void WmfPlayer::addObject(Object object, std::uint16_t codePage) {
    // The lowest free slot, as the format wants; a set keeps that cheap for hostile tables of
    // thousands of slots.
    if (free_.empty())
        return;
    const std::size_t slot = *free_.begin();
    free_.erase(free_.begin());
    objects_[slot] = std::move(object);
    codePages_[slot] = codePage;
}

std::vector<Point> WmfPlayer::points(util::ByteCursor& in, std::size_t count) {
    if (count * 4 > in.remaining())
        in.fail(count * 4);
    std::vector<Point> out(count);
    for (Point& p : out) {
        p.x = s16(in);
        p.y = s16(in);
    }
    return out;
}

void WmfPlayer::textOut(util::ByteCursor& in, std::int16_t count, Point at, bool extended,
                        std::uint16_t options) {
    if (count <= 0)
        return;
    const auto raw = in.bytes(static_cast<std::size_t>(count));
    if (count & 1)
        in.skip(std::min<std::size_t>(1, in.remaining()));
    std::string utf8;
    decoder(codePage_).append(utf8, raw);
    double advance = 0;
    if (extended && in.remaining() >= static_cast<std::size_t>(count) * 2) {
        for (int i = 0; i < count; ++i)
            advance += s16(in);
    }
    (void)options;
    if (dc_.textAlign & 1)
        at = dc_.position;
    text(at, utf8, advance);
    if (dc_.textAlign & 1)
        dc_.position.x += advance;
}

void WmfPlayer::dib(util::ByteCursor& in, Point at, double width, double height,
                    std::uint32_t rop) {
    if (rop != srcCopy)
        return;
    const auto bmp = bmpFromPacked(in.bytes(in.remaining()));
    bitmap(at, width, height, bmp);
}

void WmfPlayer::record(std::uint16_t function, util::ByteCursor& in, std::size_t words) {
    switch (function) {
    case metaSetBkColor:
        dc_.backgroundColor = in.u32();
        break;
    case metaSetMapMode:
        dc_.mapMode = in.u16();
        break;
    case metaSetPolyFillMode:
        dc_.winding = in.u16() == 2;
        break;
    case metaSetTextAlign:
        dc_.textAlign = in.u16();
        break;
    case metaSetTextColor:
        dc_.textColor = in.u32();
        break;
    case metaSetWindowOrg:
    case metaSetWindowExt:
    case metaOffsetWindowOrg: {
        const double y = s16(in), x = s16(in);
        if (function == metaSetWindowOrg) {
            dc_.windowOrg = {x, y};
        } else if (function == metaOffsetWindowOrg) {
            dc_.windowOrg = {dc_.windowOrg.x + x, dc_.windowOrg.y + y};
        } else {
            dc_.windowExt = {x, y};
            windowSet_ = true;
            if (!frameKnown_ && x != 0 && y != 0) {
                frameOrg_ = {std::min(dc_.windowOrg.x, dc_.windowOrg.x + x),
                             std::min(dc_.windowOrg.y, dc_.windowOrg.y + y)};
                frameExt_ = {std::fabs(x), std::fabs(y)};
                frameKnown_ = true;
            }
        }
        updateTransform();
        break;
    }
    case metaScaleWindowExt: {
        const double yDenom = s16(in), yNum = s16(in), xDenom = s16(in), xNum = s16(in);
        if (xDenom != 0 && yDenom != 0) {
            dc_.windowExt = {dc_.windowExt.x * xNum / xDenom, dc_.windowExt.y * yNum / yDenom};
            updateTransform();
        }
        break;
    }
    case metaLineTo:
    case metaMoveTo: {
        const double y = s16(in), x = s16(in);
        if (function == metaLineTo)
            lineTo({x, y});
        else
            moveTo({x, y});
        break;
    }
    case metaRectangle:
    case metaEllipse: {
        const double bottom = s16(in), right = s16(in), top = s16(in), left = s16(in);
        if (function == metaRectangle)
            rectangle(left, top, right, bottom);
        else
            ellipse(left, top, right, bottom);
        finishShape(true, true);
        break;
    }
    case metaRoundRect: {
        const double height = s16(in), width = s16(in);
        const double bottom = s16(in), right = s16(in), top = s16(in), left = s16(in);
        roundRect(left, top, right, bottom, width, height);
        finishShape(true, true);
        break;
    }
    case metaArc:
    case metaPie:
    case metaChord: {
        const double yEnd = s16(in), xEnd = s16(in), yStart = s16(in), xStart = s16(in);
        const double bottom = s16(in), right = s16(in), top = s16(in), left = s16(in);
        const ArcKind kind = function == metaArc   ? ArcKind::Arc
                             : function == metaPie ? ArcKind::Pie
                                                   : ArcKind::Chord;
        arc(kind, left, top, right, bottom, {xStart, yStart}, {xEnd, yEnd});
        break;
    }
    case metaPolygon:
    case metaPolyline: {
        const std::int16_t count = s16(in);
        if (count <= 0)
            break;
        const auto pts = points(in, static_cast<std::size_t>(count));
        polyline(pts, function == metaPolygon);
        finishShape(true, function == metaPolygon);
        break;
    }
    case metaPolyPolygon: {
        const std::uint16_t figures = in.u16();
        std::vector<std::uint16_t> counts(figures);
        if (std::size_t(figures) * 2 > in.remaining())
            in.fail(std::size_t(figures) * 2);
        for (auto& count : counts)
            count = in.u16();
        for (std::uint16_t count : counts)
            polyline(points(in, count), true);
        finishShape(true, true);
        break;
    }
    case metaPatBlt: {
        const std::uint32_t rop = in.u32();
        const double height = s16(in), width = s16(in), y = s16(in), x = s16(in);
        if (rop == patCopy && dc_.brush.style != Brush::Style::Null)
            fillRect({x, y}, {x + width, y + height}, dc_.brush.color);
        else if (rop == blackness || rop == whiteness)
            fillRect({x, y}, {x + width, y + height}, rop == blackness ? 0 : 0xFFFFFF);
        break;
    }
    case metaIntersectClipRect: {
        const double bottom = s16(in), right = s16(in), top = s16(in), left = s16(in);
        intersectClip(left, top, right, bottom);
        break;
    }
    case metaSelectClipRegion:
        resetClip(); // regions are not kept: the whole picture is shown
        break;
    case metaSaveDc:
        saveContext();
        break;
    case metaRestoreDc: {
        restoreContext(s16(in));
        break;
    }
    case metaSelectObject: {
        const std::uint16_t index = in.u16();
        if (index < objects_.size()) {
            selectObject(objects_[index]);
            if (std::holds_alternative<Font>(objects_[index]))
                codePage_ = codePages_[index];
        }
        break;
    }
    case metaDeleteObject: {
        const std::uint16_t index = in.u16();
        if (index < objects_.size()) {
            objects_[index] = std::monostate{};
            codePages_[index] = 0;
            free_.insert(index);
        }
        break;
    }
    case metaCreatePenIndirect: {
        const std::uint16_t style = in.u16();
        Pen pen;
        pen.width = std::abs(s16(in));
        s16(in);
        pen.color = in.u32();
        pen.style = Pen::styleOf(style);
        const unsigned cap = (style >> 8) & 0x0F, join = (style >> 12) & 0x0F;
        pen.cap = static_cast<std::uint8_t>(cap == 1 ? 1 : cap == 2 ? 2 : 0);
        pen.join = static_cast<std::uint8_t>(join == 1 ? 1 : join == 2 ? 2 : 0);
        addObject(pen);
        break;
    }
    case metaCreateBrushIndirect: {
        const std::uint16_t style = in.u16();
        Brush brush;
        brush.color = in.u32();
        const std::uint16_t hatch = in.u16();
        brush.style = style == 1   ? Brush::Style::Null
                      : style == 2 ? Brush::Style::Hatched
                                   : Brush::Style::Solid;
        brush.hatch = static_cast<std::uint8_t>(std::min<std::uint16_t>(hatch, 5));
        addObject(brush);
        break;
    }
    case metaCreateFontIndirect: {
        Font font;
        font.height = s16(in);
        s16(in); // width
        font.escapement = s16(in);
        s16(in); // orientation
        font.weight = s16(in);
        font.italic = in.u8() != 0;
        font.underline = in.u8() != 0;
        font.strikeOut = in.u8() != 0;
        const std::uint8_t charset = in.u8();
        in.skip(4);
        const auto face = in.bytes(std::min<std::size_t>(32, in.remaining()));
        std::size_t n = 0;
        while (n < face.size() && face[n] != 0)
            ++n;
        decoder(codePageOf(charset)).append(font.face, face.first(n));
        addObject(font, codePageOf(charset));
        break;
    }
    case metaDibCreatePatternBrush:
    case metaCreatePatternBrush: {
        Brush brush;
        brush.color = 0x808080;
        addObject(brush);
        break;
    }
    case metaCreatePalette:
    case metaCreateRegion:
        // Not drawn with, but they take a slot of the object table all the same.
        addObject(std::monostate{}, 1);
        break;
    case metaTextOut: {
        const std::int16_t count = s16(in);
        if (count <= 0)
            break;
        const std::size_t padded = (static_cast<std::size_t>(count) + 1) & ~std::size_t(1);
        if (in.remaining() < padded + 4)
            in.fail(padded + 4);
        const std::size_t start = in.position();
        in.skip(padded);
        const double y = s16(in), x = s16(in);
        in.seek(start);
        textOut(in, count, {x, y}, false, 0);
        break;
    }
    case metaExtTextOut: {
        const double y = s16(in), x = s16(in);
        const std::int16_t count = s16(in);
        const std::uint16_t options = in.u16();
        if (options & 6) {
            const double left = s16(in), top = s16(in), right = s16(in), bottom = s16(in);
            if ((options & 2) && right > left && bottom > top)
                fillRect({left, top}, {right, bottom}, dc_.backgroundColor);
        }
        textOut(in, count, {x, y}, true, options);
        break;
    }
    case metaDibBitBlt: {
        const std::uint32_t rop = in.u32();
        const bool bitmapFollows = words != 12;
        s16(in); // source origin
        s16(in);
        if (!bitmapFollows)
            in.u16();
        const double height = s16(in), width = s16(in), y = s16(in), x = s16(in);
        if (bitmapFollows)
            dib(in, {x, y}, width, height, rop);
        else if (rop == patCopy)
            fillRect({x, y}, {x + width, y + height}, dc_.brush.color);
        break;
    }
    case metaDibStretchBlt: {
        const std::uint32_t rop = in.u32();
        const bool bitmapFollows = words != 14;
        in.skip(8); // the source rectangle: the whole bitmap is shown
        if (!bitmapFollows)
            in.u16();
        const double height = s16(in), width = s16(in), y = s16(in), x = s16(in);
        if (bitmapFollows)
            dib(in, {x, y}, width, height, rop);
        else if (rop == patCopy)
            fillRect({x, y}, {x + width, y + height}, dc_.brush.color);
        break;
    }
    case metaStretchDib: {
        const std::uint32_t rop = in.u32();
        const std::uint16_t usage = in.u16();
        in.skip(8);
        const double height = s16(in), width = s16(in), y = s16(in), x = s16(in);
        if (usage == 0)
            dib(in, {x, y}, width, height, rop);
        break;
    }
    case metaSetDibToDev: {
        const std::uint16_t usage = in.u16();
        in.skip(8);
        const double height = s16(in), width = s16(in), y = s16(in), x = s16(in);
        if (usage == 0)
            dib(in, {x, y}, width, height, srcCopy);
        break;
    }
    default:
        // Viewport, clipping, palette and escape records change nothing a picture shows here.
        break;
    }
}

Rendered WmfPlayer::play(std::span<const std::uint8_t> bytes,
                         std::optional<std::pair<double, double>> sizeHintPt) {
    util::ByteCursor in(bytes, "WMF header");
    double widthPt = 0, heightPt = 0;
    if (bytes.size() >= 4 && util::loadU32(bytes.data()) == placeableKey) {
        in.skip(6);
        const double left = s16(in), top = s16(in), right = s16(in), bottom = s16(in);
        const std::uint16_t inch = in.u16();
        in.skip(6);
        if (right != left && bottom != top) {
            frameOrg_ = {std::min(left, right), std::min(top, bottom)};
            frameExt_ = {std::fabs(right - left), std::fabs(bottom - top)};
            frameKnown_ = true;
            if (inch > 0) {
                widthPt = frameExt_.x / inch * 72;
                heightPt = frameExt_.y / inch * 72;
            }
        }
    }
    const std::size_t start = in.position();
    if (in.remaining() < 18)
        in.fail(18);
    const std::uint16_t type = in.u16(), headerWords = in.u16(), version = in.u16();
    in.skip(4);
    const std::uint16_t objects = in.u16();
    in.skip(6);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300))
        throw ReadError(ReadError::Kind::Damaged,
                        "WMF header at offset " + util::hexOffset(start) +
                            ": expected type 1 or 2, a 9-word header and version 0x100 or "
                            "0x300");
    objects_.resize(std::min<std::size_t>(objects, limits::maxMetafileObjects));
    codePages_.assign(objects_.size(), 0);
    for (std::size_t i = 0; i < objects_.size(); ++i)
        free_.insert(free_.end(), i);
    updateTransform();

    double targetPx = widthPt / 0.75;
    if (!(targetPx > 0) && sizeHintPt && sizeHintPt->first > 0)
        targetPx = sizeHintPt->first / 0.75;

    Rendered result;
    std::size_t offset = in.position();
    std::size_t count = 0;
    try {
        while (offset < bytes.size()) {
            if (bytes.size() - offset < 6)
                throw ReadError(ReadError::Kind::Damaged,
                                "WMF record at offset " + util::hexOffset(offset) +
                                    ": expected 6 bytes of record header, found " +
                                    std::to_string(bytes.size() - offset));
            const std::uint32_t words = util::loadU32(bytes.data() + offset);
            const std::uint16_t function = util::loadU16(bytes.data() + offset + 4);
            if (function == metaEof)
                break;
            if (words < 3 || words > (bytes.size() - offset) / 2)
                throw ReadError(ReadError::Kind::Damaged,
                                "WMF record at offset " + util::hexOffset(offset) + ": declares " +
                                    std::to_string(words) + " words, " +
                                    std::to_string((bytes.size() - offset) / 2) + " remain");
            if (++count > limits::maxMetafileRecords) {
                result.stoppedEarly =
                    "more than " + std::to_string(limits::maxMetafileRecords) + " records";
                break;
            }
            if (canvas_.full()) {
                result.stoppedEarly = "the picture's drawing grew past its limit";
                break;
            }
            if (frameKnown_ && targetPx > 0)
                pixel_ = frameExt_.x / targetPx;
            const std::size_t size = std::size_t(words) * 2;
            util::ByteCursor body(bytes.subspan(offset + 6, size - 6), "WMF record", offset + 6);
            record(function, body, words);
            offset += size;
        }
    } catch (const ReadError& error) {
        result.stoppedEarly = error.detail();
    }

    Point from, to;
    if (!frameKnown_ && canvas_.extent(from, to) && to.x > from.x && to.y > from.y) {
        // A metafile that sets no window: what it draws is its frame.
        frameOrg_ = from;
        frameExt_ = {to.x - from.x, to.y - from.y};
    } else if (!frameKnown_) {
        frameExt_ = {1, 1};
    }
    if (!(widthPt > 0 && heightPt > 0) && sizeHintPt && sizeHintPt->first > 0 &&
        sizeHintPt->second > 0) {
        widthPt = sizeHintPt->first;
        heightPt = sizeHintPt->second;
    }
    if (!(widthPt > 0 && heightPt > 0)) {
        // Logical units of unknown size: shown a pixel each, the longer side at most 1000.
        const double longer = std::max(frameExt_.x, frameExt_.y);
        const double scale = longer > 1000 ? 1000 / longer : 1;
        widthPt = frameExt_.x * scale * 0.75;
        heightPt = frameExt_.y * scale * 0.75;
    }
    const double widthPx = std::clamp(widthPt / 0.75, 1.0, 20000.0);
    const double heightPx = std::clamp(heightPt / 0.75, 1.0, 20000.0);
    result.svg =
        canvas_.finish(frameOrg_.x, frameOrg_.y, frameExt_.x, frameExt_.y, widthPx, heightPx);
    result.widthPt = widthPx * 0.75;
    result.heightPt = heightPx * 0.75;
    result.elements = canvas_.elements();
    return result;
}

} // namespace

Rendered playWmf(std::span<const std::uint8_t> bytes,
                 std::optional<std::pair<double, double>> sizeHintPt) {
    WmfPlayer player;
    return player.play(bytes, sizeHintPt);
}

} // namespace engine::metafile
