#include "engine/xls/Palette.h"

#include "engine/model/DefaultPalette.h"

#include <algorithm>

namespace engine::xls {

Palette::Palette(std::uint16_t firstSystemIndex)
    : rgb_(defaultPalette),
      firstSystemIndex_(std::min<std::uint16_t>(firstSystemIndex, defaultPalette.size())) {}

void Palette::set(std::uint16_t index, std::uint32_t rgb) {
    if (index >= 8 && index < rgb_.size())
        rgb_[index] = rgb & 0xFFFFFF;
}

Color Palette::resolve(std::uint16_t index) const {
    if (index < firstSystemIndex_)
        return Color::fromRgb(rgb_[index]);
    return Color{};
}

} // namespace engine::xls
