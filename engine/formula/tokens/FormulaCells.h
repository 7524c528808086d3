#pragma once
// The formulas of one sheet of a binary workbook, kept as their tokens while the sheet is read.
// Their text is built only for a workbook that computes something: decoding every formula of a
// workbook whose results are all stored would cost several times the reading of the cells.

#include "engine/formula/tokens/TokenDecoder.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace engine::formula::tokens {

class FormulaCells {
public:
    FormulaCells(const Links* links, Dialect dialect) : links_(links), dialect_(dialect) {}

    // A formula cell's tokens and the extra data after them; `alwaysCalc` when its record
    // says the value must be computed at every calculation, `dynamic` when the file marks the
    // array formula anchored there as a dynamic array.
    void cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
              std::span<const std::uint8_t> extra, bool alwaysCalc = false, bool dynamic = false);
    // A shared formula, or an array formula, over `range`, anchored at its first cell: the
    // cells that use it hold only a pointer at that cell, and its record follows the first.
    void group(const Range& range, bool isArray, std::span<const std::uint8_t> tokens,
               std::span<const std::uint8_t> extra);

    // Whether a formula is volatile: its value must be computed whatever the file holds.
    bool hasVolatile() const { return volatile_; }

    // Decodes every formula into `sheet.formulas`, in cell order, and lets go of the tokens.
    // A shared formula is decoded once, at one of its cells (its anchor when the anchor uses
    // it): that cell carries the text and the others only the group's `sharedIndex`. A group
    // whose text would not name the same cells once moved is decoded at each of its cells.
    void finish(Sheet& sheet);

private:
    struct Entry {
        std::uint32_t row;
        std::uint16_t col;
        std::uint32_t at, tokenBytes, extraBytes; // in arena_
    };
    struct Group {
        Range range;
        bool array = false;
        std::vector<std::uint8_t> tokens, extra;
        // Found by finish: the pointer whose cell decodes the group, the cells that point at
        // it, and whether it is decoded once or at each cell.
        static constexpr std::size_t none = static_cast<std::size_t>(-1);
        std::size_t source = none;
        Range users;
        enum class Form : std::uint8_t { Undecided, Shared, EachCell } form = Form::Undecided;
        std::uint32_t index = 0;
    };
    struct Pointer {
        std::uint32_t row;
        std::uint16_t col;
        std::uint32_t anchorRow, anchorCol;
        bool dynamic;
    };
    Decoded decode(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
                   std::span<const std::uint8_t> extra) const;
    // Adds the formula at (row, col); nullptr when the tokens gave none.
    static CellFormula* add(std::vector<CellFormula>& formulas, std::uint32_t row,
                            std::uint16_t col, Decoded decoded);
    // Decodes `g` at its source pointer's cell, adds that cell's formula and settles the form.
    void decide(Group& g, std::vector<CellFormula>& formulas, std::uint32_t& nextIndex) const;

    const Links* links_;
    Dialect dialect_;
    bool volatile_ = false;
    std::vector<std::uint8_t> arena_; // every cell's tokens and extra data, one after another
    std::vector<Entry> entries_;
    std::vector<Pointer> pointers_;
    std::map<std::pair<std::uint32_t, std::uint32_t>, Group> groups_; // by anchor
};

// What a workbook wants of its binary formulas' text.
enum class FormulaText : std::uint8_t {
    WhenComputed, // only when something is computed: a full calculation, or a volatile formula
    Always,       // every formula (tests and tools that look at the formulas themselves)
};

// The FormulaCells of every sheet of one workbook, finished together: a volatile formula on
// one sheet makes the formulas of every sheet that may read it worth their text.
class WorkbookFormulas {
public:
    WorkbookFormulas(const Links* links, Dialect dialect) : links_(links), dialect_(dialect) {}

    // The formulas of the sheet that will be `workbook.sheets[index]`.
    FormulaCells& sheet(std::size_t index);

    // Fills the worksheets' formulas of `workbook` when `text` says they are wanted.
    void finish(Workbook& workbook, FormulaText text);

private:
    const Links* links_;
    Dialect dialect_;
    std::deque<std::pair<std::size_t, FormulaCells>> sheets_; // a sheet's stays where it is
};

} // namespace engine::formula::tokens
