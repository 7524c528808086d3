#pragma once
// A worksheet part, streamed: cells, sizes, merges, hyperlinks, view settings and pictures.

#include "engine/model/Workbook.h"
#include "engine/xlsx/CellMetadata.h"
#include "engine/xlsx/RichValueErrors.h"

#include <cstdint>
#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

class FontTable;

struct SheetContext {
    const zip::ZipArchive& archive;
    const package::Colors& colors;
    FontTable& fonts;
    Workbook& workbook;              // its strings grow by the sheet's own strings
    std::uint64_t cellCount = 0;     // cells read so far in the whole workbook
    std::uint64_t pictureBytes = 0;  // image bytes kept so far in the whole workbook
    DynamicArrayMarks dynamicArrays; // of the workbook's metadata part
    RichValueErrors richErrors;      // of its metadata and rich value parts
};

// Reads worksheet part `part` into `sheet`, following its relationships to hyperlink targets
// and drawings. Cells outside the grid are skipped. Throws ReadError(Damaged) naming the part
// for malformed XML, a malformed cell reference or value, or more cells, strings, merges or
// hyperlinks than the limits allow.
void readWorksheet(SheetContext& context, const std::string& part, Sheet& sheet);

} // namespace engine::xlsx
