#pragma once
// The pixel size an image file declares in its header (PNG, GIF, JPEG, BMP, and the SVG of
// our metafile player).

#include <cstdint>
#include <optional>
#include <span>

namespace engine::web {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Reads only the header; nullopt for another format, a damaged header or a size of 0.
std::optional<PixelSize> imageSize(std::span<const std::uint8_t> bytes);

} // namespace engine::web
