// The automation client against the real quillmere-host, and against hosts that misbehave.

#include "automation/CallSequence.h"
#include "automation/Error.h"
#include "automation/Factory.h"
#include "automation/HostProcess.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <limits>
#include <signal.h>

namespace {

using automation::Error;
using automation::HostFactory;
using automation::HostProcess;
using namespace std::chrono_literals;

const QString binFolder = QStringLiteral(QM_BINARY_DIR "/bin");

bool processAlive(qint64 pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

TEST(HostClient, ProbesVersionAndQuits) {
    HostFactory factory(binFolder, 10s);
    automation::Object application = factory.CreateObject(QStringLiteral("Excel.Application"));
    EXPECT_EQ(application.get(QStringLiteral("Version")).toString(), QStringLiteral("16.0"));
    // Member names are matched ignoring letter case.
    EXPECT_EQ(application.get(QStringLiteral("VERSION")).toString(), QStringLiteral("16.0"));
    application.call(QStringLiteral("Quit"));
    EXPECT_THROW(application.get(QStringLiteral("Version")), Error);
}

TEST(HostClient, UnknownMemberIsAnErrorWithADescription) {
    HostFactory factory(binFolder, 10s);
    automation::Object application = factory.CreateObject(QStringLiteral("Excel.Application"));
    try {
        application.get(QStringLiteral("NoSuchThing"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 438);
        EXPECT_TRUE(error.description().contains(QStringLiteral("nosuchthing")));
    }
    // The host survives a failed call.
    EXPECT_EQ(application.get(QStringLiteral("Version")).toString(), QStringLiteral("16.0"));
}

TEST(HostClient, UnknownProgIdAndMissingHostAreErrors) {
    HostFactory factory(binFolder, 10s);
    EXPECT_THROW(factory.CreateObject(QStringLiteral("Word.Application")), Error);
    testing_support::ScratchDir empty;
    HostFactory nowhere(QString::fromStdString(empty.path().string()), 10s);
    try {
        nowhere.CreateObject(QStringLiteral("Excel.Application"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::CannotCreateObject);
        EXPECT_TRUE(error.description().contains(QStringLiteral("missing")));
    }
}

TEST(HostClient, NoHostOutlivesItsObject) {
    qint64 pid = 0;
    {
        auto host =
            std::make_shared<HostProcess>(binFolder + QStringLiteral("/quillmere-host"), 10s);
        pid = host->processId();
        automation::Object application(host, 1);
        host.reset();
        EXPECT_EQ(application.get(QStringLiteral("Version")).toString(), QStringLiteral("16.0"));
        EXPECT_TRUE(processAlive(pid));
    }
    // The destructor waited for the process, so it is gone, not a zombie.
    EXPECT_FALSE(processAlive(pid));
}

TEST(HostClient, ASequenceRunsInOneRequestAndStopsAtItsFirstFailure) {
    auto host = std::make_shared<HostProcess>(binFolder + QStringLiteral("/quillmere-host"), 10s);
    automation::Object application(host, 1);
    {
        automation::CallSequence steps(application);
        const auto workbooks = steps.get(application, QStringLiteral("Workbooks"));
        steps.get(workbooks, QStringLiteral("Count"));
        const QVariantList results = steps.run();
        ASSERT_EQ(results.size(), 2);
        EXPECT_EQ(results[0].metaType(), QMetaType::fromType<automation::ObjectHandle>());
        EXPECT_EQ(results[1].toInt(), 0);
        EXPECT_EQ(steps.completed(), 2u);
    }
    {
        // The Open fails: its error comes back as it would alone, and the Count after it is
        // not made.
        automation::CallSequence steps(application);
        const auto workbooks = steps.get(application, QStringLiteral("Workbooks"));
        const auto open =
            steps.call(workbooks, QStringLiteral("Open"), {QStringLiteral("/no/such/book.xls")});
        const auto count = steps.get(workbooks, QStringLiteral("Count"));
        try {
            steps.run();
            FAIL() << "expected an error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 1004);
            EXPECT_EQ(error.description(), QStringLiteral("'book.xls' could not be found."));
        }
        EXPECT_EQ(steps.completed(), 1u);
        EXPECT_FALSE(steps.done(open));
        EXPECT_FALSE(steps.done(count));
    }
    {
        // A step on a value that is no object is an error of the host, not a crash.
        automation::CallSequence steps(application);
        const auto version = steps.get(application, QStringLiteral("Version"));
        steps.get(version, QStringLiteral("Count"));
        EXPECT_THROW(steps.run(), Error);
        EXPECT_EQ(steps.completed(), 1u);
    }
    // The host answers single calls after all of it.
    EXPECT_EQ(application.get(QStringLiteral("Version")).toString(), QStringLiteral("16.0"));
}

TEST(HostClient, AStartedSequenceIsMadeOnlyAfterTheOneBeforeSucceeded) {
    auto host = std::make_shared<HostProcess>(binFolder + QStringLiteral("/quillmere-host"), 10s);
    automation::Object application(host, 1);
    const automation::Object workbooks = application.getObject(QStringLiteral("Workbooks"));
    automation::CallSequence good(application);
    good.get(workbooks, QStringLiteral("Count"));
    automation::CallSequence failing(application);
    failing.call(workbooks, QStringLiteral("Open"), {QStringLiteral("/no/such/book.xls")});
    automation::CallSequence behind(application);
    behind.get(application, QStringLiteral("Version"));
    automation::CallSequence last(application);
    last.get(application, QStringLiteral("Version"));
    // All four are with the host before any reply is read.
    good.start();
    failing.start(&good);
    behind.start(&failing);
    last.start(&behind);
    EXPECT_EQ(good.finish().value(0).toInt(), 0);
    EXPECT_THROW(failing.finish(), Error);
    try {
        behind.finish();
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("Not made")));
    }
    EXPECT_EQ(behind.completed(), 0u);
    // Skipping fails too, so whatever was queued behind it is skipped as well.
    EXPECT_THROW(last.finish(), Error);
    // A call on its own is made whatever came before it.
    EXPECT_EQ(application.get(QStringLiteral("Version")).toString(), QStringLiteral("16.0"));
}

class MisbehavingHost : public ::testing::Test {
protected:
    automation::Object start(const char* mode, std::chrono::milliseconds timeout) {
        return start(mode, automation::CallTimeouts::uniform(timeout));
    }
    automation::Object start(const char* mode, const automation::CallTimeouts& timeouts) {
        QFile::copy(binFolder + QStringLiteral("/qm-misbehaving-host"), folder("quillmere-host"));
        QFile modeFile(folder("mode"));
        EXPECT_TRUE(modeFile.open(QIODevice::WriteOnly));
        modeFile.write(mode);
        modeFile.close();
        host_ = std::make_shared<HostProcess>(folder("quillmere-host"), timeouts);
        return automation::Object(host_, 1);
    }
    QString folder(const char* name) const {
        return QString::fromStdString((scratch_.path() / name).string());
    }
    testing_support::ScratchDir scratch_;
    std::shared_ptr<HostProcess> host_;
};

TEST_F(MisbehavingHost, SilentHostTimesOutAndIsStopped) {
    automation::Object application = start("silent", 300ms);
    const qint64 pid = host_->processId();
    try {
        application.get(QStringLiteral("Version"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::HostUnavailable);
        EXPECT_TRUE(error.description().contains(QStringLiteral("did not answer")));
    }
    EXPECT_FALSE(processAlive(pid));
    EXPECT_THROW(application.get(QStringLiteral("Version")), Error);
}

TEST_F(MisbehavingHost, DyingHostIsAnError) {
    automation::Object application = start("die", 5s);
    try {
        application.call(QStringLiteral("Quit"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("stopped unexpectedly")));
    }
}

TEST_F(MisbehavingHost, GarbageReplyIsAnError) {
    automation::Object application = start("garbage", 5s);
    const qint64 pid = host_->processId();
    try {
        application.get(QStringLiteral("Version"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("could not be understood")));
    }
    EXPECT_FALSE(processAlive(pid));
}

// Short bounds for Version and Quit, long ones for workbook calls, so that a test can tell
// which bound stopped the host.
automation::CallTimeouts quickBounds() {
    automation::CallTimeouts bounds;
    bounds.shortCall = 300ms;
    bounds.workbookBase = 400ms;
    bounds.perMegabyte = 200ms;
    bounds.workbookLimit = 1500ms;
    return bounds;
}

TEST(CallTimeouts, ShortCallsAndWorkbookCallsScaledAndBounded) {
    const automation::CallTimeouts bounds; // the program's own
    EXPECT_EQ(bounds.forCall(QStringLiteral("Version"), 0), 5s);
    EXPECT_EQ(bounds.forCall(QStringLiteral("quit"), 500'000'000), 5s);
    EXPECT_EQ(bounds.forCall(QStringLiteral("Open"), 0), 20s);
    EXPECT_EQ(bounds.forCall(QStringLiteral("Open"), 1), 22s); // a started megabyte counts
    EXPECT_EQ(bounds.forCall(QStringLiteral("SaveAs"), 10 * 1024 * 1024), 40s);
    EXPECT_EQ(bounds.forCall(QStringLiteral("Publish"), 80 * 1024 * 1024), 120s);
    EXPECT_EQ(bounds.forCall(QStringLiteral("Publish"), std::numeric_limits<qint64>::max()), 120s);
    EXPECT_EQ(automation::CallTimeouts::uniform(7s).forCall(QStringLiteral("Open"), 1 << 30), 7s);
}

struct HungCall {
    const char* name;
    const char* mode;
    const char* member;
    qint64 workbookBytes;
    std::chrono::milliseconds bound;
};

class HungHost : public MisbehavingHost, public ::testing::WithParamInterface<HungCall> {};

TEST_P(HungHost, IsStoppedAtItsBoundAndNamesTheWorkbook) {
    const HungCall& hung = GetParam();
    automation::Object application = start(hung.mode, quickBounds());
    const qint64 pid = host_->processId();
    QFile workbook(folder("Book1.xlsx"));
    ASSERT_TRUE(workbook.open(QIODevice::WriteOnly));
    ASSERT_TRUE(workbook.resize(hung.workbookBytes)); // sparse: costs no disk
    workbook.close();

    QElapsedTimer clock;
    clock.start();
    try {
        application.get(QStringLiteral("Version"));
        application.getObject(QStringLiteral("Workbooks"))
            .callObject(QStringLiteral("Open"), {folder("Book1.xlsx")});
        application.call(QStringLiteral("Quit"));
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::HostUnavailable);
        EXPECT_TRUE(
            error.description().contains(QStringLiteral("did not answer %1").arg(hung.member)))
            << error.description().toStdString();
        if (std::string(hung.member) != "Version") {
            EXPECT_TRUE(error.description().contains(QStringLiteral("Book1.xlsx")));
        }
    }
    const auto waited = std::chrono::milliseconds(clock.elapsed());
    EXPECT_GE(waited, hung.bound - 50ms);
    EXPECT_LT(waited, hung.bound + 1000ms);
    EXPECT_FALSE(processAlive(pid));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, HungHost,
    ::testing::Values(HungCall{"Version", "hang-on Version", "Version", 0, 300ms},
                      HungCall{"Quit", "hang-on Quit", "Quit", 0, 300ms},
                      // 400 ms and 200 ms for each of the 2 megabytes.
                      HungCall{"OpenBySize", "hang-on Open", "Open", 2 * 1024 * 1024, 800ms},
                      // A huge file still waits no longer than the limit.
                      HungCall{"OpenHugeAtLimit", "hang-on Open", "Open", qint64(1) << 40, 1500ms}),
    [](const ::testing::TestParamInfo<HungCall>& info) { return std::string(info.param.name); });

TEST(HostClient, HostKilledMidCallIsAnError) {
    auto host = std::make_shared<HostProcess>(binFolder + QStringLiteral("/quillmere-host"), 10s);
    automation::Object application(host, 1);
    ::kill(static_cast<pid_t>(host->processId()), SIGKILL);
    EXPECT_THROW(application.get(QStringLiteral("Version")), Error);
}

} // namespace
