#pragma once
// The hosts of a batch run, started as the window starts them, with their peak memory noted.

#include "automation/Factory.h"

#include <cstdint>
#include <optional>
#include <string>

namespace batch {

// Starts quillmere-host from `programFolder` for "Excel.Application", as HostFactory does, and
// notes the host's peak resident memory, for the thread that called it: before its Quit, after
// a failed call and when the figure is taken.
class MeteredHostFactory : public automation::Factory {
public:
    explicit MeteredHostFactory(std::string programFolder, automation::CallTimeouts timeouts = {});
    automation::Object CreateObject(const std::string& progId) override;

private:
    automation::HostFactory hosts_;
};

// The highest peak resident memory, in bytes, of the hosts this thread called since the last
// call; none when no measured host answered it. Starts afresh.
std::optional<std::int64_t> TakeHostPeakMemory();

} // namespace batch
