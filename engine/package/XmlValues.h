#pragma once
// Decoding the small values of SpreadsheetML attributes and text: cell references, escaped
// characters and ISO 8601 dates (booleans, numbers and colours come with AttributeValues.h).

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"
#include "engine/package/AttributeValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine::package {

struct CellPosition {
    std::uint32_t row = 0; // 0-based
    std::uint16_t col = 0; // 0-based
};

enum class RefStatus { Ok, Malformed, OutsideGrid };

// "B7" or "$B$7" into a position; OutsideGrid for a well-formed reference past the grid limits.
RefStatus parseCellRef(std::string_view text, CellPosition& position);

// "A1:C3" or a single "B2" into a normalised range; nullopt when malformed or outside the grid.
std::optional<Range> parseRange(std::string_view text);

// Replaces the "_xHHHH_" escapes of the format by the characters they stand for ("_x005F_"
// being a literal "_"), joining surrogate pairs; unpaired surrogates become U+FFFD.
void decodeEscapes(std::string& text);

// An ISO 8601 date, date-time or time ("2021-01-01", "2021-01-01T10:10:10", "10:10:10") as a
// serial number of `system`; nullopt when malformed or before the system's epoch.
std::optional<double> isoDateToSerial(std::string_view text, DateSystem system);

} // namespace engine::package
