#pragma once
// RC4 as binary documents use it: the stream is cut into blocks of 1024 bytes and each block is
// enciphered with a key of its own, derived from the password, a salt and the block's number,
// either with MD5 (the method whose verifier hash has 16 bytes) or with SHA-1 (the CryptoAPI
// method). Applying the key stream both encrypts and decrypts.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace engine::crypto {

class BlockRc4 {
public:
    static constexpr std::size_t blockSize = 1024;

    // The MD5 method; `salt` has 16 bytes.
    static BlockRc4 md5(std::u16string_view password, std::span<const std::uint8_t> salt);
    // The CryptoAPI method with a key of `keyBits` bits (40 to 128, a multiple of 8); `salt`
    // has 16 bytes.
    static BlockRc4 sha1(std::u16string_view password, std::span<const std::uint8_t> salt,
                         unsigned keyBits);

    BlockRc4(BlockRc4&&) noexcept;
    BlockRc4& operator=(BlockRc4&&) noexcept;
    ~BlockRc4();

    // True when `encryptedVerifier` and `encryptedVerifierHash`, enciphered one after the other
    // from the start of block 0, decrypt to a verifier and its hash: the password is the one.
    bool verifies(std::span<const std::uint8_t> encryptedVerifier,
                  std::span<const std::uint8_t> encryptedVerifierHash) const;

    // XORs `data`, which starts `position` bytes into the stream, with the key stream. Cheapest
    // when successive calls move forward through the stream.
    void apply(std::span<std::uint8_t> data, std::uint64_t position);

private:
    struct State;
    enum class Method { Md5, Sha1 };
    BlockRc4(Method method, std::vector<std::uint8_t> base, std::size_t keyBytes);
    std::vector<std::uint8_t> blockKey(std::uint32_t block) const;
    void rekey(std::uint32_t block);

    Method method_;
    std::vector<std::uint8_t> base_; // what every block's key is hashed from
    std::size_t keyBytes_;           // of the hash that make the key (5 for 40 bits)
    std::unique_ptr<State> state_;
};

} // namespace engine::crypto
