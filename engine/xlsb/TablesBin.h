#pragma once
// The binary table parts of a worksheet: each table's name, range, header and total rows and
// column names, which structured references and the list tokens of formulas refer to.

#include "engine/model/Workbook.h"
#include "engine/xlsb/FormulaLinksBin.h"

#include <cstdint>
#include <span>
#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

// One table part's records into `table` (its sheet left as it is) and the number formulas
// know it by into `id`; false when they describe no usable table. Throws ReadError(Damaged)
// naming `partName` for a malformed record.
bool parseTableBin(std::span<const std::uint8_t> records, const std::string& partName, Table& table,
                   std::uint32_t& id);

// Adds the tables of worksheet part `sheetPart` (the sheet at `sheetIndex`) to
// `workbook.tables`, and each under its number to `links`. A missing or damaged table part is
// left out: the cells show their stored results all the same.
void readTablesBin(const zip::ZipArchive& archive, const std::string& sheetPart,
                   std::uint32_t sheetIndex, Workbook& workbook, BinaryLinks& links);

} // namespace engine::xlsb
