#pragma once
// The charts of a drawing part: each graphic frame that holds a chart, with its anchor.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"

#include <string>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

class Colors;

// Appends to `sheet.charts` every chart of drawing part `part` (through its relationships to
// the chart parts), placed by its anchor; a chart part that is missing or external is left
// out. `sheet`'s sizes must be read already. Throws ReadError(Damaged) for a malformed part.
void readDrawingCharts(const zip::ZipArchive& archive, const std::string& part,
                       const Colors& colors, DateSystem dates, Sheet& sheet);

// Reads the chart of chart sheet part `part` into `sheet.charts` (through the part's drawing);
// a chart sheet without one keeps no chart. Throws ReadError(Damaged) for a malformed part.
void readChartSheet(const zip::ZipArchive& archive, const std::string& part, const Colors& colors,
                    DateSystem dates, Sheet& sheet);

} // namespace engine::xlsx
