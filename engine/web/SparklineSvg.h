#pragma once
// Drawing one sparkline as the inside of an SVG element the size of its cell.

#include "engine/model/Sparkline.h"

#include <optional>
#include <string>
#include <vector>

namespace engine::web {

// The vertical scale of a sparkline: the values at its bottom and its top.
struct SparklineScaleRange {
    double min = 0, max = 0;
};

// The scale the group gives a sparkline with `values`, given the lowest and highest value of
// every sparkline of the group (`groupMin`, `groupMax`); nullopt when there is nothing to draw.
std::optional<SparklineScaleRange> sparklineScale(const SparklineGroup& group,
                                                  const std::vector<std::optional<double>>& values,
                                                  std::optional<SparklineScaleRange> groupRange);

// The lowest and highest of `values`; nullopt when none is a number.
std::optional<SparklineScaleRange> valueRange(const std::vector<std::optional<double>>& values);

// The SVG elements (lines, bars, markers) of a sparkline `width` by `height` pixels; empty
// when there is nothing to draw. Empty values break the line (or leave a bar out); the caller
// has already made them zeros where the group wants that, and for a spanning group, the line
// joins the points either side.
std::string sparklineShapes(const SparklineGroup& group,
                            const std::vector<std::optional<double>>& values,
                            SparklineScaleRange scale, int width, int height);

} // namespace engine::web
