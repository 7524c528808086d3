#include "engine/xls/Styles.h"

#include "engine/base/Limits.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/ContinuedRecord.h"
#include "engine/xls/Records.h"
#include "engine/xls/Strings.h"

#include <algorithm>
#include <map>
#include <utility>

namespace engine::xls {
namespace {

// Custom format codes of BIFF2-4 get ids above the built-in range, in record order.
constexpr std::uint32_t firstOrdinalFormatId = 164;

BorderStyle borderStyle(unsigned value) {
    return value <= static_cast<unsigned>(BorderStyle::SlantDashDot)
               ? static_cast<BorderStyle>(value)
               : BorderStyle::None;
}

FillPattern fillPattern(unsigned value) {
    return value <= static_cast<unsigned>(FillPattern::Gray0625) ? static_cast<FillPattern>(value)
                                                                 : FillPattern::Solid;
}

HAlign hAlign(unsigned value) {
    return static_cast<HAlign>(value & 7);
}

VAlign vAlign(unsigned value) {
    return value <= static_cast<unsigned>(VAlign::Distributed) ? static_cast<VAlign>(value)
                                                               : VAlign::Bottom;
}

std::int16_t rotation(unsigned value) {
    if (value <= 90)
        return static_cast<std::int16_t>(value);
    if (value <= 180)
        return static_cast<std::int16_t>(90 - static_cast<int>(value));
    return 255;
}

// The orientation field of BIFF3-7: 0 normal, 1 stacked, 2 and 3 turned by a quarter.
std::int16_t orientation(unsigned value) {
    switch (value & 3) {
    case 1:
        return 255;
    case 2:
        return 90;
    case 3:
        return -90;
    default:
        return 0;
    }
}

Underline underline(unsigned value) {
    switch (value) {
    case 0x01:
        return Underline::Single;
    case 0x02:
        return Underline::Double;
    case 0x21:
        return Underline::SingleAccounting;
    case 0x22:
        return Underline::DoubleAccounting;
    default:
        return Underline::None;
    }
}

// BIFF3-4 borders: four sides of a 3-bit style and a 5-bit colour.
void borders34(std::uint32_t value, auto& top, auto& left, auto& bottom, auto& right) {
    auto side = [value](auto& s, int shift) {
        s.style = borderStyle((value >> shift) & 7);
        s.color = static_cast<std::uint16_t>((value >> (shift + 3)) & 0x1F);
    };
    side(top, 0);
    side(left, 8);
    side(bottom, 16);
    side(right, 24);
}

} // namespace

void Styles::font(const Record& record) {
    if (fonts_.size() >= limits::maxXlsStyleRecords)
        return;
    util::ByteCursor in(record.body, "FONT record", record.offset + 4);
    RawFont raw;
    Font& f = raw.font;
    f.size = in.u16() / 20.0;
    const std::uint16_t flags = in.u16();
    f.italic = flags & 0x02;
    f.strike = flags & 0x08;
    if (version_ >= 5) {
        raw.color = in.u16();
        f.bold = in.u16() >= 700;
        const std::uint16_t script = in.u16();
        f.script = script == 1 ? Script::Superscript
                               : (script == 2 ? Script::Subscript : Script::Baseline);
        f.underline = underline(in.u8());
        in.skip(3);
        if (version_ == 8) {
            ContinuedRecord name({record.body.subspan(in.position())}, in.absolute(), "FONT name");
            f.name = readUnicodeString(name, 1).text;
        } else {
            f.name = readByteString(in, decoder_, 1);
        }
    } else {
        f.bold = flags & 0x01;
        f.underline = (flags & 0x04) ? Underline::Single : Underline::None;
        if (version_ >= 3)
            raw.color = in.u16();
        f.name = readByteString(in, decoder_, 1);
    }
    // Font number 4 does not exist in the format; the model's table simply skips it.
    fonts_.push_back(std::move(raw));
}

void Styles::fontColor(const Record& record) {
    util::ByteCursor in(record.body, "FONTCOLOR record", record.offset + 4);
    const std::uint16_t color = in.u16();
    if (!fonts_.empty())
        fonts_.back().color = color;
}

void Styles::format(const Record& record, Workbook& workbook) {
    util::ByteCursor in(record.body, "FORMAT record", record.offset + 4);
    std::string code;
    std::uint32_t id = 0;
    if (version_ == 8) {
        id = in.u16();
        ContinuedRecord rest({record.body.subspan(2)}, record.offset + 6, "FORMAT record");
        code = readUnicodeString(rest, 2).text;
    } else if (version_ == 5) {
        id = in.u16();
        code = readByteString(in, decoder_, 1);
    } else {
        if (version_ == 4)
            in.skip(2);
        code = readByteString(in, decoder_, 1);
        if (formatByOrder_.size() >= limits::maxXlsStyleRecords)
            return;
        id = code == "General"
                 ? 0
                 : firstOrdinalFormatId + static_cast<std::uint32_t>(formatByOrder_.size());
        formatByOrder_.push_back(id);
        if (id == 0)
            return;
    }
    workbook.numberFormats[id] = std::move(code);
}

void Styles::xf(const Record& record) {
    if (xfs_.size() >= limits::maxXlsStyleRecords)
        return;
    util::ByteCursor in(record.body, "XF record", record.offset + 4);
    RawXf x;
    Alignment& a = x.alignment;
    auto ordinalFormat = [this](unsigned n) -> std::uint32_t {
        return n < formatByOrder_.size() ? formatByOrder_[n] : 0;
    };
    if (version_ == 8) {
        x.font = in.u16();
        x.numFmt = in.u16();
        in.skip(2);
        const std::uint8_t align = in.u8();
        a.horizontal = hAlign(align);
        a.wrap = align & 0x08;
        a.vertical = vAlign((align >> 4) & 7);
        a.rotation = rotation(in.u8());
        const std::uint8_t indent = in.u8();
        a.indent = indent & 0x0F;
        a.shrinkToFit = indent & 0x10;
        in.skip(1);
        const std::uint32_t b1 = in.u32();
        const std::uint32_t b2 = in.u32();
        const std::uint16_t fillColors = in.u16();
        x.left = {borderStyle(b1 & 0xF), static_cast<std::uint16_t>((b1 >> 16) & 0x7F)};
        x.right = {borderStyle((b1 >> 4) & 0xF), static_cast<std::uint16_t>((b1 >> 23) & 0x7F)};
        x.top = {borderStyle((b1 >> 8) & 0xF), static_cast<std::uint16_t>(b2 & 0x7F)};
        x.bottom = {borderStyle((b1 >> 12) & 0xF), static_cast<std::uint16_t>((b2 >> 7) & 0x7F)};
        x.diagonal = {borderStyle((b2 >> 21) & 0xF), static_cast<std::uint16_t>((b2 >> 14) & 0x7F)};
        x.diagonalDown = (b1 >> 30) & 1;
        x.diagonalUp = (b1 >> 31) & 1;
        x.pattern = fillPattern((b2 >> 26) & 0x3F);
        x.foreground = fillColors & 0x7F;
        x.background = (fillColors >> 7) & 0x7F;
    } else if (version_ == 5) {
        x.font = in.u16();
        x.numFmt = in.u16();
        in.skip(2);
        const std::uint8_t align = in.u8();
        a.horizontal = hAlign(align);
        a.wrap = align & 0x08;
        a.vertical = vAlign((align >> 4) & 7);
        a.rotation = orientation(in.u8());
        const std::uint32_t b1 = in.u32();
        const std::uint32_t b2 = in.u32();
        x.foreground = b1 & 0x7F;
        x.background = (b1 >> 7) & 0x7F;
        x.pattern = fillPattern((b1 >> 16) & 0x3F);
        x.bottom = {borderStyle((b1 >> 22) & 7), static_cast<std::uint16_t>((b1 >> 25) & 0x7F)};
        x.top = {borderStyle(b2 & 7), static_cast<std::uint16_t>((b2 >> 9) & 0x7F)};
        x.left = {borderStyle((b2 >> 3) & 7), static_cast<std::uint16_t>((b2 >> 16) & 0x7F)};
        x.right = {borderStyle((b2 >> 6) & 7), static_cast<std::uint16_t>((b2 >> 23) & 0x7F)};
    } else if (version_ == 3 || version_ == 4) {
        x.font = in.u8();
        x.numFmt = ordinalFormat(in.u8());
        std::uint16_t align = 0;
        if (version_ == 4) {
            in.skip(2);
            align = in.u8();
            a.rotation = orientation(align >> 6);
            in.skip(1);
            a.vertical = vAlign((align >> 4) & 3);
        } else {
            in.skip(2);
            align = in.u16();
        }
        a.horizontal = hAlign(align);
        a.wrap = align & 0x08;
        const std::uint16_t fill = in.u16();
        x.pattern = fillPattern(fill & 0x3F);
        x.foreground = fill >> 6 & 0x1F;
        x.background = fill >> 11 & 0x1F;
        borders34(in.u32(), x.top, x.left, x.bottom, x.right);
    } else {
        x.font = in.u8();
        in.skip(1);
        x.numFmt = ordinalFormat(in.u8() & 0x3F);
        const std::uint8_t flags = in.u8();
        a.horizontal = hAlign(flags);
        auto thin = [](RawSide& s, bool on) {
            if (on) {
                s.style = BorderStyle::Thin;
                s.color = 0;
            }
        };
        thin(x.left, flags & 0x08);
        thin(x.right, flags & 0x10);
        thin(x.top, flags & 0x20);
        thin(x.bottom, flags & 0x40);
        if (flags & 0x80) {
            x.pattern = FillPattern::LightGray;
            x.foreground = 0;
            x.background = 1;
        }
    }
    xfs_.push_back(x);
}

void Styles::palette(const Record& record) {
    util::ByteCursor in(record.body, "PALETTE record", record.offset + 4);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count && i < 56; ++i) {
        const auto rgb = in.bytes(4);
        palette_.set(static_cast<std::uint16_t>(8 + i),
                     (static_cast<std::uint32_t>(rgb[0]) << 16) | (rgb[1] << 8) | rgb[2]);
    }
}

void Styles::resolve(Workbook& workbook) const {
    workbook.fonts.clear();
    for (const RawFont& raw : fonts_) {
        Font font = raw.font;
        font.color = palette_.resolve(raw.color);
        workbook.fonts.push_back(std::move(font));
    }
    auto color = [this](std::uint16_t index) { return palette_.resolve(index); };
    workbook.fills.clear();
    workbook.borders.clear();
    workbook.cellFormats.clear();
    workbook.fills.emplace_back();
    workbook.borders.emplace_back();
    // Workbooks share few distinct fills and borders among many XFs: keep one of each, keyed
    // by the raw fields so that a hostile file with thousands of XFs stays linear.
    std::map<std::uint64_t, std::uint32_t> fillIds;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t> borderIds;
    auto sideKey = [](const RawSide& s) {
        return (static_cast<std::uint64_t>(s.style) << 16) | s.color;
    };
    for (const RawXf& x : xfs_) {
        CellFormat format;
        format.numFmtId = x.numFmt;
        format.font = modelFont(x.font);
        format.alignment = x.alignment;
        const std::uint64_t fillKey = x.pattern == FillPattern::None
                                          ? 0
                                          : (static_cast<std::uint64_t>(x.pattern) << 32) |
                                                (static_cast<std::uint64_t>(x.foreground) << 16) |
                                                x.background;
        const auto fillFound = fillIds.find(fillKey);
        if (fillKey == 0) {
            format.fill = 0;
        } else if (fillFound != fillIds.end()) {
            format.fill = fillFound->second;
        } else {
            Fill fill;
            fill.pattern = x.pattern;
            fill.foreground = color(x.foreground);
            fill.background = color(x.background);
            format.fill = static_cast<std::uint32_t>(workbook.fills.size());
            workbook.fills.push_back(fill);
            fillIds.emplace(fillKey, format.fill);
        }
        // Side keys take 20 bits (style and a 16-bit colour): three fit in each half.
        const std::uint64_t diagonalKey =
            sideKey(x.diagonal) << 2 | (x.diagonalDown ? 1u : 0u) | (x.diagonalUp ? 2u : 0u);
        const std::pair<std::uint64_t, std::uint64_t> borderKey{
            (sideKey(x.left) << 40) | (sideKey(x.right) << 20) | sideKey(x.top),
            (sideKey(x.bottom) << 22) | diagonalKey};
        const auto borderFound = borderIds.find(borderKey);
        if (borderFound != borderIds.end()) {
            format.border = borderFound->second;
        } else {
            auto side = [&](const RawSide& raw) {
                BorderSide s;
                s.style = raw.style;
                if (raw.style != BorderStyle::None)
                    s.color = color(raw.color);
                return s;
            };
            Border border;
            border.left = side(x.left);
            border.right = side(x.right);
            border.top = side(x.top);
            border.bottom = side(x.bottom);
            border.diagonal = side(x.diagonal);
            border.diagonalDown = x.diagonalDown;
            border.diagonalUp = x.diagonalUp;
            format.border = static_cast<std::uint32_t>(workbook.borders.size());
            workbook.borders.push_back(border);
            borderIds.emplace(borderKey, format.border);
        }
        workbook.cellFormats.push_back(format);
    }
}

} // namespace engine::xls
