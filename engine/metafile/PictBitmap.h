#pragma once
// The bitmap opcodes of PICT pictures (BitsRect, BitsRgn, PackBitsRect, PackBitsRgn,
// DirectBitsRect, DirectBitsRgn): indexed pixels of 1, 2, 4 or 8 bits and direct ones of 16 or
// 32, plain or run-length packed, decoded into a BMP file that browsers draw.

#include "engine/metafile/GdiState.h"
#include "engine/metafile/PictReader.h"

#include <cstdint>
#include <vector>

namespace engine::metafile {

struct PictBitmap {
    std::vector<std::uint8_t> bmp; // empty when the bitmap is not drawn (too large, odd depth)
    std::int16_t top = 0, left = 0, bottom = 0, right = 0; // where it goes, in picture units
};

bool isPictBitmapOpcode(std::uint16_t op);

// Reads the data of bitmap opcode `op` from `in`, leaving it after the data; a 1-bit bitmap
// draws its set pixels in `fore` and the others in `back`. Throws ReadError(Damaged) for data
// that ends early.
PictBitmap readPictBitmap(PictReader& in, std::uint16_t op, ColorRef fore, ColorRef back);

// Unpacks one row of run-length packed data into `out` (`count` bytes), in units of `item`
// bytes (1, or 2 for 16-bit pixels); a short or broken row leaves the rest 0.
void unpackBits(std::span<const std::uint8_t> packed, std::size_t item, std::uint8_t* out,
                std::size_t count);

} // namespace engine::metafile
