// Plays arbitrary bytes as an EMF or WMF picture, and unpacks them as a workbook's metafile
// blip: whatever the input, the SVG stays bounded and carries nothing but our own markup.

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/metafile/Metafile.h"
#include "engine/metafile/MetafileBlip.h"
#include "engine/metafile/Player.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

void check(const std::string& svg) {
    if (svg.size() > engine::limits::maxMetafileSvgBytes + (1u << 20))
        std::abort();
    // Text and names from the file are escaped, so no markup of its own can appear; a
    // picture's text may say "javascript:", but no attribute may start with it.
    for (const char* forbidden : {"<script", "<foreignObject", "=\"javascript:", "href=\"http"})
        if (svg.find(forbidden) != std::string::npos)
            std::abort();
    for (std::size_t at = 0; (at = svg.find(" href=\"", at)) != std::string::npos; ++at)
        if (svg.compare(at + 7, 22, "data:image/bmp;base64,") != 0)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        check(engine::metafile::toSvg(bytes, std::make_pair(100.0, 50.0)).svg);
    } catch (const engine::ReadError&) {
    }
    if (auto stored = engine::metafile::unpackMetafileBlip(bytes, 16, 1u << 20))
        if (auto rendered = engine::metafile::tryToSvg(stored->bytes))
            check(rendered->svg);
    return 0;
}
