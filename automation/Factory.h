#pragma once
// CreateObject: the seam through which the program starts automation servers.

#include "automation/CallTimeouts.h"
#include "automation/Object.h"

#include <QString>
#include <chrono>

namespace automation {

class Factory {
public:
    virtual ~Factory() = default;
    // A new instance of the server named by `progId`. Throws Error.
    virtual Object CreateObject(const QString& progId) = 0;
};

// Starts quillmere-host from `programFolder` for the ProgID "Excel.Application".
class HostFactory : public Factory {
public:
    explicit HostFactory(QString programFolder, CallTimeouts timeouts = {});
    // One limit for every call.
    HostFactory(QString programFolder, std::chrono::milliseconds callTimeout);
    Object CreateObject(const QString& progId) override;

private:
    QString programFolder_;
    CallTimeouts timeouts_;
};

} // namespace automation
