#include "engine/xlsb/StylesBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Colors.h"
#include "engine/util/Utf8.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"

namespace engine::xlsb {
namespace {

constexpr std::uint32_t gradientFill = 0x28;
constexpr std::uint32_t lastPattern = static_cast<std::uint32_t>(FillPattern::Gray0625);
constexpr std::uint8_t lastBorderStyle = static_cast<std::uint8_t>(BorderStyle::SlantDashDot);

template <class T> T& add(std::vector<T>& table) {
    if (table.size() >= limits::maxStyleEntries)
        throw ReadError(ReadError::Kind::Damaged,
                        "the styles part holds more entries than a workbook can have");
    return table.emplace_back();
}

Font readFont(util::ByteCursor& cursor, const package::Colors& colors) {
    Font font;
    const std::uint16_t height = cursor.u16(); // twips
    const std::uint16_t flags = cursor.u16();
    const std::uint16_t weight = cursor.u16();
    const std::uint16_t script = cursor.u16();
    const std::uint8_t underline = cursor.u8();
    cursor.skip(3); // bFamily, bCharSet, unused
    font.color = color(cursor, colors);
    cursor.u8(); // bFontScheme
    if (height > 0)
        font.size = height / 20.0;
    font.italic = (flags & 0x0002u) != 0;
    font.strike = (flags & 0x0008u) != 0;
    font.bold = weight >= 700;
    font.script = script == 1   ? Script::Superscript
                  : script == 2 ? Script::Subscript
                                : Script::Baseline;
    switch (underline) {
    case 0x01:
        font.underline = Underline::Single;
        break;
    case 0x02:
        font.underline = Underline::Double;
        break;
    case 0x21:
        font.underline = Underline::SingleAccounting;
        break;
    case 0x22:
        font.underline = Underline::DoubleAccounting;
        break;
    default:
        break;
    }
    std::string name = wideString(cursor);
    if (!name.empty())
        font.name = util::utf8Prefix(name, limits::maxFontNameBytes);
    return font;
}

Fill readFill(util::ByteCursor& cursor, const package::Colors& colors) {
    Fill fill;
    const std::uint32_t pattern = cursor.u32();
    fill.foreground = color(cursor, colors);
    fill.background = color(cursor, colors);
    if (pattern <= lastPattern) {
        fill.pattern = static_cast<FillPattern>(pattern);
    } else if (pattern == gradientFill) {
        cursor.skip(4 + 5 * 8); // iGradientType and the gradient's geometry
        // A gradient is shown as the solid colour of its first stop.
        if (cursor.u32() > 0) {
            fill.pattern = FillPattern::Solid;
            fill.foreground = color(cursor, colors);
        }
    }
    return fill;
}

Border readBorder(util::ByteCursor& cursor, const package::Colors& colors) {
    Border border;
    const std::uint8_t diagonals = cursor.u8();
    border.diagonalDown = diagonals & 0x01;
    border.diagonalUp = diagonals & 0x02;
    for (BorderSide* side :
         {&border.top, &border.bottom, &border.left, &border.right, &border.diagonal}) {
        // Some writers end the record before the diagonal's line.
        if (side == &border.diagonal && cursor.remaining() < 10)
            break;
        const std::uint8_t style = cursor.u8();
        cursor.u8();
        side->style =
            style <= lastBorderStyle ? static_cast<BorderStyle>(style) : BorderStyle::None;
        side->color = color(cursor, colors);
    }
    return border;
}

CellFormat readXf(util::ByteCursor& cursor) {
    CellFormat format;
    cursor.u16(); // ixfeParent
    format.numFmtId = cursor.u16();
    format.font = cursor.u16();
    format.fill = cursor.u16();
    format.border = cursor.u16();
    const std::uint8_t rotation = cursor.u8();
    const std::uint8_t indent = cursor.u8();
    const std::uint16_t flags = cursor.u16();
    Alignment& alignment = format.alignment;
    const unsigned horizontal = flags & 0x07u, vertical = (flags >> 3) & 0x07u;
    alignment.horizontal = horizontal <= static_cast<unsigned>(HAlign::Distributed)
                               ? static_cast<HAlign>(horizontal)
                               : HAlign::General;
    alignment.vertical = vertical <= static_cast<unsigned>(VAlign::Distributed)
                             ? static_cast<VAlign>(vertical)
                             : VAlign::Bottom;
    alignment.wrap = (flags & 0x0040u) != 0;
    alignment.shrinkToFit = (flags & 0x0100u) != 0;
    alignment.indent = indent <= 250 ? indent : 0;
    // 0..90 turn the text up, 91..180 down by (value - 90) degrees, 255 stacks it.
    if (rotation <= 90)
        alignment.rotation = rotation;
    else if (rotation <= 180)
        alignment.rotation = static_cast<std::int16_t>(90 - static_cast<int>(rotation));
    else if (rotation == 255)
        alignment.rotation = 255;
    return format;
}

} // namespace

void readStylesBin(const zip::ZipArchive& archive, const std::string& part, package::Colors& colors,
                   Workbook& workbook) {
    // The palette override sits at the end of the part, after everything that refers to it.
    bool inPalette = false;
    std::size_t nextIndex = 0;
    readRecords(archive, part, limits::maxSmallPartBytes, [&](const Record& record) {
        if (record.type == rec::BeginIndexedColors) {
            inPalette = true;
            nextIndex = 0;
        } else if (record.type == rec::EndIndexedColors) {
            inPalette = false;
        } else if (inPalette && record.type == rec::IndexedColor) {
            util::ByteCursor cursor = record.cursor();
            const std::uint32_t red = cursor.u8(), green = cursor.u8(), blue = cursor.u8();
            colors.setIndexed(nextIndex++, red << 16 | green << 8 | blue);
        }
    });

    std::uint16_t section = 0; // the Begin record of the table being read, 0 outside them
    readRecords(archive, part, limits::maxSmallPartBytes, [&](const Record& record) {
        switch (record.type) {
        case rec::BeginFonts:
        case rec::BeginFills:
        case rec::BeginBorders:
        case rec::BeginFmts:
        case rec::BeginCellXfs:
            section = record.type;
            return;
        case rec::EndFonts:
        case rec::EndFills:
        case rec::EndBorders:
        case rec::EndFmts:
        case rec::EndCellXfs:
            section = 0;
            return;
        default:
            break;
        }
        util::ByteCursor cursor = record.cursor();
        // Other tables (cell style formats, differential formats ...) use some of the same
        // records: only those inside the tables read here count.
        if (record.type == rec::Font && section == rec::BeginFonts) {
            add(workbook.fonts) = readFont(cursor, colors);
        } else if (record.type == rec::Fill && section == rec::BeginFills) {
            add(workbook.fills) = readFill(cursor, colors);
        } else if (record.type == rec::Border && section == rec::BeginBorders) {
            add(workbook.borders) = readBorder(cursor, colors);
        } else if (record.type == rec::Xf && section == rec::BeginCellXfs) {
            add(workbook.cellFormats) = readXf(cursor);
        } else if (record.type == rec::Fmt && section == rec::BeginFmts) {
            const std::uint16_t id = cursor.u16();
            std::string code = wideString(cursor);
            if (workbook.numberFormats.size() < limits::maxStyleEntries)
                workbook.numberFormats[id] = std::move(code);
        }
    });
}

} // namespace engine::xlsb
