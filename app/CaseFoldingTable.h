#pragma once
// The simple case folding table behind app::FoldCase.

#include <cstdint>
#include <span>

namespace app {

// `count` code points from `first`, `step` apart, each folding to itself plus `delta`.
struct FoldRun {
    char32_t first;
    std::uint16_t count;
    std::uint8_t step;
    std::int32_t delta;
};

// Sorted by `first`; runs never overlap.
std::span<const FoldRun> FoldRuns();

} // namespace app
