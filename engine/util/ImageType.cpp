#include "engine/util/ImageType.h"

namespace engine::util {

ImageType imageType(std::string_view bytes) {
    const auto starts = [&](std::string_view magic) { return bytes.starts_with(magic); };
    if (starts("\x89PNG\r\n\x1a\n"))
        return ImageType::Png;
    if (starts("\xFF\xD8\xFF"))
        return ImageType::Jpeg;
    if (starts("GIF87a") || starts("GIF89a"))
        return ImageType::Gif;
    // A file header and the smallest bitmap header: anything shorter has no size to show.
    if (starts("BM") && bytes.size() >= 26)
        return ImageType::Bmp;
    if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4)))
        return ImageType::Tiff;
    if (starts("RIFF") && bytes.size() >= 12 && bytes.substr(8, 4) == "WEBP")
        return ImageType::WebP;
    return ImageType::None;
}

ImageType imageType(std::span<const std::uint8_t> bytes) {
    return imageType(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string_view mimeType(ImageType type) {
    switch (type) {
    case ImageType::Png:
        return "image/png";
    case ImageType::Jpeg:
        return "image/jpeg";
    case ImageType::Gif:
        return "image/gif";
    case ImageType::Bmp:
        return "image/bmp";
    case ImageType::Tiff:
        return "image/tiff";
    case ImageType::WebP:
        return "image/webp";
    case ImageType::None:
        break;
    }
    return {};
}

} // namespace engine::util
