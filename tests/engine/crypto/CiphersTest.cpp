// The ciphers of binary documents against values taken from files the spreadsheet application
// wrote and from published test vectors, and the block-keyed RC4's random access.

#include "engine/crypto/BlockRc4.h"
#include "engine/crypto/Digest.h"
#include "engine/crypto/XorObfuscation.h"

#include <gtest/gtest.h>
#include <numeric>

namespace {

using engine::crypto::BlockRc4;
using engine::crypto::XorObfuscation;

std::vector<std::uint8_t> hex(const char* text) {
    std::vector<std::uint8_t> bytes;
    for (const char* p = text; p[0] && p[1]; p += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
    return bytes;
}

TEST(XorObfuscation, KeyAndVerifierMatchWhatTheApplicationStores) {
    // The FILEPASS record of a workbook saved with the password "password".
    EXPECT_EQ(XorObfuscation::keyOf("password"), 0x147A);
    EXPECT_EQ(XorObfuscation::verifierOf("password"), 0x83AF);
    EXPECT_EQ(XorObfuscation::verifierOf("VelvetSweatshop"), 0x9A0A);
}

TEST(XorObfuscation, RefusesPasswordsItCannotHoldAndUndoesItsTransform) {
    EXPECT_FALSE(XorObfuscation::fromPassword(""));
    EXPECT_FALSE(XorObfuscation::fromPassword("sixteen chars!!!"));
    // Every length from 1 to 15 gives an array; applying the transform the other way round
    // (rotate left by 5, then XOR) and undoing it gives the bytes back, from any start index.
    std::vector<std::uint8_t> plain(300);
    std::iota(plain.begin(), plain.end(), 0);
    for (std::size_t length = 1; length <= 15; ++length) {
        const std::string password = std::string("VelvetSweatshop").substr(0, length);
        const auto xorArray = XorObfuscation::fromPassword(password);
        ASSERT_TRUE(xorArray) << length;
        std::vector<std::uint8_t> data = plain;
        for (std::size_t i = 0; i < data.size(); ++i) {
            const auto rotated = static_cast<std::uint8_t>((data[i] << 5) | (data[i] >> 3));
            data[i] = rotated ^ xorArray->array()[(i + 7) % 16];
        }
        xorArray->decrypt(data, 7);
        EXPECT_EQ(data, plain) << length;
    }
}

TEST(BlockRc4, Md5MethodVerifiesThePublishedTestVector) {
    const auto salt = hex("e8772c1d91c56a37964761b280183217");
    const auto verifier = hex("c9e997d454973d310bb1ba701426837e");
    const auto verifierHash = hex("b1de178f07e989c44dae5e4cf96ac407");
    EXPECT_TRUE(BlockRc4::md5(u"password1", salt).verifies(verifier, verifierHash));
    EXPECT_FALSE(BlockRc4::md5(u"password2", salt).verifies(verifier, verifierHash));
    EXPECT_FALSE(BlockRc4::md5(u"VelvetSweatshop", salt).verifies(verifier, verifierHash));
}

TEST(BlockRc4, VerifiesAVerifierEncryptedWithItsOwnBlockZeroKey) {
    const auto salt = hex("00112233445566778899aabbccddeeff");
    const auto verifier = hex("0f1e2d3c4b5a69788796a5b4c3d2e1f0");
    for (const unsigned bits : {40u, 56u, 128u}) {
        const auto digest = engine::crypto::sha1({verifier});
        std::vector<std::uint8_t> sealed(verifier);
        sealed.insert(sealed.end(), digest.begin(), digest.end());
        BlockRc4::sha1(u"VelvetSweatshop", salt, bits).apply(sealed, 0);
        const auto encryptedVerifier = std::span<const std::uint8_t>(sealed).first(16);
        const auto encryptedHash = std::span<const std::uint8_t>(sealed).subspan(16);
        EXPECT_TRUE(BlockRc4::sha1(u"VelvetSweatshop", salt, bits)
                        .verifies(encryptedVerifier, encryptedHash))
            << bits;
        EXPECT_FALSE(
            BlockRc4::sha1(u"password", salt, bits).verifies(encryptedVerifier, encryptedHash))
            << bits;
        if (bits != 128) {
            EXPECT_FALSE(BlockRc4::sha1(u"VelvetSweatshop", salt, 128)
                             .verifies(encryptedVerifier, encryptedHash))
                << bits;
        }
    }
}

TEST(BlockRc4, PiecesAtAnyPositionMatchTheWholeStreamEncipheredAtOnce) {
    const auto salt = hex("0102030405060708090a0b0c0d0e0f10");
    std::vector<std::uint8_t> whole(5000, 0);
    BlockRc4::md5(u"VelvetSweatshop", salt).apply(whole, 0);
    // Pieces forward with gaps, across block ends, then backwards: each equals the same bytes
    // of the whole.
    BlockRc4 pieces = BlockRc4::md5(u"VelvetSweatshop", salt);
    const std::pair<std::size_t, std::size_t> ranges[] = {
        {0, 4}, {8, 20}, {1000, 100}, {1100, 3000}, {4500, 500}, {10, 10}, {2047, 2}, {0, 1}};
    for (const auto& [start, count] : ranges) {
        std::vector<std::uint8_t> piece(count, 0);
        pieces.apply(piece, start);
        EXPECT_EQ(piece,
                  std::vector<std::uint8_t>(whole.begin() + start, whole.begin() + start + count))
            << start << "+" << count;
    }
}

} // namespace
