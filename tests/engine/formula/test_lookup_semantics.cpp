// How the lookups order and match values where the data is not what they expect: mixed kinds,
// duplicates, blanks, unsorted data in a binary search, and patterns.
#include "SmallBook.h"

#include <gtest/gtest.h>

using testing_support::evaluate;
using testing_support::SmallBook;

namespace {

struct Case {
    const char* formula;
    const char* expected;
};

// Column A: 1 2 2 2 3, "pear", TRUE (A1:A7); column B: their names; column D descending
// 9 7 7 7 5 (D1:D5); column F: "Germany" "Italy" "Spain" with F2 left empty (F1:F4).
std::string lookedUp(const std::string& formula) {
    SmallBook book;
    const char* a[] = {"1", "2", "2", "2", "3", "pear", "TRUE"};
    const char* b[] = {"one", "two-a", "two-b", "two-c", "three", "fruit", "yes"};
    for (int i = 0; i < 7; ++i)
        book.set("A" + std::to_string(i + 1), a[i]).set("B" + std::to_string(i + 1), b[i]);
    const char* d[] = {"9", "7", "7", "7", "5"};
    for (int i = 0; i < 5; ++i)
        book.set("D" + std::to_string(i + 1), d[i]);
    book.set("F1", "Germany").set("F3", "Italy").set("F4", "Spain");
    book.set("Z99", formula).compute();
    return book.text("Z99");
}

void expectAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        EXPECT_EQ(lookedUp(c.formula), c.expected) << c.formula;
}

TEST(LookupSemantics, NextSmallerAndLargerOrderEveryKind) {
    expectAll({
        {"=XLOOKUP(2.5,A1:A7,B1:B7,,-1)", "two-a"},
        {"=XLOOKUP(2.5,A1:A7,B1:B7,,1)", "three"},
        {"=XLOOKUP(10,A1:A7,B1:B7,,1)", "fruit"},      // past the numbers come texts
        {"=XLOOKUP(\"zebra\",A1:A7,B1:B7,,1)", "yes"}, // then booleans
        {"=XLOOKUP(FALSE,A1:A7,B1:B7,,-1)", "fruit"},
        {"=XLOOKUP(0,A1:A7,B1:B7,\"none\",-1)", "none"},
    });
}

TEST(LookupSemantics, BinarySearchFindsTheEdgeOfARunOfEqualValues) {
    expectAll({
        {"=XMATCH(2,A1:A5,0,2)", "2"},  // ascending: the first of the run
        {"=XMATCH(7,D1:D5,0,-2)", "4"}, // descending: the last of the run
        {"=XMATCH(2.5,A1:A5,-1,2)", "4"},
        {"=XMATCH(2.5,A1:A5,1,2)", "5"},
        {"=XMATCH(8,D1:D5,-1,-2)", "2"}, // searched from its end: the 7 nearest 8
        {"=XMATCH(8,D1:D5,1,-2)", "1"},
        {"=XMATCH(10,D1:D5,1,-2)", "#N/A"},
        {"=XMATCH(2,A:A,0,2)", "2"}, // a whole column's empty rest lies past the data
        {"=XMATCH(\"Ita*\",F1:F4,2,2)", "#VALUE!"}, // wildcards only in a linear search
    });
}

TEST(LookupSemantics, BlankLookupValueFindsAnEmptyCell) {
    expectAll({
        {"=XMATCH(Q1,F1:F4)", "2"},
        {"=XMATCH(,F1:F4,0,-1)", "2"},
        {"=XMATCH(Q1,A1:A7)", "#N/A"},
    });
}

TEST(LookupSemantics, RegularExpressionMatchMode) {
    expectAll({
        {"=XMATCH(\"[A-Z][a-z]+y\",F1:F4,3)", "1"},
        {"=XMATCH(\"[A-Z][a-z]+y\",F1:F4,3,-1)", "3"},
        {"=XLOOKUP(\"^p\",A1:A7,B1:B7,,3)", "fruit"},
        {"=XMATCH(42,F1:F4,3)", "#N/A"},
        {"=XMATCH(\"(\",F1:F4,3)", "#VALUE!"},
    });
}

TEST(LookupSemantics, TableLookupsTakeBlocksAndSingleValuesButNoText) {
    expectAll({
        {"=VLOOKUP(\"x\",\"Nothing\",1)", "#VALUE!"},
        {"=HLOOKUP(\"x\",\"Nothing\",1)", "#VALUE!"},
        {"=VLOOKUP(\"x\",3,1)", "#N/A"},
        {"=VLOOKUP(3,3,1)", "3"},
        {"=INDEX({1,2,3},1,0,2)", "#REF!"}, // an array is one area only
        {"=INDEX((A1:A7,B1:B7),2,1,2)", "two-a"},
    });
}

// H1:H8: 23, "23", TRUE, 0, #N/A, "", blank, "#N/A"; I1:I8 the numbers 1 to 8 with I5 #DIV/0!.
std::string counted(const std::string& formula) {
    SmallBook book;
    const char* h[] = {"23", "=\"23\"", "TRUE", "0", "=NA()", "=\"\""};
    for (int i = 0; i < 6; ++i)
        book.set("H" + std::to_string(i + 1), h[i]);
    book.set("H8", "#N/A"); // a text that only looks like the error
    for (int i = 1; i <= 8; ++i)
        book.set("I" + std::to_string(i), i == 5 ? "=1/0" : std::to_string(i));
    book.set("Z99", formula).compute();
    return book.text("Z99");
}

TEST(Criteria, OperatorsErrorsAndEmptyCriteria) {
    const Case cases[] = {
        {"=COUNTIF(H1:H8,23)", "2"},       // the number and the text that reads as it
        {"=COUNTIF(H1:H8,\"<>23\")", "7"}, // but only the number is excluded
        {"=COUNTIF(H1:H8,\"<>\")", "7"},   // every cell holding something, "" included
        {"=COUNTIF(H1:H8,\"\")", "2"},     // the empty text and the blank cell
        {"=COUNTIF(H1:H8,Q1)", "1"},       // an empty cell as criterion asks for zeros
        {"=COUNTIF(H1:H8,NA())", "1"},     // an error asks for that error, not its name
        {"=COUNTIF(H1:H8,\"#N/A\")", "1"},
        {"=COUNTIFS(H1:H8,\"<>\"&1/0)", "0"},
        {"=SUMIF(H1:H8,\"<>0\",I1:I8)", "#DIV/0!"}, // a selected error is the answer
        {"=SUMIF(H1:H8,23,I1:I8)", "3"},            // an unselected one is not
        {"=AVERAGEIF(H1:H8,\"<>\",I1:I8)", "#DIV/0!"},
        {"=MAXIFS(I1:I8,H1:H8,\"\")", "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(counted(c.formula), c.expected) << c.formula;
}

TEST(LogicAndSearch, EmptyTextAndTildes) {
    const Case cases[] = {
        {"=AND(\"\",TRUE)", "TRUE"},
        {"=OR(\"\",FALSE)", "FALSE"},
        {"=XOR(\"\",TRUE)", "TRUE"},
        {"=AND(\"\")", "#VALUE!"},
        {"=AND(\"maybe\",TRUE)", "#VALUE!"},
        {"=SEARCH(\"~\",\"Hi ~Bang!\")", "1"}, // a last tilde stands for nothing
        {"=SEARCH(\"~d\",\"My dear\")", "4"},  // and makes any next character literal
        {"=SEARCH(\"~*\",\"Ho*la\")", "3"},
        {"=SEARCH(\"~~*\",\"Ho*la\")", "#VALUE!"},
        {"=COUNTIF(F1:F4,\"~Italy\")", "1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lookedUp(c.formula), c.expected) << c.formula;
}

} // namespace
