#include "automation/NameCase.h"

#include "engine/formula/functions/TextUnits.h"

#include <string>

namespace automation {
namespace {

namespace units = engine::formula::functions;

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char16_t folded(char16_t c) {
    if (c == u'\u017F')
        return u's';
    if (c == u'\u212A')
        return u'k';
    // Final sigma folds as sigma does.
    if (c == u'\u03C2')
        return u'\u03C3';
    return units::lowerOf(units::upperOf(c));
}

} // namespace

bool sameName(std::string_view a, std::string_view b) {
    // Member names are ASCII nearly always: no conversion for them.
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (asciiLower(a[i]) != asciiLower(b[i]))
                return false;
        return true;
    }
    const std::u16string wideA = units::toUtf16(a);
    const std::u16string wideB = units::toUtf16(b);
    if (wideA.size() != wideB.size())
        return false;
    for (std::size_t i = 0; i < wideA.size(); ++i)
        if (folded(wideA[i]) != folded(wideB[i]))
            return false;
    return true;
}

} // namespace automation
