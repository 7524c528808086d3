#pragma once
// The colours series get when the file names none.

#include <array>
#include <cstddef>
#include <cstdint>

namespace engine::chart {

// The theme's six accents, then the same darkened and lightened in the application's order
// (darker by 40 %, lighter by 20 %, darker by 20 %, lighter by 40 % ...), repeating after nine
// rounds; as 0xRRGGBB.
std::uint32_t defaultSeriesColor(std::size_t index, const std::array<std::uint32_t, 6>& accents);

} // namespace engine::chart
