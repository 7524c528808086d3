#pragma once
// The shapes and text boxes of a drawing part (DrawingML `sp`), drawn as our own SVG with their
// outline, fill and text and placed on the sheet as pictures.

#include "engine/model/Sheet.h"

#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

class Colors;

// Appends to `sheet.pictures` an SVG picture for every shape of drawing part `part` that shows
// something (a fill, an outline or text). `sheet`'s sizes must be read already. Throws
// ReadError(Damaged) for a malformed part.
void readDrawingShapes(const zip::ZipArchive& archive, const std::string& part,
                       const Colors& colors, Sheet& sheet);
// The same from a part already in memory (for tests and fuzzing).
void parseDrawingShapesXml(std::string_view xml, const std::string& partName, const Colors& colors,
                           Sheet& sheet);

} // namespace engine::xlsx
