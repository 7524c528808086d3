#pragma once
// The cell an address of a spreadsheet document names ("Sheet1.G31", "$'My sheet'.$G$31").

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace engine::ods {

// The 0-based row and column of the cell of `address` (after its sheet name, if any); nullopt
// when it is none or outside the grid.
std::optional<std::pair<std::uint32_t, std::uint16_t>> addressedCell(std::string_view address);

} // namespace engine::ods
