#include "automation/Error.h"
#include "automation/Factory.h"
#include "automation/HostProcess.h"
#include "automation/NameCase.h"

namespace automation {

HostFactory::HostFactory(std::string programFolder, CallTimeouts timeouts)
    : programFolder_(std::move(programFolder)), timeouts_(timeouts) {}

HostFactory::HostFactory(std::string programFolder, std::chrono::milliseconds callTimeout)
    : HostFactory(std::move(programFolder), CallTimeouts::uniform(callTimeout)) {}

std::string HostFactory::hostProgram(const std::string& programFolder) {
    // A folder named by nothing is the current one.
    if (programFolder.empty())
        return "./quillmere-host";
    return programFolder.back() == '/' ? programFolder + "quillmere-host"
                                       : programFolder + "/quillmere-host";
}

std::shared_ptr<HostProcess> HostFactory::startHost(const std::string& progId) const {
    if (!sameName(progId, "Excel.Application"))
        throw Error(Error::CannotCreateObject,
                    "No automation server is known by the name \"" + progId + "\".");
    return std::make_shared<HostProcess>(hostProgram(programFolder_), timeouts_);
}

Object HostFactory::CreateObject(const std::string& progId) {
    return Object(startHost(progId), 1);
}

} // namespace automation
