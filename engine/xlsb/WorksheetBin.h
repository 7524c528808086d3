#pragma once
// A binary worksheet part, streamed: cells, sizes, merges, hyperlinks, view settings and
// its drawing's pictures, charts and shapes.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/model/Workbook.h"
#include "engine/xlsb/MetadataBin.h"

#include <cstdint>
#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsb {

struct SheetContext {
    const zip::ZipArchive& archive;
    Workbook& workbook;             // its strings grow by the sheet's own strings
    const package::Colors& colors;  // of the theme, for the drawings' charts and shapes
    std::uint64_t cellCount = 0;    // cells read so far in the whole workbook
    std::uint64_t pictureBytes = 0; // image bytes kept so far in the whole workbook
    formula::tokens::FormulaCells* formulas = nullptr; // of the sheet being read
    CellMetaMarks cellMeta{}; // which cell metadata marks a dynamic array's anchor
};

// Reads binary worksheet part `part` into `sheet`, following its relationships to hyperlink
// targets and its drawing. Cells outside the grid are skipped. Throws ReadError(Damaged)
// naming the part for a malformed record, or more cells, strings, merges or hyperlinks than
// the limits allow.
void readWorksheetBin(SheetContext& context, const std::string& part, Sheet& sheet);

} // namespace engine::xlsb
