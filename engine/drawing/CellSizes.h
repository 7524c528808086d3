#pragma once
// How wide each column and how tall each row of a sheet is drawn, in pixels at 96 dpi: one
// measure for the page's grid and for every drawing anchored to it.

#include "engine/model/Workbook.h"

#include <cstdint>
#include <vector>

namespace engine::drawing {

// The digit width of the usual Normal fonts, for sizes measured before the font is known.
inline constexpr int defaultDigitPixels = 7;

// The widest digit of the workbook's Normal (first) font: the unit of column widths.
int normalDigitPixels(const Workbook& workbook);

// A width in characters (padding included) in pixels, for digits `digitPixels` wide.
int columnPixels(double widthCharacters, int digitPixels);
// The width of a column without a width of its own; never 0, which would hide the sheet.
int defaultColumnPixels(const Sheet& sheet, int digitPixels);
// A height in points, in whole pixels.
int heightPixels(double heightPoints);
// The height of a row without one of its own; at least 1.
int defaultRowPixels(const Sheet& sheet);
// A row's height as the file last recorded it (the application stores the height it fitted
// to the row's largest font too); 0 when hidden.
bool rowHidden(const RowInfo& info);
int recordedRowPixels(const RowInfo& info, int defaultPixels);

// Column widths and row heights, and the distance between the starts of two of them.
class CellSizes {
public:
    virtual ~CellSizes() = default;
    virtual int columnWidth(std::uint16_t col) const = 0;
    virtual int rowHeight(std::uint32_t row) const = 0;
    // Pixels from the left of column `from` to the left of column `to` (negative when `to`
    // lies before), and the same for rows.
    virtual long long columnsBetween(std::uint16_t from, std::uint16_t to) const = 0;
    virtual long long rowsBetween(std::uint32_t from, std::uint32_t to) const = 0;
};

// The sizes of a sheet as it stands in the model, for readers that need a drawing's size
// before any page exists.
class SheetSizes final : public CellSizes {
public:
    SheetSizes(const Sheet& sheet, int digitPixels);
    int columnWidth(std::uint16_t col) const override;
    int rowHeight(std::uint32_t row) const override;
    long long columnsBetween(std::uint16_t from, std::uint16_t to) const override;
    long long rowsBetween(std::uint32_t from, std::uint32_t to) const override;

private:
    long long rowStart(std::uint32_t row) const;

    std::vector<long long> columnStart_;    // every column 0..maxColumns
    std::vector<std::uint32_t> heightRows_; // rows with a RowInfo, sorted
    std::vector<long long> heightPrefix_;   // their height minus the default, summed before i
    std::vector<int> heights_;
    int defaultRowPixels_ = 20;
};

} // namespace engine::drawing
