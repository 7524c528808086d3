#pragma once
// File names as the system holds them: bytes, UTF-8 where they are UTF-8. A name that is not
// UTF-8 keeps its bytes everywhere inside the batch; only where it is shown or becomes the name
// of something Quillmere makes does a stray byte turn into U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace batch {

// The character at `at` of `text`, decoded into `code`; returns how many bytes it took. A byte
// that begins no valid UTF-8 sequence (overlong forms, encoded surrogates and code points past
// U+10FFFF included) is a stray byte: one byte, `code` the lone surrogate U+DC00 + byte, which
// valid UTF-8 never yields.
std::size_t NextCharacter(std::string_view text, std::size_t at, char32_t& code);

// True when `path` holds a byte that is not part of valid UTF-8.
bool HasStrayBytes(std::string_view path);

// `path` fit for a name Quillmere makes or shows: each stray byte becomes U+FFFD.
std::string Printable(std::string_view path);

} // namespace batch
