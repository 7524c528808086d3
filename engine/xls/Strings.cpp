#include "engine/xls/Strings.h"

namespace engine::xls {

RichText readUnicodeString(ContinuedRecord& in, int countBytes) {
    const std::uint16_t count = countBytes == 1 ? in.u8() : in.u16();
    const std::uint8_t flags = in.u8();
    const bool highByte = flags & 0x01;
    const bool hasPhonetic = flags & 0x04;
    const bool rich = flags & 0x08;
    const std::uint16_t runCount = rich ? in.u16() : 0;
    const std::uint32_t phoneticBytes = hasPhonetic ? in.u32() : 0;
    RichText text;
    if (runCount == 0) {
        in.readChars(text.text, count, highByte);
    } else {
        std::vector<std::uint32_t> offsets;
        offsets.reserve(count);
        in.readChars(text.text, count, highByte, &offsets);
        text.runs.reserve(runCount);
        for (std::uint16_t i = 0; i < runCount; ++i) {
            const std::uint16_t charPos = in.u16();
            const std::uint16_t font = in.u16();
            addRun(text, charPos, font, offsets);
        }
    }
    if (phoneticBytes)
        in.skip(phoneticBytes);
    return text;
}

std::string readByteString(util::ByteCursor& in, util::CodePageDecoder& decoder, int countBytes) {
    const std::size_t count = countBytes == 1 ? in.u8() : in.u16();
    return decoder.decode(in.bytes(count));
}

void addRun(RichText& text, std::uint32_t charPos, std::uint16_t font,
            const std::vector<std::uint32_t>& unitOffsets) {
    const std::uint32_t start = charPos < unitOffsets.size()
                                    ? unitOffsets[charPos]
                                    : static_cast<std::uint32_t>(text.text.size());
    // Runs must rise; a run at or past the end of the text changes nothing visible.
    if (start >= text.text.size() || (!text.runs.empty() && start <= text.runs.back().start))
        return;
    text.runs.push_back(TextRun{start, modelFont(font)});
}

std::vector<std::uint32_t> utf8Offsets(const std::string& text) {
    std::vector<std::uint32_t> offsets;
    offsets.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if ((byte & 0xC0) == 0x80)
            continue;
        offsets.push_back(static_cast<std::uint32_t>(i));
        if (byte >= 0xF0)
            offsets.push_back(static_cast<std::uint32_t>(i)); // two UTF-16 units
    }
    return offsets;
}

} // namespace engine::xls
