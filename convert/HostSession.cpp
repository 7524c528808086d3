#include "convert/HostSession.h"

#include "automation/Error.h"
#include "automation/Factory.h"

#include <exception>

namespace convert {

HostSession::HostSession(automation::Factory& factory, const QString& path) {
    application_ = factory.CreateObject(QStringLiteral("Excel.Application"));
    try {
        workbook_ = application_.getObject(QStringLiteral("Workbooks"))
                        .callObject(QStringLiteral("Open"), {path});
        application_.set(QStringLiteral("DisplayAlerts"), false);
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
        workbook_.call(QStringLiteral("Close"));
        workbook_.release();
    }
    if (!application_.isNull()) {
        application_.call(QStringLiteral("Quit"));
        application_.release();
    }
}

void HostSession::abandon() noexcept {
    try {
        if (!workbook_.isNull())
            workbook_.call(QStringLiteral("Close"));
    } catch (...) {
        // The instance is ended next whatever became of the workbook.
    }
    workbook_.release();
    try {
        if (!application_.isNull())
            application_.call(QStringLiteral("Quit"));
    } catch (...) {
        // Releasing the last reference ends a host that no longer answers.
    }
    application_.release();
}

QString CurrentFailureDescription() {
    try {
        throw;
    } catch (const automation::Error& error) {
        return error.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected failure");
    }
}

} // namespace convert
