#pragma once
// The scale of a value axis as the spreadsheet application picks it: round bounds and steps.

namespace engine::chart {

struct AxisScale {
    double min = 0, max = 1, step = 0.2; // max > min, all finite
    // False when the bounds are not whole steps apart (values near the largest doubles): the
    // axis is then drawn without labels or gridlines.
    bool labelled = true;

    // The number of whole steps from min up to max, at most limits::maxAxisLabels - 1; 0 when
    // not labelled.
    int steps() const;
    // The value at step `i` from min.
    double at(int i) const { return min + i * step; }
    // Where `value` lies between min (0) and max (1), clamped; 0 for NaN. Finite even when
    // max - min overflows.
    double share(double value) const;
};

// A scale that holds `low`..`high` with at most `maxSteps` steps of 1, 2 or 5 times a power of
// ten. Zero is included unless every value lies far from it; a single value or an empty range
// still gives a usable scale. Non-finite input gives the default scale 0..1; input so large
// that no round bounds are doubles gives an unlabelled scale of the values themselves.
AxisScale niceScale(double low, double high, int maxSteps);

} // namespace engine::chart
