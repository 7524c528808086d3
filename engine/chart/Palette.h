#pragma once
// The colours series get when the file names none.

#include <cstddef>
#include <cstdint>

namespace engine::chart {

// The default theme's six accents, then their darker and lighter variants, repeating after
// that; as 0xRRGGBB.
std::uint32_t defaultSeriesColor(std::size_t index);

} // namespace engine::chart
