#pragma once
// Charts and workbooks built in code, shared by the chart tests and the benchmark.

#include "engine/model/Workbook.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A plot of `kind` with one series per entry of `values`, named "S1", "S2" ...; categories
// "C1", "C2" ... when `categories`.
engine::ChartPlot samplePlot(engine::ChartKind kind, const std::vector<std::vector<double>>& values,
                             bool categories = true);

// A chart holding `plot`, titled `title`, legend on the right, 480 by 288 pixels.
engine::Chart sampleChart(engine::ChartPlot plot, std::string title = "Sales");

// A workbook whose one worksheet holds a few cells and `charts` column charts of `points`
// points each, placed one below the other.
engine::Workbook workbookWithCharts(std::size_t charts, std::size_t points);

// Occurrences of `needle` in `text`.
std::size_t countOf(std::string_view text, std::string_view needle);

// The markup of the n-th (from 0) <g class="`className`"> of `svg`, up to its </g>; empty
// when there is none.
std::string groupOf(std::string_view svg, std::string_view className, std::size_t n = 0);

} // namespace testing_support
