#pragma once
// Metafile pictures as the image store of a binary workbook's drawing keeps them: a header
// with the picture's sizes, then the metafile, most often deflate-compressed.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace engine::metafile {

struct StoredMetafile {
    std::vector<std::uint8_t> bytes;  // the metafile, inflated
    double widthPt = 0, heightPt = 0; // the size the header gives, 0 when none
};

// The metafile of the body of an EMF, WMF or PICT blip record, after its identifiers
// (`uidBytes`, 16 or 32). nullopt when the header is broken, the declared size exceeds
// `maxBytes`, or the data does not inflate to the declared size.
std::optional<StoredMetafile> unpackMetafileBlip(std::span<const std::uint8_t> body,
                                                 std::size_t uidBytes, std::size_t maxBytes);

// Inflates zlib data to exactly `size` bytes; nullopt for damaged data or another size.
std::optional<std::vector<std::uint8_t>> inflateExactly(std::span<const std::uint8_t> data,
                                                        std::size_t size);

} // namespace engine::metafile
