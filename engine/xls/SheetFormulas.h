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
    explicit SheetFormulas(const formula::tokens::Links* links)
        : cells_(links, formula::tokens::Dialect::Biff8) {}

    // `parsed` is the CellParsedFormula of a FORMULA record: its size, tokens and extra data.
    void cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> parsed);
    void shared(const Record& record); // SHRFMLA
    void array(const Record& record);  // ARRAY
    void finish(Sheet& sheet) { cells_.finish(sheet); }

private:
    void group(const Record& record, std::size_t header, bool isArray);
    formula::tokens::FormulaCells cells_;
};

} // namespace engine::xls
