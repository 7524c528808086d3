#include "engine/xlsx/Colors.h"

#include "engine/model/DefaultPalette.h"
#include "engine/xlsx/XmlValues.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace engine::xlsx {
namespace {

// The default office theme, in scheme order (dk1 lt1 dk2 lt2 accent1-6 hlink folHlink).
constexpr std::array<std::uint32_t, 12> defaultScheme = {0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1,
                                                         0x4F81BD, 0xC0504D, 0x9BBB59, 0x8064A2,
                                                         0x4BACC6, 0xF79646, 0x0000FF, 0x800080};

// The theme="" index counts light before dark: 0 = lt1, 1 = dk1, 2 = lt2, 3 = dk2.
std::array<std::uint32_t, 12> themeOrder(const std::array<std::uint32_t, 12>& scheme) {
    std::array<std::uint32_t, 12> theme = scheme;
    std::swap(theme[0], theme[1]);
    std::swap(theme[2], theme[3]);
    return theme;
}

// Hue, lightness and saturation, each 0..1 (hue in sixths of the circle / 6).
struct Hls {
    double h, l, s;
};

Hls toHls(std::uint32_t rgb) {
    const double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
                 b = (rgb & 0xFF) / 255.0;
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

std::uint32_t fromHls(const Hls& hls) {
    double r = hls.l, g = hls.l, b = hls.l;
    if (hls.s > 0) {
        const double q = hls.l < 0.5 ? hls.l * (1 + hls.s) : hls.l + hls.s - hls.l * hls.s;
        const double p = 2 * hls.l - q;
        r = hueToChannel(p, q, hls.h + 1.0 / 3);
        g = hueToChannel(p, q, hls.h);
        b = hueToChannel(p, q, hls.h - 1.0 / 3);
    }
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v * 255), 0L, 255L));
    };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

std::optional<std::uint32_t> parseHexColor(std::string_view text) {
    // Six digits are RGB; eight are ARGB, whose alpha the application ignores.
    if (text.size() != 6 && text.size() != 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value & 0xFFFFFF;
}

} // namespace

std::uint32_t applyTint(std::uint32_t rgb, double tint) {
    if (!(tint != 0))
        return rgb;
    tint = std::clamp(tint, -1.0, 1.0);
    Hls hls = toHls(rgb);
    hls.l = tint < 0 ? hls.l * (1.0 + tint) : hls.l * (1.0 - tint) + tint;
    return fromHls(hls);
}

Colors::Colors() : palette_(defaultPalette), theme_(themeOrder(defaultScheme)) {}

void Colors::setIndexed(std::size_t index, std::uint32_t rgb) {
    if (index < palette_.size())
        palette_[index] = rgb & 0xFFFFFF;
}

void Colors::setScheme(const std::array<std::uint32_t, 12>& scheme) {
    theme_ = themeOrder(scheme);
}

Color Colors::resolve(const xml::Attributes& attributes) const {
    if (parseBool(attributes.value("auto"), false))
        return Color{};
    std::optional<std::uint32_t> rgb;
    if (const char* value = attributes.get("rgb")) {
        rgb = parseHexColor(value);
    } else if (const char* value = attributes.get("theme")) {
        if (const auto index = parseUnsigned(value, theme_.size() - 1))
            rgb = theme_[*index];
    } else if (const char* value = attributes.get("indexed")) {
        // 64 and above are the system's window colours: the application's defaults.
        if (const auto index = parseUnsigned(value, palette_.size() - 1))
            rgb = palette_[*index];
    }
    if (!rgb)
        return Color{};
    if (const char* tint = attributes.get("tint"))
        if (const auto value = parseNumber(tint))
            rgb = applyTint(*rgb, *value);
    return Color::fromRgb(*rgb);
}

} // namespace engine::xlsx
