#include "engine/web/SparklineValues.h"

#include "engine/base/Limits.h"
#include "engine/chart/ChartSources.h"

#include <algorithm>

namespace engine::web {
namespace {

bool rowHidden(const Sheet& sheet, std::uint32_t row) {
    auto it = std::lower_bound(sheet.rows.begin(), sheet.rows.end(), row,
                               [](const RowInfo& info, std::uint32_t r) { return info.row < r; });
    return it != sheet.rows.end() && it->row == row && it->hidden;
}

bool columnHidden(const Sheet& sheet, std::uint16_t col) {
    auto it =
        std::upper_bound(sheet.columns.begin(), sheet.columns.end(), col,
                         [](std::uint16_t c, const ColumnInfo& info) { return c < info.firstCol; });
    return it != sheet.columns.begin() && std::prev(it)->lastCol >= col && std::prev(it)->hidden;
}

} // namespace

std::vector<std::optional<double>> sparklineValues(const Workbook& workbook, std::size_t sheet,
                                                   const SparklineGroup& group,
                                                   const Sparkline& sparkline) {
    std::vector<std::optional<double>> values;
    if (sparkline.data.empty())
        return values;
    const auto areas = chart::parseSeriesReference(sparkline.data, workbook, sheet);
    if (!areas || areas->empty() || areas->front().sheet >= workbook.sheets.size())
        return values;
    const Sheet& source = workbook.sheets[areas->front().sheet];
    const Range& range = areas->front().range;
    const auto& cells = source.cells;
    for (std::uint32_t row = range.firstRow; row <= range.lastRow; ++row) {
        if (!group.includeHidden && rowHidden(source, row))
            continue;
        // Cells are sorted by row, then column: one search finds the row's first cell.
        auto cell = source.firstCellFrom(row, range.firstCol);
        for (std::uint32_t col = range.firstCol; col <= range.lastCol; ++col) {
            if (values.size() >= limits::maxSparklinePoints)
                return values;
            while (cell != cells.end() && cell->row == row && cell->col < col)
                ++cell;
            if (!group.includeHidden && columnHidden(source, static_cast<std::uint16_t>(col)))
                continue;
            const bool number = cell != cells.end() && cell->row == row && cell->col == col &&
                                cell->type == CellType::Number;
            if (number)
                values.emplace_back(cell->number);
            else if (group.empty == SparklineEmpty::Zero)
                values.emplace_back(0.0);
            else
                values.emplace_back(std::nullopt);
        }
    }
    return values;
}

} // namespace engine::web
