// The automation client against the real quillmere-host, and against hosts that misbehave.

#include "automation/CallSequence.h"
#include "automation/Error.h"
#include "automation/Factory.h"
#include "automation/HostProcess.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <signal.h>

namespace {

using automation::Error;
using automation::HostFactory;
using automation::HostProcess;
using namespace std::chrono_literals;

const std::string binFolder = QM_BINARY_DIR "/bin";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool processAlive(std::int64_t pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

TEST(HostClient, ProbesVersionAndQuits) {
    HostFactory factory(binFolder, 10s);
    automation::Object application = factory.CreateObject("Excel.Application");
    EXPECT_EQ(application.get("Version").text(), "16.0");
    // Member names are matched ignoring letter case.
    EXPECT_EQ(application.get("VERSION").text(), "16.0");
    application.call("Quit");
    EXPECT_THROW(application.get("Version"), Error);
}

TEST(HostClient, UnknownMemberIsAnErrorWithADescription) {
    HostFactory factory(binFolder, 10s);
    automation::Object application = factory.CreateObject("Excel.Application");
    try {
        application.get("NoSuchThing");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 438);
        EXPECT_TRUE(contains(error.description(), "nosuchthing"));
    }
    // The host survives a failed call.
    EXPECT_EQ(application.get("Version").text(), "16.0");
}

TEST(HostClient, UnknownProgIdAndMissingHostAreErrors) {
    HostFactory factory(binFolder, 10s);
    EXPECT_THROW(factory.CreateObject("Word.Application"), Error);
    testing_support::ScratchDir empty;
    HostFactory nowhere(empty.path().string(), 10s);
    try {
        nowhere.CreateObject("Excel.Application");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::CannotCreateObject);
        EXPECT_TRUE(contains(error.description(), "missing"));
    }
}

TEST(HostClient, NoHostOutlivesItsObject) {
    std::int64_t pid = 0;
    {
        auto host = std::make_shared<HostProcess>(binFolder + "/quillmere-host", 10s);
        pid = host->processId();
        automation::Object application(host, 1);
        host.reset();
        EXPECT_EQ(application.get("Version").text(), "16.0");
        EXPECT_TRUE(processAlive(pid));
    }
    // The destructor waited for the process, so it is gone, not a zombie.
    EXPECT_FALSE(processAlive(pid));
}

TEST(HostClient, ASequenceRunsInOneRequestAndStopsAtItsFirstFailure) {
    auto host = std::make_shared<HostProcess>(binFolder + "/quillmere-host", 10s);
    automation::Object application(host, 1);
    {
        automation::CallSequence steps(application);
        const auto workbooks = steps.get(application, "Workbooks");
        steps.get(workbooks, "Count");
        const wire::Value::List results = steps.run();
        ASSERT_EQ(results.size(), 2u);
        EXPECT_TRUE(results[0].is<wire::ObjectRef>());
        EXPECT_EQ(results[1].integer().value_or(-1), 0);
        EXPECT_EQ(steps.completed(), 2u);
    }
    {
        // The Open fails: its error comes back as it would alone, and the Count after it is
        // not made.
        automation::CallSequence steps(application);
        const auto workbooks = steps.get(application, "Workbooks");
        const auto open = steps.call(workbooks, "Open", {"/no/such/book.xls"});
        const auto count = steps.get(workbooks, "Count");
        try {
            steps.run();
            FAIL() << "expected an error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 1004);
            EXPECT_EQ(error.description(), "'book.xls' could not be found.");
        }
        EXPECT_EQ(steps.completed(), 1u);
        EXPECT_FALSE(steps.done(open));
        EXPECT_FALSE(steps.done(count));
    }
    {
        // A step on a value that is no object is an error of the host, not a crash.
        automation::CallSequence steps(application);
        const auto version = steps.get(application, "Version");
        steps.get(version, "Count");
        EXPECT_THROW(steps.run(), Error);
        EXPECT_EQ(steps.completed(), 1u);
    }
    // The host answers single calls after all of it.
    EXPECT_EQ(application.get("Version").text(), "16.0");
}

TEST(HostClient, AStartedSequenceIsMadeOnlyAfterTheOneBeforeSucceeded) {
    auto host = std::make_shared<HostProcess>(binFolder + "/quillmere-host", 10s);
    automation::Object application(host, 1);
    const automation::Object workbooks = application.getObject("Workbooks");
    automation::CallSequence good(application);
    good.get(workbooks, "Count");
    automation::CallSequence failing(application);
    failing.call(workbooks, "Open", {"/no/such/book.xls"});
    automation::CallSequence behind(application);
    behind.get(application, "Version");
    automation::CallSequence last(application);
    last.get(application, "Version");
    // All four are with the host before any reply is read.
    good.start();
    failing.start(&good);
    behind.start(&failing);
    last.start(&behind);
    EXPECT_EQ(good.finish().at(0).integer().value_or(-1), 0);
    EXPECT_THROW(failing.finish(), Error);
    try {
        behind.finish();
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(contains(error.description(), "Not made"));
    }
    EXPECT_EQ(behind.completed(), 0u);
    // Skipping fails too, so whatever was queued behind it is skipped as well.
    EXPECT_THROW(last.finish(), Error);
    // A call on its own is made whatever came before it.
    EXPECT_EQ(application.get("Version").text(), "16.0");
}

class MisbehavingHost : public ::testing::Test {
protected:
    automation::Object start(const char* mode, std::chrono::milliseconds timeout) {
        return start(mode, automation::CallTimeouts::uniform(timeout));
    }
    automation::Object start(const char* mode, const automation::CallTimeouts& timeouts) {
        // A second start keeps the program the first one copied (it may still run).
        std::filesystem::copy_file(binFolder + "/qm-misbehaving-host", folder("quillmere-host"),
                                   std::filesystem::copy_options::skip_existing);
        std::ofstream(folder("mode"), std::ios::binary) << mode;
        host_ = std::make_shared<HostProcess>(folder("quillmere-host"), timeouts);
        return automation::Object(host_, 1);
    }
    std::string folder(const char* name) const { return (scratch_.path() / name).string(); }
    testing_support::ScratchDir scratch_;
    std::shared_ptr<HostProcess> host_;
};

TEST_F(MisbehavingHost, SilentHostTimesOutAndIsStopped) {
    automation::Object application = start("silent", 300ms);
    const std::int64_t pid = host_->processId();
    try {
        application.get("Version");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::HostUnavailable);
        EXPECT_TRUE(contains(error.description(), "did not answer"));
    }
    EXPECT_FALSE(processAlive(pid));
    EXPECT_THROW(application.get("Version"), Error);
}

TEST_F(MisbehavingHost, DyingHostIsAnError) {
    automation::Object application = start("die", 5s);
    try {
        application.call("Quit");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(contains(error.description(), "stopped unexpectedly"));
    }
}

TEST_F(MisbehavingHost, GarbageReplyIsAnError) {
    automation::Object application = start("garbage", 5s);
    const std::int64_t pid = host_->processId();
    try {
        application.get("Version");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_TRUE(contains(error.description(), "could not be understood"));
    }
    EXPECT_FALSE(processAlive(pid));
}

// Replies are read as the client's JSON reader always read them: whole numbers of any
// notation, members of the wrong type taken as missing, stray lines skipped.
TEST_F(MisbehavingHost, OddButValidRepliesReadAsBefore) {
    automation::Object application =
        start("script\n"
              R"({"id":ID.0,"value":2.0})"
              "\n"
              R"({"id":999,"value":"stray"}<NL>{"id":ID,"value":"mine"})"
              "\n"
              R"({"id":ID,"value":[1,"a",null,{"omitted":true}]})"
              "\n"
              R"({"id":ID,"object":3})"
              "\n"
              R"({"id":ID,"error":{"number":"6","description":5}})"
              "\n"
              R"({"id":ID,"error":{"number":2.5,"description":"x"}})"
              "\n"
              R"({"id":ID,"value":{"object":4}})",
              5s);
    const wire::Value two = application.get("Two");
    EXPECT_TRUE(two.is<std::int64_t>());
    EXPECT_EQ(two.integer().value_or(0), 2);
    EXPECT_EQ(application.get("Mine").text(), "mine");
    EXPECT_EQ(application.get("List"),
              wire::Value(wire::Value::List{1, "a", wire::Value(), wire::Omitted{}}));
    EXPECT_EQ(application.getObject("Object").handle(), 3);
    for (const char* member : {"Failing", "AlsoFailing"}) {
        try {
            application.get(member);
            FAIL() << "expected an error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 1004);
            EXPECT_EQ(error.description(), std::string(member) == "Failing" ? "" : "x");
        }
    }
    EXPECT_TRUE(application.get("ObjectValue").is<wire::ObjectRef>());
}

TEST_F(MisbehavingHost, RepliesNestedTooDeeplyOrWithTooManyResultsAreNotUnderstood) {
    const std::string deep = std::string(2000, '[') + std::string(2000, ']');
    for (const std::string& reply :
         {R"({"id":ID,"value":)" + deep + "}", std::string(R"({"id":ID,"results":[{},{}]})")}) {
        automation::Object application = start(("script\n" + reply).c_str(), 5s);
        try {
            automation::CallSequence steps(application);
            steps.get(application, "Version");
            steps.run();
            FAIL() << "expected an error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), Error::HostUnavailable);
            EXPECT_TRUE(contains(error.description(), "could not be understood"));
        }
    }
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
    EXPECT_EQ(bounds.forCall("Version", 0), 5s);
    EXPECT_EQ(bounds.forCall("quit", 500'000'000), 5s);
    EXPECT_EQ(bounds.forCall("Open", 0), 20s);
    EXPECT_EQ(bounds.forCall("Open", 1), 22s); // a started megabyte counts
    EXPECT_EQ(bounds.forCall("SaveAs", 10 * 1024 * 1024), 40s);
    EXPECT_EQ(bounds.forCall("Publish", 80 * 1024 * 1024), 120s);
    EXPECT_EQ(bounds.forCall("Publish", std::numeric_limits<std::int64_t>::max()), 120s);
    EXPECT_EQ(automation::CallTimeouts::uniform(7s).forCall("Open", 1 << 30), 7s);
}

struct HungCall {
    const char* name;
    const char* mode;
    const char* member;
    std::int64_t workbookBytes;
    std::chrono::milliseconds bound;
};

class HungHost : public MisbehavingHost, public ::testing::WithParamInterface<HungCall> {};

TEST_P(HungHost, IsStoppedAtItsBoundAndNamesTheWorkbook) {
    const HungCall& hung = GetParam();
    automation::Object application = start(hung.mode, quickBounds());
    const std::int64_t pid = host_->processId();
    std::ofstream(folder("Book1.xlsx"), std::ios::binary).close();
    // Sparse: costs no disk.
    std::filesystem::resize_file(folder("Book1.xlsx"),
                                 static_cast<std::uintmax_t>(hung.workbookBytes));

    const auto started = std::chrono::steady_clock::now();
    try {
        application.get("Version");
        application.getObject("Workbooks").callObject("Open", {folder("Book1.xlsx")});
        application.call("Quit");
        FAIL() << "expected an error";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), Error::HostUnavailable);
        EXPECT_TRUE(contains(error.description(), std::string("did not answer ") + hung.member))
            << error.description();
        if (std::string(hung.member) != "Version") {
            EXPECT_TRUE(contains(error.description(), "Book1.xlsx"));
        }
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
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
                      HungCall{"OpenHugeAtLimit", "hang-on Open", "Open", std::int64_t{1} << 40,
                               1500ms}),
    [](const ::testing::TestParamInfo<HungCall>& info) { return std::string(info.param.name); });

TEST(HostClient, HostKilledMidCallIsAnError) {
    auto host = std::make_shared<HostProcess>(binFolder + "/quillmere-host", 10s);
    automation::Object application(host, 1);
    ::kill(static_cast<pid_t>(host->processId()), SIGKILL);
    EXPECT_THROW(application.get("Version"), Error);
}

} // namespace
