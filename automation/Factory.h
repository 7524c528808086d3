#pragma once
// CreateObject: the seam through which the program starts automation servers.

#include "automation/CallTimeouts.h"
#include "automation/Object.h"

#include <chrono>
#include <memory>
#include <string>

namespace automation {

class HostProcess;

class Factory {
public:
    virtual ~Factory() = default;
    // A new instance of the server named by `progId`. Throws Error.
    virtual Object CreateObject(const std::string& progId) = 0;
};

// Starts quillmere-host from `programFolder` for the ProgID "Excel.Application".
class HostFactory : public Factory {
public:
    explicit HostFactory(std::string programFolder, CallTimeouts timeouts = {});
    // One limit for every call.
    HostFactory(std::string programFolder, std::chrono::milliseconds callTimeout);
    Object CreateObject(const std::string& progId) override;
    // A started host for `progId`, for a factory that wraps its calls. Throws Error.
    std::shared_ptr<HostProcess> startHost(const std::string& progId) const;

    // The host program in `programFolder`.
    static std::string hostProgram(const std::string& programFolder);

private:
    std::string programFolder_;
    CallTimeouts timeouts_;
};

} // namespace automation
