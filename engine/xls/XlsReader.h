#pragma once
// Binary workbooks: BIFF8 (97-2003) and BIFF5/7 (5.0/95) in a compound file, and the raw
// BIFF2-4 worksheet streams of the oldest versions.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <span>

namespace engine::xls {

// `bytes` is a compound file. A workbook stream encrypted with the default password is
// decrypted. Throws ReadError: Encrypted for a FILEPASS record that needs another password or
// an encrypted OOXML package (EncryptionInfo/EncryptedPackage streams), NotWorkbook when no
// workbook stream is present, Damaged for a broken container or stream.
// `text` says whether formulas are decoded when nothing will be computed.
Workbook
readCompoundFile(std::span<const std::uint8_t> bytes,
                 formula::tokens::FormulaText text = formula::tokens::FormulaText::WhenComputed);

// `bytes` starts with a BIFF2, BIFF3 or BIFF4 BOF record (no container). Throws ReadError.
Workbook readRawBiff(std::span<const std::uint8_t> bytes);

// True when `bytes` starts like a raw BIFF2-4 stream.
bool looksLikeRawBiff(std::span<const std::uint8_t> bytes);

} // namespace engine::xls
