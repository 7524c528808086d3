#pragma once
// The table parts of a worksheet: each table's name, range, header and total rows and column
// names, which structured references in formulas refer to.

#include "engine/model/Workbook.h"

#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

// Adds the tables of worksheet part `sheetPart` (the sheet at `sheetIndex`) to
// `workbook.tables`. A table part that is missing or names no range is skipped; a malformed
// one throws ReadError(Damaged).
void readTables(const zip::ZipArchive& archive, const std::string& sheetPart,
                std::uint32_t sheetIndex, Workbook& workbook);

// One table part's XML; false when it describes no usable table.
bool parseTableXml(std::string_view xml, const std::string& partName, Table& table);

} // namespace engine::xlsx
