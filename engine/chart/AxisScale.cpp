#include "engine/chart/AxisScale.h"

#include "engine/base/Limits.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace engine::chart {
namespace {

constexpr double largest = std::numeric_limits<double>::max();

// The round steps of 1, 2 and 5 times a power of ten from the one that covers `rough` down:
// the larger ones give bounds past the largest double when the values come close to it.
double niceStep(double rough, int finer) {
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    constexpr double factors[] = {1.0, 2.0, 5.0, 10.0};
    int index = 0;
    while (index < 3 && factors[index] * power < rough)
        ++index;
    for (; finer > 0; --finer) {
        if (index == 0) {
            power /= 10;
            index = 2;
        } else {
            --index;
        }
    }
    return factors[index] * power;
}

} // namespace

int AxisScale::steps() const {
    if (!labelled)
        return 0;
    // Quotients stay small where the difference would overflow. A fixed maximum need not be
    // a whole step from the minimum: the last step is the one at or below it, never the next
    // one past it (a tolerance keeps 0.1 steps that add up to 0.30000000000000004).
    const double count = std::floor(max / step - min / step + 1e-9);
    if (!(count >= 1))
        return 0;
    return static_cast<int>(std::min<double>(count, limits::maxAxisLabels - 1));
}

double AxisScale::share(double value) const {
    if (std::isnan(value) || !(max > min))
        return 0;
    const double clamped = std::clamp(value, min, max);
    // Halves keep the difference finite for bounds of opposite sign near the largest doubles.
    return std::clamp((clamped / 2 - min / 2) / (max / 2 - min / 2), 0.0, 1.0);
}

AxisScale niceScale(double low, double high, int maxSteps) {
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        return {};
    // Values far from zero on one side only get an axis that starts near them, as long as
    // the gap to zero would take more than five sixths of the axis.
    if (low > 0 && (high - low) * 6 >= high)
        low = 0;
    if (high < 0 && (high - low) * 6 >= -low)
        high = 0;
    if (low == high) {
        if (low == 0)
            return {};
        const double magnitude = std::abs(low);
        low = low > 0 ? 0 : std::max(low - magnitude * 0.1, -largest);
        high = high > 0 ? std::min(high + magnitude * 0.1, largest) : 0;
    }
    // The application leaves a twentieth of the span free beyond the outermost value; the
    // span is taken in halves, which cannot overflow.
    const double pad = (high / 2 - low / 2) / 10;
    if (high > 0)
        high = std::min(high + pad, largest);
    if (low < 0)
        low = std::max(low - pad, -largest);
    const int most = std::clamp(maxSteps, 2, 20);
    const double rough = (high / 2 - low / 2) / most * 2;
    if (!(rough > 0) || !std::isfinite(rough))
        return {};
    // A finer step than the first choice can still give round bounds that are doubles.
    for (int finer = 0; finer < 4; ++finer) {
        AxisScale scale;
        scale.step = niceStep(rough, finer);
        scale.min = std::floor(low / scale.step) * scale.step;
        scale.max = std::ceil(high / scale.step) * scale.step;
        if (!std::isfinite(scale.min) || !std::isfinite(scale.max))
            continue;
        if (scale.max <= scale.min)
            scale.max = scale.min + scale.step;
        // A step below the precision of the bounds would name one value many times.
        if (scale.max > scale.min &&
            scale.max / scale.step - scale.min / scale.step < limits::maxAxisLabels)
            return scale;
    }
    AxisScale bare;
    bare.min = low;
    bare.max = high; // above low: both were moved apart from each other or from zero
    bare.step = rough;
    bare.labelled = false;
    return bare;
}

} // namespace engine::chart
