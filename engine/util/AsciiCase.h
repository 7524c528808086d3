#pragma once
// Case folding of ASCII letters only, for the names and keywords the application compares
// without regard to case; other bytes, UTF-8 sequences included, stay as they are.

#include <algorithm>
#include <string>
#include <string_view>

namespace engine::util {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with 'A'-'Z' turned into 'a'-'z'.
inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

// `text` with 'a'-'z' turned into 'A'-'Z'.
inline std::string asciiUppered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = asciiUpper(c);
    return out;
}

constexpr bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

constexpr bool asciiStartsIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           asciiEqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

} // namespace engine::util
