#pragma once
// The formula records of one BIFF8 worksheet (FORMULA, SHRFMLA, ARRAY) taken apart into
// tokens and extra data for the sheet's formula cells.

#include "engine/formula/tokens/FormulaCells.h"
#include "engine/xls/RecordReader.h"

#include <cstdint>
#include <span>

namespace engine::xls {

class SheetFormulas {
public:
    // Nothing is kept without `cells` (the formulas of BIFF2-5 are not read).
    explicit SheetFormulas(formula::tokens::FormulaCells* cells) : cells_(cells) {}

    // `parsed` is the CellParsedFormula of a FORMULA record: its size, tokens and extra data.
    void cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> parsed,
              bool alwaysCalc);
    void shared(const Record& record); // SHRFMLA
    void array(const Record& record);  // ARRAY

private:
    void group(const Record& record, std::size_t header, bool isArray);
    formula::tokens::FormulaCells* cells_;
};

} // namespace engine::xls
