#pragma once
// The sheet table: per workbook column (1..500) and sheet row (1..5000), the sheet's name
// (plane 0) and check mark (plane 1, "1" or empty). Every cell reads as empty until set, and
// only cells that hold text cost memory, so the five million cells of its bounds stay cheap.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class SheetTable {
public:
    static constexpr int LastColumn = 500; // bounds 0..500
    static constexpr int LastRow = 5000;   // bounds 0..5000
    static constexpr int LastPlane = 1;    // bounds 0..1

    // The text at (column, row, plane). Throws automation::Error 9 outside the bounds.
    const std::string& at(int column, int row, int plane) const;
    // Stores `text` at (column, row, plane). Throws automation::Error 9 outside the bounds.
    void set(int column, int row, int plane, std::string_view text);
    // Every cell back to the empty string; the bounds never change.
    void clear();

    // Rows that take memory, over all columns (for measuring).
    std::size_t allocatedRows() const;

private:
    static void check(int column, int row, int plane);

    std::array<std::vector<std::array<std::string, 2>>, LastColumn + 1> columns_;
};

} // namespace app
