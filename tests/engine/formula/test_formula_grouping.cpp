// GROUPBY and PIVOTBY over a small sales table, and functions named alone where a LAMBDA is
// wanted.
#include "SmallBook.h"

#include <gtest/gtest.h>

using testing_support::SmallBook;

namespace {

// A1:D7: Region, Product, Year, Sales with six rows of data under their headers.
SmallBook sales() {
    SmallBook book;
    const char* rows[][4] = {{"Region", "Product", "Year", "Sales"},
                             {"East", "A", "2023", "10"},
                             {"West", "B", "2023", "20"},
                             {"East", "B", "2024", "30"},
                             {"West", "A", "2024", "40"},
                             {"East", "A", "2024", "50"},
                             {"North", "B", "2023", "5"}};
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 4; ++c)
            book.set(std::string(1, static_cast<char>('A' + c)) + std::to_string(r + 1),
                     rows[r][c]);
    return book;
}

// The block `formula` answers, as "a,b;c,d", read through an array formula one row and one
// column larger than `rows` x `cols`, whose extra cells must be #N/A: the block has exactly
// that size.
std::string grouped(const std::string& formula, std::uint32_t rows, std::uint32_t cols) {
    SmallBook book = sales();
    book.set("H1", formula);
    engine::CellFormula& f = book.book.sheets[0].formulas.back();
    f.array = true;
    f.arrayRange = {0, rows, 7, static_cast<std::uint16_t>(7 + cols)};
    book.compute();
    std::string out;
    for (std::uint32_t r = 0; r <= rows; ++r) {
        for (std::uint32_t c = 0; c <= cols; ++c) {
            const std::string cell =
                std::string(1, static_cast<char>('H' + c)) + std::to_string(r + 1);
            if (r == rows || c == cols) {
                if (book.text(cell) != "#N/A")
                    return "larger than " + std::to_string(rows) + "x" + std::to_string(cols);
                continue;
            }
            out += book.text(cell) + (c + 1 < cols ? "," : "");
        }
        out += r + 1 < rows ? ";" : "";
    }
    return out;
}

struct Case {
    const char* name;
    const char* formula;
    std::uint32_t rows, cols;
    const char* expected;
};

TEST(GroupBy, LaysOutGroupsTotalsAndHeadersAsTheReferenceShows) {
    const Case cases[] = {
        {"one field, grand total at the bottom", "=GROUPBY(A2:A7,D2:D7,SUM)", 4, 2,
         "East,90;North,5;West,60;Total,155"},
        {"headers found and not shown for one level", "=GROUPBY(A1:A7,D1:D7,SUM)", 4, 2,
         "East,90;North,5;West,60;Total,155"},
        {"headers shown", "=GROUPBY(A1:A7,D1:D7,SUM,3)", 5, 2,
         "Region,Sales;East,90;North,5;West,60;Total,155"},
        {"headers generated", "=GROUPBY(A2:A7,D2:D7,SUM,2,0)", 4, 2,
         "Row Field 1,Value;East,90;North,5;West,60"},
        {"no totals", "=GROUPBY(A2:A7,D2:D7,SUM,,0)", 3, 2, "East,90;North,5;West,60"},
        {"total at the top", "=GROUPBY(A2:A7,D2:D7,SUM,,-1)", 4, 2,
         "Total,155;East,90;North,5;West,60"},
        {"sorted by the values, descending", "=GROUPBY(A2:A7,D2:D7,SUM,,1,-2)", 4, 2,
         "East,90;West,60;North,5;Total,155"},
        {"sorted by the field, descending", "=GROUPBY(A2:A7,D2:D7,SUM,,0,-1)", 3, 2,
         "West,60;North,5;East,90"},
        {"filtered rows", "=GROUPBY(A2:A7,D2:D7,SUM,,,,C2:C7=2024)", 3, 2,
         "East,80;West,40;Total,120"},
        {"an empty key shows empty, not 0", "=GROUPBY(F2:F7,D2:D7,SUM)", 2, 2, ",155;Total,155"},
        {"a LAMBDA", "=GROUPBY(A2:A7,D2:D7,LAMBDA(x,MAX(x)-MIN(x)),,0)", 3, 2,
         "East,40;North,0;West,20"},
        {"the name as files write it", "=GROUPBY(A2:A7,D2:D7,_xleta.COUNT,,0)", 3, 2,
         "East,3;North,1;West,2"},
        {"several functions side by side", "=GROUPBY(A2:A7,D2:D7,HSTACK(SUM,COUNT),,1)", 5, 3,
         ",SUM,COUNT;East,90,3;North,5,1;West,60,2;Total,155,6"},
        {"a function of two parameters sees the whole",
         "=GROUPBY(A2:A7,D2:D7,LAMBDA(part,whole,SUM(part)/SUM(whole)),,0)", 3, 2,
         "East,0.580645161290323;North,0.032258064516129;West,0.387096774193548"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grouped(c.formula, c.rows, c.cols), c.expected) << c.name << ": " << c.formula;
}

TEST(GroupBy, SeveralFieldsNestWithSubtotalsOrStandApartAsATable) {
    EXPECT_EQ(grouped("=GROUPBY(A2:B7,D2:D7,SUM)", 9, 3),
              "East,A,60;East,B,30;East,,90;North,B,5;North,,5;West,A,40;West,B,20;West,,60;"
              "Total,,155");
    EXPECT_EQ(grouped("=GROUPBY(A2:B7,D2:D7,SUM,,-2)", 9, 3),
              "Total,,155;East,,90;East,A,60;East,B,30;North,,5;North,B,5;West,,60;West,A,40;"
              "West,B,20");
    // Sorting by the values orders each level by its own totals.
    EXPECT_EQ(grouped("=GROUPBY(A2:B7,D2:D7,SUM,,0,-3)", 5, 3),
              "East,A,60;East,B,30;West,A,40;West,B,20;North,B,5");
    EXPECT_EQ(grouped("=GROUPBY(A1:B7,D1:D7,SUM,,1)", 7, 3),
              "Region,Product,Sales;East,A,60;East,B,30;North,B,5;West,A,40;West,B,20;Total,,"
              "155");
    EXPECT_EQ(grouped("=GROUPBY(A2:B7,D2:D7,SUM,0,2,,,1)", 6, 3),
              "East,A,60;East,B,30;North,B,5;West,A,40;West,B,20;Total,,155");
}

TEST(GroupBy, BadArgumentsGiveTheApplicationsErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"=GROUPBY(A2:A7,D2:D6,SUM)", "#VALUE!"},                      // rows differ
        {"=GROUPBY(A2:A7,D2:D7,SUM,4)", "#VALUE!"},                    // no such header setting
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,0)", "#VALUE!"},                  // column 0
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,3)", "#VALUE!"},                  // past the columns
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,{1,2})", "#VALUE!"},              // several, one of values
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,SEQUENCE(9^5,,1,0))", "#VALUE!"}, // more than fields
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,,C2:C7>3000)", "#CALC!"},         // nothing kept
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,,C2:C6>0)", "#VALUE!"},           // filter too short
        {"=GROUPBY(A2:A7,D2:D7,NOSUCHFUNCTION)", "#NAME?"},
        {"=GROUPBY(A2:A7,D2:D7,5)", "#VALUE!"},
        {"=GROUPBY(A2:A7,D2:D7,SUM,,,,,2)", "#VALUE!"},
        {"=GROUPBY(A2:A7,D2:D7)", "#VALUE!"},
        // A group level per field column, bounded so that the nesting stays off the stack.
        {"=GROUPBY(SEQUENCE(6,70),D2:D7,SUM)", "#VALUE!"},
    };
    for (const auto& [formula, expected] : cases) {
        SmallBook book = sales();
        book.set("H1", formula).compute();
        EXPECT_EQ(book.text("H1"), expected) << formula;
    }
}

TEST(PivotBy, CrossesRowAndColumnGroups) {
    const Case cases[] = {
        {"totals both ways; an empty crossing stays empty", "=PIVOTBY(A2:A7,C2:C7,D2:D7,SUM)", 5, 4,
         ",2023,2024,Total;East,10,80,90;North,5,,5;West,20,40,60;Total,35,120,155"},
        {"no totals, columns descending", "=PIVOTBY(A2:A7,C2:C7,D2:D7,SUM,,0,,0,-1)", 4, 3,
         ",2024,2023;East,80,10;North,,5;West,40,20"},
        {"share of each row's total",
         "=PIVOTBY(A2:A7,C2:C7,D2:D7,LAMBDA(a,b,SUM(a)/SUM(b)),,0,,0,,,1)", 4, 3,
         ",2023,2024;East,0.111111111111111,0.888888888888889;North,1,;West,0.333333333333333,"
         "0.666666666666667"},
        {"share of each column's total",
         "=PIVOTBY(A2:A7,C2:C7,D2:D7,LAMBDA(a,b,SUM(a)/SUM(b)),,0,,0)", 4, 3,
         ",2023,2024;East,0.285714285714286,0.666666666666667;North,0.142857142857143,;West,0."
         "571428571428571,0.333333333333333"},
        {"two column levels with subtotals", "=PIVOTBY(A2:A7,HSTACK(C2:C7,B2:B7),D2:D7,SUM,,0,,2)",
         5, 8,
         ",2023,2023,2023,2024,2024,2024,Total;,A,B,,A,B,,;East,10,,10,50,30,80,90;North,,5,5,,,,"
         "5;West,,20,20,40,,40,60"},
        {"several values", "=PIVOTBY(A2:A7,C2:C7,HSTACK(D2:D7,D2:D7*2),SUM,,0,,0)", 4, 5,
         ",2023,,2024,;East,10,20,80,160;North,5,10,,;West,20,40,40,80"},
        {"several values under generated headers",
         "=PIVOTBY(A2:A7,C2:C7,HSTACK(D2:D7,D2:D7*2),SUM,2,0,,0)", 5, 5,
         "Col Field 1,2023,,2024,;Row Field 1,Value 1,Value 2,Value 1,Value 2;East,10,20,80,160;"
         "North,5,10,,;West,20,40,40,80"},
        {"headers shown", "=PIVOTBY(A1:A7,C1:C7,D1:D7,SUM,3,0,,0)", 5, 3,
         "Year,2023,2024;Region,,;East,10,80;North,5,;West,20,40"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grouped(c.formula, c.rows, c.cols), c.expected) << c.name << ": " << c.formula;
}

TEST(EtaLambdas, AFunctionNamedAloneCallsIt) {
    SmallBook book = sales();
    book.set("H1", "=SUM(BYROW(C2:D3,SUM))")
        .set("H2", "=SUM(MAP(D2:D4,_xleta.SQRT))")
        .set("H4", "=_xleta.SUM")
        .compute();
    EXPECT_EQ(book.text("H1"), "4076");
    EXPECT_EQ(book.text("H2"), "13.1116391902196");
    EXPECT_EQ(book.text("H4"), "#CALC!"); // a function shown in a cell
}

} // namespace
