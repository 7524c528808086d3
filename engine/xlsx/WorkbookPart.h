#pragma once
// The workbook part: the sheet list and the workbook's properties.

#include "engine/package/WorkbookInfo.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

// Reads workbook part `part`. Throws ReadError: NotWorkbook when its root is not <workbook>
// (the main part of another kind of document), Damaged for a malformed part or more than
// limits::maxSheets sheets.
package::WorkbookInfo readWorkbookPart(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsx
