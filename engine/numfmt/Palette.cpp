#include "engine/numfmt/Palette.h"

#include <array>
#include <cstdint>

namespace engine::numfmt {
namespace {

// The default 56-colour palette that [ColorN] indexes (N = 1 .. 56).
constexpr std::array<std::uint32_t, 56> defaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

struct NamedColor {
    std::string_view name;
    std::uint32_t rgb;
};

constexpr std::array<NamedColor, 8> namedColors = {{{"black", 0x000000},
                                                    {"blue", 0x0000FF},
                                                    {"cyan", 0x00FFFF},
                                                    {"green", 0x00FF00},
                                                    {"magenta", 0xFF00FF},
                                                    {"red", 0xFF0000},
                                                    {"white", 0xFFFFFF},
                                                    {"yellow", 0xFFFF00}}};

bool equalsIgnoringCase(std::string_view a, std::string_view lowerB) {
    if (a.size() != lowerB.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerB[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<Color> colorByName(std::string_view name) {
    for (const auto& named : namedColors)
        if (equalsIgnoringCase(name, named.name))
            return Color::fromRgb(named.rgb);
    if (name.size() > 5 && equalsIgnoringCase(name.substr(0, 5), "color")) {
        int index = 0;
        for (char c : name.substr(5)) {
            if (c < '0' || c > '9' || index > 100)
                return std::nullopt;
            index = index * 10 + (c - '0');
        }
        if (index >= 1 && index <= 56)
            return Color::fromRgb(defaultPalette[static_cast<std::size_t>(index - 1)]);
    }
    return std::nullopt;
}

} // namespace engine::numfmt
