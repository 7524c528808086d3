// The pipes to a child process: what the host conversation rests on.

#include "automation/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace {

using automation::ChildProcess;
using namespace std::chrono_literals;

TEST(ChildProcess, TalksOverItsPipesAndEndsWhenItsInputDoes) {
    ChildProcess::Ends ends;
    ASSERT_EQ(ChildProcess::start("/bin/cat", ends), 0);
    ChildProcess cat(ends);
    EXPECT_EQ(cat.runningId(), ends.pid);
    ASSERT_TRUE(cat.write("line\n", 5, 1s));
    std::string echoed;
    while (echoed.size() < 5 && cat.read(echoed, 1s)) {
    }
    EXPECT_EQ(echoed, "line\n");
    cat.closeInput();
    EXPECT_TRUE(cat.waitFinished(5s));
    EXPECT_EQ(cat.runningId(), 0);
    // Its output has ended with it.
    std::string rest;
    EXPECT_FALSE(cat.read(rest, 1s));
    EXPECT_TRUE(cat.outputEnded());
}

TEST(ChildProcess, AMissingProgramIsAnErrorAndAGoneChildCostsOnlyAFailedWrite) {
    ChildProcess::Ends ends;
    EXPECT_EQ(ChildProcess::start("/no/such/program", ends), ENOENT);

    ASSERT_EQ(ChildProcess::start("/bin/cat", ends), 0);
    ChildProcess cat(ends);
    cat.kill();
    EXPECT_TRUE(cat.waitFinished(5s));
    // Writing to it fails, and this process lives on (no SIGPIPE).
    const std::string big(1 << 20, 'x');
    EXPECT_FALSE(cat.write(big.data(), big.size(), 1s));
}

TEST(ChildProcess, ASilentChildLetsReadsTimeOut) {
    ChildProcess::Ends ends;
    ASSERT_EQ(ChildProcess::start("/bin/cat", ends), 0);
    ChildProcess cat(ends);
    std::string nothing;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(cat.read(nothing, 50ms));
    EXPECT_TRUE(nothing.empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
    EXPECT_FALSE(cat.waitFinished(20ms));
    // The destructor kills and collects it.
}

} // namespace
