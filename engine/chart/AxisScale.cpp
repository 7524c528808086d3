#include "engine/chart/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace engine::chart {
namespace {

double niceStep(double span, int maxSteps) {
    const double rough = span / std::max(maxSteps, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= rough)
            return factor * power;
    return 10.0 * power;
}

} // namespace

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
        low = low > 0 ? 0 : low - magnitude * 0.1;
        high = high > 0 ? high + magnitude * 0.1 : 0;
    }
    // Values in the range of doubles but whose span overflows are not worth an axis.
    const double span = high - low;
    if (!std::isfinite(span) || span <= 0)
        return {};
    // The application leaves a twentieth of the span free beyond the outermost value.
    if (high > 0)
        high += span / 20;
    if (low < 0)
        low -= span / 20;
    AxisScale scale;
    scale.step = niceStep(high - low, std::clamp(maxSteps, 2, 20));
    scale.min = std::floor(low / scale.step) * scale.step;
    scale.max = std::ceil(high / scale.step) * scale.step;
    if (scale.max <= scale.min)
        scale.max = scale.min + scale.step;
    return scale;
}

} // namespace engine::chart
