#include "convert/HostSession.h"

#include "automation/Error.h"
#include "automation/Factory.h"

#include <exception>

namespace convert {

HostSession::HostSession(automation::Factory& factory, const std::string& path) {
    application_ = factory.CreateObject("Excel.Application");
    try {
        workbook_ = application_.getObject("Workbooks").callObject("Open", {path});
        application_.set("DisplayAlerts", false);
    } catch (...) {
        abandon();
        throw;
    }
}

HostSession::~HostSession() {
    abandon();
}

void HostSession::close() {
    if (!workbook_.isNull()) {
        workbook_.call("Close");
        workbook_.release();
    }
    if (!application_.isNull()) {
        application_.call("Quit");
        application_.release();
    }
}

void HostSession::abandon() noexcept {
    try {
        if (!workbook_.isNull())
            workbook_.call("Close");
    } catch (...) {
        // The instance is ended next whatever became of the workbook.
    }
    workbook_.release();
    try {
        if (!application_.isNull())
            application_.call("Quit");
    } catch (...) {
        // Releasing the last reference ends a host that no longer answers.
    }
    application_.release();
}

std::string CurrentFailureDescription() {
    try {
        throw;
    } catch (const automation::Error& error) {
        return error.description();
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unexpected failure";
    }
}

} // namespace convert
