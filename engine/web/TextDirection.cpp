#include "engine/web/TextDirection.h"

#include <cstdint>

namespace engine::web {
namespace {

bool readsFromRight(std::uint32_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

// Characters of no direction outside ASCII: Latin-1's signs, the combining marks, general
// punctuation, currency, letterlike and other symbols, arrows and shapes, CJK punctuation,
// the full-width forms' signs and the private and special areas; and the Arabic-Indic digits,
// which are numbers, not letters.
bool isNeutral(std::uint32_t c) {
    return (c >= 0x0660 && c <= 0x0669) || (c >= 0x06F0 && c <= 0x06F9) ||
           (c >= 0x80 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x0300 && c <= 0x036F) ||
           (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFF20) || (c >= 0xE000 && c <= 0xF8FF) ||
           (c >= 0xFFF0 && c <= 0xFFFF);
}

} // namespace

TextDirection firstStrongDirection(std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            if ((lead >= 'A' && lead <= 'Z') || (lead >= 'a' && lead <= 'z'))
                return TextDirection::LeftToRight;
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 1 || i + length > utf8.size()) {
            ++i;
            continue;
        }
        std::uint32_t c = lead & (0x7F >> length);
        bool wellFormed = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            wellFormed = wellFormed && (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        i += wellFormed ? length : 1;
        if (!wellFormed || isNeutral(c))
            continue;
        return readsFromRight(c) ? TextDirection::RightToLeft : TextDirection::LeftToRight;
    }
    return TextDirection::Neutral;
}

} // namespace engine::web
