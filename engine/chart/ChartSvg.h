#pragma once
// Draws a chart of the model as SVG that a page can hold inline or as a file of its own.

#include "engine/model/Chart.h"
#include "engine/model/Workbook.h"

#include <string>

namespace engine::chart {

// Appends `chart` as one <svg> element of `width` by `height` pixels (each clamped to
// 16..4000). Every text from the workbook is escaped; nothing refers outside the element.
// A chart with a kind that is not drawn shows its frame and title with a note.
void appendChartSvg(std::string& out, const Chart& chart, int width, int height, DateSystem dates);

// The same as a standalone SVG document (with its XML declaration).
std::string chartSvgDocument(const Chart& chart, int width, int height, DateSystem dates);

} // namespace engine::chart
