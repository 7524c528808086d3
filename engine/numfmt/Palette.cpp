#include "engine/numfmt/Palette.h"

#include "engine/model/DefaultPalette.h"

#include <array>
#include <cstdint>

namespace engine::numfmt {
namespace {

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
            return Color::fromRgb(defaultPalette[static_cast<std::size_t>(index + 7)]);
    }
    return std::nullopt;
}

} // namespace engine::numfmt
