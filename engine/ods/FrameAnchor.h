#pragma once
// Where a draw:frame (or another shape) of a table sits: its cell, offsets and size, and the
// cell its bottom-right corner is tied to when it moves and stretches with its cells.

#include "engine/model/Anchor.h"
#include "engine/model/Sheet.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine::ods {

// The anchor of a frame with `attributes`: in cell (`row`, `col`) for one inside a table cell,
// at the sheet's top-left corner for one of the table's shapes (nullopt). Lengths in any unit
// become points; a table:end-cell-address inside the grid ties the frame to two cells.
Anchor frameAnchor(const xml::Attributes& attributes,
                   std::optional<std::pair<std::uint64_t, std::uint64_t>> cell);

// Writers disagree on whether a frame in a cell measures svg:x and svg:y from the cell or from
// the sheet's top-left corner (the suite itself does the latter). Once the sheet's sizes are
// known, an offset that lands inside its own cell when measured from the sheet is taken so, and
// turned into one from the cell, for every picture and chart of `sheet`.
void settleCellOffsets(Sheet& sheet);

} // namespace engine::ods
