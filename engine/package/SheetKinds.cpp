#include "engine/package/SheetKinds.h"

#include "engine/base/ReadError.h"
#include "engine/package/Relationships.h"

namespace engine::package {

SheetKind sheetKindOf(std::string_view relationshipType, const std::string& sheetName) {
    const std::string_view kind = relationshipKind(relationshipType);
    if (kind == "worksheet")
        return SheetKind::Worksheet;
    if (kind == "chartsheet")
        return SheetKind::Chart;
    if (kind == "dialogsheet")
        return SheetKind::Dialog;
    if (kind == "xlMacrosheet" || kind == "xlIntlMacrosheet")
        return SheetKind::Macro;
    throw ReadError(ReadError::Kind::Damaged, "sheet '" + sheetName +
                                                  "' refers to a part of unknown type '" +
                                                  std::string(relationshipType) + "'");
}

} // namespace engine::package
