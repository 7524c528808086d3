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
// `workbook.tables`. A table part that is missing, names no range or is damaged is skipped:
// the sheet's cells show their stored results all the same.
void readTables(const zip::ZipArchive& archive, const std::string& sheetPart,
                std::uint32_t sheetIndex, Workbook& workbook);

// One table part's XML; false when it describes no usable table.
bool parseTableXml(std::string_view xml, const std::string& partName, Table& table);

} // namespace engine::xlsx
