#pragma once
// The hidden names under which a file is written before it is renamed into place. They follow
// from the file's own name, so that whoever started the write can find what a writer that died
// left behind by looking at a few names, without listing a folder that may hold thousands.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::web {

// How many names a write tries before it falls back to a random one: a name is taken only when
// an earlier write of the same file died and nothing removed what it left.
inline constexpr int temporaryNameTries = 3;

// The hidden name, in the same folder, of try `attempt` (0 to temporaryNameTries - 1) to write
// the file named `fileName` (a name, not a path): ".qm-write-" and six letters or digits, the
// shape of a random temporary name, so that a sweep for those finds these as well.
inline std::string TemporaryName(std::string_view fileName, int attempt) {
    std::uint64_t hash = 14695981039346656037ull; // 64-bit FNV-1a
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const char c : fileName)
        mix(static_cast<unsigned char>(c));
    mix(static_cast<unsigned char>(attempt));
    constexpr std::string_view digits =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string name = ".qm-write-";
    for (int i = 0; i < 6; ++i) {
        name.push_back(digits[hash % digits.size()]);
        hash /= digits.size();
    }
    return name;
}

} // namespace engine::web
