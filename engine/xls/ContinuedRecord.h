#pragma once
// One logical record made of a record and the CONTINUE records after it, read as one stream of
// bytes. Strings are the exception the format makes: when the characters of a string cross
// into the next CONTINUE record, that record starts with a fresh option byte saying whether the
// rest is 8-bit or 16-bit.

#include "engine/xls/RecordReader.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine::xls {

class ContinuedRecord {
public:
    // Takes `first` and pulls every CONTINUE record that follows it out of `reader`.
    ContinuedRecord(const Record& first, RecordReader& reader, const char* what);
    // From explicit pieces (tests).
    ContinuedRecord(std::vector<std::span<const std::uint8_t>> pieces, std::size_t offset,
                    const char* what);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void skip(std::size_t count);
    bool atEnd();

    // Appends `count` characters as UTF-8; `highByte` says whether they start out as 16-bit.
    // `unitOffsets`, when given, receives the UTF-8 offset of every character read.
    void readChars(std::string& out, std::size_t count, bool highByte,
                   std::vector<std::uint32_t>* unitOffsets = nullptr);

    // Everything left, joined (drawing records, whose CONTINUE records carry plain bytes).
    std::vector<std::uint8_t> rest();

private:
    bool advance(); // to the next piece; false when none is left
    [[noreturn]] void fail(std::size_t need) const;

    std::vector<std::span<const std::uint8_t>> pieces_;
    std::vector<std::size_t> offsets_;
    const char* what_;
    std::size_t piece_ = 0;
    std::size_t pos_ = 0;
};

} // namespace engine::xls
