// CELL, INFO, SHEET, SHEETS and FORMULATEXT: what the workbook tells about itself, the same on
// every converting machine.
#include "SmallBook.h"
#include "engine/formula/CellFormatCode.h"
#include "engine/formula/FormulaText.h"

#include <gtest/gtest.h>

using engine::formula::formatFacts;
using engine::formula::shownFormula;
using testing_support::SmallBook;

namespace {

// Sheet "Data" (A1 1, A2 "text", A3 blank) and sheet "Other sheet" (A1 5).
SmallBook twoSheets() {
    SmallBook book;
    book.sheet("Data").sheet("Other sheet");
    book.set("A1", "1").set("A2", "text").set("A1", "5", 1);
    return book;
}

struct Case {
    const char* formula;
    const char* expected;
};

void expectOnSheetTwo(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SmallBook book = twoSheets();
        book.set("D4", c.formula, 1).compute();
        EXPECT_EQ(book.text("D4", 1), c.expected) << c.formula;
    }
}

TEST(WorkbookInformation, SheetSheetsAndAreasCount) {
    expectOnSheetTwo({
        {"=SHEET()", "2"},
        {"=SHEET(Data!B2)", "1"},
        {"=SHEET(\"data\")", "1"}, // a sheet named in any letter case
        {"=SHEET(\"Nowhere\")", "#N/A"},
        {"=SHEET(0)", "#N/A"},
        {"=SHEET(1/0)", "#DIV/0!"},
        {"=SHEETS()", "2"},
        {"=SHEETS(Data!A1:B2)", "1"},
        {"=SHEETS('Data:Other sheet'!A1)", "2"},
        {"=SHEETS(5)", "#VALUE!"},
        {"=AREAS((A1:B2,C3,D4))", "3"},
        {"=AREAS('Data:Other sheet'!A1:B2)", "2"},
        {"=AREAS(5)", "#VALUE!"},
    });
}

TEST(WorkbookInformation, CellDescribesTheFirstCellOfItsReference) {
    expectOnSheetTwo({
        {"=CELL(\"address\",B7)", "$B$7"},
        {"=CELL(\"address\",Data!A2:A4)", "Data!$A$2"},
        {"=CELL(\"address\",'Other sheet'!AA10)", "$AA$10"},
        {"=CELL(\"ROW\",Data!C3:D9)", "3"},
        {"=CELL(\"col\",Data!C3:D9)", "3"},
        {"=CELL(\"contents\",Data!A1)", "1"},
        {"=CELL(\"type\",Data!A1)", "v"},
        {"=CELL(\"type\",Data!A2)", "l"},
        {"=CELL(\"type\",Data!A3)", "b"},
        {"=CELL(\"row\")", "4"}, // no reference: the formula's own cell
        {"=CELL(\"filename\",A1)", ""},
        {"=CELL(\"width\",A1)", "8"},
        {"=CELL(\"colour\",A1)", "#VALUE!"},
        {"=CELL(TRUE,A1)", "#VALUE!"},
        {"=CELL(\"address\",5)", "#VALUE!"},
    });
}

TEST(WorkbookInformation, CellNamesNumberFormatsByTheirShortCodes) {
    const struct {
        const char* format;
        const char* code;
    } cases[] = {
        {"General", "G"},
        {"0", "F0"},
        {"#,##0", ",0"},
        {"0.00", "F2"},
        {"#,##0.00", ",2"},
        {"$#,##0_);($#,##0)", "C0"},
        {"$#,##0.00_);[Red]($#,##0.00)", "C2-"},
        {"0%", "P0"},
        {"0.00E+00", "S2"},
        {"# ?/?", "G"},
        {"m/d/yy", "D4"},
        {"d-mmm-yy", "D1"},
        {"d-mmm", "D2"},
        {"mmm-yy", "D3"},
        {"mm/dd", "D5"},
        {"h:mm:ss AM/PM", "D6"},
        {"h:mm AM/PM", "D7"},
        {"h:mm:ss", "D8"},
        {"h:mm", "D9"},
        {"(0.0)", "F1()"},
        {"@", "@"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatFacts(c.format).code, c.code) << c.format;
    EXPECT_TRUE(formatFacts("0;[Red]-0").negativeColor);
    EXPECT_FALSE(formatFacts("[Red]0").negativeColor);
    EXPECT_TRUE(formatFacts("(0);-0").parentheses);

    // Through a cell: its format's code, and General where it has none.
    SmallBook book = twoSheets();
    book.book.cellFormats.resize(2);
    book.book.cellFormats[1].numFmtId = 10; // the built-in 0.00%
    book.book.sheets[0].cells.front().format = 1;
    book.set("B1", "=CELL(\"format\",Data!A1)", 0).set("B2", "=CELL(\"format\",Data!A2)", 0);
    book.set("B3", "=CELL(\"color\",Data!A1)", 0).compute();
    EXPECT_EQ(book.text("B1"), "P2");
    EXPECT_EQ(book.text("B2"), "G");
    EXPECT_EQ(book.text("B3"), "0");
}

TEST(WorkbookInformation, InfoTellsNothingOfTheMachine) {
    expectOnSheetTwo({
        {"=INFO(\"numfile\")", "2"},
        {"=INFO(\"recalc\")", "Automatic"},
        {"=INFO(\"origin\")", "$A:$A$1"},
        {"=INFO(\"directory\")", "#N/A"},
        {"=INFO(\"osversion\")", "#N/A"},
        {"=INFO(\"whatever\")", "#VALUE!"},
    });
}

TEST(WorkbookInformation, FormulaTextShowsTheFormulaBar) {
    SmallBook book = twoSheets();
    book.set("B1", "=_xlfn.FORMULATEXT(C1)", 0).set("C1", "=_xlfn.CONCAT(\"a\",A1)", 0);
    book.set("B2", "=FORMULATEXT(A1)", 0);     // a value, no formula
    book.set("B3", "=FORMULATEXT(B3)", 0);     // itself: no cycle, only its text
    book.set("B4", "=FORMULATEXT(\"C1\")", 0); // not a reference
    book.set("B5", "=FORMULATEXT(C1:C9)", 0);  // the first cell of a range
    book.compute();
    EXPECT_EQ(book.text("B1"), "=CONCAT(\"a\",A1)");
    EXPECT_EQ(book.text("B2"), "#N/A");
    EXPECT_EQ(book.text("B3"), "=FORMULATEXT(B3)");
    EXPECT_EQ(book.text("B4"), "#VALUE!");
    EXPECT_EQ(book.text("B5"), "=CONCAT(\"a\",A1)");
}

TEST(WorkbookInformation, ShownFormulaMovesOnlyRelativeCellReferences) {
    const struct {
        const char* stored;
        std::int64_t rows, cols;
        const char* shown;
    } cases[] = {
        {"SUM(A1:$B$2)+B$1+$C3", 2, 1, "SUM(B3:$B$2)+C$1+$C5"},
        {"'My A1'!C3&\"D4\"", 1, 1, "'My A1'!D4&\"D4\""}, // quoted names and texts stay
        {"LOG10(A1)", 1, 0, "LOG10(A2)"},                 // a function is no reference
        {"A1-1", -1, 0, "#REF!-1"},                       // moved above the grid
        {"_xlfn._xlws.SORT(A1:A3)+_xlfn.XLOOKUP(1,A1:A3,B1:B3)", 0, 0,
         "SORT(A1:A3)+XLOOKUP(1,A1:A3,B1:B3)"},
        {"Table1[[#This Row],[A1]]*2", 5, 5, "Table1[[#This Row],[A1]]*2"},
        {"1.5E+10+XFD1", 0, 1, "1.5E+10+#REF!"},
        // Trim refs are written as functions and shown as the operators typed.
        {"SUM(_xlfn._TRO_ALL(A1:B5))", 1, 0, "SUM(A2.:.B6)"},
        {"_xlfn._TRO_LEADING(Sheet2!A:A)+_xlfn._TRO_TRAILING($C$1:C9)", 0, 0,
         "Sheet2!A.:A+$C$1:.C9"},
        {"_xlfn._TRO_ALL(A1)", 0, 0, "_TRO_ALL(A1)"}, // nothing to show as an operator
        {"_xlfn.GROUPBY(A1:A3,B1:B3,_xleta.SUM)", 0, 0, "GROUPBY(A1:A3,B1:B3,SUM)"},
        {"_xlfn.LAMBDA(_xlpm.a,_xlop.b,_xlpm.a+_xlpm.b)(1)", 0, 0, "LAMBDA(a,[b],a+b)(1)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownFormula(c.stored, c.rows, c.cols), c.shown) << c.stored;
}

} // namespace
