#pragma once
// The objects of a drawing part: its pictures, and the charts and shapes read together in one
// walk of the part, each placed by its anchor.

#include "engine/model/Sheet.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::drawingml {

// Appends to `sheet` the pictures (see DrawingPictures::addTo), the charts (through the part's
// relationships to the chart parts; a chart part that is missing or external is left out) and
// the shapes (as pictures holding their description) of the worksheet's drawing part `part`.
// `sheet`'s sizes must be read already; `pictureBytes` counts the workbook's image bytes as for
// the pictures. Throws ReadError(Damaged) for a malformed part.
void readSheetDrawing(const zip::ZipArchive& archive, const std::string& part,
                      const package::Colors& colors, DateSystem dates, Sheet& sheet,
                      std::uint64_t& pictureBytes);

// Reads the chart of chart sheet part `part` into `sheet.charts` (through the part's drawing);
// a chart sheet without one keeps no chart. Throws ReadError(Damaged) for a malformed part.
void readChartSheet(const zip::ZipArchive& archive, const std::string& part,
                    const package::Colors& colors, DateSystem dates, Sheet& sheet);

// The shapes of a drawing part already in memory (for tests and fuzzing).
void parseDrawingShapesXml(std::string_view xml, const std::string& partName,
                           const package::Colors& colors, Sheet& sheet);

} // namespace engine::drawingml
