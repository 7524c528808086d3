#pragma once
// The cell metadata of the metadata part: which of its blocks mark a formula as a dynamic
// array. A cell's cm attribute is the 1-based number of its block.

#include "engine/package/CellMetadata.h"

#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

using package::DynamicArrayMarks;

// Whether a cell whose cm attribute is `cm` (empty when it has none) is a dynamic array's
// anchor.
bool marksDynamicArray(const DynamicArrayMarks& marks, std::string_view cm);

// The marks of one metadata part's XML. Throws ReadError(Damaged) naming `partName` when it is
// not well-formed or holds more than limits::maxMetadataRecords blocks and records.
DynamicArrayMarks parseCellMetadataXml(std::string_view xml, const std::string& partName);

// The marks of the workbook's metadata part `part`; a damaged part counts as none, since the
// marks only decide how far a formula's result reaches.
DynamicArrayMarks readCellMetadata(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsx
