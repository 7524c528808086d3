#pragma once
// Encrypted BIFF5/BIFF8 workbook streams: the FILEPASS record says how the bodies of the
// records after it are enciphered (XOR obfuscation, RC4 with MD5 keys, or RC4 CryptoAPI with
// SHA-1 keys); their headers stay plain, so the stream can be decrypted record by record where
// it lies.

#include <cstdint>
#include <span>
#include <string_view>

namespace engine::xls {

// The password the application encrypts a workbook with when the user set none (a workbook
// saved with its structure protected, for one): such a file opens without asking.
inline constexpr std::u16string_view defaultPassword = u"VelvetSweatshop";

// The offset of the FILEPASS record among the workbook globals' records (before their EOF);
// npos when the stream is not encrypted or does not start with a BOF record.
std::size_t findFilePass(std::span<const std::uint8_t> stream);

// Decrypts in place the body of every record after the FILEPASS record at `filePassOffset`,
// except those the format leaves plain, with `password`. `version` is 5 or 8. Throws
// ReadError: Encrypted when the password is not the file's or the method is one this program
// does not know, Damaged when the FILEPASS record is cut short.
void decryptStream(std::span<std::uint8_t> stream, std::size_t filePassOffset, int version,
                   std::u16string_view password);

} // namespace engine::xls
