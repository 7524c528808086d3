// What a cell shows, decided before any markup: classes, fitted numbers, text running into
// empty neighbours and where it is cut, links and clipping, row by row from a table.

#include "engine/web/CellPlan.h"

#include "engine/numfmt/CellText.h"
#include "engine/web/SheetLayout.h"
#include "engine/web/StyleSheet.h"
#include "tests/engine/web/SampleWorkbooks.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;

namespace {

enum Format : std::uint32_t { Plain, Right, Centre, Wrapped, TwoDecimals, Shrunk, Count };

Workbook formats() {
    Workbook workbook;
    workbook.cellFormats.resize(Count);
    workbook.cellFormats[Right].alignment.horizontal = HAlign::Right;
    workbook.cellFormats[Centre].alignment.horizontal = HAlign::Center;
    workbook.cellFormats[Wrapped].alignment.wrap = true;
    workbook.cellFormats[TwoDecimals].numFmtId = 2; // 0.00
    workbook.cellFormats[Shrunk].alignment.shrinkToFit = true;
    workbook.sheets.emplace_back().name = "Plan";
    workbook.finish();
    return workbook;
}

struct Row {
    const char* name;
    Format format;
    const char* text; // a text cell; nullptr for the number below
    double number;
    CellRoom room;
    bool merged;
    // Expected:
    const char* classes;
    CellPlan::Overflow overflow;
    bool narrowed;
};

const Row rows[] = {
    {"GeneralTextRunsRightIntoItsRoom",
     Plain,
     "a text much wider than its cell",
     0,
     {0, 100, 64, false, 0},
     false,
     "o",
     {true, 160, 0, false},
     false},
    {"GeneralTextWithoutRoomStaysIn",
     Plain,
     "a text much wider than its cell",
     0,
     {40, 0, 64, false, 0},
     false,
     "",
     {},
     false},
    {"TextBeforeAnEmptyEndRunsAsFarAsItNeeds",
     Plain,
     "a text much wider than its cell",
     0,
     {0, 0, 20, true, 0},
     false,
     "o",
     {true, 219, 0, false},
     false},
    {"RightTextRunsLeftAndKeepsItsEnd",
     Right,
     "a text much wider than its cell",
     0,
     {50, 0, 64, false, 0},
     false,
     "x1 o",
     {true, 110, 50, true},
     false},
    {"RightTextWithoutRoomIsStillCutAtItsStart",
     Right,
     "a text much wider than its cell",
     0,
     {0, 0, 64, false, 0},
     false,
     "x1 o",
     {true, 60, 0, true},
     false},
    {"CentredTextRunsBothWaysByTheSmallerRoom",
     Centre,
     "a text much wider than its cell",
     0,
     {30, 80, 64, false, 0},
     false,
     "x2 o",
     {true, 120, 30, false},
     false},
    {"MergedAreaKeepsItsText",
     Plain,
     "a text much wider than its cell",
     0,
     {0, 100, 64, false, 0},
     true,
     "",
     {},
     false},
    {"WrappedTextKeepsToItsCell",
     Wrapped,
     "a text much wider than its cell",
     0,
     {0, 100, 64, false, 30},
     false,
     "x3",
     {},
     false},
    {"GeneralNumberAlignsRight", Plain, nullptr, 1.5, {0, 0, 64, false, 0}, false, "gr", {}, false},
    {"FormattedNumberTooWideShowsHashes",
     TwoDecimals,
     nullptr,
     123456789.5,
     {0, 0, 30, false, 0},
     false,
     "x4 gr h",
     {},
     true},
    {"GeneralNumberTooWideIsRounded",
     Plain,
     nullptr,
     3.14159265358979,
     {0, 0, 40, false, 0},
     false,
     "gr h",
     {},
     true},
    {"ShrunkNumberIsNeverNarrowed",
     Shrunk,
     nullptr,
     123456789.5,
     {0, 0, 30, false, 0},
     false,
     "x5 gr",
     {},
     false},
};

class CellPlanTable : public testing::TestWithParam<Row> {};

TEST_P(CellPlanTable, Plans) {
    const Row& row = GetParam();
    Workbook workbook = formats();
    Cell cell = row.text ? web_samples::textCell(workbook, 0, 0, row.text, row.format)
                         : web_samples::numberCell(0, 0, row.number, row.format);
    numfmt::CellTextFormatter formatter(workbook);
    StyleSheet styles(workbook, formatter);
    numfmt::Shown shown;
    formatter.format(cell, shown);
    const MergeSpan merge{Range{0, 0, 0, 1}, 0, 0, 1, 2, 0, 0};

    CellFacts facts;
    facts.cell = &cell;
    facts.merge = row.merged ? &merge : nullptr;
    facts.room = row.room;
    facts.shown = &shown;
    CellPlan plan;
    planCell(workbook, formatter, styles, facts, plan);

    EXPECT_EQ(plan.classes, row.classes);
    EXPECT_EQ(plan.overflow.runs, row.overflow.runs);
    if (row.overflow.runs) {
        EXPECT_EQ(plan.overflow.width, row.overflow.width);
        EXPECT_EQ(plan.overflow.shift, row.overflow.shift);
        EXPECT_EQ(plan.overflow.cutAtStart, row.overflow.cutAtStart);
    }
    EXPECT_EQ(!plan.narrowed.empty(), row.narrowed) << plan.narrowed;
    EXPECT_EQ(plan.colSpan, row.merged ? 2u : 1u);
    EXPECT_EQ(plan.clip, row.format == Wrapped ? row.room.clip : 0);
}

INSTANTIATE_TEST_SUITE_P(Cells, CellPlanTable, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

TEST(CellPlan, LinksAndNotesNeedSomethingToShow) {
    Workbook workbook = formats();
    Cell cell = web_samples::textCell(workbook, 0, 0, "");
    numfmt::CellTextFormatter formatter(workbook);
    StyleSheet styles(workbook, formatter);
    numfmt::Shown shown;
    formatter.format(cell, shown);
    Comment note;
    CellFacts facts;
    facts.cell = &cell;
    facts.shown = &shown;
    facts.href = "https://example.com/";
    facts.tooltip = "tip";
    facts.note = &note;
    CellPlan plan;
    planCell(workbook, formatter, styles, facts, plan);
    // An empty text gives a link nothing to click; the note's marker still needs its cell.
    EXPECT_TRUE(plan.href.empty());
    EXPECT_TRUE(plan.tooltip.empty());
    EXPECT_EQ(plan.classes, "cm");
}

} // namespace
