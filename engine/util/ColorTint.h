#pragma once
// The tint of a colour reference: the one lightness rule of cell, chart and shape colours.

#include <cstdint>

namespace engine::util {

// Lightens (tint > 0) or darkens (tint < 0) `rgb` by changing its luminance, computed in the
// HLS space, rounding to the nearest RGB unit; tint is clamped to -1..1.
std::uint32_t applyTint(std::uint32_t rgb, double tint);

// A colour in the HLS space: hue as a fraction of the circle, lightness and saturation, each
// 0..1.
struct Hls {
    double h, l, s;
};

// From and back to red, green and blue channels of 0..1.
Hls toHls(double r, double g, double b);
void fromHls(const Hls& hls, double& r, double& g, double& b);

} // namespace engine::util
