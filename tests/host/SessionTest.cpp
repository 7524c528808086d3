// The host's protocol: request lines in, reply lines out, exactly as the client expects them.

#include "host/Session.h"

#include "tests/support/TestPaths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

QJsonObject ask(host::Session& session, const char* request) {
    return QJsonDocument::fromJson(session.handle(QByteArray(request))).object();
}

TEST(HostSession, AnswersVersionAndKeepsIds) {
    host::Session session;
    const QJsonObject reply =
        ask(session, R"({"id":7,"object":1,"op":"get","member":"Version","args":[],"named":{}})");
    EXPECT_EQ(reply.value("id").toInt(), 7);
    EXPECT_EQ(reply.value("value").toString(), QStringLiteral("16.0"));
    EXPECT_FALSE(session.finished());
}

TEST(HostSession, ObjectsGetHandlesAndMembersIgnoreCase) {
    host::Session session;
    const QJsonObject workbooks =
        ask(session, R"({"id":1,"object":1,"op":"get","member":"WORKBOOKS","args":[],"named":{}})");
    ASSERT_TRUE(workbooks.contains("object"));
    const int handle = workbooks.value("object").toInt();
    EXPECT_GT(handle, 1);
    const QByteArray count =
        QStringLiteral(R"({"id":2,"object":%1,"op":"get","member":"count","args":[],"named":{}})")
            .arg(handle)
            .toUtf8();
    EXPECT_EQ(QJsonDocument::fromJson(session.handle(count)).object().value("value").toInt(), 0);
}

TEST(HostSession, ErrorsCarryNumberAndDescription) {
    host::Session session;
    const QJsonObject missing = ask(
        session, R"({"id":3,"object":1,"op":"call","member":"Workbooks","args":[],"named":{}})");
    const QByteArray open =
        QStringLiteral(
            R"({"id":4,"object":%1,"op":"call","member":"Open","args":["/no/such/book.xls"],"named":{}})")
            .arg(missing.value("object").toInt())
            .toUtf8();
    const QJsonObject reply = QJsonDocument::fromJson(session.handle(open)).object();
    ASSERT_TRUE(reply.contains("error"));
    EXPECT_EQ(reply.value("id").toInt(), 4);
    EXPECT_EQ(reply.value("error").toObject().value("number").toInt(), 1004);
    EXPECT_EQ(reply.value("error").toObject().value("description").toString(),
              QStringLiteral("'book.xls' could not be found."));

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
    EXPECT_FALSE(
        ask(session,
            R"({"id":2,"object":1,"op":"get","member":"DisplayAlerts","args":[],"named":{}})")
            .value("value")
            .toBool());
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

} // namespace

namespace {

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
    EXPECT_TRUE(QJsonDocument::fromJson(lines[0]).object().contains("error"));
    EXPECT_EQ(lines[1], QByteArray(R"({"id":2,"value":"16.0"})"));
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(5000));
}

} // namespace

namespace {

// Sends one request to object `handle`; `args` is the JSON array of its arguments.
QJsonObject request(host::Session& session, int handle, const char* op, const char* member,
                    const QString& args = QStringLiteral("[]")) {
    static int id = 100;
    return QJsonDocument::fromJson(
               session.handle(
                   QStringLiteral(
                       R"({"id":%1,"object":%2,"op":"%3","member":"%4","args":%5,"named":{}})")
                       .arg(++id)
                       .arg(handle)
                       .arg(QString::fromLatin1(op), QString::fromLatin1(member), args)
                       .toUtf8()))
        .object();
}

} // namespace

// A page with pictures whose own file cannot be put in place: the error is answered, and
// neither its pictures nor their folder are left beside it.
TEST(HostSession, AFailedPublishLeavesTheOutputFolderAsItWas) {
    testing_support::ScratchDir dir;
    std::filesystem::create_directory(dir / "Page.htm");
    std::filesystem::create_directory(dir / "Book.htm");
    host::Session session;
    const int workbooks = request(session, 1, "get", "Workbooks").value("object").toInt();
    const QString path =
        QString::fromStdString(testing_support::corpusFile("xls/calamine-picture.xls").string());
    const int book =
        request(session, workbooks, "call", "Open", QStringLiteral("[\"%1\"]").arg(path))
            .value("object")
            .toInt();
    ASSERT_GT(book, 1);
    const int sheet = request(session, book, "call", "Worksheets", "[1]").value("object").toInt();
    const QString name = request(session, sheet, "get", "Name").value("value").toString();
    const int publish = request(session, book, "get", "PublishObjects").value("object").toInt();
    const QString page = QString::fromStdString((dir / "Page.htm").string());
    EXPECT_FALSE(request(session, publish, "call", "Add",
                         QStringLiteral("[1,\"%1\",\"%2\"]").arg(page, name))
                     .contains("error"));
    const QJsonObject failed = request(session, publish, "call", "Publish");
    ASSERT_TRUE(failed.contains("error"));
    EXPECT_EQ(failed.value("error").toObject().value("number").toInt(), 1004);

    const QString whole = QString::fromStdString((dir / "Book.htm").string());
    EXPECT_TRUE(request(session, book, "call", "SaveAs", QStringLiteral("[\"%1\",44]").arg(whole))
                    .contains("error"));
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
    const QString path =
        QString::fromStdString(testing_support::corpusFile("xls/calamine-picture.xls").string());
    for (int round = 0; round < 2; ++round) {
        const int workbooks = request(session, 1, "get", "Workbooks").value("object").toInt();
        const int book =
            request(session, workbooks, "call", "Open", QStringLiteral("[\"%1\"]").arg(path))
                .value("object")
                .toInt();
        ASSERT_GT(book, 1);
        const int sheet =
            request(session, book, "call", "Worksheets", "[1]").value("object").toInt();
        ASSERT_FALSE(request(session, sheet, "get", "Name").contains("error"));
        EXPECT_FALSE(request(session, book, "call", "Close").contains("error"));
        const QJsonObject stale = request(session, sheet, "get", "Name");
        EXPECT_EQ(stale.value("error").toObject().value("description").toString(),
                  QStringLiteral("The request names an unknown object."));
        EXPECT_TRUE(request(session, workbooks, "get", "Count").contains("error"));
    }
    EXPECT_FALSE(request(session, 1, "get", "Version").contains("error"));
}

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// The requests that serve many sheets at once: every worksheet name in one reply, and several
// publish objects added by one request, all of them or none.
TEST(HostSession, NamesAndAddSheetsServeManySheetsInOneRequest) {
    testing_support::ScratchDir dir;
    host::Session session;
    const int workbooks = request(session, 1, "get", "Workbooks").value("object").toInt();
    const QString path = QString::fromStdString(
        testing_support::corpusFile("xlsx/edr-TestMultiSheet.xlsx").string());
    const int book =
        request(session, workbooks, "call", "Open", QStringLiteral("[\"%1\"]").arg(path))
            .value("object")
            .toInt();
    ASSERT_GT(book, 1);
    const int worksheets = request(session, book, "get", "Worksheets").value("object").toInt();
    const QJsonArray names = request(session, worksheets, "get", "Names").value("value").toArray();
    ASSERT_EQ(names.size(), 3);
    const int second = request(session, book, "call", "Worksheets", "[2]").value("object").toInt();
    EXPECT_EQ(request(session, second, "get", "Name").value("value"), names[1]);

    const int publish = request(session, book, "get", "PublishObjects").value("object").toInt();
    const auto page = [&](const char* name) {
        return QString::fromStdString((dir / name).string());
    };
    // The third sheet named in other letter case, as Add takes it too.
    const QString args = QStringLiteral(R"([1,["%1","%2"],["%3","%4"],{"omitted":true},0,)"
                                        R"({"omitted":true},["First page",""]])")
                             .arg(page("one.htm"), page("three.htm"), names[0].toString(),
                                  names[2].toString().toUpper());
    EXPECT_FALSE(request(session, publish, "call", "AddSheets", args).contains("error"));
    EXPECT_EQ(request(session, publish, "get", "Count").value("value").toInt(), 2);
    EXPECT_FALSE(request(session, publish, "call", "Publish").contains("error"));
    EXPECT_NE(readAll(dir / "one.htm").find("<title>First page</title>"), std::string::npos);
    EXPECT_NE(readAll(dir / "three.htm").find("<title>" + names[2].toString().toStdString()),
              std::string::npos);
    EXPECT_FALSE(request(session, publish, "call", "Delete").contains("error"));

    // One unknown sheet, or arrays of different lengths: nothing is added.
    const QJsonObject unknown =
        request(session, publish, "call", "AddSheets",
                QStringLiteral(R"([1,["%1","%2"],["%3","No such sheet"]])")
                    .arg(page("a.htm"), page("b.htm"), names[0].toString()));
    EXPECT_EQ(unknown.value("error").toObject().value("number").toInt(), 1004);
    const QJsonObject uneven = request(session, publish, "call", "AddSheets",
                                       QStringLiteral(R"([1,["%1","%2"],["%3"]])")
                                           .arg(page("a.htm"), page("b.htm"), names[0].toString()));
    EXPECT_EQ(uneven.value("error").toObject().value("number").toInt(), 5);
    const QJsonObject notArrays =
        request(session, publish, "call", "AddSheets",
                QStringLiteral(R"([1,"%1","%2"])").arg(page("a.htm"), names[0].toString()));
    EXPECT_EQ(notArrays.value("error").toObject().value("number").toInt(), 13);
    EXPECT_EQ(request(session, publish, "get", "Count").value("value").toInt(), 0);
}
