#include "engine/numfmt/DigitWidth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace engine::numfmt {
namespace {

struct FontDigits {
    std::string_view family; // lower case
    double advance;          // the widest digit's advance, in ems
};

// Digit advances of the fonts workbooks use most, from the fonts' horizontal metrics; the free
// fonts that share a font's metrics share its row.
constexpr std::array<FontDigits, 24> digitAdvances = {{
    {"calibri", 1038.0 / 2048},
    {"carlito", 1038.0 / 2048},
    {"calibri light", 1038.0 / 2048},
    {"arial", 1139.0 / 2048},
    {"liberation sans", 1139.0 / 2048},
    {"arimo", 1139.0 / 2048},
    {"helvetica", 1139.0 / 2048},
    {"arial narrow", 934.0 / 2048},
    {"liberation sans narrow", 934.0 / 2048},
    {"times new roman", 1024.0 / 2048},
    {"liberation serif", 1024.0 / 2048},
    {"tinos", 1024.0 / 2048},
    {"courier new", 1229.0 / 2048},
    {"liberation mono", 1229.0 / 2048},
    {"cousine", 1229.0 / 2048},
    {"cambria", 1137.0 / 2048},
    {"caladea", 1137.0 / 2048},
    {"verdana", 1303.0 / 2048},
    {"tahoma", 1118.0 / 2048},
    {"segoe ui", 1144.0 / 2048},
    {"consolas", 1126.0 / 2048},
    {"georgia", 1258.0 / 2048},
    {"trebuchet ms", 1073.0 / 2048},
    {"dejavu sans", 1303.0 / 2048},
}};

// The sizes people check the arithmetic against, as the application shows them; they are what
// the screen's hinting makes of the advances, which rounding alone gets right too, pinned so
// that a change of the advances above cannot move them.
struct Known {
    std::string_view family;
    double size;
    int pixels;
};
constexpr std::array<Known, 6> knownWidths = {{
    {"calibri", 11, 7},
    {"calibri", 12, 8},
    {"arial", 10, 7},
    {"arial", 12, 9},
    {"verdana", 10, 8},
    {"times new roman", 12, 8},
}};

constexpr double defaultSize = 11.0;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(0, 1);
    return out;
}

int measureDigit(std::string_view family, double sizePoints);

} // namespace

int maxDigitPixels(std::string_view family, double sizePoints) {
    // The writer asks for every number it checks, nearly always for the same font.
    thread_local std::string lastFamily;
    thread_local double lastSize = -1;
    thread_local int lastPixels = 7;
    if (sizePoints == lastSize && family == lastFamily)
        return lastPixels;
    lastFamily.assign(family);
    lastSize = sizePoints;
    lastPixels = measureDigit(family, sizePoints);
    return lastPixels;
}

namespace {

int measureDigit(std::string_view family, double sizePoints) {
    const double size = std::isfinite(sizePoints) && sizePoints > 0
                            ? std::clamp(sizePoints, 1.0, 409.0)
                            : defaultSize;
    const std::string key = lowered(family);
    for (const Known& known : knownWidths)
        if (known.family == key && known.size == size)
            return known.pixels;
    double advance = digitAdvances.front().advance;
    for (const FontDigits& font : digitAdvances)
        if (font.family == key) {
            advance = font.advance;
            break;
        }
    return std::max(1, static_cast<int>(std::lround(advance * size * 96.0 / 72.0)));
}

} // namespace

int columnWidthPixels(double widthCharacters, int digitPixels) {
    if (!std::isfinite(widthCharacters) || widthCharacters <= 0 || digitPixels <= 0)
        return 0;
    const double width = std::min(widthCharacters, 255.0 + 1);
    // The file keeps widths to 1/256 of a character; half a pixel is added before truncating.
    const double units = std::floor(256 * width + std::floor(128.0 / digitPixels));
    return static_cast<int>(std::floor(units / 256 * digitPixels));
}

double widthFromBaseCharacters(double baseCharacters, int digitPixels) {
    if (digitPixels <= 0)
        digitPixels = 7;
    const double base = std::isfinite(baseCharacters) ? std::clamp(baseCharacters, 0.0, 255.0) : 8;
    const int padding = 2 * ((digitPixels + 3) / 4) + 1;
    const double pixels = std::ceil((std::floor(base) * digitPixels + padding) / 8) * 8;
    return pixels / digitPixels;
}

} // namespace engine::numfmt
