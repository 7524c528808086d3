#pragma once
// The colour table of a binary workbook: eight fixed colours, 56 that a PALETTE record may
// replace, and system colours that mean "automatic".

#include "engine/model/Style.h"

#include <array>
#include <cstdint>

namespace engine::xls {

class Palette {
public:
    Palette();

    // Replaces the colour at `index` (8..63); other indexes are ignored.
    void set(std::uint16_t index, std::uint32_t rgb);

    // The colour for a colour index: 0..63 from the table, anything else (64, 65, 0x7FFF and
    // unknown values) automatic.
    Color resolve(std::uint16_t index) const;

private:
    std::array<std::uint32_t, 64> rgb_;
};

} // namespace engine::xls
