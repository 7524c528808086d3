// Telling image formats apart by their leading bytes.

#include "engine/util/ImageType.h"

#include <gtest/gtest.h>
#include <string>

using engine::util::ImageType;
using engine::util::imageType;
using engine::util::mimeType;

namespace {

TEST(ImageType, SignaturesNameTheFormatAndNothingElseDoes) {
    struct Row {
        std::string bytes;
        ImageType type;
    };
    const std::string padding(32, '\0');
    const Row rows[] = {
        {"\x89PNG\r\n\x1a\n" + padding, ImageType::Png},
        {"\x89PNG\r\n", ImageType::None}, // cut inside the signature
        {"\xFF\xD8\xFF\xE0" + padding, ImageType::Jpeg},
        {"GIF89a" + padding, ImageType::Gif},
        {"GIF87a", ImageType::Gif},
        {"GIF8" + padding, ImageType::None},
        {"BM" + padding, ImageType::Bmp},
        {"BM" + std::string(23, '\0'), ImageType::None}, // no room for a bitmap header
        {std::string("II*\0", 4) + padding, ImageType::Tiff},
        {std::string("MM\0*", 4) + padding, ImageType::Tiff},
        {std::string("RIFF\0\0\0\0WEBPVP8 ", 16), ImageType::WebP},
        {std::string("RIFF\0\0\0\0WAVEfmt ", 16), ImageType::None},
        {std::string("\x01\0\0\0", 4) + padding, ImageType::None}, // an enhanced metafile
        {"", ImageType::None},
    };
    for (const Row& row : rows)
        EXPECT_EQ(imageType(row.bytes), row.type) << testing::PrintToString(row.bytes);
}

TEST(ImageType, MimeTypesMatchTheFormats) {
    EXPECT_EQ(mimeType(ImageType::Png), "image/png");
    EXPECT_EQ(mimeType(ImageType::WebP), "image/webp");
    EXPECT_EQ(mimeType(ImageType::None), "");
    const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xDB};
    EXPECT_EQ(mimeType(imageType(std::span<const std::uint8_t>(jpeg))), "image/jpeg");
}

} // namespace
