#include "engine/package/PartReader.h"

#include "engine/zip/ZipArchive.h"

namespace engine::package {

void parsePart(const zip::ZipArchive& archive, const std::string& name, xml::Handler& handler,
               std::uint64_t maxBytes) {
    // Pulled rather than pushed: the parser reads each token straight through instead of first
    // searching what it holds for the token's end.
    zip::EntryReader entry = archive.open(name, maxBytes);
    xml::Parser parser(handler, name);
    parser.read(
        [&entry](char* buffer, std::size_t capacity) { return entry.read(buffer, capacity); });
}

} // namespace engine::package
