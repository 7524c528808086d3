#pragma once
// Letter case ignored as the window ignores it when it sorts and matches names: each character
// case-folded by Unicode's simple folding, the results compared in UTF-16 code units.

#include <string>
#include <string_view>

namespace batch {

// `text` (bytes, UTF-8 where they are UTF-8) folded, as UTF-16; a stray byte stays the lone
// surrogate U+DC00 + byte that app::NextCodePoint makes of it.
std::u16string FoldedUtf16(std::string_view text);

// True when `text` holds `part`, letter case ignored.
bool ContainsIgnoringCase(std::string_view text, std::string_view part);

// True when `text` ends in `part`, letter case ignored.
bool EndsWithIgnoringCase(std::string_view text, std::string_view part);

} // namespace batch
