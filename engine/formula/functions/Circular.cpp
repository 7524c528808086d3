#include "engine/formula/functions/Circular.h"

#include <cmath>
#include <cstdint>

namespace engine::formula::functions {
namespace {

// Half of pi rounded to 64 significant bits, as a double and the (exactly held) rest.
constexpr double halfPiHigh = 1.5707963267948966;
constexpr double halfPiLow = 6.1257422745431e-17;

// `x` less its nearest whole number of quarter turns, and that number modulo 4.
double reduced(double x, int& quadrant) {
    const double turns = std::nearbyint(x / halfPiHigh);
    const double rest = std::fma(-turns, halfPiHigh, x) - turns * halfPiLow;
    const auto whole = static_cast<std::int64_t>(turns);
    quadrant = static_cast<int>(((whole % 4) + 4) % 4);
    return rest;
}

// sin(r + quadrant * pi/2).
double sineInQuadrant(double r, int quadrant) {
    switch (quadrant % 4) {
    case 0:
        return std::sin(r);
    case 1:
        return std::cos(r);
    case 2:
        return -std::sin(r);
    default:
        return -std::cos(r);
    }
}

} // namespace

double circularSin(double x) {
    int quadrant = 0;
    const double r = reduced(x, quadrant);
    return sineInQuadrant(r, quadrant);
}

// cos x = sin(x + pi/2): one quadrant further on.
double circularCos(double x) {
    int quadrant = 0;
    const double r = reduced(x, quadrant);
    return sineInQuadrant(r, quadrant + 1);
}

double circularTan(double x) {
    int quadrant = 0;
    const double r = reduced(x, quadrant);
    return quadrant % 2 == 0 ? std::tan(r) : -1 / std::tan(r);
}

} // namespace engine::formula::functions
