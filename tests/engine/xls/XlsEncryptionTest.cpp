// Encrypted workbook streams: files encrypted here with the application's default password by
// each method open as if plain, files that need a password of their own stay encrypted, and the
// corpus's encrypted workbooks decrypt to their known contents with their own password.

#include "engine/base/ReadError.h"
#include "engine/cfb/CompoundFile.h"
#include "engine/crypto/BlockRc4.h"
#include "engine/crypto/Digest.h"
#include "engine/crypto/XorObfuscation.h"
#include "engine/read/ReadWorkbook.h"
#include "engine/xls/WorkbookStream.h"
#include "engine/xls/XlsReader.h"
#include "tests/engine/cfb/CompoundFileBuilder.h"
#include "tests/engine/xls/BiffBuilder.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using engine::ReadError;
using engine::crypto::BlockRc4;
using engine::crypto::XorObfuscation;
using testing_support::BiffWriter;
using testing_support::Bytes;

constexpr std::uint16_t filePassId = 0x002F;

// Enciphers one record body lying at `position` in a record of `size` bytes.
using Encipher = std::function<void(std::span<std::uint8_t>, std::size_t, std::size_t)>;

// Encrypts, as the application does, every record after the FILEPASS record except those it
// leaves plain, and BOUNDSHEET's first four bytes.
void encryptAfterFilePass(std::vector<std::uint8_t>& s, const Encipher& encipher) {
    std::size_t pos = 0;
    bool after = false;
    while (pos + 4 <= s.size()) {
        const std::uint16_t id = static_cast<std::uint16_t>(s[pos] | s[pos + 1] << 8);
        const std::size_t size = s[pos + 2] | s[pos + 3] << 8;
        const std::size_t body = pos + 4;
        const bool plain = id == 0x0809 || id == filePassId || id == 0x0194 || id == 0x0195 ||
                           id == 0x00E1 || id == 0x0196 || id == 0x0138;
        if (after && !plain) {
            const std::size_t skip = id == 0x0085 ? 4 : 0;
            encipher(std::span(s).subspan(body + skip, size - skip), body + skip, size);
        }
        after = after || id == filePassId;
        pos = body + size;
    }
}

// A BIFF8 workbook of one sheet with a shared string and enough numbers to span several
// 1024-byte blocks, FILEPASS (when given) right after the globals' BOF.
std::vector<std::uint8_t> biff8Workbook(const Bytes* filePass) {
    BiffWriter w;
    w.bof(0x0005);
    if (filePass)
        w.record(filePassId, *filePass);
    w.record(0x00E1, Bytes().u16(0x04B0)); // INTERFACEHDR
    w.record(0x0042, Bytes().u16(1200));   // CODEPAGE
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Secret sheet"));
    w.record(0x00FC, Bytes().u32(1).u32(1).str16("hidden text"));
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x00FD, Bytes().u16(0).u16(0).u16(15).u32(0));
    for (std::uint32_t i = 1; i <= 300; ++i)
        w.record(0x0203, Bytes().u16(i).u16(1).u16(15).f64(i * 0.5));
    w.eof();
    return w.bytes;
}

void expectPlainContents(const engine::Workbook& book) {
    ASSERT_EQ(book.sheets.size(), 1u);
    const engine::Sheet& sheet = book.sheets[0];
    EXPECT_EQ(sheet.name, "Secret sheet");
    ASSERT_EQ(sheet.cells.size(), 301u);
    EXPECT_EQ(book.strings.at(sheet.cells[0].text).text, "hidden text");
    for (const engine::Cell& cell : sheet.cells) {
        if (cell.type == engine::CellType::Number) {
            EXPECT_DOUBLE_EQ(cell.number, cell.row * 0.5) << cell.row;
        }
    }
}

std::vector<std::uint8_t> salt() {
    std::vector<std::uint8_t> bytes(16);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(0x3C + 17 * i);
    return bytes;
}

// The verifier and its hash, enciphered from the start of block 0 as the FILEPASS holds them.
template <typename Digest>
std::vector<std::uint8_t>
sealedVerifier(BlockRc4 cipher,
               Digest (*digest)(std::initializer_list<std::span<const std::uint8_t>>)) {
    std::vector<std::uint8_t> verifier(16);
    for (std::size_t i = 0; i < verifier.size(); ++i)
        verifier[i] = static_cast<std::uint8_t>(200 - 3 * i);
    const auto hash = digest({verifier});
    verifier.insert(verifier.end(), hash.begin(), hash.end());
    cipher.apply(verifier, 0);
    return verifier;
}

std::vector<std::uint8_t> encryptedWithRc4Md5(std::u16string_view password) {
    const auto sealed = sealedVerifier(BlockRc4::md5(password, salt()), &engine::crypto::md5);
    Bytes filePass;
    filePass.u16(1).u16(1).u16(1);
    const auto saltBytes = salt();
    filePass.data.insert(filePass.data.end(), saltBytes.begin(), saltBytes.end());
    filePass.data.insert(filePass.data.end(), sealed.begin(), sealed.end());
    auto stream = biff8Workbook(&filePass);
    BlockRc4 cipher = BlockRc4::md5(password, salt());
    encryptAfterFilePass(stream, [&](std::span<std::uint8_t> body, std::size_t at, std::size_t) {
        cipher.apply(body, at);
    });
    return stream;
}

Bytes cryptoApiFilePass(std::u16string_view password, std::uint32_t keyBits,
                        std::uint32_t algorithm = 0x6801) {
    const auto sealed = sealedVerifier(BlockRc4::sha1(password, salt(), keyBits ? keyBits : 40),
                                       &engine::crypto::sha1);
    Bytes filePass;
    filePass.u16(1).u16(4).u16(2).u32(0x04).u32(36);
    filePass.u32(0x04).u32(0).u32(algorithm).u32(0x8004).u32(keyBits).u32(1).u32(0).u32(0);
    filePass.u16('X').u16(0);
    filePass.u32(16);
    const auto saltBytes = salt();
    filePass.data.insert(filePass.data.end(), saltBytes.begin(), saltBytes.end());
    filePass.data.insert(filePass.data.end(), sealed.begin(), sealed.begin() + 16);
    filePass.u32(20);
    filePass.data.insert(filePass.data.end(), sealed.begin() + 16, sealed.end());
    return filePass;
}

std::vector<std::uint8_t> encryptedWithCryptoApi(std::u16string_view password,
                                                 std::uint32_t keyBits) {
    const Bytes filePass = cryptoApiFilePass(password, keyBits);
    auto stream = biff8Workbook(&filePass);
    BlockRc4 cipher = BlockRc4::sha1(password, salt(), keyBits ? keyBits : 40);
    encryptAfterFilePass(stream, [&](std::span<std::uint8_t> body, std::size_t at, std::size_t) {
        cipher.apply(body, at);
    });
    return stream;
}

Encipher xorEncipher(const std::string& password) {
    const auto array = XorObfuscation::fromPassword(password)->array();
    return [array](std::span<std::uint8_t> body, std::size_t at, std::size_t size) {
        for (std::size_t i = 0; i < body.size(); ++i) {
            const auto rotated = static_cast<std::uint8_t>((body[i] << 5) | (body[i] >> 3));
            body[i] = rotated ^ array[(at + i + size) % 16];
        }
    };
}

std::vector<std::uint8_t> encryptedWithXor(const std::string& password) {
    const Bytes filePass = Bytes()
                               .u16(0)
                               .u16(XorObfuscation::keyOf(password))
                               .u16(XorObfuscation::verifierOf(password));
    auto stream = biff8Workbook(&filePass);
    encryptAfterFilePass(stream, xorEncipher(password));
    return stream;
}

template <typename F> ReadError catchError(F&& f) {
    try {
        f();
    } catch (const ReadError& error) {
        return error;
    }
    ADD_FAILURE() << "no ReadError";
    return ReadError(ReadError::Kind::Missing, "");
}

TEST(EncryptedStream, EveryMethodWithTheDefaultPasswordOpensWithoutAsking) {
    const std::pair<const char*, std::vector<std::uint8_t>> streams[] = {
        {"XOR", encryptedWithXor("VelvetSweatshop")},
        {"RC4", encryptedWithRc4Md5(u"VelvetSweatshop")},
        {"CryptoAPI 40-bit", encryptedWithCryptoApi(u"VelvetSweatshop", 40)},
        {"CryptoAPI, key size 0", encryptedWithCryptoApi(u"VelvetSweatshop", 0)},
        {"CryptoAPI 128-bit", encryptedWithCryptoApi(u"VelvetSweatshop", 128)},
    };
    for (const auto& [method, stream] : streams) {
        SCOPED_TRACE(method);
        ASSERT_NE(stream, biff8Workbook(nullptr)); // the test did encrypt
        expectPlainContents(engine::xls::readWorkbookStream(stream, false));
        // Through the compound file the stream is decrypted where it lies.
        testing_support::CompoundFileBuilder builder;
        builder.addStream("Workbook", stream);
        expectPlainContents(engine::xls::readCompoundFile(builder.build()));
    }
}

TEST(EncryptedStream, Biff5XorObfuscationDecryptsTextInItsCodePage) {
    BiffWriter w;
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0005).u16(0).u16(0));
    w.record(filePassId, Bytes()
                             .u16(XorObfuscation::keyOf("VelvetSweatshop"))
                             .u16(XorObfuscation::verifierOf("VelvetSweatshop")));
    w.record(0x0042, Bytes().u16(1251));
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).u8(2).u8(0xCB).u8(0xE8)); // "Ли"
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0010).u16(0).u16(0));
    w.record(0x0204, Bytes().u16(0).u16(0).u16(15).u16(3).u8(0xCC).u8(0xE8).u8('r'));
    w.eof();
    encryptAfterFilePass(w.bytes, xorEncipher("VelvetSweatshop"));
    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, true);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "\xD0\x9B\xD0\xB8");
    ASSERT_EQ(book.sheets[0].cells.size(), 1u);
    EXPECT_EQ(book.strings.at(book.sheets[0].cells[0].text).text, "\xD0\x9C\xD0\xB8r");
}

TEST(EncryptedStream, APasswordOfItsOwnStaysEncrypted) {
    const std::pair<const char*, std::vector<std::uint8_t>> streams[] = {
        {"XOR", encryptedWithXor("secret")},
        {"RC4", encryptedWithRc4Md5(u"secret")},
        {"CryptoAPI", encryptedWithCryptoApi(u"secret", 128)},
    };
    for (const auto& entry : streams) {
        SCOPED_TRACE(entry.first);
        const std::vector<std::uint8_t>& stream = entry.second;
        const ReadError error = catchError([&] { engine::xls::readWorkbookStream(stream, false); });
        EXPECT_EQ(error.kind(), ReadError::Kind::Encrypted);
        EXPECT_NE(error.detail().find("password of its own"), std::string::npos) << error.detail();
        EXPECT_EQ(error.describe("a.xls"), "The workbook is encrypted and cannot be opened.");
    }
}

TEST(EncryptedStream, UnknownMethodsAreEncryptedAndACutShortFilePassIsDamaged) {
    const Bytes aes = cryptoApiFilePass(u"VelvetSweatshop", 128, 0x660E);
    const Bytes unknownType = Bytes().u16(7).u16(0).u16(0);
    const Bytes unknownVersion = Bytes().u16(1).u16(9).u16(9).u32(0);
    for (const Bytes* filePass : {&aes, &unknownType, &unknownVersion}) {
        const auto stream = biff8Workbook(filePass);
        EXPECT_EQ(catchError([&] { engine::xls::readWorkbookStream(stream, false); }).kind(),
                  ReadError::Kind::Encrypted);
    }
    Bytes cut = cryptoApiFilePass(u"VelvetSweatshop", 128);
    cut.data.resize(40);
    const auto stream = biff8Workbook(&cut);
    const ReadError error = catchError([&] { engine::xls::readWorkbookStream(stream, false); });
    EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
    EXPECT_NE(error.detail().find("FILEPASS"), std::string::npos) << error.detail();
}

// The corpus's encrypted workbooks: each needs the password "password", and with it gives what
// the projects that contributed them assert.
engine::Workbook openWithPassword(const std::string& file, std::u16string_view password) {
    std::ifstream in(testing_support::corpusFile(file), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    const engine::cfb::CompoundFile container(bytes);
    const engine::cfb::Entry* entry = container.findStream("Workbook");
    const bool isBook = entry == nullptr;
    if (isBook)
        entry = container.findStream("Book");
    EXPECT_NE(entry, nullptr);
    std::vector<std::uint8_t> stream = container.read(*entry);
    return engine::xls::readWorkbookStreamInPlace(stream, isBook, password);
}

TEST(EncryptedCorpus, EachFileDecryptsWithItsOwnPasswordAndNotWithTheDefault) {
    for (const char* file : {"bad/edr-Test_git_issue_242_std_rc4_pwd_password.xls",
                             "bad/edr-Test_git_issue_242_xor_pwd_password.xls"}) {
        SCOPED_TRACE(file);
        const engine::Workbook book = openWithPassword(file, u"password");
        ASSERT_EQ(book.sheets.size(), 1u);
        EXPECT_EQ(book.sheets[0].name, "Sheet1");
        ASSERT_FALSE(book.sheets[0].cells.empty());
        EXPECT_EQ(book.strings.at(book.sheets[0].cells[0].text).text, "Password: password");
        EXPECT_EQ(catchError([&] { openWithPassword(file, u"wrongpassword"); }).kind(),
                  ReadError::Kind::Encrypted);
    }
    const engine::Workbook book =
        openWithPassword("bad/edr-Test_git_issue_477_crypto_keylength40.xls", u"password");
    ASSERT_EQ(book.sheets.size(), 3u);
    const auto& cells = book.sheets[0].cells;
    ASSERT_GE(cells.size(), 3u);
    EXPECT_EQ(cells[0].row, 0u);
    EXPECT_DOUBLE_EQ(cells[0].number, 1);
    EXPECT_EQ(cells[1].row, 1u);
    EXPECT_DOUBLE_EQ(cells[1].number, 2);
    EXPECT_EQ(cells[2].col, 1u);
    EXPECT_DOUBLE_EQ(cells[2].number, 10);
}

// A Mac workbook encrypted with the default password: it opens without asking, as it does in
// the application, although the manifest lists it among the encrypted files.
TEST(EncryptedCorpus, DefaultPasswordWorkbookFromMacOpens) {
    const engine::Workbook book =
        engine::readWorkbook(testing_support::corpusFile("bad/calamine-issue_385.xls").string());
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "Sheet1");
}

} // namespace
