#pragma once
// Series whose file caches no values (charts written by scripts) take them from the cells
// their references name, in the same workbook.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace engine::chart {

// One rectangle of a reference: a sheet of this workbook (by index) and its cells.
struct CellArea {
    std::size_t sheet = 0;
    Range range;
};

// The areas of a series reference such as "Sheet1!$B$2:$B$9", "'Q1 ''24'!A1" or a union
// "(Sheet1!$A$1:$A$3,Sheet1!$C$1)"; a reference without a sheet is on `ownSheet`. nullopt for
// anything else: external workbooks ("[1]Sheet1!A1"), names, unknown sheets, formulas.
std::optional<std::vector<CellArea>>
parseSeriesReference(std::string_view text, const Workbook& workbook, std::size_t ownSheet);

// Fills every chart series of `workbook` without cached values, categories or name from the
// cells its source names; the values and categories of every series when the workbook asks for
// a full calculation on opening, as its caches then hold placeholders. `workbook` must have been
// finish()ed. At most `pointBudget` cells are taken over all charts; references past it are left
// out. No other workbook is opened.
void fillChartsFromCells(Workbook& workbook, std::size_t pointBudget = 20'000'000);

} // namespace engine::chart
