// Array formulas and arrays given where single values are expected; R1C1 text in INDIRECT;
// ISFORMULA; the cumulative loan functions; XLOOKUP over several result columns.
#include "SmallBook.h"

#include <gtest/gtest.h>

using testing_support::evaluate;
using testing_support::SmallBook;

namespace {

// A1:A3 "ab", "c", "defg"; B1:B3 1, 2, 3; C1:C3 "x", "y", "x".
SmallBook table() {
    SmallBook book;
    book.set("A1", "ab").set("A2", "c").set("A3", "defg");
    book.set("B1", "1").set("B2", "2").set("B3", "3");
    book.set("C1", "x").set("C2", "y").set("C3", "x");
    return book;
}

// `formula` entered as an array formula over `range` ("E1:E3"), anchored at its first cell.
void setArray(SmallBook& book, const std::string& range, const std::string& formula) {
    const std::size_t colon = range.find(':');
    const auto [firstRow, firstCol] = SmallBook::position(range.substr(0, colon));
    const auto [lastRow, lastCol] =
        SmallBook::position(colon == std::string::npos ? range : range.substr(colon + 1));
    book.set(range.substr(0, colon), formula);
    engine::CellFormula& f = book.book.sheets[0].formulas.back();
    f.array = true;
    f.arrayRange = {firstRow, lastRow, static_cast<std::uint16_t>(firstCol),
                    static_cast<std::uint16_t>(lastCol)};
}

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

// Each formula computed by `run` gives its expected text.
template <typename Run> void expectEach(Cases cases, Run run) {
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(run(formula), expected) << formula;
}

TEST(ArrayFormulas, SingleValueFunctionsAndIfWorkElementByElement) {
    expectEach(
        {
            {"=SUM(LEN(A1:A3))", "7"},
            {"=SUM(IF(B1:B3>1,B1:B3))", "5"},
            {"=SUM(IF(C1:C3=\"x\",B1:B3,0))", "4"},
            {"=MAX(IF(C1:C3=\"y\",B1:B3))", "2"},
            {"=SUM(IFERROR(6/(B1:B3-2),100))", "100"},
            {"=SUM(IFNA(MATCH(C1:C3,{\"x\"},0),0))", "2"},
            {"=LARGE(IF(B1:B3>1,B1:B3),2)", "2"}, // the block parameter takes the array whole
            {"=COUNTIF(C1:C3,\"x\")", "2"},
            {"=SUM(IF({1,0,1},{1,2}))", "#N/A"}, // past the shorter array
            {"=SUM(ROUND(B1:B3/3,1))", "2"},
            // The logical folds take a block whole, OR and XOR as much as AND.
            {"=AND(B1:B3>0)", "TRUE"},
            {"=OR(B1:B3>2)", "TRUE"},
            {"=OR({FALSE,TRUE})", "TRUE"},
            {"=XOR(B1:B3>1)", "FALSE"},
        },
        [](const std::string& formula) {
            SmallBook book = table();
            setArray(book, "Z9", formula);
            return book.compute().text("Z9");
        });
}

TEST(ArrayFormulas, ElementResultsFillTheFormulasCells) {
    SmallBook book = table();
    setArray(book, "E1:E3", "=LEN(A1:A3)");
    setArray(book, "F1:F4", "=IF(B1:B3>1,\"big\",\"small\")");
    book.compute();
    EXPECT_EQ(book.text("E1") + book.text("E2") + book.text("E3"), "214");
    EXPECT_EQ(book.text("F1"), "small");
    EXPECT_EQ(book.text("F3"), "big");
    EXPECT_EQ(book.text("F4"), "#N/A");
}

TEST(ArrayFormulas, ArraysLiftEverywhereReferencesOnlyInArrayContext) {
    expectEach(
        {
            {"=SUM(LEN({\"ab\",\"c\"}))", "3"},
            {"=SUM(COUNTIF(C1:C3,{\"x\",\"y\"}))", "3"},
            {"=SUMPRODUCT(LEN(A1:A3))", "7"},
            {"=SUM(LEN(A1:A3))", "#VALUE!"}, // an ordinary formula intersects, and Z9 is outside
            {"=SUM(IFERROR(1/{0,1,2},0))", "1.5"},
            {"=VLOOKUP(\"y\",CHOOSE({1,2},C1:C3,B1:B3),2,FALSE)", "2"}, // a lookup to the left
            {"=SUM(CHOOSE({1,2,3},B1,B2,))", "3"},
            {"=SUM(CHOOSE({1,4},B1,B2))", "#VALUE!"},
        },
        [](const std::string& formula) { return table().set("Z9", formula).compute().text("Z9"); });
}

TEST(Indirect, ReadsR1C1TextRelativeToTheCallingCell) {
    // evaluate() puts the formula in Z9: row 9, column 26.
    expectEach(
        {
            {"=INDIRECT(\"R2C1\",FALSE)", "2"},
            {"=INDIRECT(\"r3c1\",FALSE)", "3"},
            {"=INDIRECT(\"R[-8]C[-25]\",FALSE)", "1"},
            {"=SUM(INDIRECT(\"R1C1:R3C1\",FALSE))", "6"},
            {"=SUM(INDIRECT(\"C1\",FALSE))", "6"},
            {"=SUM(INDIRECT(\"R2\",FALSE))", "2"},
            {"=INDIRECT(\"'Sheet1'!R3C1\",FALSE)", "3"},
            {"=ROW(INDIRECT(\"RC\",FALSE))", "9"},
            {"=INDIRECT(\"A1\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R0C1\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R[-9]C\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R1C1:R2\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R1C1x\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R1C[\",FALSE)", "#REF!"},
            {"=INDIRECT(\"Nowhere!R1C1\",FALSE)", "#REF!"},
            {"=INDIRECT(\"R1C16385\",FALSE)", "#REF!"},
        },
        evaluate);
}

TEST(IsFormula, TellsFormulaCellsFromValues) {
    SmallBook book = table();
    book.set("D1", "=B1*2");
    setArray(book, "E1:E2", "=B1:B2");
    book.set("Z1", "=ISFORMULA(B1)").set("Z2", "=ISFORMULA(D1)").set("Z3", "=ISFORMULA(E2)");
    book.set("Z4", "=ISFORMULA(1)").set("Z5", "=ISFORMULA(Q99)");
    book.compute();
    EXPECT_EQ(book.text("Z1"), "FALSE");
    EXPECT_EQ(book.text("Z2"), "TRUE");
    EXPECT_EQ(book.text("Z3"), "TRUE"); // inside an array formula's range
    EXPECT_EQ(book.text("Z4"), "#VALUE!");
    EXPECT_EQ(book.text("Z5"), "FALSE");
}

TEST(CumulativeLoanFunctions, SumPeriodsAndRejectWhatTheApplicationRejects) {
    expectEach(
        {
            {"=ROUND(CUMIPMT(0.06/12,36,10000,1,12,0),6)", "-514.693543"},
            {"=ROUND(CUMPRINC(0.06/12,36,10000,13,24,0),6)", "-3329.356803"},
            {"=ROUND(CUMPRINC(0.01,12,1000,1,12,1),9)", "-1000"},
            {"=ROUND(CUMIPMT(0.01,12,1000,1,12,1)+CUMPRINC(0.01,12,1000,1,12,1)-12*PMT(0.01,12,"
             "1000,"
             "0,1),9)",
             "0"},
            // The stretch starts at the first whole period on or after its start.
            {"=CUMIPMT(0.01,12.9,1000,12.5,12.7,0)", "#NUM!"},
            {"=ROUND(CUMPRINC(0.01,36,8000,1.2,8.53,1),6)", "-1339.65793"},
            {"=CUMPRINC(0.01,36,8000,TRUE,8,1)", "#VALUE!"},
            {"=CUMIPMT(0,12,1000,1,12,0)", "#NUM!"},
            {"=CUMIPMT(0.01,12,-1000,1,12,0)", "#NUM!"},
            {"=CUMIPMT(0.01,12,1000,5,4,0)", "#NUM!"},
            {"=CUMIPMT(0.01,12,1000,1,13,0)", "#NUM!"},
            {"=CUMPRINC(0.01,12,1000,1,12,2)", "#NUM!"},
            {"=CUMPRINC(\"x\",12,1000,1,12,0)", "#VALUE!"},
        },
        evaluate);
}

TEST(Xlookup, AnswersWithTheRowFoundWhenResultsSpanColumns) {
    SmallBook book;
    book.set("A1", "1").set("A2", "2").set("A3", "3");
    book.set("B1", "10").set("B2", "20").set("B3", "30");
    book.set("C1", "100").set("C2", "200").set("C3", "300");
    book.set("E1", "=SUM(XLOOKUP(2,A1:A3,B1:C3))");
    book.set("C6", "=XLOOKUP(3,A1:A3,B1:C3)"); // intersects B3:C3 in its own column
    book.set("E2", "=XLOOKUP(3,A1:A3,B1:C3)"); // shares no column with B3:C3
    book.set("E3", "=XLOOKUP(9,A1:A3,B1:C3,\"none\")");
    book.set("E4", "=XLOOKUP(2,A1:A3,B1:C2)"); // results shorter than the keys
    book.compute();
    EXPECT_EQ(book.text("E1"), "220");
    EXPECT_EQ(book.text("C6"), "300");
    EXPECT_EQ(book.text("E2"), "#VALUE!");
    EXPECT_EQ(book.text("E3"), "none");
    EXPECT_EQ(book.text("E4"), "#VALUE!");
}

} // namespace

namespace {

TEST(FormulaMatrices, MatrixFunctionsFillTheirArrayRange) {
    SmallBook book;
    book.set("A1", "1").set("B1", "2").set("A2", "3").set("B2", "4");
    setArray(book, "D1:E2", "=MMULT(A1:B2,A1:B2)");
    setArray(book, "D4:E5", "=MINVERSE(A1:B2)");
    setArray(book, "D7:E8", "=MUNIT(2)");
    setArray(book, "G1:H2", "=TRANSPOSE(A1:B2)");
    setArray(book, "J1:J3", "=FREQUENCY({1,2,3,4,5,6},{4,2})");
    book.set("L1", "=MDETERM(A1:B2)");
    book.set("L2", "=MMULT(A1:B2,{1,2,3})");
    book.set("L3", "=MDETERM({1,2;2,4})");
    book.set("L4", "=INDEX(MINVERSE({1,2;2,4}),1,1)");
    book.compute();
    EXPECT_EQ(book.text("D1") + " " + book.text("E1") + " " + book.text("D2") + " " +
                  book.text("E2"),
              "7 10 15 22");
    EXPECT_EQ(book.text("D4") + " " + book.text("E4") + " " + book.text("D5") + " " +
                  book.text("E5"),
              "-2 1 1.5 -0.5");
    EXPECT_EQ(book.text("D7") + book.text("E7") + book.text("D8") + book.text("E8"), "1001");
    EXPECT_EQ(book.text("H1"), "3");
    EXPECT_EQ(book.text("G2"), "2");
    EXPECT_EQ(book.text("J1") + " " + book.text("J2") + " " + book.text("J3"), "2 2 2");
    EXPECT_EQ(book.text("L1"), "-2");
    EXPECT_EQ(book.text("L2"), "#VALUE!"); // 2 columns against 1 row of 3
    EXPECT_EQ(book.text("L3"), "0");
    EXPECT_EQ(book.text("L4"), "#NUM!");
}

} // namespace
