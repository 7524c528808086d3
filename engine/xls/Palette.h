#pragma once
// The colour table of a binary workbook: eight fixed colours, 56 that a PALETTE record may
// replace, and system colours that mean "automatic".

#include "engine/model/Style.h"

#include <array>
#include <cstdint>

namespace engine::xls {

class Palette {
public:
    // `firstSystemIndex` is where the system colours begin: 64 in BIFF5 and later, 24 in
    // BIFF2-4, whose colour fields are five bits wide and name the window's text and background
    // colours with 24 and 25.
    explicit Palette(std::uint16_t firstSystemIndex = 64);

    // Replaces the colour at `index` (8..63); other indexes are ignored.
    void set(std::uint16_t index, std::uint32_t rgb);

    // The colour for a colour index: below the system colours from the table, anything else
    // (64, 65, 0x7FFF and unknown values; 24 and above in BIFF2-4) automatic.
    Color resolve(std::uint16_t index) const;

private:
    std::array<std::uint32_t, 64> rgb_;
    std::uint16_t firstSystemIndex_;
};

} // namespace engine::xls
