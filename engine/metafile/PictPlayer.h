#pragma once
// Macintosh PICT pictures (version 2, as Mac workbooks store them): the common drawing
// opcodes played into our own SVG; what cannot be drawn leaves a framed placeholder.

#include "engine/metafile/Metafile.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace engine::metafile {

// Where the picture's own data starts in `bytes` (0, or 512 after a file's header); npos
// when `bytes` is no version 2 PICT.
std::size_t pictStart(std::span<const std::uint8_t> bytes);

// Plays a PICT picture. Lines, rectangles, rounded rectangles, ovals, arcs, polygons, texts
// and bitmaps are drawn, regions as their bounding rectangles; pixel patterns stop the playing,
// and a picture that draws nothing is shown as a dashed frame naming its size. Throws
// ReadError(Damaged) for a header that is not a version 2 PICT's.
Rendered playPict(std::span<const std::uint8_t> bytes);

} // namespace engine::metafile
