#pragma once
// The pieces of a chart drawing shared by the plot kinds.

#include "engine/chart/SvgCanvas.h"
#include "engine/model/Chart.h"
#include "engine/model/Workbook.h"
#include "engine/numfmt/NumberFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace engine::chart {

struct Box {
    double x = 0, y = 0, width = 0, height = 0;
};

inline constexpr double labelSizePx = 12; // axis and data labels, 9 points
inline constexpr std::uint32_t labelColor = 0x595959;
inline constexpr std::uint32_t gridColor = 0xD9D9D9;
inline constexpr std::uint32_t axisColor = 0xBFBFBF;

using Accents = std::array<std::uint32_t, 6>;

// The colour of a series: its own, else the palette's for its place among all series.
std::uint32_t seriesColor(const ChartSeries& series, std::size_t paletteIndex,
                          const Accents& accents);
// The colour of point `point` of a series whose points vary in colour.
std::uint32_t pointColor(const ChartSeries& series, std::size_t point, const Accents& accents);

// How a text in `font` is drawn, with the defaults of the drawing for what it leaves unset.
TextLook lookOf(const ChartFont& font, double defaultPx, std::uint32_t defaultColor,
                bool defaultBold = false);

// `value` as `format` shows it.
std::string formatValue(double value, const numfmt::NumberFormat& format, DateSystem dates);

// The category label of point `point`: the series' own, else its number counted from 1.
std::string categoryLabel(const ChartSeries& series, std::size_t point);

// Draws the chart's column, bar, line, area and scatter plots on shared axes inside `area`.
// `firstPalette` is the palette index of each plot's first series.
void drawCartesian(SvgCanvas& svg, const Chart& chart, const std::vector<std::size_t>& plots,
                   const std::vector<std::size_t>& firstPalette, Box area, DateSystem dates);

// Draws a pie or doughnut plot inside `area`.
void drawPie(SvgCanvas& svg, const ChartPlot& plot, std::size_t firstPalette,
             const Accents& accents, Box area, DateSystem dates);

} // namespace engine::chart
