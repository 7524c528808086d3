#pragma once
// A DrawingML chart part (xl/charts/chartN.xml) into the chart model, from its cached values.

#include "engine/model/Chart.h"
#include "engine/model/Workbook.h"

#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::drawingml {

// Reads chart part `part`. Only the values the file caches with each series are used (no
// formula is evaluated, no other workbook is opened); numeric categories are formatted by
// their cached format code. Kinds the page does not draw come back as ChartKind::Unsupported
// with their name. Throws ReadError(Damaged) naming the part when it is malformed or missing.
Chart readChartPart(const zip::ZipArchive& archive, const std::string& part,
                    const package::Colors& colors, DateSystem dates);

// The same from a part already in memory (for tests and fuzzing).
Chart parseChartXml(std::string_view xml, const std::string& partName,
                    const package::Colors& colors, DateSystem dates);

} // namespace engine::drawingml
