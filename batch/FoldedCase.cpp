#include "batch/FoldedCase.h"

#include "app/CaseFolding.h"
#include "app/Utf8.h"

namespace batch {
namespace {

void appendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        out += static_cast<char16_t>(0xD7C0 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
}

} // namespace

std::u16string FoldedUtf16(std::string_view text) {
    std::u16string folded;
    folded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
        appendUtf16(folded, app::FoldCase(app::NextCodePoint(text, at)));
    return folded;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    return FoldedUtf16(text).find(FoldedUtf16(part)) != std::u16string::npos;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view part) {
    return FoldedUtf16(text).ends_with(FoldedUtf16(part));
}

} // namespace batch
