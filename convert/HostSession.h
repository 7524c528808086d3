#pragma once
// One workbook opened in its own spreadsheet host instance, ended however the work ends.

#include "automation/Object.h"

#include <string>

namespace automation {
class Factory;
}

namespace convert {

class HostSession {
public:
    // Starts an instance, opens `path` in it and turns its alerts off. Throws automation::Error;
    // what was created before the failure is ended by finish() or the destructor.
    HostSession(automation::Factory& factory, const std::string& path);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    const automation::Object& workbook() const { return workbook_; }

    // Closes the workbook and quits the instance. Throws automation::Error.
    void close();
    // After a failure: closes the workbook and quits the instance where they exist, ignoring any
    // further error, and releases both.
    void abandon() noexcept;

private:
    automation::Object application_;
    automation::Object workbook_;
};

// The description of the exception being handled, for the user (UTF-8).
std::string CurrentFailureDescription();

} // namespace convert
