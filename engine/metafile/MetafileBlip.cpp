#include "engine/metafile/MetafileBlip.h"

#include "engine/util/ByteCursor.h"

#include <limits>
#include <zlib.h>

namespace engine::metafile {

std::optional<std::vector<std::uint8_t>> inflateExactly(std::span<const std::uint8_t> data,
                                                        std::size_t size) {
    if (size == 0 || size > std::numeric_limits<uInt>::max() ||
        data.size() > std::numeric_limits<uInt>::max())
        return std::nullopt;
    std::vector<std::uint8_t> out(size);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(size);
    const int status = inflate(&stream, Z_FINISH);
    const std::size_t produced = size - stream.avail_out;
    inflateEnd(&stream);
    // Writers end the stream exactly at the declared size; a stream that wants more room is
    // longer than declared, and one that ends short is damaged.
    if (status != Z_STREAM_END || produced != size)
        return std::nullopt;
    return out;
}

std::optional<StoredMetafile> unpackMetafileBlip(std::span<const std::uint8_t> body,
                                                 std::size_t uidBytes, std::size_t maxBytes) {
    // The metafile header of a blip (MS-ODRAW 2.2.31): uncompressed size, bounds, size in EMUs,
    // compressed size, compression (0 deflate, 0xFE none) and filter.
    constexpr std::size_t headerBytes = 34;
    if (body.size() < uidBytes + headerBytes)
        return std::nullopt;
    const std::uint8_t* h = body.data() + uidBytes;
    const std::uint32_t size = util::loadU32(h);
    const std::int32_t cx = static_cast<std::int32_t>(util::loadU32(h + 20));
    const std::int32_t cy = static_cast<std::int32_t>(util::loadU32(h + 24));
    const std::uint32_t saved = util::loadU32(h + 28);
    const std::uint8_t compression = h[32];
    const auto data = body.subspan(uidBytes + headerBytes);
    if (size == 0 || size > maxBytes)
        return std::nullopt;
    StoredMetafile result;
    if (cx > 0 && cy > 0) {
        result.widthPt = cx / 12700.0;
        result.heightPt = cy / 12700.0;
    }
    if (compression == 0) {
        auto inflated = inflateExactly(data.first(std::min<std::size_t>(saved, data.size())), size);
        if (!inflated)
            return std::nullopt;
        result.bytes = std::move(*inflated);
    } else if (compression == 0xFE) {
        if (data.size() < size)
            return std::nullopt;
        result.bytes.assign(data.begin(), data.begin() + size);
    } else {
        return std::nullopt;
    }
    return result;
}

} // namespace engine::metafile
