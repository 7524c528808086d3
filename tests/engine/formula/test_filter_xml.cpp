// FILTERXML over XML text given in the formula: the values a query picks, down a column, and
// nothing a hostile document or query could use to reach outside or run without end.
#include "SmallBook.h"

#include <gtest/gtest.h>
#include <string>

using testing_support::evaluate;

namespace {

const std::string feed =
    "\"<rss><channel><item><title>One</title><n>12.5</n></item><item><title>Two</title>"
    "<n>7</n></item></channel></rss>\"";

TEST(FilterXml, PicksNodesTheirTextAndNumbers) {
    EXPECT_EQ(evaluate("=ROWS(FILTERXML(" + feed + ",\"//item/title\"))"), "2");
    EXPECT_EQ(evaluate("=INDEX(FILTERXML(" + feed + ",\"//item/title\"),2)"), "Two");
    EXPECT_EQ(evaluate("=SUM(FILTERXML(" + feed + ",\"//n\"))"), "19.5");
    EXPECT_EQ(evaluate("=FILTERXML(" + feed + ",\"count(//item)\")"), "2");
    EXPECT_EQ(evaluate("=FILTERXML(\"<a x='3'/>\",\"//a/@x\")+1"), "4");
    EXPECT_EQ(evaluate("=FILTERXML(\"<a>x</a>\",\"//b\")"), "#VALUE!"); // nothing picked
}

TEST(FilterXml, BadOrHostileInputIsAnError) {
    EXPECT_EQ(evaluate("=FILTERXML(\"<a><b></a>\",\"//a\")"), "#VALUE!");
    EXPECT_EQ(evaluate("=FILTERXML(\"<a/>\",\"//[\")"), "#VALUE!");
    EXPECT_EQ(evaluate("=FILTERXML(\"\",\"//a\")"), "#VALUE!");
    EXPECT_EQ(evaluate("=FILTERXML(#N/A,\"//a\")"), "#N/A");
    // No document type: its entities could reach files or grow without end.
    EXPECT_EQ(evaluate("=FILTERXML(\"<!DOCTYPE a [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>"
                       "<a>&e;</a>\",\"//a\")"),
              "#VALUE!");
    // A query that nests its own paths stops at its step budget instead of running for hours.
    std::string items = "\"<r>";
    for (int i = 0; i < 200; ++i)
        items += "<i/>";
    items += "</r>\"";
    EXPECT_EQ(evaluate("=FILTERXML(" + items +
                       ",\"count(//i[count(//i[count(//i[count(//i)>0])>0])>0])\")"),
              "#VALUE!");
}

} // namespace
