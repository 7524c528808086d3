#include "engine/model/SheetSpans.h"

#include <algorithm>

namespace engine {

void normaliseSpans(Sheet& sheet) {
    auto& columns = sheet.columns;
    std::stable_sort(columns.begin(), columns.end(), [](const ColumnInfo& a, const ColumnInfo& b) {
        return a.firstCol < b.firstCol;
    });
    // Overlapping spans are a writer's mistake; the first one claims its columns.
    std::vector<ColumnInfo> kept;
    for (ColumnInfo column : columns) {
        if (!kept.empty() && column.firstCol <= kept.back().lastCol) {
            if (column.lastCol <= kept.back().lastCol)
                continue;
            column.firstCol = static_cast<std::uint16_t>(kept.back().lastCol + 1);
        }
        kept.push_back(column);
    }
    columns.swap(kept);

    auto& rows = sheet.rows;
    const auto before = [](const RowInfo& a, const RowInfo& b) { return a.row < b.row; };
    if (!std::is_sorted(rows.begin(), rows.end(), before))
        std::stable_sort(rows.begin(), rows.end(), before);
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const RowInfo& a, const RowInfo& b) { return a.row == b.row; }),
               rows.end());
}

} // namespace engine
