#pragma once
// The binary styles part: number formats, fonts, fills, borders and cell formats.

#include "engine/model/Workbook.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsb {

// Reads binary styles part `part` into `workbook` (numberFormats, fonts, fills, borders,
// cellFormats), first taking its palette override into `colors`. Throws ReadError(Damaged)
// naming the part for a malformed record or more entries than a workbook can have.
void readStylesBin(const zip::ZipArchive& archive, const std::string& part, package::Colors& colors,
                   Workbook& workbook);

} // namespace engine::xlsb
