#pragma once
// The note a page carries about formulas it could not compute as the application would.

#include "engine/model/Workbook.h"

#include <string>

namespace engine::formula {

// An HTML comment counting the cells whose functions are unknown and the cells in circular
// references; empty when there are none.
std::string formulaNote(const Workbook& workbook);

} // namespace engine::formula
