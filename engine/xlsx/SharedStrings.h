#pragma once
// The shared strings part: the workbook's table of cell strings.

#include "engine/model/Workbook.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

class FontTable;

// Appends the strings of shared strings part `part` to `workbook.strings`, in order, so that
// a cell's index into the part is its index into the table (the table must be empty before).
// Rich runs' fonts go into `fonts`. Throws ReadError(Damaged) for a malformed part or more
// than limits::maxStrings strings.
void readSharedStrings(const zip::ZipArchive& archive, const std::string& part,
                       const package::Colors& colors, FontTable& fonts, Workbook& workbook);

} // namespace engine::xlsx
