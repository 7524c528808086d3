#include "engine/web/ImageSize.h"

#include "engine/base/Limits.h"
#include "engine/util/ImageType.h"

#include <algorithm>
#include <string_view>

namespace engine::web {
namespace {

std::uint32_t bigEndian(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | b[at + static_cast<std::size_t>(i)];
    return value;
}

std::uint32_t littleEndian(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | b[at + static_cast<std::size_t>(i)];
    return value;
}

std::optional<PixelSize> checked(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || width > limits::maxImageSidePixels ||
        height > limits::maxImageSidePixels)
        return std::nullopt;
    return PixelSize{static_cast<int>(width), static_cast<int>(height)};
}

// Only the SVG our metafile player writes reaches a page; its root starts with its size.
std::optional<PixelSize> svgSize(std::span<const std::uint8_t> b) {
    static constexpr std::string_view root = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    const std::string_view text(reinterpret_cast<const char*>(b.data()),
                                std::min<std::size_t>(b.size(), 160));
    if (text.substr(0, root.size()) != root)
        return std::nullopt;
    auto number = [&](std::size_t at) -> std::uint32_t {
        std::uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' &&
               value <= limits::maxImageSidePixels)
            value = value * 10 + static_cast<std::uint32_t>(text[at++] - '0');
        // Sizes carry up to two decimals: rounded to whole pixels.
        if (at + 1 < text.size() && text[at] == '.' && text[at + 1] >= '5' && text[at + 1] <= '9')
            ++value;
        return value;
    };
    const std::uint32_t width = number(root.size());
    const std::size_t heightAt = text.find("height=\"");
    if (heightAt == std::string_view::npos)
        return std::nullopt;
    return checked(width, number(heightAt + 8));
}

std::optional<PixelSize> jpegSize(std::span<const std::uint8_t> b) {
    std::size_t at = 2;
    while (at + 9 < b.size()) {
        if (b[at] != 0xFF)
            return std::nullopt;
        std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        std::uint32_t length = bigEndian(b, at + 2, 2);
        // Start-of-frame markers carry the size; C4, C8 and CC are other tables.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return checked(bigEndian(b, at + 7, 2), bigEndian(b, at + 5, 2));
        if (length < 2)
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<PixelSize> imageSize(std::span<const std::uint8_t> b) {
    switch (util::imageType(b)) {
    case util::ImageType::Png:
        if (b.size() >= 24)
            return checked(bigEndian(b, 16, 4), bigEndian(b, 20, 4));
        return std::nullopt;
    case util::ImageType::Gif:
        if (b.size() >= 10)
            return checked(littleEndian(b, 6, 2), littleEndian(b, 8, 2));
        return std::nullopt;
    case util::ImageType::Jpeg:
        return jpegSize(b);
    case util::ImageType::Bmp: {
        // Bottom-up bitmaps have a positive height, top-down ones a negative one.
        auto height = static_cast<std::int32_t>(littleEndian(b, 22, 4));
        return checked(
            littleEndian(b, 18, 4),
            static_cast<std::uint32_t>(height < 0 ? -static_cast<std::int64_t>(height) : height));
    }
    case util::ImageType::Tiff:
    case util::ImageType::WebP:
        return std::nullopt;
    case util::ImageType::None:
        break;
    }
    return svgSize(b);
}

} // namespace engine::web
