// The text functions that change a text's form or test it against a pattern: the byte forms,
// full and half width, BAHTTEXT, VALUETOTEXT / ARRAYTOTEXT and the regex functions. Expected
// values follow the application's function reference.
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

TEST(TextForms, ByteFormsCountAsThePlainOnesOutsideDoubleByteLanguages) {
    expectAll({
        {"=LENB(\"Quillmere\")", "9"},
        {"=LEFTB(\"Sale Price\",4)", "Sale"},
        {"=RIGHTB(\"Stock Number\",6)", "Number"},
        {"=MIDB(\"Fluid Flow\",7,20)", "Flow"},
        {"=FINDB(\"M\",\"Miriam McGovern\",3)", "8"},
        {"=SEARCHB(\"e\",\"Statements\",6)", "7"},
        {"=REPLACEB(\"abcdefghijk\",6,5,\"*\")", "abcde*k"},
        {"=LEFTB(\"abc\",-1)", "#VALUE!"},
    });
}

TEST(TextForms, FullAndHalfWidthConvertBothWays) {
    expectAll({
        {"=ASC(\"ＥＸＣＥＬ　２０２６\")", "EXCEL 2026"},
        {"=DBCS(\"EXCEL 2026\")", "ＥＸＣＥＬ　２０２６"},
        {"=ASC(\"ガパヴ\")", "ｶﾞﾊﾟｳﾞ"}, // a voiced kana takes a separate narrow mark
        {"=DBCS(\"ｶﾞﾊﾟｳﾞｯ\")", "ガパヴッ"},
        {"=DBCS(\"ｯﾞ\")", "ッ゛"}, // a mark after a kana that cannot take it stays a mark
        {"=ASC(\"￥１００\")", "¥100"},
        {"=ASC(\"plain ä\")", "plain ä"},
        {"=ASC(1/0)", "#DIV/0!"},
    });
}

TEST(TextForms, BahtTextSpellsBahtAndSatang) {
    expectAll({
        {"=BAHTTEXT(1234)", "หนึ่งพันสองร้อยสามสิบสี่บาทถ้วน"},
        {"=BAHTTEXT(0)", "ศูนย์บาทถ้วน"},
        {"=BAHTTEXT(11)", "สิบเอ็ดบาทถ้วน"},            // one ten is "ten", a final one "เอ็ด"
        {"=BAHTTEXT(21.25)", "ยี่สิบเอ็ดบาทยี่สิบห้าสตางค์"}, // twenty is "ยี่สิบ"
        {"=BAHTTEXT(101)", "หนึ่งร้อยเอ็ดบาทถ้วน"},
        {"=BAHTTEXT(0.5)", "ห้าสิบสตางค์"},
        {"=BAHTTEXT(2000001)", "สองล้านเอ็ดบาทถ้วน"},
        {"=BAHTTEXT(-1.005)", "ลบหนึ่งบาทหนึ่งสตางค์"},
        {"=BAHTTEXT(\"x\")", "#VALUE!"},
    });
}

TEST(TextForms, ValueToTextConciseAndStrict) {
    expectAll({
        {"=VALUETOTEXT(TRUE,0)", "TRUE"},
        {"=VALUETOTEXT(1234.01234,0)", "1234.01234"},
        {"=VALUETOTEXT(\"Hello\",0)", "Hello"},
        {"=VALUETOTEXT(\"Hello\",1)", "\"Hello\""},
        {"=VALUETOTEXT(\"say \"\"hi\"\"\",1)", "\"say \"\"hi\"\"\""},
        {"=VALUETOTEXT(1/0)", "#DIV/0!"}, // an error is written out, not passed on
        {"=VALUETOTEXT(B3,1)", ""},
        {"=VALUETOTEXT(1,2)", "#VALUE!"},
    });
}

TEST(TextForms, ArrayToTextJoinsRowByRow) {
    expectAll({
        {"=ARRAYTOTEXT({TRUE,#VALUE!;1234.01234,\"Seattle\";\"Hello\",1234},0)",
         "TRUE, #VALUE!, 1234.01234, Seattle, Hello, 1234"},
        {"=ARRAYTOTEXT({TRUE,#VALUE!;1234.01234,\"Seattle\";\"Hello\",1234},1)",
         "{TRUE,#VALUE!;1234.01234,\"Seattle\";\"Hello\",1234}"},
        {"=ARRAYTOTEXT(A1:B3,1)", "{1,\"x\";2,TRUE;3,}"},
        {"=ARRAYTOTEXT(A1:A3,-1)", "#VALUE!"},
    });
}

TEST(TextForms, ValueReadsCurrencyOnEitherSide) {
    expectAll({
        {"=VALUE(\"23€\")", "23"},
        {"=VALUE(\"12 €\")", "12"},
        {"=VALUE(\"-€5.5\")", "-5.5"},
        {"=VALUE(\"£1,000\")", "1000"},
        {"=VALUE(\"$40%\")", "0.4"},
        {"=VALUE(\"€5€\")", "#VALUE!"}, // one sign at most
        {"=VALUE(\"€\")", "#VALUE!"},
        {"=\"12€\"+1", "13"},
    });
}

// Every function that takes a number reads text as VALUE does, currency sign and all.
TEST(TextForms, NumbersGivenAsCurrencyTextReadAsValueReadsThem) {
    expectAll({
        {"=EXP(\"€0\")", "1"},
        {"=SQRT(\"$4\")", "2"},
        {"=ABS(\"-£2.5\")", "2.5"},
        {"=ROUND(\"1.26 €\",1)", "1.3"},
        {"=SUM(\"€3\",1)", "4"},
        {"=POWER(\"¥2\",\"3€\")", "8"},
        {"=MAX(\"$7\",2)", "7"},
        {"=DATE(\"$2024\",1,1)", "45292"},
        {"=MOD(\"€7\",\"2\")", "1"},
        {"=-\"$5\"", "-5"},
        {"=EXP(\"€\")", "#VALUE!"},
        {"=EXP(\"€1€\")", "#VALUE!"},
    });
}

TEST(TextForms, TextShowsNoNegativeZeroAndRefusesWhatACellWouldHash) {
    expectAll({
        {"=TEXT(-1/3,\"0\")", "0"},
        {"=TEXT(-0.00004,\"0.00%\")", "0.00%"},
        {"=TEXT(-1/3,\"00-00\")", "00-00"},
        {"=TEXT(-2/3,\"0\")", "-1"},
        {"=TEXT(-1/3,\"0;(0)\")", "(0)"}, // a negative section of its own is kept
        {"=TEXT(-1,\"d/m/yyyy\")", "#VALUE!"},
        {"=TEXT(2958466,\"d/m/yyyy\")", "#VALUE!"},
        {"=TEXT(45000,\"mm###\")", "#VALUE!"},
        {"=TEXT(45000,\"mm\"\"#\"\"\")", "03#"},
        {"=TEXT(45000,\"yyyy-mm-dd\")", "2023-03-15"},
    });
}

TEST(TextForms, TextBeforeAndAfterArguments) {
    expectAll({
        {"=TEXTAFTER(\"1 the 2 the 3\",\"the\",-1.2)", " 2 the 3"}, // rounded down
        {"=TEXTBEFORE(\"1 the 2 the 3\",\"the\",1.9)", "1 "},
        {"=TEXTAFTER(\"del\",\"deli\")", "#N/A"},
        {"=TEXTAFTER(\"del\",\"deli\",1)", "#VALUE!"}, // no room for the instance asked
        {"=TEXTAFTER(\"a-b\",\"-\",1,2)", "#VALUE!"},
        {"=TEXTAFTER(\"a-b\",\"-\",1,0,-1)", "#VALUE!"},
        {"=TEXTAFTER(\"a-b\",\"+\",1,0,0,B3)", ""}, // an empty fallback is empty text
        {"=TEXTAFTER(\"a-b\",\"+\",1,0,0,\"none\")", "none"},
    });
}

TEST(RegexFunctions, TestExtractAndReplace) {
    expectAll({
        {"=REGEXTEST(\"alpha-42\",\"[0-9]+\")", "TRUE"},
        {"=REGEXTEST(\"Alpha\",\"^a\")", "FALSE"},
        {"=REGEXTEST(\"Alpha\",\"^a\",1)", "TRUE"},
        {"=REGEXTEST(\"Ünïcode\",\"^\\w+$\")", "TRUE"},
        {"=REGEXTEST(\"a\",\"a\",2)", "#VALUE!"},
        {"=REGEXEXTRACT(\"Call 555-0100 or 555-0199\",\"[0-9]{3}-[0-9]{4}\")", "555-0100"},
        {"=REGEXEXTRACT(\"no digits\",\"[0-9]\")", "#N/A"},
        {"=REGEXEXTRACT(\"a\",\"a\",3)", "#VALUE!"},
        {"=REGEXREPLACE(\"James Bond\",\"(\\w+) (\\w+)\",\"$2, $1 $2\")", "Bond, James Bond"},
        {"=REGEXREPLACE(\"a1b2c3\",\"[0-9]\",\"#\")", "a#b#c#"},
        {"=REGEXREPLACE(\"a1b2c3\",\"[0-9]\",\"#\",2)", "a1b#c3"},
        {"=REGEXREPLACE(\"a1b2c3\",\"[0-9]\",\"#\",-1)", "a1b2c#"},
        {"=REGEXREPLACE(\"a1b2c3\",\"[0-9]\",\"#\",4)", "a1b2c3"},
    });
}

TEST(RegexFunctions, ExtractAllAndGroupsSpillInARow) {
    SmallBook book;
    const auto spilling = [&](const char* where, const char* formula) {
        book.set(where, formula);
        engine::CellFormula& f = book.book.sheets[0].formulas.back();
        f.array = f.dynamic = true;
        f.arrayRange = {f.row, f.row, f.col, f.col};
    };
    spilling("A1", "=REGEXEXTRACT(\"Lonely Planet guide\",\"[A-Z][a-z]+\",1)");
    spilling("A2", "=REGEXEXTRACT(\"2026-12-09\",\"(\\d+)-(\\d+)-(\\d+)\",2)");
    spilling("A3", "=REGEXEXTRACT(\"ab\",\"x*\",1)"); // empty matches still move on
    book.compute();
    EXPECT_EQ(book.text("A1"), "Lonely");
    EXPECT_EQ(book.text("B1"), "Planet");
    EXPECT_EQ(book.text("C1"), "");
    EXPECT_EQ(book.text("A2"), "2026");
    EXPECT_EQ(book.text("C2"), "09");
    EXPECT_EQ(book.text("C3"), "");
}

TEST(RegexFunctions, BadAndHostilePatternsAnswerErrorsAndStop) {
    expectAll({
        {"=REGEXTEST(\"abc\",\"(\")", "#VALUE!"},
        {"=REGEXEXTRACT(\"abc\",\"[\")", "#VALUE!"},
        // Catastrophic backtracking: nested quantifiers over a long run that cannot match.
        {"=REGEXTEST(REPT(\"a\",5000)&\"!\",\"^(a|a?)+$\")", "#VALUE!"},
        {"=REGEXREPLACE(REPT(\"a\",5000)&\"!\",\"(a|aa)+$\",\"x\")", "#VALUE!"},
        {"=REGEXTEST(\"x\",REPT(\"a\",9000))", "#VALUE!"}, // longer than a pattern may be
    });
}

} // namespace
