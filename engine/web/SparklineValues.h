#pragma once
// The values a sparkline draws, taken from the cells its data reference names.

#include "engine/model/Workbook.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace engine::web {

// One value per cell of the data range of `sparkline` (a sparkline of sheet `sheet`), in the
// range's order: along a row or down a column, row by row for a block. A cell without a number
// is nullopt, or 0 when the group draws empty cells as zeros; cells of hidden rows and columns
// are left out unless the group draws them. Empty for a reference that names no range of
// this workbook. At most limits::maxSparklinePoints values.
std::vector<std::optional<double>> sparklineValues(const Workbook& workbook, std::size_t sheet,
                                                   const SparklineGroup& group,
                                                   const Sparkline& sparkline);

} // namespace engine::web
