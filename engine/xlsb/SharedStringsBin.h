#pragma once
// The binary shared strings part: the workbook's table of cell strings.

#include "engine/model/Workbook.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

// Appends the strings of binary shared strings part `part` to `workbook.strings`, in order, so
// that a cell's index into the part is its index into the table (the table must be empty
// before). Throws ReadError(Damaged) naming the part for a malformed record or more than
// limits::maxStrings strings.
void readSharedStringsBin(const zip::ZipArchive& archive, const std::string& part,
                          Workbook& workbook);

} // namespace engine::xlsb
