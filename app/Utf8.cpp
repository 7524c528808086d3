#include "app/Utf8.h"

#include "engine/util/Text.h"

namespace app {

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        lowest = 0x10000;
    }
    bool valid = length > 0 && at + length <= text.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        valid = (next & 0xC0) == 0x80;
        code = (code << 6) | (next & 0x3F);
    }
    valid = valid && code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!valid) {
        ++at;
        return 0xDC00 + lead;
    }
    at += length;
    return code;
}

void AppendCodePoint(std::string& text, char32_t code) {
    if (code >= 0xDC80 && code <= 0xDCFF)
        text += static_cast<char>(code - 0xDC00);
    else
        engine::util::appendUtf8(text, code);
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size();)
        units += NextCodePoint(text, at) > 0xFFFF ? 2 : 1;
    return units;
}

std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end;
        NextCodePoint(text, next);
        if (next > maxBytes)
            break;
        end = next;
    }
    return text.substr(0, end);
}

} // namespace app
