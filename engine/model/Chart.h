#pragma once
// A chart as the readers take it from the file: its plots, series with their cached values,
// title and legend. Nothing here is evaluated; values are what the file last saved.

#include "engine/model/Anchor.h"
#include "engine/model/Style.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// The kinds of plot the page draws; every other kind is Unsupported and shown as a
// placeholder.
enum class ChartKind : std::uint8_t {
    Column,
    Bar,
    Line,
    Area,
    Pie,
    Doughnut,
    Scatter,
    Unsupported
};

enum class ChartGrouping : std::uint8_t { Standard, Clustered, Stacked, PercentStacked };

enum class LegendPosition : std::uint8_t { None, Right, Left, Top, Bottom };

struct ChartSeries {
    std::string name;                    // empty: "Series N" is shown
    std::vector<std::string> categories; // one per point as shown; empty: 1, 2, 3 ...
    std::vector<double> values;          // NaN for a point without a value
    std::vector<double> xValues;         // scatter plots only; empty: 1, 2, 3 ...
    std::string formatCode;              // of the values; empty means General
    Color color;                         // fill (or line) colour; automatic: the palette's
    std::vector<Color> pointColors;      // per point, automatic where the file names none
    bool line = true;                    // line and scatter: points are joined
    bool markers = true;                 // line and scatter: points are marked
};

struct ChartPlot {
    ChartKind kind = ChartKind::Column;
    ChartGrouping grouping = ChartGrouping::Clustered;
    std::vector<ChartSeries> series;
    bool varyColors = false;     // each point of a one-series plot has its own colour
    bool showValues = false;     // data labels with the values
    bool showPercent = false;    // pie and doughnut: data labels with the share
    bool showCategory = false;   // data labels with the category
    int holePercent = 50;        // doughnut: the hole's share of the diameter
    std::string unsupportedName; // Unsupported: what the file calls the kind ("radar" ...)
};

struct Chart {
    std::string title; // empty: no title
    std::vector<ChartPlot> plots;
    LegendPosition legend = LegendPosition::None;
    std::string valueAxisFormat; // when the axis has its own format; empty: the series'
    bool valueGridlines = true;
    Anchor anchor; // on a chart sheet: its size, at the top-left corner
};

} // namespace engine
