#pragma once
// Conditional formats of a BIFF8 worksheet: a CONDFMT record with its ranges, followed by its
// CF records, each a cell-value rule with its formulas and the look it gives (a DXFN).

#include "engine/model/Workbook.h"
#include "engine/xls/Palette.h"
#include "engine/xls/RecordReader.h"

namespace engine::xls {

class ConditionalFormatCollector {
public:
    ConditionalFormatCollector(Workbook& workbook, const Palette& palette)
        : workbook_(workbook), palette_(palette) {}

    // CONDFMT: starts a format over its ranges.
    void format(const Record& record, Sheet& sheet);
    // CF: adds a rule to the last format. Rules whose formulas are not a constant (or a
    // formula rule) are kept as Unsupported; a damaged record costs its rule only.
    void rule(const Record& record, Sheet& sheet);

private:
    Workbook& workbook_;
    const Palette& palette_;
    bool open_ = false; // the last CONDFMT was read and takes CF records
    std::size_t rules_ = 0;
};

} // namespace engine::xls
