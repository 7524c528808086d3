// Dynamic arrays and what builds on them: the array functions, LET and LAMBDA with the
// functions that call one, defined names whose references move with the cell, and tables
// referred to by name.
#include "SmallBook.h"
#include "engine/formula/StructuredReference.h"

#include <gtest/gtest.h>

using testing_support::SmallBook;

namespace {

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

// A1:A4 30, 10, 40, 20; B1:B4 "b", "a", "B", "c"; C1:C2 1, 2.
SmallBook numbers() {
    SmallBook book;
    book.set("A1", "30").set("A2", "10").set("A3", "40").set("A4", "20");
    book.set("B1", "b").set("B2", "a").set("B3", "B").set("B4", "c");
    book.set("C1", "1").set("C2", "2");
    return book;
}

std::string single(const std::string& formula) {
    SmallBook book = numbers();
    book.set("Z9", formula).compute();
    return book.text("Z9");
}

// The block `formula` spills, read back through an array formula over `rows` x `cols` cells
// from E1, as "a,b;c,d".
std::string block(const std::string& formula, std::uint32_t rows, std::uint32_t cols) {
    SmallBook book = numbers();
    book.set("E1", formula);
    engine::CellFormula& f = book.book.sheets[0].formulas.back();
    f.array = true;
    f.arrayRange = {0, rows - 1, 4, static_cast<std::uint16_t>(4 + cols - 1)};
    book.compute();
    std::string out;
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t c = 0; c < cols; ++c) {
            const std::string cell =
                std::string(1, static_cast<char>('E' + c)) + std::to_string(r + 1);
            out += book.text(cell) + (c + 1 < cols ? "," : "");
        }
        out += r + 1 < rows ? ";" : "";
    }
    return out;
}

TEST(DynamicArrayFunctions, SortFilterUniqueAndSequence) {
    EXPECT_EQ(block("=SORT(A1:A4)", 4, 1), "10;20;30;40");
    EXPECT_EQ(block("=SORT(A1:A4,1,-1)", 4, 1), "40;30;20;10");
    EXPECT_EQ(block("=SORT(A1:B4,2)", 4, 2), "10,a;30,b;40,B;20,c"); // text ignores case, stable
    EXPECT_EQ(block("=SORTBY(B1:B4,A1:A4,-1)", 4, 1), "B;b;c;a");
    EXPECT_EQ(block("=FILTER(A1:A4,A1:A4>15)", 3, 1), "30;40;20");
    EXPECT_EQ(block("=FILTER(A1:A4,A1:A4>99,\"none\")", 1, 1), "none");
    EXPECT_EQ(block("=UNIQUE(B1:B4)", 3, 1), "b;a;c");
    EXPECT_EQ(block("=UNIQUE(B1:B4,,TRUE)", 2, 1), "a;c");
    EXPECT_EQ(block("=SEQUENCE(2,3,10,5)", 2, 3), "10,15,20;25,30,35");
    const Cases cases = {
        {"=SUM(SORT(A1:A4))", "100"},
        {"=INDEX(SORT(A1:A4,1,-1),2)", "30"},
        {"=FILTER(A1:A4,A1:A4>99)", "#CALC!"}, // the application's error for an empty array
        {"=SORT(A1:A4,3)", "#VALUE!"},
        {"=SEQUENCE(0)", "#CALC!"},
        {"=SEQUENCE(0.3)", "#CALC!"},
        {"=SEQUENCE(-1)", "#VALUE!"},
        {"=UNIQUE({1;1},,TRUE)", "#CALC!"},
        {"=ROWS(UNIQUE(B1:B4))", "3"},
        {"=SUM(FILTER(A1:A4,(A1:A4>15)*(A1:A4<35)))", "50"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(single(formula), expected) << formula;
}

TEST(DynamicArrayFunctions, BlocksCutJoinedAndFolded) {
    EXPECT_EQ(block("=TAKE(A1:A4,2)", 2, 1), "30;10");
    EXPECT_EQ(block("=TAKE(A1:A4,-1)", 1, 1), "20");
    EXPECT_EQ(block("=DROP(A1:B4,3,1)", 1, 1), "c");
    EXPECT_EQ(block("=CHOOSEROWS(A1:A4,-1,1)", 2, 1), "20;30");
    EXPECT_EQ(block("=CHOOSECOLS(A1:B2,2)", 2, 1), "b;a");
    EXPECT_EQ(block("=VSTACK(C1:C2,A1:B1)", 3, 2), "1,#N/A;2,#N/A;30,b");
    EXPECT_EQ(block("=HSTACK(C1:C2,5)", 2, 2), "1,5;2,#N/A");
    EXPECT_EQ(block("=TOROW(A1:B2)", 1, 4), "30,b,10,a");
    EXPECT_EQ(block("=TOCOL(A1:B2,0,TRUE)", 4, 1), "30;10;b;a");
    EXPECT_EQ(block("=WRAPROWS(A1:A4,3,0)", 2, 3), "30,10,40;20,0,0");
    EXPECT_EQ(block("=WRAPCOLS(A1:A4,3)", 3, 2), "30,20;10,#N/A;40,#N/A");
    EXPECT_EQ(block("=EXPAND(C1:C2,3,2,\"-\")", 3, 2), "1,-;2,-;-,-");
    const Cases cases = {
        {"=TAKE(A1:A4,0)", "#CALC!"},    {"=DROP(A1:A4,4)", "#CALC!"},
        {"=DROP(A1:A4,-7)", "#CALC!"},   {"=CHOOSEROWS(A1:A4,5)", "#VALUE!"},
        {"=EXPAND(A1:A4,2)", "#VALUE!"}, {"=WRAPROWS(A1:B2,2)", "#VALUE!"},
        {"=WRAPROWS(A1:A4,0)", "#NUM!"}, {"=TOCOL(D1:D3,1)", "#CALC!"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(single(formula), expected) << formula;
}

TEST(DynamicArrayFunctions, TextSplitCutsRowsThenColumns) {
    EXPECT_EQ(block("=TEXTSPLIT(\"a,b;c,d\",\",\",\";\")", 2, 2), "a,b;c,d");
    EXPECT_EQ(block("=TEXTSPLIT(\"a,b;c\",\",\",\";\")", 2, 2), "a,b;c,#N/A");
    EXPECT_EQ(block("=TEXTSPLIT(\"a,b;c\",\",\",\";\",,,\"-\")", 2, 2), "a,b;c,-");
    EXPECT_EQ(block("=TEXTSPLIT(\"a,,b\",\",\")", 1, 3), "a,,b");
    EXPECT_EQ(block("=TEXTSPLIT(\"a,,b\",\",\",,TRUE)", 1, 2), "a,b");
    EXPECT_EQ(block("=TEXTSPLIT(\"a-b_c--d\",{\"-\",\"_\",\"--\"})", 1, 4), "a,b,c,d");
    EXPECT_EQ(block("=TEXTSPLIT(\"aXbxc\",\"x\",,,1)", 1, 3), "a,b,c");
    EXPECT_EQ(block("=TEXTSPLIT(\"aXbxc\",\"x\")", 1, 2), "aXb,c");
    EXPECT_EQ(block("=TEXTSPLIT(\"a;b\",,\";\")", 2, 1), "a;b");
    EXPECT_EQ(block("=TEXTSPLIT(A1,\"0\")", 1, 2), "3,");
    const Cases cases = {
        {"=TEXTSPLIT(\"abc\",\"\")", "#VALUE!"},
        {"=TEXTSPLIT(\",,\",\",\",,TRUE)", "#VALUE!"},
        {"=TEXTSPLIT(\"a\",#N/A)", "#N/A"},
        {"=COLUMNS(TEXTSPLIT(REPT(\"x,\",999),\",\"))", "1000"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(single(formula), expected) << formula;
}

TEST(DynamicArrayFunctions, RandomBlocksKeepTheirStoredResults) {
    SmallBook book = numbers();
    book.set("Z1", "=MIN(RANDARRAY(20,5))>=0").set("Z2", "=MAX(RANDARRAY(20,5))<1");
    book.set("Z3", "=SUM((RANDARRAY(50,1,3,5,TRUE)>=3)*(RANDARRAY(50,1,3,5,TRUE)<=5))");
    book.set("Z4", "=SUMPRODUCT(--(RANDARRAY(50,1,3,5,TRUE)=INT(RANDARRAY(50,1,3,5,TRUE))))");
    book.set("Z5", "=ROWS(RANDARRAY(3,2))*10+COLUMNS(RANDARRAY(3,2))");
    book.set("Z6", "=RANDARRAY(2,2,5,1)").set("Z7", "=RANDARRAY(0)");
    book.set("Z8", "=RANDARRAY(1,1,2.5,2.7,TRUE)").set("Z9", "=RANDARRAY(1,1,7,7,TRUE)");
    // A result the file holds stays, as for RAND, even on a full calculation.
    book.stored("Y1", "=RANDARRAY()", 0.25);
    book.book.fullCalcOnLoad = true;
    book.compute();
    EXPECT_EQ(book.text("Z1"), "TRUE");
    EXPECT_EQ(book.text("Z2"), "TRUE");
    EXPECT_EQ(book.text("Z3"), "50");
    EXPECT_EQ(book.text("Z4"), "50");
    EXPECT_EQ(book.text("Z5"), "32");
    EXPECT_EQ(book.text("Z6"), "#VALUE!"); // the least above the greatest
    EXPECT_EQ(book.text("Z7"), "#VALUE!");
    EXPECT_EQ(book.text("Z8"), "#VALUE!"); // no whole number between them
    EXPECT_EQ(book.text("Z9"), "7");
    EXPECT_EQ(book.text("Y1"), "0.25");
}

TEST(DynamicArrayFunctions, TrimRangeDropsBlankOuterRowsAndColumns) {
    // D1:G6 holds values at E3 and F4 only.
    SmallBook book = numbers();
    book.set("E3", "5").set("F4", "6");
    book.set("Z1", "=ROWS(TRIMRANGE(D1:G6))*10+COLUMNS(TRIMRANGE(D1:G6))");
    book.set("Z2", "=INDEX(TRIMRANGE(D1:G6),1,1)").set("Z3", "=INDEX(TRIMRANGE(D1:G6),2,2)");
    book.set("Z4", "=ROWS(TRIMRANGE(D1:G6,1,0))*10+COLUMNS(TRIMRANGE(D1:G6,1,0))");
    book.compute();
    EXPECT_EQ(book.text("Z1"), "22");
    EXPECT_EQ(book.text("Z2"), "5");
    EXPECT_EQ(book.text("Z3"), "6");
    EXPECT_EQ(book.text("Z4"), "44"); // leading rows only: rows 3 to 6, every column
    const Cases cases = {
        {"=ROWS(TRIMRANGE(A:A))", "4"},
        {"=ROWS(TRIMRANGE(A:C))*10+COLUMNS(TRIMRANGE(A:C))", "43"},
        {"=ROWS(TRIMRANGE(C1:C10,2))", "2"},
        {"=ROWS(TRIMRANGE(C1:C10,1))", "10"},
        {"=ROWS(TRIMRANGE(C1:C10,0))", "10"},
        {"=COLUMNS(TRIMRANGE(A1:J1,3,0))", "10"},
        {"=COLUMNS(TRIMRANGE(A1:J1,3,2))", "3"},
        {"=SUM(TRIMRANGE(A:A))", "100"},
        {"=TRIMRANGE(H:H)", "#REF!"},
        {"=TRIMRANGE(A1:A4,4)", "#VALUE!"},
        {"=TRIMRANGE(7)", "7"},
        // The trim-ref operators, typed and as files write them.
        {"=ROWS(C1.:.C10)", "2"},
        {"=ROWS(C1:.C10)", "2"},
        {"=ROWS(C1.:C10)", "10"},
        {"=ROWS(A:.A)*10+COLUMNS(A1:.J1)", "43"},
        {"=SUM(A:.A)", "100"},
        {"=ROWS(_xlfn._TRO_TRAILING(C1:C10))", "2"},
        {"=ROWS(_xlfn._TRO_ALL(Sheet1!C1:C10))", "2"},
        {"=ROWS(_xlfn._TRO_LEADING(C1:C10))", "10"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(single(formula), expected) << formula;
}

TEST(DynamicArrayFunctions, SpilledBlocksAreReferredToByTheirAnchor) {
    SmallBook book = numbers();
    book.set("G1", "=SEQUENCE(3)");
    engine::CellFormula& f = book.book.sheets[0].formulas.back();
    f.array = f.dynamic = true;
    f.arrayRange = {0, 0, 6, 6}; // saved before it spilled
    book.set("H1", "=SUM(G1#)").set("H2", "=SUM(_xlfn.ANCHORARRAY(G1))");
    book.set("H3", "=_xlfn.SINGLE(A1:A4)").set("H4", "=ROWS(G1#)").set("H5", "=SUM(A1#)");
    book.compute();
    EXPECT_EQ(book.text("G3"), "3");
    EXPECT_EQ(book.text("H1"), "6");
    EXPECT_EQ(book.text("H2"), "6");
    EXPECT_EQ(book.text("H3"), "40"); // the range's cell in the formula's row
    EXPECT_EQ(book.text("H4"), "3");
    EXPECT_EQ(book.text("H5"), "#REF!"); // no array formula anchored there
}

TEST(LetAndLambda, NamesFunctionsAndTheirCalls) {
    const Cases cases = {
        {"=LET(x,A1,x*2)", "60"},
        {"=_xlfn.LET(_xlpm.x,A1,_xlpm.y,_xlpm.x+1,_xlpm.x*_xlpm.y)", "930"},
        {"=LET(r,A1:A4,SUM(r)/ROWS(r))", "25"}, // a name may hold cells
        {"=LET(x,1,LET(x,2,x)+x)", "3"},        // the inner name shadows
        {"=LET(x,1,y)", "#NAME?"},
        {"=LET(x,1)", "#VALUE!"},
        {"=LAMBDA(a,b,a*b)(6,7)", "42"},
        {"=_xlfn.LAMBDA(_xlpm.a,_xlpm.a+1)(1)", "2"},
        {"=LAMBDA(a,a)(1,2)", "#VALUE!"},
        {"=LAMBDA(a,b,IF(ISOMITTED(b),\"none\",b))(1)", "none"},
        // An optional parameter as files write it.
        {"=_xlfn.LAMBDA(_xlpm.a,_xlop.b,IF(_xlfn.ISOMITTED(_xlpm.b),_xlpm.a/2,_xlpm.b))(8)", "4"},
        {"=_xlfn.LAMBDA(_xlpm.a,_xlop.b,IF(_xlfn.ISOMITTED(_xlpm.b),_xlpm.a/2,_xlpm.b))(8,3)", "3"},
        {"=LAMBDA(a,a)", "#CALC!"},
        {"=LET(f,LAMBDA(x,x*x),f(3)+f(4))", "25"},
        {"=LET(k,10,f,LAMBDA(x,x+k),LET(k,99,f(1)))", "11"}, // the names seen where it was made
        {"=SUM(MAP(A1:A4,LAMBDA(v,v/10)))", "10"},
        {"=SUM(MAP(A1:A2,C1:C2,LAMBDA(a,b,a*b)))", "50"},
        {"=REDUCE(0,A1:A4,LAMBDA(acc,v,acc+v))", "100"},
        {"=REDUCE(,C1:C2,LAMBDA(acc,v,IF(ISOMITTED(acc),v,acc*10+v)))", "12"},
        {"=INDEX(SCAN(0,A1:A4,LAMBDA(acc,v,acc+v)),3)", "80"},
        {"=SUM(BYROW(A1:B4,LAMBDA(r,COUNTA(r))))", "8"},
        {"=INDEX(BYCOL(A1:C2,LAMBDA(c,COUNT(c))),3)", "2"},
        {"=SUM(MAKEARRAY(2,3,LAMBDA(r,c,r*c)))", "18"},
        {"=MAP(A1:A4,5)", "#VALUE!"},
    };
    for (const auto& [formula, expected] : cases)
        EXPECT_EQ(single(formula), expected) << formula;
}

TEST(LetAndLambda, NamedFunctionsRecurseWithinABound) {
    SmallBook book = numbers();
    book.book.definedNames.push_back({"FACT", "LAMBDA(n,IF(n<=1,1,n*FACT(n-1)))", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"FOREVER", "LAMBDA(n,FOREVER(n+1))", 0xFFFFFFFFu});
    book.set("Z1", "=FACT(5)").set("Z2", "=FOREVER(1)").set("Z3", "=NOSUCH(1)");
    book.compute();
    EXPECT_EQ(book.text("Z1"), "120");
    EXPECT_EQ(book.text("Z2"), "#NUM!"); // ends at the depth bound, not the stack
    EXPECT_EQ(book.text("Z3"), "#NAME?");
    EXPECT_EQ(book.book.unknownFunctionCells, 1u);
}

TEST(DefinedNames, NamesThatReachThemselvesAreCircularReferences) {
    SmallBook book = numbers();
    book.book.definedNames.push_back({"PING", "PONG+1", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"PONG", "PING*2", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"SELF", "SELF", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"TWICE", "PONG+PONG", 0xFFFFFFFFu});
    book.set("Z1", "=PING").set("Z2", "=SELF+1").set("Z3", "=TWICE").set("Z4", "=Z1+5");
    book.compute();
    EXPECT_EQ(book.text("Z1"), "0");
    EXPECT_EQ(book.text("Z2"), "0");
    EXPECT_EQ(book.text("Z3"), "0");
    EXPECT_EQ(book.text("Z4"), "5"); // a cell using a circular one sees its 0
    EXPECT_EQ(book.book.circularCells, 3u);
}

// A formula the file does not mark as a dynamic array is a legacy one, even when the workbook
// asks for a full calculation: the application narrows its result to one value, as it shows
// "=@SORT(...)", and spills nothing over the cells below.
TEST(DynamicArrayFunctions, UnmarkedFormulasNarrowOnAFullCalculation) {
    SmallBook book = numbers();
    book.book.fullCalcOnLoad = true;
    book.set("G1", "=SORT(A1:A4,1,-1)").set("H2", "=A1:A4*2").set("I1", "=SEQUENCE(3)");
    book.set("I2", "7");
    book.compute();
    EXPECT_EQ(book.text("G1"), "40");
    EXPECT_EQ(book.text("G2"), "");
    EXPECT_EQ(book.text("H2"), "20"); // the range's cell in the formula's row
    EXPECT_EQ(book.text("I1"), "1");  // no #SPILL! over the value below
    EXPECT_EQ(book.text("I2"), "7");
}

TEST(DynamicArrayFunctions, MergedCellsInTheWayStopASpill) {
    for (const engine::Range& merge : {engine::Range{1, 2, 6, 7}, engine::Range{0, 1, 6, 6}}) {
        SmallBook book = numbers();
        book.set("G1", "=SEQUENCE(3)").set("I1", "=SEQUENCE(3)");
        for (std::size_t i = 0; i < 2; ++i) {
            engine::CellFormula& f = book.book.sheets[0].formulas[i];
            f.array = f.dynamic = true;
            f.arrayRange = {0, 0, f.col, f.col};
        }
        book.book.sheets[0].merges.push_back(merge);
        book.compute();
        EXPECT_EQ(book.text("G1"), "#SPILL!");
        EXPECT_EQ(book.text("G2"), "");
        EXPECT_EQ(book.text("I3"), "3"); // a merge beside the block is no matter
    }
}

TEST(DefinedNames, RelativeReferencesMoveWithTheCellUsingThem) {
    SmallBook book;
    for (int row = 1; row <= 3; ++row)
        book.set("B" + std::to_string(row), std::to_string(row * 8));
    // Written for A1: the same row's column B, and the row above's (which wraps from row 1).
    book.book.definedNames.push_back({"HOURS", "Sheet1!$B1", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"ABOVE", "Sheet1!$B1048576", 0xFFFFFFFFu});
    book.book.definedNames.push_back({"LOCAL", "2", 0});
    book.book.definedNames.push_back({"LOCAL", "1", 0xFFFFFFFFu});
    book.set("C1", "=HOURS*2").set("C2", "=HOURS*2").set("C3", "=ABOVE");
    book.set("D1", "=LOCAL");
    book.compute();
    EXPECT_EQ(book.text("C1"), "16");
    EXPECT_EQ(book.text("C2"), "32");
    EXPECT_EQ(book.text("C3"), "16");
    EXPECT_EQ(book.text("D1"), "2"); // the sheet's own name shadows the workbook's
}

// A table Sales over A1:D5: a header row, three data rows and a total row; its last column
// is a calculated one.
SmallBook sales() {
    SmallBook book;
    book.set("A1", "Region").set("B1", "Amount").set("C1", "Unit Rate").set("D1", "Total");
    const char* regions[] = {"North", "South", "East"};
    const char* amounts[] = {"100", "250", "50"};
    for (int i = 0; i < 3; ++i) {
        const std::string row = std::to_string(i + 2);
        book.set("A" + row, regions[i]).set("B" + row, amounts[i]).set("C" + row, "2");
    }
    engine::Table table;
    table.name = "Sales";
    table.range = {0, 4, 0, 3};
    table.totalsRows = 1;
    table.columns = {"Region", "Amount", "Unit Rate", "Total"};
    book.book.tables.push_back(table);
    return book;
}

TEST(StructuredReferences, ResolveToTheTablesCells) {
    engine::Table table = sales().book.tables[0];
    const auto resolve = [&](std::string_view spec, std::uint32_t row = 2) -> std::string {
        const auto r = engine::formula::resolveStructured(table, spec, {0, row});
        if (const auto* error = std::get_if<engine::CellError>(&r))
            return engine::errorText(*error);
        const auto& ref = std::get<engine::formula::Reference>(r);
        return std::to_string(ref.firstRow) + "," + std::to_string(ref.firstCol) + ":" +
               std::to_string(ref.lastRow) + "," + std::to_string(ref.lastCol);
    };
    EXPECT_EQ(resolve("[Amount]"), "1,1:3,1");
    EXPECT_EQ(resolve("[amount]"), "1,1:3,1");
    EXPECT_EQ(resolve("[]"), "1,0:3,3");
    EXPECT_EQ(resolve("[#All]"), "0,0:4,3");
    EXPECT_EQ(resolve("[#Headers]"), "0,0:0,3");
    EXPECT_EQ(resolve("[#Totals]"), "4,0:4,3");
    EXPECT_EQ(resolve("[[#Headers],[#Data],[Amount]]"), "0,1:3,1");
    EXPECT_EQ(resolve("[[Region]:[Amount]]"), "1,0:3,1");
    EXPECT_EQ(resolve("[[#Totals],[Amount]]"), "4,1:4,1");
    EXPECT_EQ(resolve("[@Amount]"), "2,1:2,1");
    EXPECT_EQ(resolve("[@[Unit Rate]]"), "2,2:2,2");
    EXPECT_EQ(resolve("[[#This Row],[Amount]:[Unit Rate]]"), "2,1:2,2");
    EXPECT_EQ(resolve("[@Amount]", 4), "#VALUE!"); // the total row is no data row
    EXPECT_EQ(resolve("[Missing]"), "#REF!");
    table.name = "Odd";
    table.columns[2] = "Rate [%]";
    EXPECT_EQ(resolve("[Rate '[%']]"), "1,2:3,2");
    table.totalsRows = 0;
    EXPECT_EQ(resolve("[#Totals]"), "#REF!");
}

TEST(StructuredReferences, TotalsCalculatedColumnsAndUsesOutsideTheTable) {
    SmallBook book = sales();
    book.book.definedNames.push_back({"Target", "60", 0xFFFFFFFFu});
    book.set("D2", "=Sales[[#This Row],[Amount]]*[@[Unit Rate]]");
    book.set("D3", "=[@Amount]*[@[Unit Rate]]");
    book.set("B5", "=SUBTOTAL(109,[Amount])");
    book.set("F1", "=SUM(Sales[Amount])");
    book.set("F2", "=COUNTIF(SALES[Amount],\">\"&Target)");
    book.set("F3", "=ROWS(Sales[#All])");
    book.set("F4", "=Sales[[#Totals],[Amount]]");
    book.set("F5", "=SUM(Sales[NoSuch])");
    book.compute();
    EXPECT_EQ(book.text("D2"), "200");
    EXPECT_EQ(book.text("D3"), "500");
    EXPECT_EQ(book.text("B5"), "400");
    EXPECT_EQ(book.text("F1"), "400");
    EXPECT_EQ(book.text("F2"), "2");
    EXPECT_EQ(book.text("F3"), "5");
    EXPECT_EQ(book.text("F4"), "400");
    EXPECT_EQ(book.text("F5"), "#REF!");
}

// Workbooks built to exhaust the calculator: each ends with an error in bounded time and memory,
// never a crash or a hang.
TEST(HostileNesting, AMillionLambdaCallsEndAtTheBounds) {
    SmallBook book = numbers();
    book.book.definedNames.push_back({"DOWN", "LAMBDA(n,IF(n=0,0,1+DOWN(n-1)))", 0xFFFFFFFFu});
    book.set("Z1", "=DOWN(1000000)");
    book.set("Z2", "=LET(f,LAMBDA(g,n,IF(n=0,0,1+g(g,n-1))),f(f,1000000))");
    book.set("Z3", "=REDUCE(0,SEQUENCE(1000000),LAMBDA(a,x,a+x))");
    book.set("Z4", "=DOWN(50)");
    book.compute(45000.5, 3'000'000);
    EXPECT_EQ(book.text("Z1"), "#NUM!"); // the depth bound, not the stack
    EXPECT_EQ(book.text("Z2"), "#NUM!");
    const std::string reduced = book.text("Z3");
    EXPECT_TRUE(reduced.empty() || reduced[0] == '#') << reduced; // the work budget
    EXPECT_NE(reduced, "500000500000");
}

TEST(HostileNesting, WholeColumnSpillsStopAtTheGridAndTheBlockBound) {
    SmallBook book = numbers();
    book.set("G2", "=SEQUENCE(1048576)").set("H1", "=SEQUENCE(1048576,2)");
    book.set("J1", "=SEQUENCE(1,16385)");
    for (engine::CellFormula& f : book.book.sheets[0].formulas) {
        f.array = f.dynamic = true;
        f.arrayRange = {f.row, f.row, f.col, f.col};
    }
    book.compute();
    EXPECT_EQ(book.text("G2"), "#SPILL!"); // a row short of the grid
    EXPECT_EQ(book.text("H1")[0], '#');    // two million values: past the block bound
    EXPECT_EQ(book.text("J1"), "#SPILL!"); // past the last column
    EXPECT_EQ(book.text("G3"), "");
    EXPECT_LT(book.book.sheets[0].cells.size(), 100u);
}

TEST(HostileNesting, DeepLetNestingIsAnErrorPastTheParserBound) {
    const auto nested = [](int depth) {
        std::string text = "=";
        for (int i = 0; i < depth; ++i)
            text += "LET(n_" + std::to_string(i) + "," + (i ? "n_" + std::to_string(i - 1) : "0") +
                    "+1,";
        text += "n_" + std::to_string(depth - 1);
        return text + std::string(static_cast<std::size_t>(depth), ')');
    };
    SmallBook book = numbers();
    book.set("Z1", nested(60)).set("Z2", nested(5000));
    book.compute();
    EXPECT_EQ(book.text("Z1"), "60");
    EXPECT_EQ(book.text("Z2")[0], '#');
}

} // namespace
