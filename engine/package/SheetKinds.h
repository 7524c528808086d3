#pragma once
// The kind of a sheet of an OOXML-family workbook, told by its relationship's type.

#include "engine/model/Sheet.h"

#include <string>
#include <string_view>

namespace engine::package {

// The kind of sheet `sheetName` whose part the workbook reaches through a relationship of
// `relationshipType`; throws ReadError(Damaged) naming both for a type no sheet has.
SheetKind sheetKindOf(std::string_view relationshipType, const std::string& sheetName);

} // namespace engine::package
