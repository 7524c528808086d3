#include "batch/PathText.h"

#include "app/Utf8.h"
#include "engine/util/Text.h"

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

std::string Printable(std::string_view path) {
    std::string shown;
    shown.reserve(path.size());
    char32_t code = 0;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t length = NextCharacter(path, at, code);
        if (length == 1 && code >= 0xDC80)
            engine::util::appendUtf8(shown, 0xFFFD);
        else
            shown.append(path.substr(at, length));
        at += length;
    }
    return shown;
}

} // namespace batch
