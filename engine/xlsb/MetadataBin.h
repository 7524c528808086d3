#pragma once
// The binary metadata part's cell metadata: which of its blocks mark a formula as a dynamic
// array. A cell's BrtCellMeta names its block by a 1-based number.

#include "engine/package/CellMetadata.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

using CellMetaMarks = package::DynamicArrayMarks;

// The marks of the metadata part's records, in memory (for tests and fuzzing). Throws
// ReadError(Damaged) naming `partName` for damaged records or more than
// limits::maxMetadataRecords of them.
CellMetaMarks parseMetadataBin(const std::string& records, const std::string& partName);

// The marks of the workbook's metadata part `part`; a damaged part counts as none, since the
// marks only decide how far a formula's result reaches.
CellMetaMarks readMetadataBin(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsb
