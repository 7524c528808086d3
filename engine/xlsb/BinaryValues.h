#pragma once
// The small structures that binary records share: strings, numbers, cell headers, ranges and
// colours.

#include "engine/model/Cell.h"
#include "engine/model/Sheet.h"
#include "engine/model/Style.h"
#include "engine/util/ByteCursor.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine::package {
class Colors;
}

namespace engine::xlsb {

// An XLWideString: a count of UTF-16 code units and the units, as UTF-8. Throws
// ReadError(Damaged) when the count runs past the record.
std::string wideString(util::ByteCursor& cursor);

// An XLNullableWideString: like wideString(), nullopt for the null count 0xFFFFFFFF.
std::optional<std::string> nullableWideString(util::ByteCursor& cursor);

// A RichStr: the text and its formatting runs (font indexes into the workbook's font table,
// starts turned from UTF-16 units into UTF-8 bytes); phonetic data is left out.
RichText richString(util::ByteCursor& cursor);

// An RkNumber: a 30-bit integer or the high 30 bits of a double, possibly divided by 100.
double rkNumber(std::uint32_t value);

// The Cell structure that starts every cell record.
struct CellHeader {
    std::uint32_t col = 0;
    std::uint32_t style = 0; // index into the cell formats
};
CellHeader cellHeader(util::ByteCursor& cursor);

// An RfX: rows then columns, first and last of each; nullopt when it is reversed or leaves the
// grid.
std::optional<Range> rfx(util::ByteCursor& cursor);

// A BrtColor structure (8 bytes) as a model colour: automatic, palette, RGB or theme slot with
// its tint.
Color color(util::ByteCursor& cursor, const package::Colors& colors);

} // namespace engine::xlsb
