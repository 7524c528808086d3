#pragma once
// What a workbook's main part says about the whole workbook, in the XML and the binary form alike.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"

#include <string>
#include <vector>

namespace engine::package {

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

} // namespace engine::package
