#include "engine/package/PartReader.h"

#include "engine/zip/ZipArchive.h"

namespace engine::xlsx {

void parsePart(const zip::ZipArchive& archive, const std::string& name, xml::Handler& handler,
               std::uint64_t maxBytes) {
    xml::Parser parser(handler, name);
    archive.stream(name, maxBytes,
                   [&](const char* data, std::size_t size) { parser.feed(data, size); });
    parser.finish();
}

} // namespace engine::xlsx
