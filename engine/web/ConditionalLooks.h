#pragma once
// What the conditional formats of a sheet make of its cells, worked out once per sheet from the
// cells' cached values: the looks of the rules that hold, colour-scale fills, data bars and
// icons. Rules whose formulas would need evaluating are not guessed but counted.

#include "engine/model/Workbook.h"
#include "engine/numfmt/CellText.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace engine::web {

struct CellLook {
    std::optional<Color> fontColor, fill;
    std::optional<bool> bold, italic, strike;
    std::optional<Underline> underline;
    std::optional<BorderSide> left, right, top, bottom;
    int barPercent = -1; // a data bar this long (percent of the cell), -1 for none
    Color barColor;
    int icon = -1; // an icon: 0 the lowest band's; -1 for none
    int iconCount = 3;
    std::string iconSet;
    bool hideValue = false; // a bar or icon shown instead of the value
};

class ConditionalLooks {
public:
    ConditionalLooks(const Workbook& workbook, const Sheet& sheet,
                     numfmt::CellTextFormatter& formatter);

    // The look of a cell, nullptr when no rule changes it.
    const CellLook* at(std::uint32_t row, std::uint16_t col) const;
    // How many rules were left out because they need a formula evaluated.
    std::size_t leftOut() const { return leftOut_; }
    bool empty() const { return looks_.empty(); }

private:
    std::map<std::uint64_t, CellLook> looks_;
    std::size_t leftOut_ = 0;
};

// Appends the CSS declarations of `look` (colours, fonts, borders, the data bar).
void appendLookCss(std::string& out, const CellLook& look);

// Appends the icon element of `look`, if it has one.
void appendLookIcon(std::string& out, const CellLook& look);

} // namespace engine::web
