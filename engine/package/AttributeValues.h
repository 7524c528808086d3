#pragma once
// Decoding the small values that package parts of every kind write in attributes: booleans,
// numbers and hexadecimal colours.

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine::package {

// `text` without its leading and trailing blanks (space, tab, CR, LF).
std::string_view trimBlanks(std::string_view text);

// The value of a hexadecimal digit, or -1 for any other character.
int hexDigit(char c);

// Six hex digits as RGB, or eight as ARGB whose alpha the application ignores; nullopt otherwise.
std::optional<std::uint32_t> parseHexColor(std::string_view text);

// "1"/"true" and "0"/"false" (both spellings occur); `fallback` for anything else or empty.
bool parseBool(std::string_view text, bool fallback);

// A decimal floating-point number, surrounding blanks allowed; nullopt when malformed.
std::optional<double> parseNumber(std::string_view text);

// A non-negative integer not above `max`; nullopt when malformed or larger.
std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t max);

} // namespace engine::package
