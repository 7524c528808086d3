#include "engine/metafile/PictBitmap.h"

#include "engine/base/Limits.h"
#include "engine/metafile/Dib.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace engine::metafile {
namespace {

constexpr std::uint16_t bitsRect = 0x0090, bitsRgn = 0x0091, packBitsRect = 0x0098,
                        packBitsRgn = 0x0099, directBitsRect = 0x009A, directBitsRgn = 0x009B;

struct PixMap {
    std::uint16_t rowBytes = 0;
    std::int16_t top = 0, left = 0, bottom = 0, right = 0;
    std::uint16_t packType = 0, pixelSize = 1, cmpCount = 1;
    bool isPixMap = false;
};

void readBounds(PictReader& in, PixMap& map) {
    map.top = in.i16();
    map.left = in.i16();
    map.bottom = in.i16();
    map.right = in.i16();
}

// The part of a PixMap after its row bytes and bounds.
void readPixMapFields(PictReader& in, PixMap& map) {
    in.skip(2); // version
    map.packType = in.u16();
    in.skip(4 + 4 + 4); // packed size, resolutions
    in.skip(2);         // pixel type
    map.pixelSize = in.u16();
    map.cmpCount = in.u16();
    in.skip(2 + 4 + 4 + 4); // component size, plane bytes, colour table handle, reserved
}

std::array<ColorRef, 256> readColorTable(PictReader& in) {
    std::array<ColorRef, 256> table{};
    in.skip(4); // seed
    const std::uint16_t flags = in.u16();
    const std::size_t entries = static_cast<std::size_t>(in.u16()) + 1;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint16_t value = in.u16();
        const std::uint16_t r = in.u16(), g = in.u16(), b = in.u16();
        // A device table lists its entries in order; others say which index each one is.
        const std::size_t index = (flags & 0x8000) ? i : value;
        if (index < table.size())
            table[index] = static_cast<ColorRef>((b >> 8) << 16 | (g >> 8) << 8 | (r >> 8));
    }
    return table;
}

void skipRegion(PictReader& in) {
    const std::uint16_t size = in.u16();
    in.skip(size >= 2 ? size - 2u : 0u);
}

// A top-down 24-bit BMP of `pixels` (0x00BBGGRR each).
std::vector<std::uint8_t> bmpOf(const std::vector<ColorRef>& pixels, std::size_t width,
                                std::size_t height) {
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> header(40, 0), bits(stride * height, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(width));
    put32(8, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));
    header[12] = 1;
    header[14] = 24;
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x) {
            const ColorRef c = pixels[y * width + x];
            std::uint8_t* p = &bits[y * stride + x * 3];
            p[0] = static_cast<std::uint8_t>(c >> 16);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c);
        }
    return bmpFromParts(header, bits);
}

} // namespace

bool isPictBitmapOpcode(std::uint16_t op) {
    return op == bitsRect || op == bitsRgn || op == packBitsRect || op == packBitsRgn ||
           op == directBitsRect || op == directBitsRgn;
}

void unpackBits(std::span<const std::uint8_t> packed, std::size_t item, std::uint8_t* out,
                std::size_t count) {
    std::memset(out, 0, count);
    std::size_t at = 0, written = 0;
    while (at < packed.size() && written < count) {
        const auto n = static_cast<std::int8_t>(packed[at++]);
        if (n >= 0) {
            const std::size_t bytes = (static_cast<std::size_t>(n) + 1) * item;
            const std::size_t take = std::min({bytes, packed.size() - at, count - written});
            std::memcpy(out + written, packed.data() + at, take);
            at += bytes;
            written += take;
        } else if (n != -128) {
            if (packed.size() - at < item)
                return;
            const std::size_t repeat = static_cast<std::size_t>(1 - n);
            for (std::size_t r = 0; r < repeat && written < count; ++r)
                for (std::size_t k = 0; k < item && written < count; ++k)
                    out[written++] = packed[at + k];
            at += item;
        }
    }
}

PictBitmap readPictBitmap(PictReader& in, std::uint16_t op, ColorRef fore, ColorRef back) {
    const bool direct = op == directBitsRect || op == directBitsRgn;
    const bool region = op == bitsRgn || op == packBitsRgn || op == directBitsRgn;
    const bool packable = op != bitsRect && op != bitsRgn;
    if (direct)
        in.skip(4); // base address
    PixMap map;
    const std::uint16_t rowBytes = in.u16();
    map.isPixMap = direct || (rowBytes & 0x8000);
    map.rowBytes = rowBytes & 0x3FFF;
    readBounds(in, map);
    std::array<ColorRef, 256> table{};
    if (map.isPixMap) {
        readPixMapFields(in, map);
        if (!direct)
            table = readColorTable(in);
    } else {
        table[0] = back;
        table[1] = fore;
    }
    PictBitmap out;
    in.skip(8); // the source rectangle: the whole bitmap in the pictures we meet
    out.top = in.i16();
    out.left = in.i16();
    out.bottom = in.i16();
    out.right = in.i16();
    in.skip(2); // transfer mode
    if (region)
        skipRegion(in);

    const long long width = static_cast<long long>(map.right) - map.left;
    const long long height = static_cast<long long>(map.bottom) - map.top;
    const std::size_t rows = height > 0 ? static_cast<std::size_t>(height) : 0;
    const std::size_t across = static_cast<std::size_t>(std::max<long long>(width, 0));
    // Direct pixels say how they are stored: 1 plain, 2 plain without the pad byte, otherwise
    // run-length packed (by 16-bit words or by component planes) once rows reach 8 bytes.
    const bool dropsPad = direct && map.pixelSize == 32 && map.packType == 2;
    const bool packed =
        packable && map.rowBytes >= 8 && !(direct && map.packType <= 2 && map.packType != 0);
    const bool planes = direct && map.pixelSize == 32 && packed;
    const std::size_t rowSize = planes     ? across * map.cmpCount
                                : dropsPad ? across * 3
                                           : map.rowBytes;
    const std::uint16_t depth = map.isPixMap ? map.pixelSize : 1;
    const std::uint64_t storedBits = planes ? 0 : dropsPad ? 24 : depth;
    const bool drawable =
        width > 0 && height > 0 &&
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
            limits::maxBitmapPixels &&
        (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 32) &&
        (!planes || map.cmpCount == 3 || map.cmpCount == 4) &&
        across * storedBits <= static_cast<std::uint64_t>(rowSize) * 8;
    std::vector<ColorRef> pixels;
    std::vector<std::uint8_t> row(drawable ? rowSize : 0);
    if (drawable)
        pixels.resize(static_cast<std::size_t>(width * height));
    for (std::size_t y = 0; y < rows; ++y) {
        if (packed) {
            const std::size_t count = map.rowBytes > 250 ? in.u16() : in.u8();
            const auto data = in.bytes(count);
            if (drawable)
                unpackBits(data, depth == 16 ? 2 : 1, row.data(), row.size());
        } else {
            const auto data = in.bytes(rowSize);
            if (drawable)
                std::copy(data.begin(), data.end(), row.begin());
        }
        if (!drawable)
            continue;
        ColorRef* line = &pixels[y * static_cast<std::size_t>(width)];
        const auto w = static_cast<std::size_t>(width);
        for (std::size_t x = 0; x < w; ++x) {
            ColorRef c = 0;
            if (depth <= 8) {
                const std::size_t bit = x * depth;
                const unsigned value =
                    (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
                c = table[value];
            } else if (depth == 16) {
                const unsigned v = row[x * 2] << 8 | row[x * 2 + 1];
                const auto five = [](unsigned f) { return (f << 3) | (f >> 2); };
                c = static_cast<ColorRef>(five(v & 0x1F) << 16 | five((v >> 5) & 0x1F) << 8 |
                                          five((v >> 10) & 0x1F));
            } else {
                std::uint8_t r, g, b;
                if (planes) {
                    const std::size_t skip = map.cmpCount == 4 ? w : 0; // alpha first
                    r = row[skip + x];
                    g = row[skip + w + x];
                    b = row[skip + 2 * w + x];
                } else if (dropsPad) {
                    r = row[x * 3];
                    g = row[x * 3 + 1];
                    b = row[x * 3 + 2];
                } else {
                    r = row[x * 4 + 1];
                    g = row[x * 4 + 2];
                    b = row[x * 4 + 3];
                }
                c = static_cast<ColorRef>(b << 16 | g << 8 | r);
            }
            line[x] = c;
        }
    }
    if (drawable)
        out.bmp = bmpOf(pixels, static_cast<std::size_t>(width), rows);
    return out;
}

} // namespace engine::metafile
