#pragma once
// What kind of image a run of bytes is, by its leading bytes: the one place every reader and the
// page writer tell image formats apart.

#include <cstdint>
#include <span>
#include <string_view>

namespace engine::util {

enum class ImageType : std::uint8_t { None, Png, Jpeg, Gif, Bmp, Tiff, WebP };

// The format of an image file a browser shows; None for anything else (metafiles included) or
// a file too short to hold more than its signature.
ImageType imageType(std::span<const std::uint8_t> bytes);
ImageType imageType(std::string_view bytes);

// "image/png" and so on; empty for None.
std::string_view mimeType(ImageType type);

} // namespace engine::util
