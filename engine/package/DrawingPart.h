#pragma once
// The pictures of a worksheet's drawing part.

#include "engine/model/Sheet.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

// Appends to `sheet.pictures` every picture of drawing part `part` whose image is embedded in
// the package in a format a browser shows (PNG, JPEG, GIF, BMP, TIFF, WebP; EMF and WMF are
// turned into SVG of our own), with its anchor;
// linked images, charts and shapes are left out. `sheet`'s sizes must be read already.
// `pictureBytes` counts the image bytes of the workbook so far: pictures past
// limits::maxPictureBytesPerWorkbook are left out. Throws ReadError(Damaged) for a malformed part
// or an image over limits::maxPictureBytes.
void readDrawing(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                 std::uint64_t& pictureBytes);

// Sets `sheet.background` to the image of package part `part` when it is one a page shows
// (metafiles become SVG); `pictureBytes` counts and bounds as for readDrawing. Throws
// ReadError(Damaged) for an image over limits::maxPictureBytes.
void readBackground(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                    std::uint64_t& pictureBytes);

} // namespace engine::xlsx
