#pragma once
// Feeding a package part through the XML parser straight from the archive.

#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

// Parses part `name` of `archive` into `handler`, inflating it as the parser asks so that a large
// part is never held whole. Throws ReadError(Damaged) naming the part when it is missing,
// larger than `maxBytes`, or not well-formed XML.
void parsePart(const zip::ZipArchive& archive, const std::string& name, xml::Handler& handler,
               std::uint64_t maxBytes);

} // namespace engine::package
