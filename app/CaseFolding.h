#pragma once
// Letter case ignored the way the window's text ignores it: Unicode simple case folding, one
// code point to one, compared in UTF-16 order.

#include <string>
#include <string_view>

namespace app {

// The simple case folding of `code`; `code` itself when it has none.
char32_t FoldCase(char32_t code);

// `text` with every character folded; bytes that are not UTF-8 stay as they are.
std::string CaseFolded(std::string_view text);

// Negative, zero or positive as the folded `a` sorts before, with or after the folded `b`,
// comparing UTF-16 units as the window's text does (a character past U+FFFF sorts before
// U+E000..U+FFFF).
int CompareIgnoringCase(std::string_view a, std::string_view b);

// The same ordering without folding: plain UTF-16 order.
int CompareUtf16(std::string_view a, std::string_view b);

} // namespace app
