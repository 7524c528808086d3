#pragma once
// Digit substitution: the numeral system a locale code of a number format asks for
// ("[$-3000401]"), and the digits of a shown text put into it.

#include <cstdint>
#include <string>

namespace engine::numfmt {

// The code point of the zero of the numeral system locale code `locale` names in its top byte
// (the language in its low 16 bits), or 0 for the ASCII digits (no numeral system, or one the
// table does not know).
char32_t nativeZeroFor(std::uint32_t locale);

// Replaces the ASCII digits of `text` from byte `from` on with the digits that run from `zero`.
void substituteDigits(std::string& text, std::size_t from, char32_t zero);

} // namespace engine::numfmt
