#pragma once
// The two hashes binary documents derive their keys with.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace engine::crypto {

using Md5 = std::array<std::uint8_t, 16>;
using Sha1 = std::array<std::uint8_t, 20>;

// The MD5 or SHA-1 digest of the concatenation of `parts`.
Md5 md5(std::initializer_list<std::span<const std::uint8_t>> parts);
Sha1 sha1(std::initializer_list<std::span<const std::uint8_t>> parts);

} // namespace engine::crypto
