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

enum Format : std::uint32_t {
    Plain,
    Right,
    Centre,
    Wrapped,
    TwoDecimals,
    Shrunk,
    Left,
    Across,
    Count
};

Workbook formats() {
    Workbook workbook;
    workbook.cellFormats.resize(Count);
    workbook.cellFormats[Right].alignment.horizontal = HAlign::Right;
    workbook.cellFormats[Centre].alignment.horizontal = HAlign::Center;
    workbook.cellFormats[Wrapped].alignment.wrap = true;
    workbook.cellFormats[TwoDecimals].numFmtId = 2; // 0.00
    workbook.cellFormats[Shrunk].alignment.shrinkToFit = true;
    workbook.cellFormats[Left].alignment.horizontal = HAlign::Left;
    workbook.cellFormats[Across].alignment.horizontal = HAlign::CenterAcrossSelection;
    workbook.sheets.emplace_back().name = "Plan";
    workbook.finish();
    return workbook;
}

using Keep = CellPlan::Overflow::Keep;
constexpr const char* longText = "a text much wider than its cell";
constexpr const char* hebrew = "\xD7\x98\xD7\xA7\xD7\xA1\xD7\x98 \xD7\x90\xD7\xA8\xD7\x95\xD7\x9A "
                               "\xD7\x9E\xD7\x90\xD7\x95\xD7\x93 \xD7\x9E\xD7\x94\xD7\xAA\xD7\x90";

struct Row {
    const char* name;
    Format format;
    const char* text; // a text cell; nullptr for the number below
    double number;
    CellRoom room;
    bool merged;
    bool sheetRtl;
    // Expected:
    const char* classes;
    CellPlan::Overflow overflow;
    bool narrowed;
    const char* direction;
};

// Rooms are in column order: `left` the empty columns before the cell, `right` those after,
// which on a right-to-left sheet lie to its left.
const Row rows[] = {
    {"GeneralTextRunsRightIntoItsRoom",
     Plain,
     longText,
     0,
     {0, 100, 64, false, 0},
     false,
     false,
     "o",
     {true, 160, 0, false, Keep::Start},
     false,
     ""},
    {"GeneralTextWithoutRoomStaysIn",
     Plain,
     longText,
     0,
     {40, 0, 64, false, 0},
     false,
     false,
     "",
     {},
     false,
     ""},
    {"TextBeforeAnEmptyEndRunsAsFarAsItNeeds",
     Plain,
     longText,
     0,
     {0, 0, 20, true, 0},
     false,
     false,
     "o",
     {true, 219, 0, false, Keep::Start},
     false,
     ""},
    {"RightTextRunsLeftAndKeepsItsEnd",
     Right,
     longText,
     0,
     {50, 0, 64, false, 0},
     false,
     false,
     "x1 o",
     {true, 110, 50, false, Keep::End},
     false,
     ""},
    {"RightTextWithoutRoomIsStillCutAtItsStart",
     Right,
     longText,
     0,
     {0, 0, 64, false, 0},
     false,
     false,
     "x1 o",
     {true, 60, 0, false, Keep::End},
     false,
     ""},
    {"CentredTextRunsBothWaysByTheSmallerRoom",
     Centre,
     longText,
     0,
     {30, 80, 64, false, 0},
     false,
     false,
     "x2 o",
     {true, 120, 30, false, Keep::Centre},
     false,
     ""},
    {"CentredTextWithoutRoomIsCutOnBothSides",
     Centre,
     longText,
     0,
     {0, 80, 64, false, 0},
     false,
     false,
     "x2 o",
     {true, 60, 0, false, Keep::Centre},
     false,
     ""},
    {"MergedAreaKeepsItsText",
     Plain,
     longText,
     0,
     {0, 100, 64, false, 0},
     true,
     false,
     "",
     {},
     false,
     ""},
    {"WrappedTextKeepsToItsCell",
     Wrapped,
     longText,
     0,
     {0, 100, 64, false, 30},
     false,
     false,
     "x3",
     {},
     false,
     ""},
    {"GeneralNumberAlignsRight",
     Plain,
     nullptr,
     1.5,
     {0, 0, 64, false, 0},
     false,
     false,
     "gr",
     {},
     false,
     ""},
    {"FormattedNumberTooWideShowsHashes",
     TwoDecimals,
     nullptr,
     123456789.5,
     {0, 0, 30, false, 0},
     false,
     false,
     "x4 gr h",
     {},
     true,
     ""},
    {"GeneralNumberTooWideIsRounded",
     Plain,
     nullptr,
     3.14159265358979,
     {0, 0, 40, false, 0},
     false,
     false,
     "gr h",
     {},
     true,
     ""},
    {"ShrunkNumberIsNeverNarrowed",
     Shrunk,
     nullptr,
     123456789.5,
     {0, 0, 30, false, 0},
     false,
     false,
     "x5 gr",
     {},
     false,
     ""},
    // Right-to-left text on a left-to-right sheet reads from the right: General aligns it
    // right, so it runs into the empty columns on its left, from its cell's right edge.
    {"HebrewTextRunsLeftFromItsRightEdge",
     Plain,
     hebrew,
     0,
     {70, 100, 64, false, 0},
     false,
     false,
     "o",
     {true, 130, 0, true, Keep::Start},
     false,
     "rtl"},
    // On a right-to-left sheet the next columns lie to the left.
    {"HebrewTextOnARightToLeftSheetRunsIntoTheNextColumns",
     Plain,
     hebrew,
     0,
     {70, 100, 64, false, 0},
     false,
     true,
     "o",
     {true, 160, 0, true, Keep::Start},
     false,
     ""},
    {"LatinTextOnARightToLeftSheetReadsFromTheLeft",
     Plain,
     longText,
     0,
     {70, 100, 64, false, 0},
     false,
     true,
     "o",
     {true, 130, 0, false, Keep::Start},
     false,
     "ltr"},
    {"LeftAlignedHebrewKeepsItsLeftEdgeAndIsCutOnTheRight",
     Left,
     hebrew,
     0,
     {0, 100, 64, false, 0},
     false,
     false,
     "x6 o",
     {true, 160, 100, true, Keep::End},
     false,
     "rtl"},
    {"CentredTextOnARightToLeftSheetShiftsFromItsRightEdge",
     Centre,
     hebrew,
     0,
     {30, 80, 64, false, 0},
     false,
     true,
     "x2 o",
     {true, 120, 30, true, Keep::Centre},
     false,
     ""},
    // Centred across a selection, the box reaches over the selection (80 pixels after the
    // cell, included in its room) and as far again both ways as both sides allow (30).
    {"CentredAcrossTextReachesOverItsSelection",
     Across,
     "Title",
     0,
     {40, 110, 64, false, 0, 80},
     false,
     false,
     "x7 o",
     {true, 200, 30, false, Keep::Centre},
     false,
     ""},
    {"CentredAcrossOnARightToLeftSheetReachesLeft",
     Across,
     hebrew,
     0,
     {40, 110, 64, false, 0, 80},
     false,
     true,
     "x7 o",
     {true, 200, 30, true, Keep::Centre},
     false,
     ""},
    {"LatinCentredAcrossOnARightToLeftSheetShiftsFromItsLeftEdge",
     Across,
     "Title",
     0,
     {40, 110, 64, false, 0, 80},
     false,
     true,
     "x7 o",
     {true, 200, 110, false, Keep::Centre},
     false,
     "ltr"},
    {"NumberCentredAcrossFitsItsSelection",
     Across,
     nullptr,
     123456789.125,
     {0, 80, 64, false, 0, 80},
     false,
     false,
     "x7 o",
     {true, 140, 0, false, Keep::Centre},
     false,
     ""},
    {"NumbersTakeNoDirectionOfTheirOwn",
     Plain,
     nullptr,
     5,
     {0, 0, 64, false, 0},
     false,
     true,
     "gr",
     {},
     false,
     ""},
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
    facts.tableRightToLeft = row.sheetRtl;
    CellPlan plan;
    planCell(workbook, formatter, styles, facts, plan);

    EXPECT_EQ(plan.classes, row.classes);
    EXPECT_EQ(plan.direction, row.direction);
    EXPECT_EQ(plan.overflow.runs, row.overflow.runs);
    if (row.overflow.runs) {
        EXPECT_EQ(plan.overflow.width, row.overflow.width);
        EXPECT_EQ(plan.overflow.shift, row.overflow.shift);
        EXPECT_EQ(plan.overflow.shiftRight, row.overflow.shiftRight);
        EXPECT_EQ(plan.overflow.keep, row.overflow.keep);
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
