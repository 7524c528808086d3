#pragma once
// A comment (note) attached to one cell of a worksheet.

#include <cstdint>
#include <string>

namespace engine {

struct Comment {
    std::uint32_t row = 0; // 0-based
    std::uint16_t col = 0;
    std::string author; // UTF-8, may be empty
    std::string text;   // UTF-8, with line breaks as "\n"
    bool shown = false; // kept open on the sheet rather than shown on hover only
};

} // namespace engine
