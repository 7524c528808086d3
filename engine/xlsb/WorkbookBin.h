#pragma once
// The binary workbook part: the sheet list and the date system.

#include "engine/package/WorkbookInfo.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

// Reads binary workbook part `part` into the same description as the XML workbook part gives.
// Throws ReadError(Damaged) naming the part when it does not start with BrtBeginBook, a record
// is malformed, or it lists more than limits::maxSheets sheets.
xlsx::WorkbookInfo readWorkbookBin(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsb
