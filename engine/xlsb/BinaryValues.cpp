#include "engine/xlsb/BinaryValues.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Colors.h"
#include "engine/util/Text.h"

#include <bit>

namespace engine::xlsb {
namespace {

constexpr std::uint32_t nullString = 0xFFFFFFFFu;

std::span<const std::uint8_t> units(util::ByteCursor& cursor, std::uint32_t count) {
    if (count > limits::maxTextBytes)
        throw ReadError(ReadError::Kind::Damaged,
                        "a string at offset " + util::hexOffset(cursor.absolute()) + " claims " +
                            std::to_string(count) + " characters, more than the " +
                            std::to_string(limits::maxTextBytes) + " a string may have");
    // Checked before the multiplication so that a huge count cannot wrap.
    if (count > cursor.remaining() / 2)
        cursor.fail(static_cast<std::size_t>(count) * 2);
    return cursor.bytes(static_cast<std::size_t>(count) * 2);
}

} // namespace

std::string wideString(util::ByteCursor& cursor) {
    const std::uint32_t count = cursor.u32();
    std::string text;
    util::appendUtf16le(text, units(cursor, count));
    return text;
}

std::optional<std::string> nullableWideString(util::ByteCursor& cursor) {
    const std::size_t start = cursor.position();
    if (cursor.u32() == nullString)
        return std::nullopt;
    cursor.seek(start);
    return wideString(cursor);
}

RichText richString(util::ByteCursor& cursor) {
    const std::uint8_t flags = cursor.u8();
    const std::uint32_t count = cursor.u32();
    const std::span<const std::uint8_t> text = units(cursor, count);
    RichText result;
    if (!(flags & 0x01)) {
        util::appendUtf16le(result.text, text);
        return result;
    }
    const std::uint32_t runs = cursor.u32();
    if (runs > cursor.remaining() / 4)
        cursor.fail(static_cast<std::size_t>(runs) * 4);
    // Each run starts at a UTF-16 unit; the text is decoded piece by piece so that every start
    // becomes a byte offset into the UTF-8 text.
    std::size_t decoded = 0;
    for (std::uint32_t i = 0; i < runs; ++i) {
        std::size_t start = cursor.u16();
        const std::uint16_t font = cursor.u16();
        if (start > count)
            start = count;
        // A start inside a surrogate pair or before the last one keeps to the text decoded.
        if (start > decoded) {
            std::size_t end = start;
            if (end < count && end > 0) {
                const std::uint16_t unit = util::loadU16(text.data() + 2 * (end - 1));
                if (unit >= 0xD800 && unit <= 0xDBFF)
                    --end;
            }
            util::appendUtf16le(result.text, text.subspan(2 * decoded, 2 * (end - decoded)));
            decoded = end;
        }
        const auto at = static_cast<std::uint32_t>(result.text.size());
        if (!result.runs.empty() && result.runs.back().start == at)
            result.runs.back().font = font;
        else
            result.runs.push_back(TextRun{at, font});
    }
    util::appendUtf16le(result.text, text.subspan(2 * decoded));
    return result;
}

double rkNumber(std::uint32_t value) {
    double number;
    if (value & 0x02u)
        number = static_cast<double>(static_cast<std::int32_t>(value) >> 2);
    else
        number = std::bit_cast<double>(static_cast<std::uint64_t>(value & 0xFFFFFFFCu) << 32);
    return (value & 0x01u) ? number / 100 : number;
}

CellHeader cellHeader(util::ByteCursor& cursor) {
    CellHeader header;
    header.col = cursor.u32();
    header.style = cursor.u32() & 0x00FFFFFFu;
    return header;
}

std::optional<Range> rfx(util::ByteCursor& cursor) {
    const std::uint32_t firstRow = cursor.u32(), lastRow = cursor.u32();
    const std::uint32_t firstCol = cursor.u32(), lastCol = cursor.u32();
    if (firstRow > lastRow || firstCol > lastCol || lastRow >= limits::maxRows ||
        lastCol >= limits::maxColumns)
        return std::nullopt;
    return Range{firstRow, lastRow, static_cast<std::uint16_t>(firstCol),
                 static_cast<std::uint16_t>(lastCol)};
}

Color color(util::ByteCursor& cursor, const package::Colors& colors) {
    const std::uint8_t kind = cursor.u8() >> 1;
    const std::uint8_t index = cursor.u8();
    const auto tint = static_cast<std::int16_t>(cursor.u16());
    const std::uint8_t red = cursor.u8(), green = cursor.u8(), blue = cursor.u8();
    cursor.u8(); // alpha, which the application ignores
    package::ColorReference reference;
    switch (kind) {
    case 1:
        reference.kind = package::ColorReference::Kind::Indexed;
        reference.value = index;
        break;
    case 2:
        reference.kind = package::ColorReference::Kind::Rgb;
        reference.value = std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
        break;
    case 3:
        reference.kind = package::ColorReference::Kind::Theme;
        reference.value = index;
        break;
    default:
        return Color{};
    }
    reference.tint = tint / 32767.0;
    return colors.resolve(reference);
}

} // namespace engine::xlsb
