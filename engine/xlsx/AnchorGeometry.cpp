#include "engine/xlsx/AnchorGeometry.h"

#include "engine/xlsx/XmlValues.h"

#include <algorithm>
#include <cmath>

namespace engine::xlsx {

double emu(const xml::Attributes& attributes, std::string_view name) {
    const auto value = parseNumber(attributes.value(name));
    return value && *value >= 0 && *value < 1e15 ? *value : 0;
}

double columnWidthPt(const Sheet& sheet, std::uint64_t col) {
    double width = sheet.defaultColumnWidth;
    for (const auto& column : sheet.columns) {
        if (col >= column.firstCol && col <= column.lastCol) {
            if (column.hidden)
                return 0;
            width = column.width;
            break;
        }
    }
    return std::floor(width * 7 + 0.5) * 0.75;
}

double rowHeightPt(const Sheet& sheet, std::uint64_t row) {
    const auto found = std::lower_bound(
        sheet.rows.begin(), sheet.rows.end(), row,
        [](const RowInfo& info, std::uint64_t wanted) { return info.row < wanted; });
    if (found != sheet.rows.end() && found->row == row) {
        if (found->hidden)
            return 0;
        if (found->height > 0)
            return found->height;
    }
    return sheet.defaultRowHeight;
}

} // namespace engine::xlsx
