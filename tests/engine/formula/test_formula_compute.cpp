#include "SmallBook.h"

#include <cstdlib>
#include <gtest/gtest.h>

using testing_support::SmallBook;

namespace {

TEST(FormulaWhen, StoredResultsStandUnlessTheWorkbookAsks) {
    SmallBook book;
    book.set("A1", "2").stored("A2", "=A1*10", 99).set("A3", "=A2+1");
    book.compute();
    EXPECT_EQ(book.text("A2"), "99"); // the file's own result is the truth
    EXPECT_EQ(book.text("A3"), "100");

    SmallBook full;
    full.set("A1", "2").stored("A2", "=A1*10", 99).set("A3", "=A2+1");
    full.book.fullCalcOnLoad = true;
    full.compute();
    EXPECT_EQ(full.text("A2"), "20");
    EXPECT_EQ(full.text("A3"), "21");
}

TEST(FormulaWhen, VolatileCellsAndTheirDependentsAreRecomputed) {
    SmallBook book;
    book.stored("A1", "=TODAY()", 40000);
    book.stored("A2", "=A1+1", 40001);
    book.stored("A3", "=A2+1", 40002);
    book.stored("A4", "=B1+1", 7);
    book.stored("A5", "=NOW()", 1);
    book.stored("A6", "=RAND()+A1", 0.5); // random results keep what the file holds
    book.compute(45000.75);
    EXPECT_EQ(book.text("A1"), "45000");
    EXPECT_EQ(book.text("A2"), "45001");
    EXPECT_EQ(book.text("A3"), "45002");
    EXPECT_EQ(book.text("A4"), "7");
    EXPECT_EQ(book.text("A5"), "45000.75");
    EXPECT_EQ(book.text("A6"), "0.5");
}

// Which stored results stand follows the flags of the function rows, not a list of names: a
// stale stored result shows whether the cell was computed.
TEST(FormulaWhen, VolatilityFollowsTheFunctionRows) {
    SmallBook book;
    book.set("A1", "5").set("A2", "6");
    book.stored("B1", "=OFFSET(A1,1,0)", 99);
    book.stored("B2", "=INDIRECT(\"A2\")*2", 99);
    book.stored("B3", "=CELL(\"row\",A2)", 99); // the saving machine's session answered
    book.stored("B4", "=INFO(\"numfile\")", 99);
    book.stored("B5", "=B1+1", 99);           // reads a volatile cell
    book.stored("B6", "=INDEX(A1:A2,2)", 99); // answers with a reference, but not volatile
    book.stored("B7", "=RANDBETWEEN(1,1)+OFFSET(A1,0,0)", 99);
    book.stored("B8", "=SUM(RANDARRAY(1,1,3,3,TRUE))", 99);
    book.stored("B9", "=A1+A2", 99);
    book.compute();
    const std::pair<const char*, const char*> expected[] = {
        {"B1", "6"},  {"B2", "12"}, {"B3", "99"}, {"B4", "99"}, {"B5", "7"},
        {"B6", "99"}, {"B7", "99"}, {"B8", "99"}, {"B9", "99"},
    };
    for (const auto& [cell, value] : expected)
        EXPECT_EQ(book.text(cell), value) << cell;
}

TEST(FormulaWhen, SessionAnswersAreComputedOnlyOnAFullCalculation) {
    SmallBook book;
    book.set("A1", "5").stored("B1", "=CELL(\"row\",A1)+TODAY()*0", 99);
    book.stored("B2", "=CELL(\"contents\",A1)", 0);
    book.book.fullCalcOnLoad = true; // the stored results are a writer's placeholders
    book.compute();
    EXPECT_EQ(book.text("B1"), "1");
    EXPECT_EQ(book.text("B2"), "5");
}

TEST(FormulaValues, AFormulaReadingAnEmptyCellHoldsZeroForItsReaders) {
    SmallBook book;
    book.set("A1", "=Z1").set("A2", "5").set("A3", "=LCM(A1:A2)").set("A4", "=COUNT(A1:A2)");
    book.set("A5", "=ISBLANK(A1)").set("A6", "=A1&\"|\"");
    book.compute();
    EXPECT_EQ(book.text("A1"), "0");
    EXPECT_EQ(book.text("A3"), "0");
    EXPECT_EQ(book.text("A4"), "2");
    EXPECT_EQ(book.text("A5"), "FALSE");
    EXPECT_EQ(book.text("A6"), "0|");
}

TEST(FormulaWhen, NowComesFromSourceDateEpochInLocalTime) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("SOURCE_DATE_EPOCH", "86400", 1); // 1970-01-02 00:00 UTC
    EXPECT_DOUBLE_EQ(engine::formula::conversionMoment(engine::DateSystem::Date1900), 25570.0);
    EXPECT_DOUBLE_EQ(engine::formula::conversionMoment(engine::DateSystem::Date1904), 24108.0);
    ::setenv("TZ", "UTC-2", 1); // two hours east
    ::tzset();
    EXPECT_NEAR(engine::formula::conversionMoment(engine::DateSystem::Date1900), 25570.0 + 2.0 / 24,
                1e-9);
    ::unsetenv("SOURCE_DATE_EPOCH");
    ::setenv("TZ", "UTC", 1);
    ::tzset();
}

TEST(FormulaOrder, DependenciesAcrossSheetsComeFirst) {
    SmallBook book;
    book.sheet("One").sheet("Two");
    book.set("A1", "=Two!A1*2", 0);
    book.set("A1", "=A2+1", 1);
    book.set("A2", "=One!B1", 1);
    book.set("B1", "5", 0);
    book.compute();
    EXPECT_EQ(book.text("A1", 0), "12");
}

TEST(FormulaOrder, CyclesEndAtZeroAndAreCounted) {
    SmallBook book;
    book.set("A1", "=A2+1").set("A2", "=A1+1").set("A3", "=A3").set("A4", "=A1+10");
    book.set("B1", "=SUM(B1:B2)");
    book.compute();
    EXPECT_EQ(book.text("A1"), "0");
    EXPECT_EQ(book.text("A2"), "0");
    EXPECT_EQ(book.text("A3"), "0");
    EXPECT_EQ(book.text("A4"), "10");
    EXPECT_EQ(book.text("B1"), "0");
    EXPECT_EQ(book.book.circularCells, 3u);
}

TEST(FormulaBounds, LongChainsInEitherOrderCostNoStack) {
    constexpr int length = 100000;
    const auto cell = [](int row) { return "A" + std::to_string(row); };
    SmallBook forwards; // each cell reads the one above: computed in reading order
    forwards.set(cell(1), "1");
    for (int row = 2; row <= length; ++row)
        forwards.set(cell(row), "=" + cell(row - 1) + "+1");
    forwards.compute();
    EXPECT_EQ(forwards.text(cell(length)), std::to_string(length));

    SmallBook backwards; // each reads the one below: the first needs the whole chain
    for (int row = 1; row < length; ++row)
        backwards.set(cell(row), "=" + cell(row + 1) + "+1");
    backwards.set(cell(length), "1");
    backwards.compute();
    EXPECT_EQ(backwards.text(cell(1)), std::to_string(length));
    EXPECT_EQ(backwards.book.circularCells, 0u);
}

TEST(FormulaBounds, LongCyclesEnd) {
    constexpr int length = 5000;
    SmallBook book;
    for (int row = 1; row <= length; ++row)
        book.set("A" + std::to_string(row), "=A" + std::to_string(row % length + 1) + "+1");
    book.compute();
    EXPECT_GE(book.book.circularCells, 1u);
}

TEST(FormulaBounds, WholeColumnsCostOnlyStoredCells) {
    SmallBook book;
    for (int row = 1; row <= 200; ++row) {
        book.set("A" + std::to_string(row), "1");
        book.set("B" + std::to_string(row), "=SUM(A:A)+SUM($A$1:$A$1048576)");
    }
    // 200 formulas over 200 stored cells each: far below a budget a million-row walk would need.
    book.compute(45000, 2'000'000);
    EXPECT_EQ(book.text("B200"), "400");
}

TEST(FormulaBounds, TheWorkBudgetEndsAHostileWorkbook) {
    SmallBook book;
    book.set("A1", "1");
    for (int row = 2; row <= 2000; ++row)
        book.set("A" + std::to_string(row), "=SUM(A$1:A" + std::to_string(row - 1) + ")");
    book.set("C1", "=SUM(A1:A2000*A1:A2000)");
    book.compute(45000, 100000);
    // Whatever was reached is computed; the rest keeps what the file held (nothing here).
    EXPECT_EQ(book.text("A2"), "1");
    EXPECT_EQ(book.text("A2000"), "");
}

TEST(FormulaBounds, AFullStringTableLeavesComputedTextsAsTheFileHasThem) {
    for (const std::size_t room : {0, 1}) {
        SmallBook book;
        book.set("A1", "x").stored("A2", "=A1&\"y\"", 5).set("A3", "=LEN(A1)");
        book.book.fullCalcOnLoad = true;
        book.book.finish();
        engine::formula::CalcOptions options;
        options.now = 45000;
        options.stringLimit = book.book.strings.size() + room;
        engine::formula::computeFormulas(book.book, options);
        EXPECT_EQ(book.text("A2"), room ? "xy" : "5");
        EXPECT_EQ(book.text("A3"), "1") << "numbers are still computed";
        EXPECT_EQ(book.book.strings.size(), 1 + room);
    }
}

TEST(FormulaBounds, WholeColumnArraysStopAtTheLastStoredRow) {
    SmallBook book;
    book.set("A1", "1").set("A2", "2").set("A3", "3");
    book.set("B1", "1").set("B2", "2").set("B3", "3");
    book.set("C1", "=SUM(A:A*B:B)");
    book.book.sheets[0].formulas.back().array = true;
    book.book.sheets[0].formulas.back().arrayRange = {0, 0, 2, 2};
    // Two million-cell blocks would cost far more than this budget.
    book.compute(45000, 100000);
    EXPECT_EQ(book.text("C1"), "14");
}

} // namespace

// The way report generators write: placeholder results and a request to compute on load.
TEST(FormulaLinks, HyperlinkShowsItsNameAndMakesTheCellALink) {
    SmallBook book;
    book.set("A1", "Region").set("B1", "Amount").set("A2", "East").set("B2", "1200");
    book.set("A3", "West").set("B3", "300");
    book.stored("C1", "=HYPERLINK(\"https://example.com/report\",\"Full report\")", 0);
    book.stored("C2", "=DSUM(A1:B3,\"Amount\",A1:A2)", 0);
    book.stored("C3", "=HYPERLINK(\"#Sheet1!A1\")", 0);
    book.set("C4", "=HYPERLINK(\"https://example.com/\"&A2, B2)");
    book.book.fullCalcOnLoad = true;
    book.compute();
    EXPECT_EQ(book.text("C1"), "Full report");
    EXPECT_EQ(book.text("C2"), "1200");
    EXPECT_EQ(book.text("C3"), "#Sheet1!A1");
    EXPECT_EQ(book.text("C4"), "1200");
    const auto& links = book.book.sheets[0].hyperlinks;
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].target, "https://example.com/report");
    EXPECT_EQ(links[0].range, (engine::Range{0, 0, 2, 2}));
    EXPECT_EQ(links[1].location, "Sheet1!A1");
    EXPECT_EQ(links[1].target, "");
    EXPECT_EQ(links[2].target, "https://example.com/East");
}

TEST(FormulaLinks, StoredHyperlinkResultsStillMakeLinksAndKeepExistingOnes) {
    SmallBook book;
    book.stored("A1", "=HYPERLINK(\"https://example.com/a\",\"a\")", 0);
    book.stored("A2", "=HYPERLINK(\"https://example.com/b\",\"b\")", 0);
    engine::Hyperlink own;
    own.range = engine::Range{1, 1, 0, 0};
    own.target = "https://example.com/own";
    book.book.sheets[0].hyperlinks.push_back(own);
    book.compute();
    const auto& links = book.book.sheets[0].hyperlinks;
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].target, "https://example.com/own"); // first, so the page keeps it
    EXPECT_EQ(links[1].target, "https://example.com/a");
}
