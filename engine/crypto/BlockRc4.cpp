#include "engine/crypto/BlockRc4.h"

#include "engine/crypto/Digest.h"

#include <algorithm>
#include <array>
#include <nettle/arcfour.h>

namespace engine::crypto {
namespace {

std::vector<std::uint8_t> utf16le(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::array<std::uint8_t, 4> littleEndian(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

} // namespace

struct BlockRc4::State {
    arcfour_ctx cipher;
    bool keyed = false;
    std::uint32_t block = 0;
    std::size_t offset = 0; // of the next key stream byte within the block
};

BlockRc4::BlockRc4(Method method, std::vector<std::uint8_t> base, std::size_t keyBytes)
    : method_(method), base_(std::move(base)), keyBytes_(keyBytes),
      state_(std::make_unique<State>()) {}

BlockRc4::BlockRc4(BlockRc4&&) noexcept = default;
BlockRc4& BlockRc4::operator=(BlockRc4&&) noexcept = default;
BlockRc4::~BlockRc4() = default;

BlockRc4 BlockRc4::md5(std::u16string_view password, std::span<const std::uint8_t> salt) {
    // The password's hash, cut to 5 bytes, is hashed again sixteen times over with the salt;
    // 5 bytes of that are the base of every block's key.
    const Md5 h0 = crypto::md5({utf16le(password)});
    std::vector<std::uint8_t> repeated;
    repeated.reserve(16 * (5 + salt.size()));
    for (int i = 0; i < 16; ++i) {
        repeated.insert(repeated.end(), h0.begin(), h0.begin() + 5);
        repeated.insert(repeated.end(), salt.begin(), salt.end());
    }
    const Md5 h1 = crypto::md5({repeated});
    return BlockRc4(Method::Md5, std::vector<std::uint8_t>(h1.begin(), h1.begin() + 5), 16);
}

BlockRc4 BlockRc4::sha1(std::u16string_view password, std::span<const std::uint8_t> salt,
                        unsigned keyBits) {
    const Sha1 h0 = crypto::sha1({salt, utf16le(password)});
    return BlockRc4(Method::Sha1, std::vector<std::uint8_t>(h0.begin(), h0.end()), keyBits / 8);
}

std::vector<std::uint8_t> BlockRc4::blockKey(std::uint32_t block) const {
    const auto number = littleEndian(block);
    if (method_ == Method::Md5) {
        const Md5 key = crypto::md5({base_, number});
        return {key.begin(), key.end()};
    }
    const Sha1 hash = crypto::sha1({base_, number});
    std::vector<std::uint8_t> key(hash.begin(),
                                  hash.begin() + static_cast<std::ptrdiff_t>(keyBytes_));
    // A 40-bit key is used as 128 bits whose last 11 bytes are zero.
    if (keyBytes_ == 5)
        key.resize(16, 0);
    return key;
}

void BlockRc4::rekey(std::uint32_t block) {
    const std::vector<std::uint8_t> key = blockKey(block);
    arcfour_set_key(&state_->cipher, key.size(), key.data());
    state_->keyed = true;
    state_->block = block;
    state_->offset = 0;
}

bool BlockRc4::verifies(std::span<const std::uint8_t> encryptedVerifier,
                        std::span<const std::uint8_t> encryptedVerifierHash) const {
    std::vector<std::uint8_t> plain(encryptedVerifier.begin(), encryptedVerifier.end());
    plain.insert(plain.end(), encryptedVerifierHash.begin(), encryptedVerifierHash.end());
    const std::vector<std::uint8_t> key = blockKey(0);
    arcfour_ctx cipher;
    arcfour_set_key(&cipher, key.size(), key.data());
    arcfour_crypt(&cipher, plain.size(), plain.data(), plain.data());
    const auto verifier = std::span<const std::uint8_t>(plain).first(encryptedVerifier.size());
    const auto hash = std::span<const std::uint8_t>(plain).subspan(encryptedVerifier.size());
    if (method_ == Method::Md5) {
        const Md5 expected = crypto::md5({verifier});
        return hash.size() == expected.size() &&
               std::equal(hash.begin(), hash.end(), expected.begin());
    }
    const Sha1 expected = crypto::sha1({verifier});
    return hash.size() >= expected.size() &&
           std::equal(expected.begin(), expected.end(), hash.begin());
}

void BlockRc4::apply(std::span<std::uint8_t> data, std::uint64_t position) {
    std::array<std::uint8_t, blockSize> discard{};
    while (!data.empty()) {
        const auto block = static_cast<std::uint32_t>(position / blockSize);
        const auto offset = static_cast<std::size_t>(position % blockSize);
        if (!state_->keyed || block != state_->block || offset < state_->offset)
            rekey(block);
        if (offset > state_->offset)
            arcfour_crypt(&state_->cipher, offset - state_->offset, discard.data(), discard.data());
        const std::size_t count = std::min(data.size(), blockSize - offset);
        arcfour_crypt(&state_->cipher, count, data.data(), data.data());
        state_->offset = offset + count;
        position += count;
        data = data.subspan(count);
    }
}

} // namespace engine::crypto
