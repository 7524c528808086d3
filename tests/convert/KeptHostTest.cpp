// One host for several workbooks in turn, and a fresh one after anything went wrong.

#include "convert/KeptHost.h"

#include "automation/CallSequence.h"
#include "automation/Error.h"
#include "convert/HostSession.h"
#include "tests/gui_support/FakeHost.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using convert::HostSession;
using convert::KeptHost;
using testing_support::FakeHost;

// Opens `path` through `hosts` and closes it as a conversion does; false when that failed.
bool convertOne(KeptHost& hosts, const QString& path) {
    try {
        HostSession session(hosts, path.toStdString());
        session.workbook().getObject("Worksheets").get("Count");
        session.close();
        return true;
    } catch (const automation::Error&) {
        return false;
    }
}

TEST(KeptHost, SoundWorkbooksShareOneHostThatEndsWithTheRun) {
    FakeHost fake;
    for (const char* name : {"/d/a.xls", "/d/b.xls", "/d/c.xls"})
        fake.addWorkbook(QString::fromLatin1(name), {"S"});
    {
        KeptHost hosts(fake);
        for (const char* name : {"/d/a.xls", "/d/b.xls", "/d/c.xls"})
            EXPECT_TRUE(convertOne(hosts, QString::fromLatin1(name)));
        EXPECT_EQ(fake.createdInstances(), 1);
        EXPECT_EQ(fake.liveInstances(), 1);
        // Each workbook was closed before the next was opened; only the end quits the host.
        EXPECT_EQ(fake.callsOf({"Open", "Close", "Quit"}),
                  QStringList({"Open(/d/a.xls)", "Close", "Open(/d/b.xls)", "Close",
                               "Open(/d/c.xls)", "Close"}));
    }
    EXPECT_EQ(fake.liveInstances(), 0);
    EXPECT_EQ(fake.callsOf({"Quit"}), QStringList({"Quit"}));
}

// A damaged workbook's host is not the next workbook's: any failed call ends it.
TEST(KeptHost, AFailureEndsTheHostAndTheNextWorkbookGetsAFreshOne) {
    for (const char* failing : {"Open", "Count", "Close"}) {
        SCOPED_TRACE(failing);
        FakeHost fake;
        fake.addWorkbook("/d/a.xls", {"S"});
        fake.addWorkbook("/d/b.xls", {"S"});
        fake.failOn(QString::fromLatin1(failing), "damaged", 1);
        KeptHost hosts(fake);
        EXPECT_FALSE(convertOne(hosts, "/d/a.xls"));
        EXPECT_EQ(fake.liveInstances(), 0); // told to quit, and released
        EXPECT_TRUE(convertOne(hosts, "/d/b.xls"));
        EXPECT_EQ(fake.createdInstances(), 2);
    }
}

// A sequence reaches the kept host whole, and a failure in it ends the host like any other.
TEST(KeptHost, ASequenceGoesThroughWholeAndItsFailureEndsTheHost) {
    FakeHost fake;
    fake.addWorkbook("/d/a.xls", {"S", "T"});
    fake.addWorkbook("/d/b.xls", {"S"});
    fake.failOn("Name", "damaged", 2);
    KeptHost hosts(fake);
    const auto names = [&](const QString& path) {
        HostSession session(hosts, path.toStdString());
        const automation::Object& workbook = session.workbook();
        automation::CallSequence steps(workbook);
        const auto first = steps.get(workbook, "Worksheets", {1});
        steps.get(first, "Name");
        const auto second = steps.get(workbook, "Worksheets", {1});
        steps.get(second, "Name");
        const wire::Value::List results = steps.run();
        session.close();
        return QString::fromStdString(results.at(1).text() + ',' + results.at(3).text());
    };
    EXPECT_THROW(names("/d/a.xls"), automation::Error);
    EXPECT_EQ(fake.sequences, (std::vector<std::size_t>{4}));
    EXPECT_EQ(fake.liveInstances(), 0);
    EXPECT_EQ(names("/d/b.xls"), "S,S");
    EXPECT_EQ(fake.createdInstances(), 2);
}

TEST(KeptHost, AHostServesABoundedNumberOfWorkbooks) {
    FakeHost fake;
    fake.addWorkbook("/d/a.xls", {"S"});
    KeptHost hosts(fake, 2);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(convertOne(hosts, "/d/a.xls"));
    EXPECT_EQ(fake.createdInstances(), 3);
    EXPECT_EQ(fake.liveInstances(), 1);
}

// An instance that was quit answers nothing more, even while its host serves the next one.
TEST(KeptHost, AQuitInstanceIsEnded) {
    FakeHost fake;
    fake.addWorkbook("/d/a.xls", {"S"});
    KeptHost hosts(fake);
    automation::Object first = hosts.CreateObject("Excel.Application");
    first.call("Quit");
    const automation::Object second = hosts.CreateObject("Excel.Application");
    EXPECT_THROW(first.get("Version"), automation::Error);
    EXPECT_EQ(second.get("Version").text(), "16.0");
    EXPECT_EQ(fake.createdInstances(), 1);
}

} // namespace
