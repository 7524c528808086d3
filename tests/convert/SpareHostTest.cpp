// The window's hosts started one operation ahead: still one host per operation, each ended.

#include "convert/SpareHost.h"

#include "automation/Error.h"
#include "tests/gui_support/FakeHost.h"

#include <gtest/gtest.h>

namespace {

using convert::SpareHost;
using testing_support::FakeHost;

TEST(SpareHost, EachOperationGetsAHostOfItsOwnStartedAheadOfIt) {
    FakeHost fake;
    {
        SpareHost hosts(fake);
        for (int operation = 1; operation <= 3; ++operation) {
            automation::Object host = hosts.CreateObject("Excel.Application");
            // This operation's host and the next one's, waiting.
            EXPECT_EQ(fake.createdInstances(), operation + 1);
            EXPECT_EQ(fake.liveInstances(), 2);
            host.call("Quit");
            host.release();
            EXPECT_EQ(fake.liveInstances(), 1);
        }
        // Every host served one operation: one Quit each.
        EXPECT_EQ(fake.callsOf({"Quit"}).size(), 3);
    }
    EXPECT_EQ(fake.liveInstances(), 0);
}

TEST(SpareHost, AHostThatCannotStartIsReportedOnlyToTheOperationThatNeedsIt) {
    FakeHost fake;
    fake.failOn("CreateObject", "no host", 2);
    SpareHost hosts(fake);
    // The first operation's spare fails to start: the operation goes on with its own host.
    EXPECT_NO_THROW(hosts.CreateObject("Excel.Application").release());
    EXPECT_NO_THROW(hosts.CreateObject("Excel.Application").release());
    fake.failOn("CreateObject", "no host", 0);
    // Then the waiting spare serves, and the one after that fails where it is needed.
    EXPECT_NO_THROW(hosts.CreateObject("Excel.Application").release());
    EXPECT_THROW(hosts.CreateObject("Excel.Application"), automation::Error);
}

} // namespace
