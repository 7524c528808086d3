// The grid's column sums: kept only for the columns a sheet describes, and the same as adding
// up every column's width across that boundary and up to the last column.

#include "engine/web/SheetLayout.h"

#include "tests/engine/web/SampleWorkbooks.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

TEST(SheetLayout, ColumnSumsAgreeWithTheWidthsOnBothSidesOfTheDescribedColumns) {
    Workbook workbook;
    workbook.sheets.emplace_back();
    Sheet& sheet = workbook.sheets.back();
    sheet.cells.push_back(web_samples::numberCell(0, 0, 1));
    sheet.cells.push_back(web_samples::numberCell(3, 300, 2));
    sheet.columns.push_back(ColumnInfo{1, 1, 20.0, false, true, 0});
    sheet.columns.push_back(ColumnInfo{3, 4, 0.0, true, false, 0});
    sheet.columns.push_back(ColumnInfo{9, 9, 2.5, false, true, 0});
    const web::SheetLayout layout(workbook, sheet);

    const int usual = layout.columnWidth(10);
    ASSERT_GT(usual, 0);
    EXPECT_GT(layout.columnWidth(1), usual);
    EXPECT_FALSE(layout.columnVisible(3));
    EXPECT_EQ(layout.columnWidth(16383), usual);
    EXPECT_EQ(layout.columnWidth(16384), 0); // past the last column a sheet can have

    const auto added = [&](std::uint16_t first, std::uint16_t last) {
        long long width = 0;
        std::uint32_t visible = 0;
        for (std::uint32_t col = first; col <= last; ++col) {
            width += layout.columnWidth(static_cast<std::uint16_t>(col));
            visible += layout.columnVisible(static_cast<std::uint16_t>(col)) ? 1 : 0;
        }
        return std::make_pair(width, visible);
    };
    const std::pair<std::uint16_t, std::uint16_t> spans[] = {
        {0, 0}, {0, 9}, {2, 12}, {9, 10}, {10, 300}, {4, 16383}, {0, 16383}, {16383, 16383}};
    for (const auto& [first, last] : spans) {
        const auto [width, visible] = added(first, last);
        EXPECT_EQ(layout.widthOf(first, last), width) << first << ".." << last;
        EXPECT_EQ(layout.visibleColumns(first, last), visible) << first << ".." << last;
        EXPECT_EQ(layout.columnsBetween(first, static_cast<std::uint16_t>(last + 1u)), width)
            << first << ".." << last;
    }
    EXPECT_EQ(layout.tableWidth(), added(0, 300).first);
    EXPECT_EQ(layout.left(300), added(0, 299).first);
}

} // namespace
