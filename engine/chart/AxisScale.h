#pragma once
// The scale of a value axis as the spreadsheet application picks it: round bounds and steps.

namespace engine::chart {

struct AxisScale {
    double min = 0, max = 1, step = 0.2; // max > min, step > 0, (max - min) / step whole
};

// A scale that holds `low`..`high` with at most `maxSteps` steps of 1, 2 or 5 times a power of
// ten. Zero is included unless every value lies far from it; a single value or an empty range
// still gives a usable scale. Non-finite input gives the default scale 0..1.
AxisScale niceScale(double low, double high, int maxSteps);

} // namespace engine::chart
