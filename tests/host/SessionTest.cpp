// The host's protocol: request lines in, reply lines out, exactly as the client expects them.

#include "host/Session.h"

#include "tests/support/TestPaths.h"

#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

json ask(host::Session& session, const std::string& request) {
    return json::parse(session.handle(request));
}

// Sends one request to object `handle`; `args` is the JSON array of its arguments.
json request(host::Session& session, int handle, const std::string& op, const std::string& member,
             const json& args = json::array()) {
    static int id = 100;
    const json line = {{"id", ++id},       {"object", handle}, {"op", op},
                       {"member", member}, {"args", args},     {"named", json::object()}};
    return ask(session, line.dump());
}

int errorNumber(const json& reply) {
    return reply.contains("error") ? reply["error"]["number"].get<int>() : 0;
}

TEST(HostSession, AnswersVersionAndKeepsIds) {
    host::Session session;
    const json reply =
        ask(session, R"({"id":7,"object":1,"op":"get","member":"Version","args":[],"named":{}})");
    EXPECT_EQ(reply["id"], 7);
    EXPECT_EQ(reply["value"], "16.0");
    EXPECT_FALSE(session.finished());
}

TEST(HostSession, ObjectsGetHandlesAndMembersIgnoreCase) {
    host::Session session;
    const json workbooks =
        ask(session, R"({"id":1,"object":1,"op":"get","member":"WORKBOOKS","args":[],"named":{}})");
    ASSERT_TRUE(workbooks.contains("object"));
    const int handle = workbooks["object"].get<int>();
    EXPECT_GT(handle, 1);
    EXPECT_EQ(request(session, handle, "get", "count")["value"], 0);
}

TEST(HostSession, ErrorsCarryNumberAndDescription) {
    host::Session session;
    const int workbooks = request(session, 1, "call", "Workbooks")["object"].get<int>();
    const json reply = ask(session, R"({"id":4,"object":)" + std::to_string(workbooks) +
                                        R"(,"op":"call","member":"Open",)"
                                        R"("args":["/no/such/book.xls"],"named":{}})");
    ASSERT_TRUE(reply.contains("error"));
    EXPECT_EQ(reply["id"], 4);
    EXPECT_EQ(reply["error"]["number"], 1004);
    EXPECT_EQ(reply["error"]["description"], "'book.xls' could not be found.");

    EXPECT_TRUE(ask(session, "not json").contains("error"));
    EXPECT_TRUE(
        ask(session, R"({"id":5,"object":99,"op":"get","member":"Version"})").contains("error"));
    EXPECT_TRUE(
        ask(session, R"({"id":6,"object":1,"op":"jump","member":"Version"})").contains("error"));
}

TEST(HostSession, SetDisplayAlertsAndQuit) {
    host::Session session;
    EXPECT_FALSE(
        ask(session,
            R"({"id":1,"object":1,"op":"set","member":"DisplayAlerts","args":[false],"named":{}})")
            .contains("error"));
    EXPECT_EQ(ask(session,
                  R"({"id":2,"object":1,"op":"get","member":"DisplayAlerts","args":[],"named":{}})")
                  .value("value", true),
              false);
    ask(session, R"({"id":3,"object":1,"op":"call","member":"Quit","args":[],"named":{}})");
    EXPECT_TRUE(session.finished());
}

TEST(HostProcess, SpeaksJsonLinesAndEndsOnQuitOrEndOfInput) {
    QProcess process;
    process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmere-host"));
    ASSERT_TRUE(process.waitForStarted());
    process.write(R"({"id":1,"object":1,"op":"get","member":"Version","args":[],"named":{}})"
                  "\n");
    ASSERT_TRUE(process.waitForReadyRead(5000));
    EXPECT_EQ(process.readLine(), QByteArray(R"({"id":1,"value":"16.0"})"
                                             "\n"));
    process.write(R"({"id":2,"object":1,"op":"call","member":"Quit","args":[],"named":{}})"
                  "\n");
    EXPECT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 0);

    QProcess closed;
    closed.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmere-host"));
    ASSERT_TRUE(closed.waitForStarted());
    closed.closeWriteChannel();
    EXPECT_TRUE(closed.waitForFinished(5000));
}

TEST(HostProcess, AnOversizedRequestIsRefusedAndTheHostGoesOn) {
    QProcess process;
    process.start(QStringLiteral(QM_BINARY_DIR "/bin/quillmere-host"));
    ASSERT_TRUE(process.waitForStarted());
    process.write(QByteArray(17 * 1024 * 1024, 'x') + "\n");
    process.write(R"({"id":2,"object":1,"op":"get","member":"Version","args":[],"named":{}})"
                  "\n");
    QByteArray replies;
    while (replies.count('\n') < 2 && process.waitForReadyRead(10000))
        replies += process.readAllStandardOutput();
    const QList<QByteArray> lines = replies.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(json::parse(lines[0].toStdString(), nullptr, false).contains("error"));
    EXPECT_EQ(lines[1], QByteArray(R"({"id":2,"value":"16.0"})"));
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(5000));
}

// A page with pictures whose own file cannot be put in place: the error is answered, and
// neither its pictures nor their folder are left beside it.
TEST(HostSession, AFailedPublishLeavesTheOutputFolderAsItWas) {
    testing_support::ScratchDir dir;
    std::filesystem::create_directory(dir / "Page.htm");
    std::filesystem::create_directory(dir / "Book.htm");
    host::Session session;
    const int workbooks = request(session, 1, "get", "Workbooks")["object"].get<int>();
    const std::string path = testing_support::corpusFile("xls/calamine-picture.xls").string();
    const int book = request(session, workbooks, "call", "Open", {path}).value("object", 0);
    ASSERT_GT(book, 1);
    const int sheet = request(session, book, "call", "Worksheets", {1})["object"].get<int>();
    const std::string name = request(session, sheet, "get", "Name")["value"].get<std::string>();
    const int publish = request(session, book, "get", "PublishObjects")["object"].get<int>();
    const std::string page = (dir / "Page.htm").string();
    EXPECT_FALSE(request(session, publish, "call", "Add", {1, page, name}).contains("error"));
    const json failed = request(session, publish, "call", "Publish");
    ASSERT_TRUE(failed.contains("error"));
    EXPECT_EQ(errorNumber(failed), 1004);

    const std::string whole = (dir / "Book.htm").string();
    EXPECT_TRUE(request(session, book, "call", "SaveAs", {whole, 44}).contains("error"));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Book.htm", "Page.htm"}));
}

// A host kept for the next workbook forgets the objects of one it closed, so that it does not
// hold every earlier workbook in memory; the next workbook opens as in a fresh host.
TEST(HostSession, ClosingTheLastWorkbookForgetsItsObjects) {
    host::Session session;
    const std::string path = testing_support::corpusFile("xls/calamine-picture.xls").string();
    for (int round = 0; round < 2; ++round) {
        const int workbooks = request(session, 1, "get", "Workbooks")["object"].get<int>();
        const int book = request(session, workbooks, "call", "Open", {path}).value("object", 0);
        ASSERT_GT(book, 1);
        const int sheet = request(session, book, "call", "Worksheets", {1})["object"].get<int>();
        ASSERT_FALSE(request(session, sheet, "get", "Name").contains("error"));
        EXPECT_FALSE(request(session, book, "call", "Close").contains("error"));
        const json stale = request(session, sheet, "get", "Name");
        EXPECT_EQ(stale["error"]["description"], "The request names an unknown object.");
        EXPECT_TRUE(request(session, workbooks, "get", "Count").contains("error"));
    }
    EXPECT_FALSE(request(session, 1, "get", "Version").contains("error"));
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The requests that serve many sheets at once: every worksheet name in one reply, and several
// publish objects added by one request, all of them or none.
TEST(HostSession, NamesAndAddSheetsServeManySheetsInOneRequest) {
    testing_support::ScratchDir dir;
    host::Session session;
    const int workbooks = request(session, 1, "get", "Workbooks")["object"].get<int>();
    const std::string path = testing_support::corpusFile("xlsx/edr-TestMultiSheet.xlsx").string();
    const int book = request(session, workbooks, "call", "Open", {path}).value("object", 0);
    ASSERT_GT(book, 1);
    const int worksheets = request(session, book, "get", "Worksheets")["object"].get<int>();
    const json names = request(session, worksheets, "get", "Names")["value"];
    ASSERT_EQ(names.size(), 3u);
    const int second = request(session, book, "call", "Worksheets", {2})["object"].get<int>();
    EXPECT_EQ(request(session, second, "get", "Name")["value"], names[1]);

    const int publish = request(session, book, "get", "PublishObjects")["object"].get<int>();
    const auto page = [&](const char* name) { return (dir / name).string(); };
    const json omitted = {{"omitted", true}};
    // The third sheet named in other letter case, as Add takes it too.
    const json args = {1,
                       {page("one.htm"), page("three.htm")},
                       {names[0], upper(names[2].get<std::string>())},
                       omitted,
                       0,
                       omitted,
                       {"First page", ""}};
    EXPECT_FALSE(request(session, publish, "call", "AddSheets", args).contains("error"));
    EXPECT_EQ(request(session, publish, "get", "Count")["value"], 2);
    EXPECT_FALSE(request(session, publish, "call", "Publish").contains("error"));
    EXPECT_NE(readAll(dir / "one.htm").find("<title>First page</title>"), std::string::npos);
    EXPECT_NE(readAll(dir / "three.htm").find("<title>" + names[2].get<std::string>()),
              std::string::npos);
    EXPECT_FALSE(request(session, publish, "call", "Delete").contains("error"));

    // One unknown sheet, or arrays of different lengths: nothing is added.
    const json unknown = request(session, publish, "call", "AddSheets",
                                 {1, {page("a.htm"), page("b.htm")}, {names[0], "No such sheet"}});
    EXPECT_EQ(errorNumber(unknown), 1004);
    const json uneven = request(session, publish, "call", "AddSheets",
                                {1, {page("a.htm"), page("b.htm")}, {names[0]}});
    EXPECT_EQ(errorNumber(uneven), 5);
    const json notArrays =
        request(session, publish, "call", "AddSheets", {1, page("a.htm"), names[0]});
    EXPECT_EQ(errorNumber(notArrays), 13);
    EXPECT_EQ(request(session, publish, "get", "Count")["value"], 0);
}

} // namespace
