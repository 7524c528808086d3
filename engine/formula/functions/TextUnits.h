#pragma once
// Text as the application counts it: in UTF-16 code units, with its own letter-case rules and
// its 8-bit code page for CHAR and CODE.

#include <string>
#include <string_view>

namespace engine::formula::functions {

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

char16_t upperOf(char16_t c);
char16_t lowerOf(char16_t c);
std::u16string upper(std::u16string_view text);
std::u16string lower(std::u16string_view text);

// Case-insensitive three-way comparison of UTF-8 texts (negative, 0, positive).
int compareFolded(std::string_view a, std::string_view b);

// The character byte `code` (1..255) stands for in code page 1252, and the byte of a
// character there (0 when the code page has none).
char16_t fromCodePage1252(unsigned char code);
unsigned char toCodePage1252(char16_t c);

} // namespace engine::formula::functions
