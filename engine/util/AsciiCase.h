#pragma once
// Case folding of ASCII letters only, for the names and keywords the application compares
// without regard to case; other bytes, UTF-8 sequences included, stay as they are.

#include <string>
#include <string_view>

namespace engine::util {

// `text` with 'A'-'Z' turned into 'a'-'z'.
inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace engine::util
