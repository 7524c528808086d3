#pragma once
// The text a cell shows, with every number format code of a workbook parsed only once.

#include "engine/model/Workbook.h"
#include "engine/numfmt/NumberFormat.h"

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace engine::numfmt {

class CellTextFormatter {
public:
    // `workbook` must outlive the formatter and have been finish()ed.
    explicit CellTextFormatter(const Workbook& workbook);

    // Replaces `out` with what `cell` shows: formatted numbers, text (through a text section
    // when its format has one), TRUE/FALSE, error texts; an empty text for an empty cell.
    void format(const Cell& cell, Shown& out);

    // The parsed format of cell format `cellFormat` (General for an index out of range). The
    // reference stays valid as long as the formatter.
    const NumberFormat& numberFormatOf(std::uint32_t cellFormat);

private:
    const Workbook& workbook_;
    std::vector<std::int32_t> byCellFormat_; // -1 until first needed
    std::map<std::uint32_t, std::size_t> byId_;
    std::deque<NumberFormat> parsed_; // a deque, so references handed out stay valid
};

} // namespace engine::numfmt
