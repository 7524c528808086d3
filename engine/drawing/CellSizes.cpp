#include "engine/drawing/CellSizes.h"

#include "engine/base/Limits.h"
#include "engine/numfmt/DigitWidth.h"

#include <algorithm>
#include <cmath>

namespace engine::drawing {

int normalDigitPixels(const Workbook& workbook) {
    if (workbook.fonts.empty())
        return 7;
    return numfmt::maxDigitPixels(workbook.fonts.front().name, workbook.fonts.front().size);
}

int columnPixels(double widthCharacters, int digitPixels) {
    return numfmt::columnWidthPixels(widthCharacters, digitPixels);
}

int defaultColumnPixels(const Sheet& sheet, int digitPixels) {
    int width =
        sheet.baseColumnWidth > 0
            ? columnPixels(numfmt::widthFromBaseCharacters(sheet.baseColumnWidth, digitPixels),
                           digitPixels)
            : columnPixels(sheet.defaultColumnWidth, digitPixels);
    // A default width of nothing (only a damaged file has one) would hide the whole sheet.
    if (width <= 0)
        width = columnPixels(numfmt::widthFromBaseCharacters(8, digitPixels), digitPixels);
    return width;
}

int heightPixels(double heightPoints) {
    if (!std::isfinite(heightPoints) || heightPoints <= 0)
        return 0;
    return static_cast<int>(std::lround(std::min(heightPoints, 409.5) * 96.0 / 72.0));
}

int defaultRowPixels(const Sheet& sheet) {
    return std::max(heightPixels(sheet.defaultRowHeight), 1);
}

bool rowHidden(const RowInfo& info) {
    return info.hidden || (info.customHeight && info.height <= 0);
}

int recordedRowPixels(const RowInfo& info, int defaultPixels) {
    if (rowHidden(info))
        return 0;
    const int pixels = heightPixels(info.height);
    return pixels > 0 ? pixels : defaultPixels;
}

SheetSizes::SheetSizes(const Sheet& sheet, int digitPixels)
    : defaultRowPixels_(defaultRowPixels(sheet)) {
    const std::size_t count = limits::maxColumns;
    std::vector<int> widths(count, defaultColumnPixels(sheet, digitPixels));
    for (const ColumnInfo& info : sheet.columns)
        for (std::size_t col = info.firstCol; col <= info.lastCol && col < count; ++col)
            widths[col] = info.hidden ? 0 : columnPixels(info.width, digitPixels);
    columnStart_.assign(count + 1, 0);
    for (std::size_t col = 0; col < count; ++col)
        columnStart_[col + 1] = columnStart_[col] + widths[col];
    heightPrefix_.push_back(0);
    for (const RowInfo& info : sheet.rows) {
        if (!heightRows_.empty() && info.row <= heightRows_.back())
            continue;
        const int height = recordedRowPixels(info, defaultRowPixels_);
        heightRows_.push_back(info.row);
        heights_.push_back(height);
        heightPrefix_.push_back(heightPrefix_.back() + height - defaultRowPixels_);
    }
}

int SheetSizes::columnWidth(std::uint16_t col) const {
    return col < limits::maxColumns ? static_cast<int>(columnStart_[col + 1u] - columnStart_[col])
                                    : 0;
}

int SheetSizes::rowHeight(std::uint32_t row) const {
    const auto it = std::lower_bound(heightRows_.begin(), heightRows_.end(), row);
    return it != heightRows_.end() && *it == row
               ? heights_[static_cast<std::size_t>(it - heightRows_.begin())]
               : defaultRowPixels_;
}

long long SheetSizes::columnsBetween(std::uint16_t from, std::uint16_t to) const {
    const std::size_t last = limits::maxColumns;
    return columnStart_[std::min<std::size_t>(to, last)] -
           columnStart_[std::min<std::size_t>(from, last)];
}

long long SheetSizes::rowStart(std::uint32_t row) const {
    row = std::min(row, limits::maxRows);
    const auto to = std::lower_bound(heightRows_.begin(), heightRows_.end(), row);
    return static_cast<long long>(row) * defaultRowPixels_ +
           heightPrefix_[static_cast<std::size_t>(to - heightRows_.begin())];
}

long long SheetSizes::rowsBetween(std::uint32_t from, std::uint32_t to) const {
    return rowStart(to) - rowStart(from);
}

} // namespace engine::drawing
