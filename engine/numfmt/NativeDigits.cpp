#include "engine/numfmt/NativeDigits.h"

#include "engine/util/Text.h"

#include <array>

namespace engine::numfmt {
namespace {

// The numeral systems of the locale code's top byte, by the zero of each. 0x01 is the ASCII
// digits; Ethiopic (0x11) has no zero and stays in ASCII digits.
constexpr std::array<char32_t, 0x14> zeros = {
    0,      // 0x00 the locale's default
    0,      // 0x01 ASCII digits
    0x0660, // 0x02 Arabic-Indic
    0x06F0, // 0x03 Extended Arabic-Indic
    0x0966, // 0x04 Devanagari
    0x09E6, // 0x05 Bengali
    0x0A66, // 0x06 Gurmukhi
    0x0AE6, // 0x07 Gujarati
    0x0B66, // 0x08 Oriya
    0x0BE6, // 0x09 Tamil
    0x0C66, // 0x0A Telugu
    0x0CE6, // 0x0B Kannada
    0x0D66, // 0x0C Malayalam
    0x0E50, // 0x0D Thai
    0x0ED0, // 0x0E Lao
    0x0F20, // 0x0F Tibetan
    0x1040, // 0x10 Myanmar
    0,      // 0x11 Ethiopic
    0x17E0, // 0x12 Khmer
    0x1810, // 0x13 Mongolian
};

constexpr std::uint32_t arabicLanguage = 0x01; // primary language of 0x0401, 0x0801 ...

} // namespace

char32_t nativeZeroFor(std::uint32_t locale) {
    const std::uint32_t system = locale >> 24;
    if (system >= zeros.size())
        return 0;
    // The native digits of Arabic itself are the Arabic-Indic ones; the extended forms are those
    // of Persian and Urdu.
    if (system == 0x03 && (locale & 0x3FF) == arabicLanguage)
        return zeros[0x02];
    return zeros[system];
}

void substituteDigits(std::string& text, std::size_t from, char32_t zero) {
    if (zero == 0 || from >= text.size())
        return;
    std::string out = text.substr(0, from);
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            util::appendUtf8(out, zero + static_cast<char32_t>(c - '0'));
        else
            out += c;
    }
    text.swap(out);
}

} // namespace engine::numfmt
