#pragma once
// What an OBJ record of BIFF8 describes: its common object data (ftCmo) at the record's start.

#include "engine/xls/RecordReader.h"

#include <cstdint>
#include <optional>

namespace engine::xls {

struct ObjectKind {
    std::uint16_t type = 0; // 1 line, 2 rectangle, 3 oval, 4 arc, 5 chart, 6 text box, 25 note...
    std::uint16_t id = 0;
};

// Nullopt when the record does not start with common object data.
std::optional<ObjectKind> readObjectKind(const Record& record);

namespace object {
inline constexpr std::uint16_t group = 0, line = 1, rectangle = 2, oval = 3, arc = 4, chart = 5,
                               textBox = 6, picture = 8, note = 25, officeArt = 30;
}

} // namespace engine::xls
