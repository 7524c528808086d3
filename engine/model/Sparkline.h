#pragma once
// Sparklines: small charts of a row or column of cells, each drawn inside one cell.

#include "engine/model/Style.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

enum class SparklineType : std::uint8_t { Line, Column, WinLoss };
// What an empty cell of the data is drawn as: a break in the line, a zero, or nothing at all
// (the line joins its neighbours).
enum class SparklineEmpty : std::uint8_t { Gap, Zero, Span };
// Where the vertical scale's end comes from: each sparkline's own data, the whole group's, or
// the group's fixed value.
enum class SparklineScale : std::uint8_t { Individual, Group, Custom };

struct Sparkline {
    std::uint32_t row = 0; // the cell it is drawn in
    std::uint16_t col = 0;
    std::string data; // the reference of its values as written ("Sheet1!B2:G2"); may be empty
};

// Sparklines that share their looks. A colour left automatic takes the writer's default.
struct SparklineGroup {
    SparklineType type = SparklineType::Line;
    double lineWeightPt = 0.75;
    Color series, negative, axis, markers, first, last, high, low;
    bool showMarkers = false, showFirst = false, showLast = false;
    bool showHigh = false, showLow = false, showNegative = false;
    bool showAxis = false;      // a horizontal line at zero when zero lies inside the scale
    bool includeHidden = false; // values in hidden rows and columns are drawn too
    bool rightToLeft = false;   // the first value at the right
    SparklineEmpty empty = SparklineEmpty::Zero;
    SparklineScale minScale = SparklineScale::Individual;
    SparklineScale maxScale = SparklineScale::Individual;
    std::optional<double> manualMin, manualMax; // used for SparklineScale::Custom
    std::vector<Sparkline> sparklines;
};

} // namespace engine
