#include "engine/numfmt/CellText.h"

#include "engine/numfmt/BuiltinFormats.h"

namespace engine::numfmt {

CellTextFormatter::CellTextFormatter(const Workbook& workbook)
    : workbook_(workbook), byCellFormat_(workbook.cellFormats.size(), -1) {
    parsed_.push_back(NumberFormat::parse("General"));
    if (formatCodeFor(workbook, 0) == "General")
        byId_.emplace(0, 0);
}

const NumberFormat& CellTextFormatter::numberFormatOf(std::uint32_t cellFormat) {
    if (cellFormat >= byCellFormat_.size())
        return parsed_[0];
    std::int32_t& slot = byCellFormat_[cellFormat];
    if (slot < 0) {
        std::uint32_t id = workbook_.cellFormats[cellFormat].numFmtId;
        auto known = byId_.find(id);
        if (known == byId_.end()) {
            parsed_.push_back(NumberFormat::parse(formatCodeFor(workbook_, id)));
            known = byId_.emplace(id, parsed_.size() - 1).first;
        }
        slot = static_cast<std::int32_t>(known->second);
    }
    return parsed_[static_cast<std::size_t>(slot)];
}

void CellTextFormatter::format(const Cell& cell, Shown& out) {
    out.text.clear();
    out.color = Color{};
    out.fill.clear();
    out.fillAt = 0;
    switch (cell.type) {
    case CellType::Empty:
        return;
    case CellType::Number:
        numberFormatOf(cell.format).formatNumber(cell.number, workbook_.dateSystem, out);
        return;
    case CellType::Text:
        if (cell.text < workbook_.strings.size())
            numberFormatOf(cell.format).formatText(workbook_.strings[cell.text].text, out);
        return;
    case CellType::Boolean:
        out.text = cell.boolean ? "TRUE" : "FALSE";
        return;
    case CellType::Error:
        out.text = errorText(cell.error);
        return;
    }
}

} // namespace engine::numfmt
