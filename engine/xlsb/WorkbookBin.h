#pragma once
// The binary workbook part: the sheet list, the date system, the defined names and what the
// formulas' 3-D references point through.

#include "engine/package/WorkbookInfo.h"
#include "engine/xlsb/FormulaLinksBin.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

// Reads binary workbook part `part` into the same description as the XML workbook part gives.
// Throws ReadError(Damaged) naming the part when it does not start with BrtBeginBook, a record
// is malformed, or it lists more than limits::maxSheets sheets.
// Its defined names and the sheet table of its formulas go to `links`.
package::WorkbookInfo readWorkbookBin(const zip::ZipArchive& archive, const std::string& part,
                                      BinaryLinks& links);

} // namespace engine::xlsb
