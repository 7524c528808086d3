#pragma once
// Byte limits on UTF-8 text that never split a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine::util {

// `text` cut to its first `maxBytes` bytes without splitting a UTF-8 sequence; `text` itself
// when it is no longer.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

// Appends as much of `text` as keeps `out` within `limit` bytes, cut between characters;
// nothing when `out` already holds `limit` bytes or more.
inline void appendUtf8Bounded(std::string& out, std::string_view text, std::size_t limit) {
    if (out.size() < limit)
        out.append(utf8Prefix(text, limit - out.size()));
}

} // namespace engine::util
