// The automation client against the real quillmere-host, and against hosts that misbehave.

#include "automation/Error.h"
#include "automation/Factory.h"
#include "automation/HostProcess.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
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

class MisbehavingHost : public ::testing::Test {
protected:
    automation::Object start(const char* mode, std::chrono::milliseconds timeout) {
        QFile::copy(binFolder + QStringLiteral("/qm-misbehaving-host"), folder("quillmere-host"));
        QFile modeFile(folder("mode"));
        EXPECT_TRUE(modeFile.open(QIODevice::WriteOnly));
        modeFile.write(mode);
        modeFile.close();
        host_ = std::make_shared<HostProcess>(folder("quillmere-host"), timeout);
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

TEST(HostClient, HostKilledMidCallIsAnError) {
    auto host = std::make_shared<HostProcess>(binFolder + QStringLiteral("/quillmere-host"), 10s);
    automation::Object application(host, 1);
    ::kill(static_cast<pid_t>(host->processId()), SIGKILL);
    EXPECT_THROW(application.get(QStringLiteral("Version")), Error);
}

} // namespace
