#include "automation/Error.h"
#include "automation/Factory.h"
#include "automation/HostProcess.h"

#include <QDir>

namespace automation {

HostFactory::HostFactory(QString programFolder, CallTimeouts timeouts)
    : programFolder_(std::move(programFolder)), timeouts_(timeouts) {}

HostFactory::HostFactory(QString programFolder, std::chrono::milliseconds callTimeout)
    : HostFactory(std::move(programFolder), CallTimeouts::uniform(callTimeout)) {}

Object HostFactory::CreateObject(const QString& progId) {
    if (progId.compare(QStringLiteral("Excel.Application"), Qt::CaseInsensitive) != 0)
        throw Error(
            Error::CannotCreateObject,
            QStringLiteral("No automation server is known by the name \"%1\".").arg(progId));
    auto host = std::make_shared<HostProcess>(
        QDir(programFolder_).filePath(QStringLiteral("quillmere-host")), timeouts_);
    return Object(std::move(host), 1);
}

} // namespace automation
