#include "engine/chart/Palette.h"

#include <array>

namespace engine::chart {
namespace {

constexpr std::array<std::uint32_t, 18> palette = {
    0x4472C4, 0xED7D31, 0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, // accents 1-6
    0x264478, 0x9E480E, 0x636363, 0x997300, 0x255E91, 0x43682B, // darker by 40 %
    0x698ED0, 0xF1975A, 0xB7B7B7, 0xFFCD33, 0x7CAFDD, 0x8CC168, // lighter by 20 %
};

} // namespace

std::uint32_t defaultSeriesColor(std::size_t index) {
    return palette[index % palette.size()];
}

} // namespace engine::chart
