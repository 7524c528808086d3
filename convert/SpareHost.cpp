#include "convert/SpareHost.h"

#include "automation/HostProcess.h"
#include "automation/NameCase.h"

namespace convert {
namespace {

// A spare whose process has gone (killed, or the system ran short) is of no use.
bool stillRuns(const automation::Object& spare) {
    const auto* process = dynamic_cast<const automation::HostProcess*>(spare.dispatch().get());
    return !process || process->processId() > 0;
}

} // namespace

SpareHost::SpareHost(automation::Factory& starts) : starts_(starts) {}

SpareHost::~SpareHost() {
    try {
        if (!spare_.isNull())
            spare_.call("Quit");
    } catch (...) {
        // Releasing it ends a host that no longer answers.
    }
}

automation::Object SpareHost::CreateObject(const std::string& progId) {
    automation::Object host;
    if (!spare_.isNull() && automation::sameName(progId_, progId) && stillRuns(spare_))
        host = std::move(spare_);
    spare_.release();
    if (host.isNull())
        host = starts_.CreateObject(progId);
    try {
        spare_ = starts_.CreateObject(progId);
        progId_ = progId;
    } catch (...) {
        // This operation has its host; the next one starts its own, and reports why not.
    }
    return host;
}

} // namespace convert
