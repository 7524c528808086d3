#pragma once
// The text of a TXO record (a note's, a text box's or a shape's): its characters from the
// CONTINUE records after it, where its fonts change, and how it is aligned in its box.

#include "engine/xls/RecordReader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace engine::xls {

struct TextObject {
    struct Run {
        std::size_t start = 0;  // byte offset into `text`
        std::uint16_t font = 0; // FONT record number as cells count them (4 is never used)
    };
    std::string text;            // UTF-8, lines ending as the file ends them
    std::vector<Run> runs;       // sorted by start; the first at 0 when there is text
    std::uint8_t horizontal = 1; // 1 left, 2 centred, 3 right, 4 justified, 7 distributed
    std::uint8_t vertical = 1;   // 1 top, 2 middle, 3 bottom, 4 justified, 7 distributed
    std::uint16_t rotation = 0;  // 0 none, 1 stacked, 2 90° counter-clockwise, 3 clockwise
};

// Reads `txo` and the CONTINUE records after it (`continues`); nullopt when it holds no text
// or the text is damaged. Formatting runs past damage are dropped, the text is kept.
std::optional<TextObject> readTextObject(const Record& txo,
                                         std::vector<std::span<const std::uint8_t>> continues);

} // namespace engine::xls
