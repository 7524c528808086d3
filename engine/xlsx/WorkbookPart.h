#pragma once
// The workbook part: the sheet list and the workbook's properties.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"

#include <string>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

struct SheetEntry {
    std::string name;
    std::string relationshipId; // empty when the entry has none
    Visibility visibility = Visibility::Visible;
};

struct WorkbookInfo {
    DateSystem dateSystem = DateSystem::Date1900;
    std::vector<SheetEntry> sheets; // in workbook order
    std::vector<DefinedName> definedNames;
    bool fullCalcOnLoad = false;
};

// Reads workbook part `part`. Throws ReadError: NotWorkbook when its root is not <workbook>
// (the main part of another kind of document), Damaged for a malformed part or more than
// limits::maxSheets sheets.
WorkbookInfo readWorkbookPart(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsx
