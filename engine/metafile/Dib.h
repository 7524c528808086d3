#pragma once
// Device-independent bitmaps as metafiles and workbook records carry them, turned into BMP
// files that browsers decode.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine::metafile {

// A BMP file of a bitmap header (with its colour table) and its pixels given apart; empty when
// the header is not one browsers draw or the pixels are fewer than the header promises.
std::vector<std::uint8_t> bmpFromParts(std::span<const std::uint8_t> header,
                                       std::span<const std::uint8_t> bits);

// The same for a packed bitmap: header, colour table and pixels in one run of bytes.
std::vector<std::uint8_t> bmpFromPacked(std::span<const std::uint8_t> dib);

} // namespace engine::metafile
