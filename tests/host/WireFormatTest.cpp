// The host's lines byte for byte where a JSON layer could go its own way: numbers, texts,
// arrays, omitted arguments and objects, and requests that are not what the client sends.
// The expected replies are what the client has always received for these requests.

#include "host/LetterCase.h"
#include "host/Session.h"
#include "wire/NumberText.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Exchange {
    const char* what;
    std::string request;
    std::string reply;
};

// Runs `exchanges` in order through one session.
void expectReplies(host::Session& session, const std::vector<Exchange>& exchanges) {
    for (const Exchange& exchange : exchanges)
        EXPECT_EQ(session.handle(exchange.request), exchange.reply) << exchange.what;
}

std::string getName(const std::string& id) {
    return R"({"id":)" + id + R"(,"object":1,"op":"get","member":"Name"})";
}

std::string hostName(const std::string& id) {
    return R"({"id":)" + id + R"(,"value":"Quillmere Spreadsheet Host"})";
}

std::string error(const std::string& id, int number, const std::string& description) {
    return R"({"error":{"description":")" + description + R"(","number":)" +
           std::to_string(number) + R"(},"id":)" + id + "}";
}

TEST(HostWireFormat, IdsComeBackAsTheClientsReaderWroteThem) {
    host::Session session;
    expectReplies(
        session,
        {
            {"a whole double", getName("5.0"), hostName("5")},
            {"minus zero", getName("-0.0"), hostName("0")},
            {"a whole number in exponent form", getName("1e17"), hostName("100000000000000000")},
            {"the largest 64-bit integer", getName("9223372036854775807"),
             hostName("9223372036854775807")},
            {"beyond 64-bit integers", getName("12345678901234567890"),
             hostName("12345678901234567000")},
            {"shorter with an exponent", getName("1e20"), hostName("1e+20")},
            {"0.1", getName("0.1"), hostName("0.1")},
            {"1e300", getName("1e300"), hostName("1e+300")},
            {"a small fraction, plain on a tie", getName("1.5e-4"), hostName("0.00015")},
            {"a smaller one", getName("1e-5"), hostName("1e-05")},
            {"the smallest double", getName("4.9e-324"), hostName("5e-324")},
            {"a text with escapes", getName(R"("\b\f\u0000\u001b\"\/é")"),
             hostName(R"("\b\f\u0000\u001b\"/é")")},
            {"an object, keys in order", getName(R"({"b":1,"a":[]})"),
             hostName(R"({"a":[],"b":1})")},
            {"no id at all", R"({"object":1,"op":"get","member":"Version"})",
             R"({"value":"16.0"})"},
        });
}

TEST(HostWireFormat, RequestsThatAreNotTheClientsAreRefused) {
    host::Session session;
    const std::string notJson = error("null", 1004, "The request is not valid JSON.");
    const std::string unknownObject = error("1", 1004, "The request names an unknown object.");
    expectReplies(
        session,
        {
            {"not JSON", "not json", notJson},
            {"an array", "[1,2]", notJson},
            {"garbage after the object", getName("1") + " trailing", notJson},
            {"a NUL after the object", getName("1") + std::string(1, '\0'), notJson},
            {"a trailing comma", R"({"id":1,"object":1,"op":"get",})", notJson},
            {"an empty line", "", notJson},
            {"a number beyond doubles", getName("1e400"), notJson},
            {"no object", R"({"id":1,"op":"get","member":"Name"})", unknownObject},
            {"an object as a text", R"({"id":1,"object":"1","op":"get","member":"Name"})",
             unknownObject},
            {"an object that is not whole", R"({"id":1,"object":1.5,"op":"get","member":"Name"})",
             unknownObject},
            {"an object never handed out", R"({"id":1,"object":99,"op":"get","member":"Name"})",
             unknownObject},
            {"a whole double as the object", R"({"id":1,"object":1.0,"op":"get","member":"Name"})",
             hostName("1")},
            {"an operation that is not a text", R"({"id":1,"object":1,"op":7,"member":"Name"})",
             error("1", 1004, R"(Unknown operation \"\".)")},
            {"setting without a value",
             R"({"id":1,"object":1,"op":"set","member":"DisplayAlerts","args":[]})",
             error("1", 450, "A property is set to exactly one value.")},
            {"a member in other letters, lower-cased in the message",
             R"({"id":1,"object":1,"op":"get","member":"ÄBCΣ\u0001\t😀"})",
             error("1", 438, R"(Object doesn't support this property or method (äbcσ\u0001\t😀).)")},
        });
}

std::string nested(int depth) {
    return R"({"id":1,"object":1,"op":"get","member":"Name","args":[)" +
           std::string(static_cast<std::size_t>(depth - 2), '[') + "1" +
           std::string(static_cast<std::size_t>(depth - 2), ']') + "]}";
}

// As deep as the client's reader goes and no deeper: nothing below recurses without bound.
TEST(HostWireFormat, NestingIsBoundedWhereTheClientsReaderBoundsIt) {
    host::Session session;
    EXPECT_EQ(session.handle(nested(1024)), hostName("1"));
    EXPECT_EQ(session.handle(nested(1025)), error("null", 1004, "The request is not valid JSON."));
    EXPECT_EQ(session.handle(nested(500000)),
              error("null", 1004, "The request is not valid JSON."));
}

// Arguments become texts and numbers as late binding converts them; Open's message shows the
// text a value became.
TEST(HostWireFormat, ArgumentsConvertAsTheyAlwaysDid) {
    host::Session session;
    ASSERT_EQ(session.handle(R"({"id":1,"object":1,"op":"get","member":"Workbooks"})"),
              R"({"id":1,"object":2})");
    const auto open = [](const std::string& args) {
        return R"({"id":2,"object":2,"op":"call","member":"Open","args":)" + args + "}";
    };
    const auto item = [](const std::string& args) {
        return R"({"id":2,"object":2,"op":"call","member":"Item","args":)" + args + "}";
    };
    const auto notFound = [](const std::string& name) {
        return error("2", 1004, "'" + name + "' could not be found.");
    };
    const std::string notText = error("2", 13, "Type mismatch: Filename must be a text.");
    const std::string outOfRange = error("2", 9, "Subscript out of range.");
    const std::string notWhole = error("2", 13, "Type mismatch: Index must be a whole number.");
    expectReplies(
        session, {
                     {"a non-ASCII path", open(R"(["/no/such/bøok.xls"])"), notFound("bøok.xls")},
                     {"an integer", open("[12345678901]"), notFound("12345678901")},
                     {"a whole double", open("[5.0]"), notFound("5")},
                     {"beyond 9e15 stays a double", open("[9007199254740993]"),
                      notFound("9007199254740992")},
                     {"a whole double in exponent form", open("[1e17]"), notFound("1e+17")},
                     {"0.1", open("[0.1]"), notFound("0.1")},
                     {"1e300", open("[1e300]"), notFound("1e+300")},
                     {"a small fraction", open("[1e-5]"), notFound("1e-05")},
                     {"true", open("[true]"), notFound("true")},
                     {"a nested list is an empty text", open(R"([[1,[2,"x"]]])"), notFound("")},
                     {"no argument", open("[]"), notText},
                     {"null", open("[null]"), notText},
                     {"omitted", open(R"([{"omitted":true}])"), notText},
                     {"not omitted after all", open(R"([{"omitted":false}])"), notText},
                     {"an object", open(R"([{"object":1}])"), notText},
                     {"an empty object", open("[{}]"), notText},
                     {"named, in other letter case", open(R"([],"named":{"FILENAME":"/no/x.xls"})"),
                      notFound("x.xls")},
                     {"named before positional",
                      open(R"(["/no/y.xls"],"named":{"filename":"/no/z.xls"})"), notFound("z.xls")},
                     {"a number in a text", item(R"([" 2 "])"), outOfRange},
                     {"a signed number in a text", item(R"(["+1"])"), outOfRange},
                     {"a fraction in a text", item(R"([".5"])"), outOfRange},
                     {"a word", item(R"(["abc"])"), notWhole},
                     {"hexadecimal", item(R"(["0x1"])"), notWhole},
                     {"beyond doubles", item(R"(["1e400"])"), notWhole},
                     {"beyond int", item("[1e10]"), notWhole},
                     {"a list", item("[[1]]"), notWhole},
                     {"true as 1", item("[true]"), outOfRange},
                     {"rounded", item("[2.5]"), outOfRange},
                 });
}

// A sequence's results come back in one reply, up to the call that failed, with its error.
TEST(HostWireFormat, SequencesAnswerEachCallUpToTheFirstThatFails) {
    host::Session session;
    const std::string workbooks = R"({"object":1,"op":"get","member":"Workbooks"})";
    const auto on = [](const std::string& result, const std::string& rest) {
        return R"({"object":{"result":)" + result + "}," + rest + "}";
    };
    const std::string count = R"("op":"get","member":"Count")";
    const auto sequence = [](const std::string& id, const std::string& calls) {
        return R"({"id":)" + id + R"(,"op":"sequence","calls":[)" + calls + "]}";
    };
    const std::string unknownObject = R"("error":{"description":"The request names an )"
                                      R"(unknown object.","number":1004})";
    expectReplies(
        session,
        {
            {"an object and a value", sequence("1", workbooks + "," + on("0", count)),
             R"({"id":1,"results":[{"object":2},{"value":0}]})"},
            {"the first failure ends it",
             sequence("2", workbooks + "," +
                               on("0", R"("op":"call","member":"Open","args":["/no/b.xls"])") +
                               "," + on("0", count)),
             R"({"error":{"description":"'b.xls' could not be found.","number":1004},"id":2,)"
             R"("results":[{"object":2}]})"},
            {"a value is no object",
             sequence("3", R"({"object":1,"op":"get","member":"Version"},)" + on("0", count)),
             "{" + unknownObject + R"(,"id":3,"results":[{"value":"16.0"}]})"},
            {"a result still to come", sequence("4", on("0", count)),
             "{" + unknownObject + R"(,"id":4,"results":[]})"},
            {"a result named by a text", sequence("5", workbooks + "," + on(R"("0")", count)),
             "{" + unknownObject + R"(,"id":5,"results":[{"object":2}]})"},
            {"a whole double names a result", sequence("6", workbooks + "," + on("0.0", count)),
             R"({"id":6,"results":[{"object":2},{"value":0}]})"},
            {"no calls", R"({"id":7,"op":"sequence"})", R"({"id":7,"results":[]})"},
            {"a call that is no object", sequence("8", "1"),
             "{" + unknownObject + R"(,"id":8,"results":[]})"},
            {"no sequence within a sequence",
             sequence("9", R"({"object":1,"op":"sequence","calls":[]})"),
             R"({"error":{"description":"Unknown operation \"sequence\".","number":1004},)"
             R"("id":9,"results":[]})"},
            {"the operation's letter case counts", R"({"id":10,"op":"SEQUENCE","calls":[]})",
             "{" + unknownObject + R"(,"id":10})"},
        });
}

// A request sent before the reply to the one before it is made only if that one did not fail;
// a request refused so fails too, and only a true "unlessFailed" asks for it.
TEST(HostWireFormat, UnlessFailedWaitsOnTheRequestBefore) {
    host::Session session;
    const auto version = [](const std::string& id, const std::string& unlessFailed) {
        return R"({"id":)" + id + R"(,"unlessFailed":)" + unlessFailed +
               R"(,"object":1,"op":"get","member":"Version"})";
    };
    const auto answered = [](const std::string& id) {
        return R"({"id":)" + id + R"(,"value":"16.0"})";
    };
    const std::string notMade = R"({"error":{"description":"Not made: an earlier call )"
                                R"(failed.","number":1004},"id":)";
    expectReplies(
        session, {
                     {"a success before", version("1", "true"), answered("1")},
                     {"a failure", R"({"id":2,"object":1,"op":"get","member":"Nope"})",
                      R"({"error":{"description":"Object doesn't support this property or method )"
                      R"((nope).","number":438},"id":2})"},
                     {"not made after it", version("3", "true"), notMade + "3}"},
                     {"nor after that",
                      R"({"id":4,"unlessFailed":true,"op":"sequence","calls":[]})", notMade + "4}"},
                     {"only true asks", version("5", "1"), answered("5")},
                     {"a line that is no request fails", "not json",
                      R"({"error":{"description":"The request is not valid JSON.","number":1004},)"
                      R"("id":null})"},
                     {"after it too", version("6", "true"), notMade + "6}"},
                 });
}

TEST(HostWireFormat, DisplayAlertsTakesAnyValueAsTrueOrFalse) {
    const std::vector<std::pair<std::string, bool>> rows = {
        {"0", false},          {"2", true},           {"0.4", false},
        {"0.5", true},         {"-0.6", true},        {"1e300", true},
        {R"("")", false},      {R"("0")", false},     {R"("0.0")", true},
        {R"("FALSE")", false}, {R"("False ")", true}, {R"("no")", true},
        {"[1]", false},        {"null", false},       {R"({"object":3})", false},
    };
    host::Session session;
    for (const auto& [value, truth] : rows) {
        session.handle(R"({"id":1,"object":1,"op":"set","member":"DisplayAlerts","args":[)" +
                       value + "]}");
        EXPECT_EQ(session.handle(R"({"id":2,"object":1,"op":"get","member":"DisplayAlerts"})"),
                  std::string(R"({"id":2,"value":)") + (truth ? "true" : "false") + "}")
            << value;
    }
}

TEST(HostNumberText, ShortestFormOfPlainAndExponent) {
    EXPECT_EQ(wire::shortestText(1e17), "1e+17");
    EXPECT_EQ(wire::shortestText(1234567.125), "1234567.125");
    EXPECT_EQ(wire::shortestText(-2.5e-7), "-2.5e-07");
    EXPECT_EQ(wire::shortestText(9223372036854775808.0), "9223372036854776000");
    EXPECT_EQ(wire::shortestText(1.7976931348623157e308), "1.7976931348623157e+308");
    EXPECT_EQ(wire::shortestText(1.23e20), "1.23e+20");
    EXPECT_EQ(wire::jsonNumberText(1e17), "100000000000000000");
    EXPECT_EQ(wire::jsonNumberText(-9223372036854775808.0), "-9223372036854775808");
    EXPECT_EQ(wire::jsonNumberText(1.0 / 0.0), "null");
}

// Names typed in other letter case still name their sheet, beyond ASCII too; a letter is never
// expanded into several.
TEST(HostLetterCase, NamesMatchIgnoringCaseBeyondAscii) {
    EXPECT_TRUE(host::equalIgnoringCase("Übersicht", "üBERSICHT"));
    EXPECT_TRUE(host::equalIgnoringCase("Лист1", "ЛИСТ1"));
    EXPECT_TRUE(host::equalIgnoringCase("Σύνοψη", "σύνοψη"));
    EXPECT_FALSE(host::equalIgnoringCase("Sheet1", "Sheet2"));
    EXPECT_FALSE(host::equalIgnoringCase("ﬁle", "file"));
    EXPECT_EQ(host::lowerCase("PublishObjects"), "publishobjects");
}

} // namespace
