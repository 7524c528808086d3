#pragma once
// The styles part: number formats, fonts, fills, borders and cell formats.

#include "engine/model/Workbook.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

// Reads styles part `part` into `workbook` (numberFormats, fonts, fills, borders, cellFormats),
// first taking its palette override into `colors`. Throws ReadError(Damaged) for a malformed
// part or one with more entries than a workbook can have.
void readStyles(const zip::ZipArchive& archive, const std::string& part, package::Colors& colors,
                Workbook& workbook);

} // namespace engine::xlsx
