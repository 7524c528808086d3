// What the client puts on the wire and how it matches names, pinned against the Qt classes it
// used before: the host must see the same request lines, and a name typed in another letter
// case must still be the same name.

#include "automation/Protocol.h"

#include "automation/NameCase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <gtest/gtest.h>

namespace {

using automation::Call;
using automation::Op;
using wire::Value;

QJsonValue qtJson(const Value& value) {
    if (value.is<bool>())
        return value.as<bool>();
    if (value.is<std::int64_t>())
        return static_cast<qint64>(value.as<std::int64_t>());
    if (value.is<double>())
        return value.as<double>();
    if (value.is<std::string>())
        return QString::fromStdString(value.as<std::string>());
    if (value.is<Value::List>()) {
        QJsonArray items;
        for (const Value& item : value.as<Value::List>())
            items.append(qtJson(item));
        return items;
    }
    if (value.is<wire::Omitted>())
        return QJsonObject{{"omitted", true}};
    if (value.is<wire::ObjectRef>())
        return QJsonObject{{"object", value.as<wire::ObjectRef>().handle}};
    return QJsonValue::Null;
}

QJsonObject qtCall(const Call& call) {
    QJsonArray args;
    for (const Value& arg : call.args)
        args.append(qtJson(arg));
    QJsonObject named;
    for (const auto& [name, value] : call.named)
        named.insert(QString::fromStdString(name), qtJson(value));
    const char* op = call.op == Op::Get ? "get" : call.op == Op::Set ? "set" : "call";
    return QJsonObject{{"object", call.onResult >= 0
                                      ? QJsonValue(QJsonObject{{"result", call.onResult}})
                                      : QJsonValue(call.handle)},
                       {"op", op},
                       {"member", QString::fromStdString(call.member)},
                       {"args", args},
                       {"named", named}};
}

std::string qtLine(const QJsonObject& request) {
    return QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

const std::vector<Call>& calls() {
    static const std::vector<Call> all = {
        {1, -1, Op::Get, "Version", {}, {}},
        {7, -1, Op::Call, "Open", {"/d/Ünïcode \"quoted\" \\ back\tslash\n.xls"}, {}},
        {3, -1, Op::Set, "DisplayAlerts", {false}, {}},
        {4,
         -1,
         Op::Call,
         "Add",
         {1, "/o/a.htm", "Sheet1", wire::Omitted{}, 0, wire::Omitted{}, ""},
         {}},
        {5,
         -1,
         Op::Call,
         "AddSheets",
         {1, Value::List{"/o/a.htm", "/o/b.htm"}, Value::List{"S", "T"}, Value()},
         {}},
        {6, -1, Op::Call, "SaveAs", {"/o/a.htm"}, {{"FileFormat", 44}, {"Alpha", true}}},
        {0, 2, Op::Get, "Name", {wire::ObjectRef{9}}, {}},
        {2,
         -1,
         Op::Call,
         "Numbers",
         {0.1, -2.5e-7, 3.0, 1.5, std::int64_t{-9007199254740993}, 1e300, "\x01\x1f"},
         {}},
    };
    return all;
}

TEST(ClientProtocol, CallRequestsAreTheLinesQtWrote) {
    std::int64_t id = 1;
    for (const Call& call : calls()) {
        QJsonObject request = qtCall(call);
        request.insert("id", static_cast<qint64>(id));
        EXPECT_EQ(automation::protocol::callRequest(id, call), qtLine(request));
        id = id * 31 + 7;
    }
}

TEST(ClientProtocol, SequenceRequestsAreTheLinesQtWrote) {
    for (const bool unlessFailed : {false, true}) {
        QJsonArray jsonCalls;
        for (const Call& call : calls())
            jsonCalls.append(qtCall(call));
        QJsonObject request{{"id", 12}, {"op", "sequence"}, {"calls", jsonCalls}};
        if (unlessFailed)
            request.insert("unlessFailed", true);
        EXPECT_EQ(automation::protocol::sequenceRequest(12, calls(), unlessFailed),
                  qtLine(request));
    }
}

// Every character against every ASCII letter, as QString compared them ignoring case: only the
// long s and the Kelvin sign fold into ASCII. Beyond ASCII, the letters of Latin, Greek and
// Cyrillic fold as they did.
TEST(ClientNames, MatchIgnoringCaseAsQStringDid) {
    for (char32_t c = 0; c < 0x30000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString wide = QString::fromUcs4(&c, 1);
        const std::string utf8 = wide.toStdString();
        for (const char letter : std::string("aAkKsSzZ.1")) {
            const bool qt = wide.compare(QString(QChar(letter)), Qt::CaseInsensitive) == 0;
            ASSERT_EQ(automation::sameName(utf8, std::string(1, letter)), qt)
                << "U+" << std::hex << static_cast<unsigned>(c) << " " << letter;
        }
    }
    EXPECT_TRUE(automation::sameName("excel.APPLICATION", "Excel.Application"));
    EXPECT_TRUE(automation::sameName("QUIT", "Quit"));
    EXPECT_FALSE(automation::sameName("Quit ", "Quit"));
    EXPECT_FALSE(automation::sameName("Quitt", "Quit"));
    const std::pair<const char*, const char*> pairs[] = {
        {"ÄPFEL", "äpfel"}, {"ΣΟΦΙΑ", "σοφια"}, {"ΣΟΣ", "σος"}, {"ЛИСТ", "лист"}};
    for (const auto& [a, b] : pairs)
        EXPECT_EQ(automation::sameName(a, b),
                  QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0)
            << a;
}

} // namespace
