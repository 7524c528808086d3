#pragma once
// UTF-8 text held in std::string, walked by code point. A byte that is not part of a valid
// sequence stands for itself as the lone surrogate U+DC00 + byte, which valid UTF-8 never
// yields, so text that is not UTF-8 (a file name, a line of an old state file) survives a
// round trip unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace app {

// The code point at `at`, which moves past it; U+DC00 + byte for a byte that starts no valid
// sequence (overlong forms, encoded surrogates and values past U+10FFFF included).
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Appends `code` as UTF-8; U+DC80..U+DCFF as the single byte it stands for.
void AppendCodePoint(std::string& text, char32_t code);

// The length in UTF-16 units, as the window's text counts it: 2 for a character past U+FFFF.
std::size_t Utf16Length(std::string_view text);

// The longest prefix of at most `maxBytes` bytes that ends on a whole character.
std::string_view TruncateUtf8(std::string_view text, std::size_t maxBytes);

} // namespace app
