#include "engine/xls/Palette.h"

#include "engine/model/DefaultPalette.h"

namespace engine::xls {

Palette::Palette() : rgb_(defaultPalette) {}

void Palette::set(std::uint16_t index, std::uint32_t rgb) {
    if (index >= 8 && index < rgb_.size())
        rgb_[index] = rgb & 0xFFFFFF;
}

Color Palette::resolve(std::uint16_t index) const {
    if (index < rgb_.size())
        return Color::fromRgb(rgb_[index]);
    return Color{};
}

} // namespace engine::xls
