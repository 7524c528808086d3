#include "engine/chart/Palette.h"

#include "engine/util/ColorTint.h"

namespace engine::chart {
namespace {

// The luminance change of each round of six series: a modulation alone darkens, one with an
// offset lightens towards white (as the workbook's own tints do).
constexpr std::array<double, 9> rounds = {0, -0.4, 0.2, -0.2, 0.4, -0.5, 0.3, -0.3, 0.5};

} // namespace

std::uint32_t defaultSeriesColor(std::size_t index, const std::array<std::uint32_t, 6>& accents) {
    const std::uint32_t accent = accents[index % accents.size()] & 0xFFFFFF;
    const double tint = rounds[(index / accents.size()) % rounds.size()];
    return tint == 0 ? accent : util::applyTint(accent, tint);
}

} // namespace engine::chart
