#include "app/CaseFolding.h"

#include "app/CaseFoldingTable.h"
#include "app/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace app {
namespace {

// A key whose order is the UTF-16 order of the code points: a character past U+FFFF sorts by
// its surrogate pair, so before U+E000..U+FFFF and before a lone U+DC80..U+DCFF kept for a byte.
std::uint32_t utf16Order(char32_t code) {
    if (code < 0x10000)
        return code << 16;
    const char32_t offset = code - 0x10000;
    return ((0xD800 + (offset >> 10)) << 16) | (0xDC00 + (offset & 0x3FF));
}

template <typename Map> int compareBy(std::string_view a, std::string_view b, Map map) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        // ASCII on both sides, the common case, needs no decoding.
        const auto p = static_cast<unsigned char>(a[i]);
        const auto q = static_cast<unsigned char>(b[j]);
        if (p < 0x80 && q < 0x80) {
            const char32_t x = map(p);
            const char32_t y = map(q);
            if (x != y)
                return x < y ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const std::uint32_t x = utf16Order(map(NextCodePoint(a, i)));
        const std::uint32_t y = utf16Order(map(NextCodePoint(b, j)));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

} // namespace

char32_t FoldCase(char32_t code) {
    // Most names are ASCII: spare them the search.
    if (code < 0x80)
        return code >= 'A' && code <= 'Z' ? code + 0x20 : code;
    const auto runs = FoldRuns();
    auto after = std::upper_bound(runs.begin(), runs.end(), code,
                                  [](char32_t c, const FoldRun& run) { return c < run.first; });
    if (after == runs.begin())
        return code;
    const FoldRun& run = *(after - 1);
    const char32_t offset = code - run.first;
    if (offset % run.step != 0 || offset / run.step >= run.count)
        return code;
    return static_cast<char32_t>(static_cast<std::int32_t>(code) + run.delta);
}

std::string CaseFolded(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
        AppendCodePoint(folded, FoldCase(NextCodePoint(text, at)));
    return folded;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    return compareBy(a, b, FoldCase);
}

int CompareUtf16(std::string_view a, std::string_view b) {
    return compareBy(a, b, [](char32_t code) { return code; });
}

} // namespace app
