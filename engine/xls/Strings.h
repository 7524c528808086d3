#pragma once
// The string layouts of BIFF records.

#include "engine/model/Cell.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xls/ContinuedRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::xls {

// The model's font index for a BIFF font number: the formats never use number 4, so the fonts
// after it are one place further down in the model's table.
inline std::uint32_t modelFont(std::uint16_t biffFont) {
    return biffFont >= 4 ? biffFont - 1u : biffFont;
}

// A BIFF8 string: a character count of `countBytes` (1 or 2) bytes, option flags, optional rich
// text runs and phonetic data (skipped), and 8- or 16-bit characters.
RichText readUnicodeString(ContinuedRecord& in, int countBytes);

// A BIFF2-7 string: a count of `countBytes` bytes, then bytes in the workbook's code page.
std::string readByteString(util::ByteCursor& in, util::CodePageDecoder& decoder, int countBytes);

// Rich text runs given as (character position, BIFF font) pairs, turned into the model's
// (UTF-8 byte offset, font) form with `unitOffsets` from ContinuedRecord::readChars.
void addRun(RichText& text, std::uint32_t charPos, std::uint16_t font,
            const std::vector<std::uint32_t>& unitOffsets);

// The UTF-8 offset of each character of `text` (one entry per UTF-16 unit; for 8-bit text read
// through a code page, one per character).
std::vector<std::uint32_t> utf8Offsets(const std::string& text);

} // namespace engine::xls
