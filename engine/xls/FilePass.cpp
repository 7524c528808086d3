#include "engine/xls/FilePass.h"

#include "engine/base/ReadError.h"
#include "engine/crypto/BlockRc4.h"
#include "engine/crypto/XorObfuscation.h"
#include "engine/util/ByteCursor.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/Records.h"

#include <optional>
#include <string>

namespace engine::xls {
namespace {

// FILEPASS encryption types and RC4 header versions (MS-XLS 2.4.117, MS-OFFCRYPTO 2.3.5.1 and
// 2.3.6.1).
constexpr std::uint16_t typeXor = 0x0000;
constexpr std::uint16_t typeRc4 = 0x0001;
constexpr std::uint32_t algorithmRc4 = 0x6801;
constexpr std::uint32_t hashSha1 = 0x8004;

[[noreturn]] void refuse(std::size_t offset, const std::string& why) {
    throw ReadError(ReadError::Kind::Encrypted,
                    "FILEPASS record at offset " + util::hexOffset(offset) + ": " + why);
}

// The 8-bit form of a password for the XOR method: each character's low byte, or its high byte
// when the low one is zero.
std::string passwordBytes(std::u16string_view password) {
    std::string bytes;
    for (const char16_t c : password)
        bytes.push_back(static_cast<char>((c & 0xFF) ? (c & 0xFF) : (c >> 8)));
    return bytes;
}

bool leftPlain(std::uint16_t id) {
    switch (id) {
    case rec::BOF:
    case rec::FilePass:
    case rec::UsrExcl:
    case rec::FileLock:
    case rec::InterfaceHdr:
    case rec::RrdInfo:
    case rec::RrdHead:
        return true;
    default:
        return false;
    }
}

// One of the two ciphers, opened with the password.
struct Cipher {
    std::optional<crypto::XorObfuscation> xorArray;
    std::optional<crypto::BlockRc4> rc4;

    // `body` starts at `position` in the stream; `recordSize` is the size of its whole record.
    void decrypt(std::span<std::uint8_t> body, std::size_t position, std::size_t recordSize) {
        if (rc4)
            rc4->apply(body, position);
        else
            // The array index of a byte is its stream position plus its record's size.
            xorArray->decrypt(body, position + recordSize);
    }
};

Cipher openXor(util::ByteCursor& in, std::size_t offset, std::u16string_view password) {
    const std::uint16_t key = in.u16();
    const std::uint16_t verifier = in.u16();
    const std::string bytes = passwordBytes(password);
    auto obfuscation = crypto::XorObfuscation::fromPassword(bytes);
    if (!obfuscation || crypto::XorObfuscation::keyOf(bytes) != key ||
        crypto::XorObfuscation::verifierOf(bytes) != verifier)
        refuse(offset, "XOR obfuscation with a password of its own");
    return Cipher{std::move(obfuscation), std::nullopt};
}

Cipher openRc4(util::ByteCursor& in, std::size_t offset, std::u16string_view password) {
    const std::uint16_t major = in.u16();
    const std::uint16_t minor = in.u16();
    if (major == 1 && minor == 1) {
        const auto salt = in.bytes(16);
        const auto verifier = in.bytes(16);
        const auto verifierHash = in.bytes(16);
        crypto::BlockRc4 rc4 = crypto::BlockRc4::md5(password, salt);
        if (!rc4.verifies(verifier, verifierHash))
            refuse(offset, "RC4 encryption with a password of its own");
        return Cipher{std::nullopt, std::move(rc4)};
    }
    if (major >= 2 && major <= 4 && minor == 2) {
        in.skip(4); // flags, repeated in the header
        const std::uint32_t headerSize = in.u32();
        if (headerSize < 32 || headerSize > in.remaining())
            throw ReadError(ReadError::Kind::Damaged,
                            "FILEPASS record at offset " + util::hexOffset(offset) +
                                ": expected an encryption header of 32 to " +
                                std::to_string(in.remaining()) + " bytes, found " +
                                std::to_string(headerSize));
        util::ByteCursor header(in.bytes(headerSize), "FILEPASS encryption header");
        header.skip(8); // flags, size of extra data
        const std::uint32_t algorithm = header.u32();
        const std::uint32_t hash = header.u32();
        std::uint32_t keyBits = header.u32();
        if (keyBits == 0)
            keyBits = 40;
        if ((algorithm != algorithmRc4 && algorithm != 0) || (hash != hashSha1 && hash != 0) ||
            keyBits < 40 || keyBits > 128 || keyBits % 8 != 0)
            refuse(offset, "CryptoAPI encryption with algorithm " + util::hexOffset(algorithm) +
                               ", hash " + util::hexOffset(hash) + " and a " +
                               std::to_string(keyBits) +
                               "-bit key, which this program does not read");
        const std::uint32_t saltSize = in.u32();
        if (saltSize != 16)
            refuse(offset, "CryptoAPI encryption with a salt of " + std::to_string(saltSize) +
                               " bytes, expected 16");
        const auto salt = in.bytes(16);
        const auto verifier = in.bytes(16);
        const std::uint32_t hashSize = in.u32();
        if (hashSize != 20)
            refuse(offset, "CryptoAPI encryption with a verifier hash of " +
                               std::to_string(hashSize) + " bytes, expected 20");
        const auto verifierHash = in.bytes(20);
        crypto::BlockRc4 rc4 = crypto::BlockRc4::sha1(password, salt, keyBits);
        if (!rc4.verifies(verifier, verifierHash))
            refuse(offset, "RC4 CryptoAPI encryption with a password of its own");
        return Cipher{std::nullopt, std::move(rc4)};
    }
    refuse(offset, "RC4 encryption header version " + std::to_string(major) + "." +
                       std::to_string(minor) + ", which this program does not read");
}

} // namespace

std::size_t findFilePass(std::span<const std::uint8_t> stream) {
    RecordReader reader(stream);
    Record record;
    try {
        if (!reader.next(record) || record.id != rec::BOF)
            return std::string_view::npos;
        while (reader.next(record)) {
            if (record.id == rec::FilePass)
                return record.offset;
            if (record.id == rec::EOF_ || record.id == rec::BOF)
                break;
        }
    } catch (const ReadError&) {
        // A broken record is the reader's to report.
    }
    return std::string_view::npos;
}

void decryptStream(std::span<std::uint8_t> stream, std::size_t filePassOffset, int version,
                   std::u16string_view password) {
    RecordReader reader(stream);
    reader.seek(filePassOffset);
    Record filePass;
    reader.next(filePass);
    util::ByteCursor in(filePass.body, "FILEPASS record", filePass.offset + 4);
    Cipher cipher;
    if (version < 8) {
        cipher = openXor(in, filePass.offset, password);
    } else {
        const std::uint16_t type = in.u16();
        if (type == typeXor)
            cipher = openXor(in, filePass.offset, password);
        else if (type == typeRc4)
            cipher = openRc4(in, filePass.offset, password);
        else
            refuse(filePass.offset, "encryption type " + std::to_string(type) +
                                        ", which this program does not read");
    }

    // Record by record to the end; a record cut short by the end of the stream is left for the
    // reader to report.
    std::size_t pos = reader.position();
    while (stream.size() - pos >= 4) {
        const std::uint16_t id = util::loadU16(stream.data() + pos);
        const std::uint16_t size = util::loadU16(stream.data() + pos + 2);
        const std::size_t body = pos + 4;
        if (size > stream.size() - body)
            break;
        if (!leftPlain(id)) {
            // BOUNDSHEET's substream offset stays plain so that sheets can be found unread.
            const std::size_t plain = id == rec::BoundSheet ? std::min<std::size_t>(4, size) : 0;
            cipher.decrypt(stream.subspan(body + plain, size - plain), body + plain, size);
        }
        pos = body + size;
    }
}

} // namespace engine::xls
