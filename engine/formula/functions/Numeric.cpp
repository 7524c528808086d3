#include "engine/formula/functions/Numeric.h"

namespace engine::formula::functions {

double roundAwayFromZero(double v) {
    return v < 0 ? -std::ceil(-v) : std::ceil(v);
}

double roundDigits(double value, int digits, double (*round)(double)) {
    if (digits > 15) {
        digits = 15;
    }
    if (digits < -308) {
        return 0;
    }
    double scale = std::pow(10.0, std::abs(digits));
    double scaled = digits >= 0 ? value * scale : value / scale;
    if (!std::isfinite(scaled)) {
        return value;
    }
    double r = round(roundTo15Digits(scaled));
    return digits >= 0 ? r / scale : r * scale;
}

} // namespace engine::formula::functions
