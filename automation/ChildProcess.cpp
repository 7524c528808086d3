#include "automation/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace automation {
namespace {

using Clock = std::chrono::steady_clock;

int pollTimeout(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1000));
}

void closeIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

int ChildProcess::start(const std::string& executable, Ends& ends) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return errno;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(input[0]);
        ::close(input[1]);
        return error;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the child's copies only.
    ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* const argv[] = {const_cast<char*>(executable.c_str()), nullptr};
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    if (error != 0) {
        ::close(input[1]);
        ::close(output[0]);
        return error;
    }
    // The child's input must not block us, nor its end of a dead pipe kill us.
    ::fcntl(input[1], F_SETFL, O_NONBLOCK);
    ends = Ends{pid, input[1], output[0]};
    return 0;
}

ChildProcess::ChildProcess(Ends ends) : ends_(ends) {
    // A child that dies while we write to it must cost a failed write, not this process.
    static const bool ignoringBrokenPipes = [] {
        ::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignoringBrokenPipes;
}

ChildProcess::~ChildProcess() {
    closeIfOpen(ends_.input);
    closeIfOpen(ends_.output);
    if (!collect(false)) {
        kill();
        collect(true);
    }
}

bool ChildProcess::collect(bool block) const {
    if (collected_ || ends_.pid <= 0)
        return true;
    int status = 0;
    pid_t got;
    do
        got = ::waitpid(ends_.pid, &status, block ? 0 : WNOHANG);
    while (got < 0 && errno == EINTR);
    // ECHILD: someone else collected it; either way it is gone.
    collected_ = got == ends_.pid || (got < 0 && errno == ECHILD);
    return collected_;
}

pid_t ChildProcess::runningId() const {
    return collect(false) ? 0 : ends_.pid;
}

bool ChildProcess::write(const char* bytes, std::size_t size, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (size > 0) {
        if (ends_.input < 0)
            return false;
        const ssize_t wrote = ::write(ends_.input, bytes, size);
        if (wrote > 0) {
            bytes += wrote;
            size -= static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && errno != EAGAIN)
            return false; // EPIPE: nobody reads any more
        if (Clock::now() >= deadline)
            return false;
        pollfd ready{ends_.input, POLLOUT, 0};
        ::poll(&ready, 1, pollTimeout(deadline));
    }
    return true;
}

bool ChildProcess::read(std::string& into, std::chrono::milliseconds limit) {
    if (outputEnded_)
        return false;
    pollfd ready{ends_.output, POLLIN, 0};
    int waited;
    do
        waited = ::poll(&ready, 1, static_cast<int>(limit.count()));
    while (waited < 0 && errno == EINTR);
    if (waited <= 0)
        return true;
    char chunk[16 * 1024];
    ssize_t got;
    do
        got = ::read(ends_.output, chunk, sizeof chunk);
    while (got < 0 && errno == EINTR);
    if (got > 0) {
        into.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
    outputEnded_ = true;
    return false;
}

void ChildProcess::closeInput() {
    closeIfOpen(ends_.input);
}

bool ChildProcess::waitFinished(std::chrono::milliseconds limit) {
    if (collect(false))
        return true;
    const auto deadline = Clock::now() + limit;
    // The process's own descriptor becomes readable when it ends: no polling loop, no delay.
    int handle = static_cast<int>(::syscall(SYS_pidfd_open, ends_.pid, 0));
    while (!collect(false)) {
        if (Clock::now() >= deadline) {
            closeIfOpen(handle);
            return false;
        }
        if (handle >= 0) {
            pollfd ended{handle, POLLIN, 0};
            ::poll(&ended, 1, pollTimeout(deadline));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    closeIfOpen(handle);
    return true;
}

void ChildProcess::kill() {
    if (!collected_ && ends_.pid > 0)
        ::kill(ends_.pid, SIGKILL);
}

} // namespace automation
