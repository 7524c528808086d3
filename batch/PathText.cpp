#include "batch/PathText.h"

namespace batch {

std::size_t NextCharacter(std::string_view text, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        lowest = 0x10000;
    }
    bool valid = length > 0 && at + length <= text.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        valid = (next & 0xC0) == 0x80;
        value = (value << 6) | (next & 0x3F);
    }
    valid = valid && value >= lowest && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    if (!valid) {
        code = 0xDC00 + lead;
        return 1;
    }
    code = value;
    return length;
}

bool HasStrayBytes(std::string_view path) {
    char32_t code = 0;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t length = NextCharacter(path, at, code);
        if (length == 1 && code >= 0xDC80)
            return true;
        at += length;
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Printable(std::string_view path) {
    std::string shown;
    shown.reserve(path.size());
    char32_t code = 0;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t length = NextCharacter(path, at, code);
        if (length == 1 && code >= 0xDC80)
            AppendUtf8(shown, 0xFFFD);
        else
            shown.append(path.substr(at, length));
        at += length;
    }
    return shown;
}

} // namespace batch
