#pragma once
// The sizes a drawing anchor is measured in: EMU attributes, column widths and row heights.

#include "engine/model/Sheet.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <string_view>

namespace engine::xlsx {

// An EMU attribute's value; 0 when it is missing, negative or absurdly large.
double emu(const xml::Attributes& attributes, std::string_view name);

// A column's width in points as the application draws it: characters to whole pixels (7 per
// digit of the default font), 3 points per 4 pixels; 0 for a hidden column.
double columnWidthPt(const Sheet& sheet, std::uint64_t col);

// A row's height in points; 0 for a hidden row, the sheet's default for one without a height.
double rowHeightPt(const Sheet& sheet, std::uint64_t row);

} // namespace engine::xlsx
