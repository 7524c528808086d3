#pragma once
// Writes a cell's plan (CellPlan.h) as a table cell: the opening tag, then, after whatever the
// sheet writer places in the cell itself (the row's drawings), its content and closing tag.

#include "engine/model/Workbook.h"
#include "engine/numfmt/CellText.h"
#include "engine/web/CellPlan.h"

#include <string>

namespace engine::web {

// Appends "<td ...>": spans, classes, the fitted number and the inline style.
void appendCellStart(std::string& out, const CellPlan& plan);

// Appends the cell's content (icon, text, link, note marker) and "</td>".
void appendCellEnd(std::string& out, const CellPlan& plan, const Workbook& workbook,
                   numfmt::CellTextFormatter& formatter);

} // namespace engine::web
