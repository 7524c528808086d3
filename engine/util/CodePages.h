#pragma once
// The code pages a CODEPAGE record can carry (the Windows code page identifiers and the values
// the binary workbook formats add) and how this program decodes each: by the name this
// system's iconv knows it under, or by a table of its upper half where iconv has none.

#include <cstdint>
#include <span>

namespace engine::util {

struct CodePage {
    std::uint16_t number;
    const char* iconvName;       // null when `upperHalf` decodes it
    const char16_t* upperHalf;   // bytes 0x80-0xFF, when iconv has no converter for it
    bool asciiCompatible = true; // bytes below 0x80 are ASCII whatever surrounds them
};

// How `number` is decoded; null for a code page this program does not know.
const CodePage* findCodePage(std::uint16_t number);

// Every code page known, in rising order of number.
std::span<const CodePage> knownCodePages();

} // namespace engine::util
