#include "SmallBook.h"

#include <gtest/gtest.h>

using testing_support::evaluate;
using testing_support::SmallBook;

namespace {

struct Case {
    const char* formula;
    const char* expected;
};

void expectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        EXPECT_EQ(evaluate(c.formula), c.expected) << c.formula;
}

TEST(FormulaOperators, PrecedenceFollowsTheApplication) {
    expectAll({
        {"=-2^2", "4"},   // negation binds tighter than ^
        {"=2^3^2", "64"}, // ^ is left to right
        {"=-2^-2", "0.25"},
        {"=1+2*3", "7"},
        {"=(1+2)*3", "9"},
        {"=2*50%", "1"},
        {"=-50%", "-0.5"},
        {"=1+2&3", "33"},   // & below + and *
        {"=1+1=2", "TRUE"}, // comparison lowest
        {"=\"a\"&1+1=\"a2\"", "TRUE"},
        {"=10/4-1", "1.5"},
        {"=1 + 2 * 3", "7"},
    });
}

TEST(FormulaOperators, ConvertAndPropagateLikeTheApplication) {
    expectAll({
        {"=\"3\"+4", "7"},
        {"=\"x\"+1", "#VALUE!"},
        {"=B3+1", "1"},     // blank is 0
        {"=B3&\"a\"", "a"}, // and "" as text
        {"=B2+1", "2"},     // TRUE is 1
        {"=1/0", "#DIV/0!"},
        {"=#N/A+1/0", "#N/A"}, // the left error wins
        {"=0^0", "#NUM!"},
        {"=\"abc\"=\"ABC\"", "TRUE"},
        {"=\"a\"<\"B\"", "TRUE"},
        {"=1<\"0\"", "TRUE"}, // numbers sort before text
        {"=0.1+0.2=0.3", "TRUE"},
        {"=B3=0", "TRUE"},
        {"=B3=\"\"", "TRUE"},
    });
}

TEST(FormulaReferences, RangesUnionsAndIntersections) {
    expectAll({
        {"=SUM(A1:A3)", "6"},
        {"=SUM($A$1:A$2)", "3"},
        {"=SUM(A:A)", "6"},
        {"=SUM(1:2)", "3"},
        {"=SUM((A1,A3))", "4"},
        {"=SUM(A1:A3 A2:B2)", "2"},
        {"=A1:A3 B1:B3", "#NULL!"},
        {"=SUM(A1:INDEX(A1:A3,2))", "3"},
        {"=SUM(A1,,A2)", "3"},
        {"=A1:A3", "#VALUE!"}, // not in a row of the range: no intersection
        {"=#REF!", "#REF!"},
        {"=Nowhere!A1", "#REF!"},
        {"=[1]Sheet1!A1", "#REF!"},
    });
}

TEST(FormulaReferences, ImplicitIntersectionTakesTheCallersRow) {
    SmallBook book;
    book.set("A1", "5").set("A2", "7").set("C2", "=A1:A3*2").set("C4", "=A:A");
    book.compute();
    EXPECT_EQ(book.text("C2"), "14");
    EXPECT_EQ(book.text("C4"), "0");
}

TEST(FormulaReferences, SheetsQuotedThreeDimensionalAndNamed) {
    SmallBook book;
    book.sheet("First").sheet("My 'Q' sheet").sheet("Last");
    book.set("A1", "1", 0).set("A1", "10", 1).set("A1", "100", 2);
    book.set("B1", "='My ''Q'' sheet'!A1*2", 0);
    book.set("B2", "=SUM(First:Last!A1)", 0);
    book.set("B3", "=rate*2", 0);
    book.set("B4", "=rate", 1);
    book.set("B5", "=Last!rate+Total", 0);
    book.book.definedNames.push_back({"Rate", "First!$A$1", engine::DefinedName::noSheet, false});
    book.book.definedNames.push_back({"rate", "$A$1", 2, false});
    book.book.definedNames.push_back(
        {"Total", "SUM(First:Last!$A$1)", engine::DefinedName::noSheet, false});
    book.compute();
    EXPECT_EQ(book.text("B1"), "20");
    EXPECT_EQ(book.text("B2"), "111");
    EXPECT_EQ(book.text("B3"), "2");
    EXPECT_EQ(book.text("B4", 1), "1"); // the workbook's name, seen from another sheet
    EXPECT_EQ(book.text("B5"), "211");  // a sheet's own name beats the workbook's
}

TEST(FormulaArrays, ConstantsAndElementWiseArithmetic) {
    expectAll({
        {"=SUM({1,2;3,4})", "10"},
        {"=SUM({1,2;3,4}*10)", "100"},
        {"=SUM({1,2}+{10;20})", "66"},   // a row and a column spread to 2x2
        {"=SUM({1,2,3}*{1,2})", "#N/A"}, // past the shorter one
        {"=INDEX({1,2;3,4},2,1)", "3"},
        {"=ROWS({1,2;3,4})", "2"},
        {"={\"a\",TRUE}", "a"},
        {"=SUM(-{1,2})", "-3"},
    });
}

TEST(FormulaArrays, ArrayFormulaFillsItsRange) {
    SmallBook book;
    book.set("A1", "1").set("A2", "2").set("A3", "3").set("C1", "=A1:A3*10");
    auto& f = book.book.sheets[0].formulas.back();
    f.array = true;
    f.arrayRange = {0, 3, 2, 2};
    book.set("D1", "=C2+C4");
    book.compute();
    EXPECT_EQ(book.text("C1"), "10");
    EXPECT_EQ(book.text("C3"), "30");
    EXPECT_EQ(book.text("C4"), "#N/A");
    EXPECT_EQ(book.text("D1"), "#N/A");
}

TEST(FormulaSpecialForms, LazyChoicesAndTheirErrors) {
    expectAll({
        {"=IF(A1>0,\"big\",1/0)", "big"}, // the other branch is never computed
        {"=IF(A1>5,1)", "FALSE"},
        {"=IF(A1>0,,2)", "0"},
        {"=IF(\"x\",1,2)", "#VALUE!"},
        {"=IFS(A1>1,\"a\",A1>0,\"b\")", "b"},
        {"=IFS(A1>1,\"a\")", "#N/A"},
        {"=IFERROR(1/0,\"none\")", "none"},
        {"=IFERROR(A2,\"none\")", "2"},
        {"=IFNA(#N/A,5)", "5"},
        {"=IFNA(1/0,5)", "#DIV/0!"},
        {"=SWITCH(A2,1,\"one\",2,\"two\",\"many\")", "two"},
        {"=SWITCH(9,1,\"one\",\"many\")", "many"},
        {"=SWITCH(9,1,\"one\")", "#N/A"},
        {"=CHOOSE(3,\"a\",\"b\",\"c\")", "c"},
        {"=CHOOSE(4,\"a\",\"b\",\"c\")", "#VALUE!"},
        {"=SUM(CHOOSE(2,A1,A2:A3))", "5"},
    });
}

TEST(FormulaSpecialForms, ReferencesMadeByFunctions) {
    expectAll({
        {"=SUM(OFFSET(A1,1,0,2,1))", "5"},
        {"=OFFSET(A1,2,0)", "3"},
        {"=OFFSET(A1,-1,0)", "#REF!"},
        {"=SUM(OFFSET(A3,0,0,-2))", "5"},
        // Sizes drop their fractions, yet a fraction of a cell is still one cell.
        {"=SUM(OFFSET(A1,0,0,2.99,1))", "3"},
        {"=SUM(OFFSET(A1,0,0,0.9,1))", "1"},
        {"=SUM(OFFSET(A1,0,0,3,0.2))", "6"},
        {"=SUM(OFFSET(A3,0,0,-0.5))", "3"},
        {"=SUM(OFFSET(A1,1.7,0,1))", "2"},
        {"=SUM(OFFSET(A1,0,0,0))", "#REF!"},
        {"=INDIRECT(\"A\"&2)", "2"},
        {"=SUM(INDIRECT(\"A1:A3\"))", "6"},
        {"=INDIRECT(\"nonsense(\")", "#REF!"},
        {"=INDEX(A1:A3,3)", "3"},
        {"=SUM(INDEX(A1:B3,0,1))", "6"},
        {"=INDEX(A1:A3,4)", "#REF!"},
        {"=ROW(A3)+COLUMN(C1)", "6"},
        {"=ROW()", "9"},
        {"=COLUMNS(A1:D2)*ROWS(A1:D2)", "8"},
        {"=ROWS(A:A)", "1048576"},
    });
}

TEST(FormulaFunctions, UnknownOnesGiveNameAndAreCounted) {
    SmallBook book;
    book.set("A1", "=NOSUCHFUNCTION(1)").set("A2", "=_xlfn.NOSUCH(2)+1");
    book.stored("A3", "=NOSUCHFUNCTION(1)", 42);
    book.set("A4", "=_xlfn.SUM(1,2)");
    book.compute();
    EXPECT_EQ(book.text("A1"), "#NAME?");
    EXPECT_EQ(book.text("A2"), "#NAME?");
    EXPECT_EQ(book.text("A3"), "42");
    EXPECT_EQ(book.text("A4"), "3");
    EXPECT_EQ(book.book.unknownFunctionCells, 2u); // a kept result is not examined
}

// Right tails come from their own side, not as 1 - (1 - tail), which leaves nothing far out.
TEST(FormulaFunctions, FarTailsOfDistributionsKeepTheirDigits) {
    EXPECT_EQ(evaluate("=ROUND(CHISQ.DIST.RT(100,3)/1.554159431389605E-21,9)"), "1");
    EXPECT_EQ(evaluate("=ROUND(CHIDIST(100,3)/1.554159431389605E-21,9)"), "1");
    EXPECT_EQ(evaluate("=ROUND(POISSON.DIST(2,50,TRUE)/(1301*EXP(-50)),9)"), "1");
    EXPECT_EQ(evaluate("=ROUND(T.DIST.RT(1E9,1)/(ATAN(1E-9)/PI()),9)"), "1");
    EXPECT_EQ(evaluate("=ROUND(T.DIST.2T(1E9,1)/(2*ATAN(1E-9)/PI()),9)"), "1");
    EXPECT_EQ(evaluate("=ROUND(TDIST(1E9,1,1)/(ATAN(1E-9)/PI()),9)"), "1");
}

TEST(FormulaParser, RejectsMalformedTextWithoutThrowing) {
    engine::formula::ParseContext context;
    for (const char* text :
         {"1+", "SUM(1", "(((", "{1,2;3}", "\"open", "1 2", "A1:", "#WHAT", "SUM(1))", ""}) {
        const auto parsed = engine::formula::parseFormula(text, context);
        EXPECT_EQ(parsed.root, nullptr) << text;
        EXPECT_FALSE(parsed.error.empty()) << text;
    }
    const std::string deep(100000, '(');
    EXPECT_EQ(engine::formula::parseFormula(deep + "1", context).root, nullptr);
}

TEST(FormulaParser, MovesSharedFormulasRelativeParts) {
    engine::formula::ParseContext context;
    context.originRow = 1;
    context.originCol = 3;
    context.row = 4;
    context.col = 5;
    const auto parsed = engine::formula::parseFormula("B2+$B$2+B$2+A:A", context);
    ASSERT_NE(parsed.root, nullptr);
    const auto& sum = *parsed.root;
    const auto& left = *sum.children[0]->children[0]->children[0];
    EXPECT_EQ(left.ref.firstRow, 4u); // B2 → D5
    EXPECT_EQ(left.ref.firstCol, 3u);
    const auto& absolute = *sum.children[0]->children[0]->children[1];
    EXPECT_EQ(absolute.ref.firstRow, 1u);
    EXPECT_EQ(absolute.ref.firstCol, 1u);
    const auto& mixed = *sum.children[0]->children[1];
    EXPECT_EQ(mixed.ref.firstRow, 1u);
    EXPECT_EQ(mixed.ref.firstCol, 3u);
    const auto& column = *sum.children[1];
    EXPECT_EQ(column.ref.firstCol, 2u);
    EXPECT_EQ(column.ref.lastRow, engine::formula::maxRow);
    // Moved off the grid's top: #REF!
    context.row = 0;
    EXPECT_EQ(engine::formula::parseFormula("B1", context).root->kind,
              engine::formula::Node::Kind::BadRef);
}

TEST(FormulaParser, ReadsOpenDocumentSyntax) {
    using engine::formula::translateOpenDocument;
    EXPECT_EQ(translateOpenDocument("of:=[.B2]*[.C2]"), "B2*C2");
    EXPECT_EQ(translateOpenDocument("of:=SUM([.D2:.D4];1)"), "SUM(D2:D4,1)");
    EXPECT_EQ(translateOpenDocument("of:=[$'My sheet'.$A$1]&\"[.x];\""),
              "'My sheet'!$A$1&\"[.x];\"");
    EXPECT_EQ(translateOpenDocument("of:=[$Sheet1.A1:$Sheet3.A1]"), "'Sheet1:Sheet3'!A1:A1");
    EXPECT_EQ(translateOpenDocument("of:={1;2|3;4}"), "{1,2;3,4}");
    EXPECT_EQ(translateOpenDocument("msoxl:=A1"), std::nullopt);
}

} // namespace

namespace {

TEST(FormulaLookups, LongTablesAnswerExactLookupsFromAnIndex) {
    SmallBook book;
    for (int row = 1; row <= 100; ++row) {
        book.set("A" + std::to_string(row),
                 row % 2 ? std::to_string(row) : "Key" + std::to_string(row));
        book.set("B" + std::to_string(row), std::to_string(row * 10));
    }
    book.set("A101", "=A1"); // a formula in the table is computed before it is indexed
    book.set("B101", "-1");
    book.set("D1", "=VLOOKUP(\"KEY40\",A1:B101,2,FALSE)");
    book.set("D2", "=VLOOKUP(41,A1:B101,2,FALSE)");
    book.set("D3", "=VLOOKUP(\"41\",A1:B101,2,FALSE)"); // text never equals a number
    book.set("D5", "=VLOOKUP(1,A1:B101,2,FALSE)");      // the first of two equal keys
    book.compute();
    EXPECT_EQ(book.text("D1"), "400");
    EXPECT_EQ(book.text("D2"), "410");
    EXPECT_EQ(book.text("D3"), "#N/A");
    EXPECT_EQ(book.text("D5"), "10");
}

} // namespace
