#pragma once
// Decoding tables for the single-byte code pages this system's iconv lacks or gets wrong: the
// character of each byte from 0x80 to 0xFF (the lower half is ASCII).

#include <array>

namespace engine::util {

using UpperHalf = std::array<char16_t, 128>;

extern const UpperHalf codePage720;   // DOS Arabic (code page 720)
extern const UpperHalf codePage10004; // Mac Arabic
extern const UpperHalf codePage10006; // Mac Greek
extern const UpperHalf codePage10010; // Mac Romanian
extern const UpperHalf codePage10079; // Mac Icelandic
extern const UpperHalf codePage10081; // Mac Turkish
extern const UpperHalf codePage10082; // Mac Croatian

} // namespace engine::util
