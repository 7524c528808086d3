#pragma once
// A chart as the readers take it from the file: its plots, series with their cached values
// (or the cells of the workbook they name), axes, title, legend and looks. Nothing here is
// evaluated; values are what the file last saved or what the referenced cells hold.

#include "engine/model/Anchor.h"
#include "engine/model/Style.h"

#include <array>
#include <cstdint>
#include <optional>
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

struct GradientStop {
    double position = 0; // 0..1 along the gradient
    std::uint32_t rgb = 0;
};

// How an area is filled: automatic (the drawing's default), not at all, with one colour, or
// with a linear gradient of two or more stops.
struct ChartFill {
    enum class Kind : std::uint8_t { Automatic, None, Solid, Gradient } kind = Kind::Automatic;
    std::uint32_t rgb = 0;           // Solid
    std::vector<GradientStop> stops; // Gradient, by position
    double angle = 0;                // Gradient: degrees clockwise from left-to-right
};

// The outline of an area (the plot area, the legend): automatic (the drawing's default, none
// for both), none, or a line of one colour.
struct ChartLine {
    enum class Kind : std::uint8_t { Automatic, None, Solid } kind = Kind::Automatic;
    std::uint32_t rgb = 0;
    double widthPt = 0.75;
};

// The font of a title or of labels; unset parts are the drawing's defaults.
struct ChartFont {
    double sizePt = 0; // 0: default
    std::optional<bool> bold;
    bool italic = false;
    Color color;
    std::string family; // empty: default
};

struct ChartAxis {
    std::string title; // empty: none
    ChartFont titleFont, labelFont;
    std::optional<double> min, max, majorUnit; // fixed by the file; unset: automatic
    std::string format; // when the axis has its own format; empty: the series'
    bool gridlines = false;
    Color gridColor; // automatic: light grey
    bool deleted = false;
};

// Where a series' lists come from when the file caches no values: references to cells of
// this workbook ("Sheet1!$B$2:$B$9"), filled in once every sheet is read.
struct ChartSeriesSource {
    std::string name, categories, values;
};

struct ChartSeries {
    std::string name;                    // empty: "Series N" is shown
    std::vector<std::string> categories; // one per point as shown; empty: 1, 2, 3 ...
    // Outer levels of multi-level categories, the next outer first: a group's name stands at
    // the first point it spans, and the points after it up to the next name belong to it.
    std::vector<std::vector<std::string>> categoryGroups;
    std::vector<double> values;     // NaN for a point without a value
    std::vector<double> xValues;    // scatter plots only; empty: 1, 2, 3 ...
    std::string formatCode;         // of the values; empty means General
    Color color;                    // fill (or line) colour; automatic: the palette's
    std::vector<Color> pointColors; // per point, automatic where the file names none
    bool line = true;               // line and scatter: points are joined
    bool markers = true;            // line and scatter: points are marked
    ChartFill fill;                 // when the file gives one; overrides `color` as a fill
    std::vector<double> explosion;  // pie: per point, share of the radius; empty: none
    double seriesExplosion = 0;     // pie: every point's, share of the radius
    ChartSeriesSource source;
};

struct ChartPlot {
    ChartKind kind = ChartKind::Column;
    ChartGrouping grouping = ChartGrouping::Clustered;
    std::vector<ChartSeries> series;
    bool varyColors = false;     // each point of a one-series plot has its own colour
    bool showValues = false;     // data labels with the values
    bool showPercent = false;    // pie and doughnut: data labels with the share
    bool showCategory = false;   // data labels with the category
    ChartFont labelFont;         // of the data labels
    int holePercent = 50;        // doughnut: the hole's share of the diameter
    std::string unsupportedName; // Unsupported: what the file calls the kind ("radar" ...)
};

// The default theme's accent colours, from which series without colours of their own take
// theirs.
inline constexpr std::array<std::uint32_t, 6> defaultAccents = {0x4472C4, 0xED7D31, 0xA5A5A5,
                                                                0xFFC000, 0x5B9BD5, 0x70AD47};

struct Chart {
    std::string title; // empty: no title
    ChartFont titleFont;
    std::vector<ChartPlot> plots;
    LegendPosition legend = LegendPosition::None;
    ChartFont legendFont;
    ChartFill legendFill;               // automatic: none
    ChartLine legendBorder, plotBorder; // automatic: none
    ChartAxis valueAxis = [] {
        ChartAxis axis;
        axis.gridlines = true; // the application's default for value axes
        return axis;
    }();
    ChartAxis categoryAxis;
    ChartFill chartFill, plotFill; // the whole chart's background and the plot area's
    std::array<std::uint32_t, 6> accents = defaultAccents; // of the workbook's theme
    Anchor anchor; // on a chart sheet: its size, at the top-left corner
};

} // namespace engine
