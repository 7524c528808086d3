#pragma once
// The formulas of one sheet of a binary workbook: each cell's tokens decoded at the cell, and
// the cells whose tokens only point at a shared or array formula resolved once the sheet is
// read, since the record of that formula follows the first cell that uses it.

#include "engine/formula/tokens/TokenDecoder.h"
#include "engine/model/Sheet.h"

#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace engine::formula::tokens {

class FormulaCells {
public:
    FormulaCells(const Links* links, Dialect dialect) : links_(links), dialect_(dialect) {}

    // A formula cell's tokens and the extra data after them.
    void cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
              std::span<const std::uint8_t> extra);
    // A shared formula, or an array formula, over `range`; anchored at its first cell.
    void group(const Range& range, bool isArray, std::span<const std::uint8_t> tokens,
               std::span<const std::uint8_t> extra);

    // Moves every formula into `sheet.formulas`, in cell order.
    void finish(Sheet& sheet);

private:
    struct Group {
        Range range;
        bool array = false;
        std::vector<std::uint8_t> tokens, extra;
    };
    struct Pointer {
        std::uint32_t row;
        std::uint16_t col;
        std::uint32_t anchorRow, anchorCol;
    };
    // Decodes at (row, col); a pointer at a group is kept for later when `mayPoint`.
    CellFormula* add(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
                     std::span<const std::uint8_t> extra, bool mayPoint);

    const Links* links_;
    Dialect dialect_;
    std::vector<CellFormula> formulas_;
    std::vector<Pointer> pointers_;
    std::map<std::pair<std::uint32_t, std::uint32_t>, Group> groups_; // by anchor
};

} // namespace engine::formula::tokens
