#include "batch/PathText.h"

#include "app/Utf8.h"

namespace batch {

std::size_t NextCharacter(std::string_view text, std::size_t at, char32_t& code) {
    std::size_t next = at;
    code = app::NextCodePoint(text, next);
    return next - at;
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
