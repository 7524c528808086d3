#include "engine/metafile/Dib.h"

#include "engine/base/Limits.h"
#include "engine/util/ByteCursor.h"

#include <cstdlib>

namespace engine::metafile {
namespace {

struct Layout {
    std::size_t headerBytes = 0;  // header, masks and colour table
    std::uint64_t pixelBytes = 0; // 0 for compressed pixels, whose size is not known up front
};

// Checks a bitmap header against what browsers decode and the bounds we allow.
bool describe(std::span<const std::uint8_t> dib, Layout& layout) {
    if (dib.size() < 12)
        return false;
    const std::uint32_t size = util::loadU32(dib.data());
    std::int64_t width = 0, height = 0;
    std::uint16_t bits = 0;
    std::uint32_t compression = 0, colors = 0;
    std::size_t entryBytes = 4;
    if (size == 12) {
        width = util::loadU16(dib.data() + 4);
        height = util::loadU16(dib.data() + 6);
        bits = util::loadU16(dib.data() + 10);
        entryBytes = 3;
    } else if (size >= 40 && size <= 124 && dib.size() >= size) {
        width = static_cast<std::int32_t>(util::loadU32(dib.data() + 4));
        height = static_cast<std::int32_t>(util::loadU32(dib.data() + 8));
        bits = util::loadU16(dib.data() + 14);
        compression = util::loadU32(dib.data() + 16);
        colors = util::loadU32(dib.data() + 32);
    } else {
        return false;
    }
    width = std::llabs(width);
    height = std::llabs(height);
    if (width == 0 || height == 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
            limits::maxBitmapPixels)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (compression > 3 || (compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
        (compression == 3 && bits != 16 && bits != 32))
        return false;
    if (bits <= 8 && (colors == 0 || colors > (1u << bits)))
        colors = 1u << bits;
    if (bits > 8 && colors > 256)
        return false;
    std::uint64_t header = size + static_cast<std::uint64_t>(colors) * entryBytes;
    if (compression == 3 && size == 40)
        header += 12;
    layout.headerBytes = static_cast<std::size_t>(header);
    if (compression == 0 || compression == 3) {
        const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
        layout.pixelBytes = stride * static_cast<std::uint64_t>(height);
    }
    return true;
}

std::vector<std::uint8_t> assemble(std::span<const std::uint8_t> header,
                                   std::span<const std::uint8_t> bits) {
    const std::uint64_t offset = 14 + header.size();
    const std::uint64_t total = offset + bits.size();
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(total));
    out.push_back('B');
    out.push_back('M');
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(total >> (8 * i)));
    out.insert(out.end(), 4, 0);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

} // namespace

std::vector<std::uint8_t> bmpFromParts(std::span<const std::uint8_t> header,
                                       std::span<const std::uint8_t> bits) {
    Layout layout;
    if (!describe(header, layout) || header.size() < layout.headerBytes ||
        bits.size() < layout.pixelBytes || bits.empty())
        return {};
    if (layout.pixelBytes > 0)
        bits = bits.first(static_cast<std::size_t>(layout.pixelBytes));
    return assemble(header.first(layout.headerBytes), bits);
}

std::vector<std::uint8_t> bmpFromPacked(std::span<const std::uint8_t> dib) {
    Layout layout;
    if (!describe(dib, layout) || dib.size() <= layout.headerBytes)
        return {};
    return bmpFromParts(dib.first(layout.headerBytes), dib.subspan(layout.headerBytes));
}

} // namespace engine::metafile
