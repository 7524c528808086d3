#pragma once
// Plays the records of an enhanced metafile onto an SVG canvas.

#include "engine/metafile/Metafile.h"

namespace engine::metafile {

// Throws ReadError(Damaged) for a broken header; damage further on stops playing.
Rendered playEmf(std::span<const std::uint8_t> bytes);

} // namespace engine::metafile
