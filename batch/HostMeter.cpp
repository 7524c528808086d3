#include "batch/HostMeter.h"

#include "automation/Error.h"
#include "automation/HostProcess.h"
#include "automation/NameCase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace batch {
namespace {

// Per thread, since each worker converts one workbook at a time with hosts of its own.
thread_local std::optional<std::int64_t> peakBytes;
// Set when a new workbook starts: a host kept from the last workbook still carries that one's
// peak, so the first call of the next resets it.
thread_local bool resetPeak = false;
// The host this thread called last: its peak is read when the workbook's is taken.
thread_local std::weak_ptr<automation::HostProcess> lastHost;

// VmHWM of /proc/<pid>/status: the most resident memory the process ever had.
std::optional<std::int64_t> residentPeak(std::int64_t pid) {
    if (pid <= 0)
        return std::nullopt;
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[8192];
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return std::nullopt;
    text[got] = '\0';
    const char* at = std::strstr(text, "\nVmHWM:");
    if (!at)
        return std::nullopt;
    char* end = nullptr;
    const long long kilobytes = std::strtoll(at + 7, &end, 10);
    if (end == at + 7 || (*end != ' ' && *end != '\n' && *end != '\0'))
        return std::nullopt;
    return std::int64_t{kilobytes} * 1024;
}

// Writing 5 to clear_refs starts the peak over from what is resident now; where the kernel
// refuses, the peak stays the host's since its start, an upper bound.
void clearPeak(std::int64_t pid) {
    if (pid <= 0)
        return;
    const std::string path = "/proc/" + std::to_string(pid) + "/clear_refs";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t wrote = ::write(fd, "5", 1);
    ::close(fd);
}

// Between calls the host is idle, so its peak so far is its peak for the work asked of it.
void note(automation::HostProcess& host) {
    const std::optional<std::int64_t> peak = residentPeak(host.processId());
    if (peak && (!peakBytes || *peak > *peakBytes))
        peakBytes = peak;
}

class MeteredDispatch : public automation::Dispatch {
public:
    explicit MeteredDispatch(std::shared_ptr<automation::HostProcess> host)
        : host_(std::move(host)) {}

    wire::Value invoke(int handle, automation::Op op, const std::string& member,
                       const wire::Arguments& args, const wire::NamedArguments& named) override {
        if (std::exchange(resetPeak, false))
            clearPeak(host_->processId());
        lastHost = host_;
        // The peak only grows until it is cleared, so reading it once before the host ends
        // (and when the workbook's figure is taken) sees all of it; reading it after every
        // reply cost a file read per call.
        if (handle == 1 && automation::sameName(member, "Quit"))
            note(*host_);
        try {
            return host_->invoke(handle, op, member, args, named);
        } catch (const automation::Error&) {
            note(*host_);
            throw;
        }
    }

private:
    std::shared_ptr<automation::HostProcess> host_;
};

} // namespace

MeteredHostFactory::MeteredHostFactory(std::string programFolder, automation::CallTimeouts timeouts)
    : hosts_(std::move(programFolder), timeouts) {}

automation::Object MeteredHostFactory::CreateObject(const std::string& progId) {
    return automation::Object(std::make_shared<MeteredDispatch>(hosts_.startHost(progId)), 1);
}

std::optional<std::int64_t> TakeHostPeakMemory() {
    if (const std::shared_ptr<automation::HostProcess> host = lastHost.lock())
        note(*host);
    resetPeak = true;
    return std::exchange(peakBytes, std::nullopt);
}

} // namespace batch
