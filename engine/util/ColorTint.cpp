#include "engine/util/ColorTint.h"

#include <algorithm>
#include <cmath>

namespace engine::util {
namespace {

double hueToChannel(double p, double q, double t) {
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

} // namespace

Hls toHls(double r, double g, double b) {
    const double cMax = std::max({r, g, b}), cMin = std::min({r, g, b});
    Hls hls{0, (cMax + cMin) / 2, 0};
    const double range = cMax - cMin;
    if (range <= 0)
        return hls;
    hls.s = hls.l <= 0.5 ? range / (cMax + cMin) : range / (2 - cMax - cMin);
    double h;
    if (r == cMax)
        h = (g - b) / range;
    else if (g == cMax)
        h = 2 + (b - r) / range;
    else
        h = 4 + (r - g) / range;
    h /= 6;
    hls.h = h < 0 ? h + 1 : h;
    return hls;
}

void fromHls(const Hls& hls, double& r, double& g, double& b) {
    r = g = b = hls.l;
    if (hls.s > 0) {
        const double q = hls.l < 0.5 ? hls.l * (1 + hls.s) : hls.l + hls.s - hls.l * hls.s;
        const double p = 2 * hls.l - q;
        r = hueToChannel(p, q, hls.h + 1.0 / 3);
        g = hueToChannel(p, q, hls.h);
        b = hueToChannel(p, q, hls.h - 1.0 / 3);
    }
}

std::uint32_t applyTint(std::uint32_t rgb, double tint) {
    if (!(tint != 0))
        return rgb;
    tint = std::clamp(tint, -1.0, 1.0);
    Hls hls =
        toHls(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
    hls.l = tint < 0 ? hls.l * (1.0 + tint) : hls.l * (1.0 - tint) + tint;
    double r, g, b;
    fromHls(hls, r, g, b);
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v * 255), 0L, 255L));
    };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

} // namespace engine::util
