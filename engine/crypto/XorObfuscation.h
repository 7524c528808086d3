#pragma once
// The XOR obfuscation of binary documents (method 1): a 16-bit key and a 16-bit password
// verifier, and a 16-byte array from the password that each byte is XORed with after being
// rotated. Passwords have at most 15 characters, taken as bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace engine::crypto {

class XorObfuscation {
public:
    // The obfuscation `password` gives; empty when it is longer than 15 bytes or empty.
    static std::optional<XorObfuscation> fromPassword(std::string_view password);

    // The key and the verifier a file stores for `password` (at most 15 bytes, not empty; the
    // key of any other is 0).
    static std::uint16_t keyOf(std::string_view password);
    static std::uint16_t verifierOf(std::string_view password);

    // Restores `data` in place; `index` is the position in the array of its first byte (any
    // value, taken modulo 16).
    void decrypt(std::span<std::uint8_t> data, std::size_t index) const;

    const std::array<std::uint8_t, 16>& array() const { return array_; }

private:
    std::array<std::uint8_t, 16> array_{};
};

} // namespace engine::crypto
