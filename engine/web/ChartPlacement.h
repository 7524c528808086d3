#pragma once
// Where the charts of a sheet go on its page, and their markup there.

#include "engine/model/Workbook.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace engine::web {

struct PlacedChart {
    std::size_t index; // into the sheet's charts
    int left, top, width, height;
    bool fromRight = false; // `left` counts from the right edge (a right-to-left sheet)
};

// A chart's size in pixels from the size its anchor gives (0 by 0 for none): the application's
// default of 480 by 288 when there is none, and never so large that it is taken as damage.
std::pair<int, int> chartPixelSize(int width, int height);
// The same for the size the chart's reader measured: for a chart drawn apart from its page.
std::pair<int, int> chartPixelSize(const Chart& chart);

// Appends each placed chart, absolutely positioned: as the image `source` gives for it, or
// inline SVG when `source` is empty or gives an empty URL.
void writeCharts(std::string& out, const Workbook& workbook, std::size_t sheetIndex,
                 const std::vector<PlacedChart>& charts,
                 const std::function<std::string(std::size_t sheet, std::size_t chart)>& source);

} // namespace engine::web
