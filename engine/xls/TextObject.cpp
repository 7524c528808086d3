#include "engine/xls/TextObject.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/ContinuedRecord.h"

namespace engine::xls {
namespace {} // namespace

std::optional<TextObject> readTextObject(const Record& txo,
                                         std::vector<std::span<const std::uint8_t>> continues) {
    if (txo.body.size() < 14 || continues.empty())
        return std::nullopt;
    const std::uint16_t options = util::loadU16(txo.body.data());
    const std::uint16_t count = util::loadU16(txo.body.data() + 10);
    const std::uint16_t runBytes = util::loadU16(txo.body.data() + 12);
    if (count == 0)
        return std::nullopt;
    TextObject object;
    object.horizontal = static_cast<std::uint8_t>((options >> 1) & 0x07);
    object.vertical = static_cast<std::uint8_t>((options >> 4) & 0x07);
    object.rotation = util::loadU16(txo.body.data() + 2);
    std::vector<std::uint32_t> offsets;
    ContinuedRecord in(std::move(continues), txo.offset, "TXO record");
    try {
        const bool highByte = in.u8() & 0x01;
        in.readChars(object.text, count, highByte, &offsets);
    } catch (const ReadError&) {
        return std::nullopt;
    }
    try {
        // Eight bytes a run, the last one only marking the end of the text.
        const std::size_t runs = std::min<std::size_t>(runBytes / 8, limits::maxTextRuns);
        for (std::size_t i = 0; i + 1 < runs; ++i) {
            const std::uint16_t at = in.u16();
            const std::uint16_t font = in.u16();
            in.skip(4);
            if (at >= offsets.size())
                break;
            const std::size_t start = offsets[at];
            if (!object.runs.empty() && start <= object.runs.back().start)
                object.runs.back().font = font;
            else
                object.runs.push_back({start, font});
        }
    } catch (const ReadError&) {
        // The runs read so far stand.
    }
    if (object.runs.empty() || object.runs.front().start != 0)
        object.runs.insert(object.runs.begin(), {0, 0});
    return object;
}

} // namespace engine::xls
