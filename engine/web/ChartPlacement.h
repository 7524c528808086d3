#pragma once
// Where the charts of a sheet go on its page, and their markup there.

#include "engine/model/Workbook.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace engine::web {

class SheetLayout;

struct PlacedChart {
    std::size_t index; // into the sheet's charts
    int left, top, width, height;
};

// A chart's size in pixels: its anchor's, or the application's default of 480 by 288.
std::pair<int, int> chartPixelSize(const Chart& chart);

// Every chart of `sheet` placed over the grid `layout` describes.
std::vector<PlacedChart> placeCharts(const Sheet& sheet, const SheetLayout& layout);

// Appends each placed chart, absolutely positioned: as the image `source` gives for it, or
// inline SVG when `source` is empty or gives an empty URL.
void writeCharts(std::string& out, const Workbook& workbook, std::size_t sheetIndex,
                 const std::vector<PlacedChart>& charts,
                 const std::function<std::string(std::size_t sheet, std::size_t chart)>& source);

} // namespace engine::web
