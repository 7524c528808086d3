#pragma once
// The grid a sheet's table shows: the used range, which rows and columns of it are visible
// and how wide or tall they are, and the merged areas as spans.

#include "engine/drawing/CellSizes.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <vector>

namespace engine::web {

struct MergeSpan {
    Range area;              // clipped to the used range
    std::uint32_t anchorRow; // first visible row of the area
    std::uint16_t anchorCol; // first visible column of the area
    std::uint32_t rowSpan;   // visible rows
    std::uint32_t colSpan;   // visible columns
    std::uint32_t sourceRow; // the top-left cell, whose content the area shows
    std::uint16_t sourceCol;
};

class SheetLayout final : public drawing::CellSizes {
public:
    SheetLayout(const Workbook& workbook, const Sheet& sheet);

    // True when nothing in the sheet has a value or a visible format: no table is written.
    bool empty() const { return empty_; }
    const Range& used() const { return used_; }

    bool columnVisible(std::uint16_t col) const;
    int columnWidth(std::uint16_t col) const override; // pixels; any column, used or not
    std::uint32_t columnFormat(std::uint16_t col) const;
    // Visible columns in first..last (inclusive, inside the used range) and their pixel width.
    std::uint32_t visibleColumns(std::uint16_t first, std::uint16_t last) const;
    int widthOf(std::uint16_t first, std::uint16_t last) const;
    int tableWidth() const { return widthOf(used_.firstCol, used_.lastCol); }

    const RowInfo* rowInfo(std::uint32_t row) const; // nullptr for a row without one
    bool rowVisible(std::uint32_t row) const;
    int rowHeight(std::uint32_t row) const override; // pixels
    int defaultRowHeight() const { return defaultRowHeight_; }
    // The widest digit of the workbook's default font: the unit of column widths.
    int digitPixels() const { return digitPixels_; }

    // Non-overlapping, sorted by anchor row, then anchor column.
    const std::vector<MergeSpan>& merges() const { return merges_; }

    // Distance in pixels from the table's top-left corner to the top-left of a cell (pictures
    // may sit anywhere, also beyond the used range).
    int left(std::uint16_t col) const;
    int top(std::uint32_t row) const;
    long long columnsBetween(std::uint16_t from, std::uint16_t to) const override;
    long long rowsBetween(std::uint32_t from, std::uint32_t to) const override;

private:
    void findUsedRange(const Workbook& workbook);
    void layOutColumns();
    // Sums over the columns before `col` (up to maxColumns), kept or not.
    int widthBefore(std::size_t col) const;
    std::uint32_t visibleBefore(std::size_t col) const;
    void layOutMerges();
    std::uint32_t visibleRows(std::uint32_t first, std::uint32_t last) const;
    long long rowStart(std::uint32_t row) const; // from the sheet's first row

    const Sheet& sheet_;
    bool empty_ = true;
    Range used_;
    // Columns 0 up to the last one the sheet describes, 0 when hidden; every later column has
    // the default width.
    std::vector<int> columnWidths_;
    std::vector<int> widthPrefix_; // sum of widths of kept columns before i
    int defaultColumnWidth_ = 0;
    std::vector<std::uint32_t> visiblePrefix_;
    std::vector<std::uint32_t> hiddenRows_; // sorted
    std::vector<std::uint32_t> heightRows_; // rows with a RowInfo, sorted
    std::vector<long long> heightPrefix_;   // their height minus the default, summed before i
    std::vector<MergeSpan> merges_;
    int defaultRowHeight_ = 20;
    int digitPixels_ = 7;
};

} // namespace engine::web
