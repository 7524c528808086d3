#include "engine/web/SheetLayout.h"

#include "engine/base/Limits.h"
#include "engine/numfmt/DigitWidth.h"
#include "engine/web/Css.h"

#include <algorithm>

namespace engine::web {
namespace {

constexpr std::uint32_t mergeMarginRows = 1000;
constexpr std::uint32_t mergeMarginColumns = 100;

} // namespace

SheetLayout::SheetLayout(const Workbook& workbook, const Sheet& sheet) : sheet_(sheet) {
    digitPixels_ = drawing::normalDigitPixels(workbook);
    defaultRowHeight_ = drawing::defaultRowPixels(sheet);
    for (const RowInfo& info : sheet.rows)
        if (drawing::rowHidden(info))
            hiddenRows_.push_back(info.row);
    std::sort(hiddenRows_.begin(), hiddenRows_.end());
    hiddenRows_.erase(std::unique(hiddenRows_.begin(), hiddenRows_.end()), hiddenRows_.end());
    heightPrefix_.push_back(0);
    for (const RowInfo& info : sheet.rows) {
        if (!heightRows_.empty() && info.row <= heightRows_.back())
            continue;
        int height = drawing::recordedRowPixels(info, defaultRowHeight_);
        heightRows_.push_back(info.row);
        heightPrefix_.push_back(heightPrefix_.back() + height - defaultRowHeight_);
    }
    layOutColumns();
    findUsedRange(workbook);
    if (!empty_)
        layOutMerges();
}

void SheetLayout::layOutColumns() {
    // Only the columns up to the last one the sheet describes are kept: the rest share the
    // default width, and their sums follow from it. Laying out all 16,384 columns of every
    // sheet was most of what a small sheet's page cost.
    std::size_t described = 0;
    for (const ColumnInfo& info : sheet_.columns)
        described = std::max<std::size_t>(described, std::size_t{info.lastCol} + 1);
    const std::size_t count = std::min<std::size_t>(described, limits::maxColumns);
    defaultColumnWidth_ = drawing::defaultColumnPixels(sheet_, digitPixels_);
    columnWidths_.assign(count, defaultColumnWidth_);
    for (const ColumnInfo& info : sheet_.columns) {
        for (std::size_t col = info.firstCol; col <= info.lastCol && col < count; ++col)
            columnWidths_[col] = info.hidden ? 0 : drawing::columnPixels(info.width, digitPixels_);
    }
    widthPrefix_.assign(count + 1, 0);
    visiblePrefix_.assign(count + 1, 0);
    for (std::size_t col = 0; col < count; ++col) {
        widthPrefix_[col + 1] = widthPrefix_[col] + columnWidths_[col];
        visiblePrefix_[col + 1] = visiblePrefix_[col] + (columnWidths_[col] > 0 ? 1 : 0);
    }
}

int SheetLayout::widthBefore(std::size_t col) const {
    col = std::min<std::size_t>(col, limits::maxColumns);
    const std::size_t kept = columnWidths_.size();
    if (col <= kept)
        return widthPrefix_[col];
    return widthPrefix_[kept] + static_cast<int>(col - kept) * defaultColumnWidth_;
}

std::uint32_t SheetLayout::visibleBefore(std::size_t col) const {
    col = std::min<std::size_t>(col, limits::maxColumns);
    const std::size_t kept = columnWidths_.size();
    if (col <= kept)
        return visiblePrefix_[col];
    return visiblePrefix_[kept] +
           (defaultColumnWidth_ > 0 ? static_cast<std::uint32_t>(col - kept) : 0u);
}

void SheetLayout::findUsedRange(const Workbook& workbook) {
    auto include = [&](std::uint32_t row, std::uint16_t col) {
        if (empty_) {
            used_ = Range{row, row, col, col};
            empty_ = false;
            return;
        }
        used_.firstRow = std::min(used_.firstRow, row);
        used_.lastRow = std::max(used_.lastRow, row);
        used_.firstCol = std::min(used_.firstCol, col);
        used_.lastCol = std::max(used_.lastCol, col);
    };
    for (const Cell& cell : sheet_.cells) {
        if (cell.row >= limits::maxRows || cell.col >= limits::maxColumns)
            continue;
        if (cell.type != CellType::Empty ||
            (cell.format < workbook.cellFormats.size() &&
             isVisibleBlank(workbook, workbook.cellFormats[cell.format])))
            include(cell.row, cell.col);
    }
    // A comment shows its marker on an empty cell too.
    for (const Comment& note : sheet_.comments)
        if (note.row < limits::maxRows && note.col < limits::maxColumns)
            include(note.row, note.col);
    // A sparkline is drawn inside its cell, which need hold nothing else.
    for (const SparklineGroup& group : sheet_.sparklines)
        for (const Sparkline& sparkline : group.sparklines)
            if (sparkline.row < limits::maxRows && sparkline.col < limits::maxColumns)
                include(sparkline.row, sparkline.col);
    if (empty_)
        return;
    // The grid starts where the drawings start, so that one anchored above or left of the
    // first value does not cover the values; one anchored below them gets its row too, to
    // sit in. Columns to the right are left out: they never change width in a browser.
    auto includeDrawing = [&](const Anchor& anchor) {
        include(std::min(anchor.row, limits::maxRows - 1),
                std::min<std::uint16_t>(anchor.col, used_.firstCol));
    };
    for (const Picture& picture : sheet_.pictures)
        includeDrawing(picture.anchor);
    for (const Chart& chart : sheet_.charts)
        includeDrawing(chart.anchor);
    // A merged area whose top-left cell is shown is shown whole, but an area reaching far past
    // every value (a whole-column merge) adds no more than a margin of empty grid.
    const Range cellsOnly = used_;
    const std::uint32_t rowLimit =
        std::min<std::uint32_t>(limits::maxRows - 1, cellsOnly.lastRow + mergeMarginRows);
    const std::uint32_t colLimit =
        std::min<std::uint32_t>(limits::maxColumns - 1, cellsOnly.lastCol + mergeMarginColumns);
    for (const Range& merge : sheet_.merges) {
        if (!cellsOnly.contains(merge.firstRow, merge.firstCol) || merge.lastRow < merge.firstRow ||
            merge.lastCol < merge.firstCol)
            continue;
        include(std::min(merge.lastRow, rowLimit),
                static_cast<std::uint16_t>(std::min<std::uint32_t>(merge.lastCol, colLimit)));
    }
}

void SheetLayout::layOutMerges() {
    std::vector<Range> areas;
    for (const Range& merge : sheet_.merges) {
        if (merge.lastRow < merge.firstRow || merge.lastCol < merge.firstCol)
            continue;
        Range area{std::max(merge.firstRow, used_.firstRow), std::min(merge.lastRow, used_.lastRow),
                   std::max(merge.firstCol, used_.firstCol),
                   std::min(merge.lastCol, used_.lastCol)};
        if (area.firstRow > area.lastRow || area.firstCol > area.lastCol)
            continue;
        if (area.firstRow == area.lastRow && area.firstCol == area.lastCol)
            continue;
        areas.push_back(area);
    }
    std::sort(areas.begin(), areas.end(), [](const Range& a, const Range& b) {
        return a.firstRow != b.firstRow ? a.firstRow < b.firstRow : a.firstCol < b.firstCol;
    });
    // Overlapping areas (only a damaged file has them) would break the table: the first wins.
    // Areas come in row order, so an overlap always shows in the later area's first row.
    std::vector<const Range*> open;
    for (const Range& area : areas) {
        open.erase(std::remove_if(open.begin(), open.end(),
                                  [&](const Range* r) { return r->lastRow < area.firstRow; }),
                   open.end());
        bool overlaps = std::any_of(open.begin(), open.end(), [&](const Range* r) {
            return r->firstCol <= area.lastCol && area.firstCol <= r->lastCol;
        });
        if (overlaps)
            continue;
        std::uint32_t rows = visibleRows(area.firstRow, area.lastRow);
        std::uint32_t cols = visibleColumns(area.firstCol, area.lastCol);
        if (rows == 0 || cols == 0)
            continue;
        MergeSpan span{};
        span.area = area;
        span.rowSpan = rows;
        span.colSpan = cols;
        span.sourceRow = area.firstRow;
        span.sourceCol = area.firstCol;
        span.anchorRow = area.firstRow;
        while (!rowVisible(span.anchorRow))
            ++span.anchorRow;
        span.anchorCol = area.firstCol;
        while (!columnVisible(span.anchorCol))
            ++span.anchorCol;
        merges_.push_back(span);
        open.push_back(&area);
    }
    std::sort(merges_.begin(), merges_.end(), [](const MergeSpan& a, const MergeSpan& b) {
        return a.anchorRow != b.anchorRow ? a.anchorRow < b.anchorRow : a.anchorCol < b.anchorCol;
    });
}

bool SheetLayout::columnVisible(std::uint16_t col) const {
    return columnWidth(col) > 0;
}

int SheetLayout::columnWidth(std::uint16_t col) const {
    if (col >= limits::maxColumns)
        return 0;
    return col < columnWidths_.size() ? columnWidths_[col] : defaultColumnWidth_;
}

std::uint32_t SheetLayout::columnFormat(std::uint16_t col) const {
    auto it =
        std::upper_bound(sheet_.columns.begin(), sheet_.columns.end(), col,
                         [](std::uint16_t c, const ColumnInfo& info) { return c < info.firstCol; });
    if (it == sheet_.columns.begin())
        return 0;
    --it;
    return col <= it->lastCol ? it->format : 0;
}

std::uint32_t SheetLayout::visibleColumns(std::uint16_t first, std::uint16_t last) const {
    if (last < first || last >= limits::maxColumns)
        return 0;
    return visibleBefore(last + 1u) - visibleBefore(first);
}

int SheetLayout::widthOf(std::uint16_t first, std::uint16_t last) const {
    if (last < first || last >= limits::maxColumns)
        return 0;
    return widthBefore(last + 1u) - widthBefore(first);
}

const RowInfo* SheetLayout::rowInfo(std::uint32_t row) const {
    auto it = std::lower_bound(sheet_.rows.begin(), sheet_.rows.end(), row,
                               [](const RowInfo& info, std::uint32_t r) { return info.row < r; });
    return it != sheet_.rows.end() && it->row == row ? &*it : nullptr;
}

bool SheetLayout::rowVisible(std::uint32_t row) const {
    return !std::binary_search(hiddenRows_.begin(), hiddenRows_.end(), row);
}

int SheetLayout::rowHeight(std::uint32_t row) const {
    const RowInfo* info = rowInfo(row);
    return info ? drawing::recordedRowPixels(*info, defaultRowHeight_) : defaultRowHeight_;
}

std::uint32_t SheetLayout::visibleRows(std::uint32_t first, std::uint32_t last) const {
    auto from = std::lower_bound(hiddenRows_.begin(), hiddenRows_.end(), first);
    auto to = std::upper_bound(hiddenRows_.begin(), hiddenRows_.end(), last);
    return (last - first + 1) - static_cast<std::uint32_t>(to - from);
}

int SheetLayout::left(std::uint16_t col) const {
    std::uint16_t first = empty_ ? 0 : used_.firstCol;
    if (col <= first)
        return 0;
    return widthOf(
        first, static_cast<std::uint16_t>(std::min<std::uint32_t>(col, limits::maxColumns) - 1));
}

int SheetLayout::top(std::uint32_t row) const {
    std::uint32_t first = empty_ ? 0 : used_.firstRow;
    if (row <= first)
        return 0;
    return static_cast<int>(std::clamp<long long>(rowsBetween(first, row), 0, 1LL << 30));
}

long long SheetLayout::rowStart(std::uint32_t row) const {
    row = std::min(row, limits::maxRows);
    // Rows with a height of their own are few; the rest share the default height.
    auto to = std::lower_bound(heightRows_.begin(), heightRows_.end(), row);
    return static_cast<long long>(row) * defaultRowHeight_ +
           heightPrefix_[static_cast<std::size_t>(to - heightRows_.begin())];
}

long long SheetLayout::rowsBetween(std::uint32_t from, std::uint32_t to) const {
    return rowStart(to) - rowStart(from);
}

long long SheetLayout::columnsBetween(std::uint16_t from, std::uint16_t to) const {
    return widthBefore(to) - widthBefore(from);
}

} // namespace engine::web
