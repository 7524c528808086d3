#pragma once
// Plays the records of a Windows metafile (with or without its placeable header).

#include "engine/metafile/Metafile.h"

namespace engine::metafile {

// Throws ReadError(Damaged) for a broken header; damage further on stops playing.
Rendered playWmf(std::span<const std::uint8_t> bytes,
                 std::optional<std::pair<double, double>> sizeHintPt);

} // namespace engine::metafile
