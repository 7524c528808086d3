#include "batch/HostMeter.h"

#include "automation/Error.h"
#include "automation/HostProcess.h"
#include "automation/NameCase.h"

#include <QByteArray>
#include <QFile>
#include <memory>
#include <utility>

namespace batch {
namespace {

// Per thread, since each worker converts one workbook at a time with hosts of its own.
thread_local std::optional<qint64> peakBytes;
// Set when a new workbook starts: a host kept from the last workbook still carries that one's
// peak, so the first call of the next resets it.
thread_local bool resetPeak = false;
// The host this thread called last: its peak is read when the workbook's is taken.
thread_local std::weak_ptr<automation::HostProcess> lastHost;

// VmHWM of /proc/<pid>/status: the most resident memory the process ever had.
std::optional<qint64> residentPeak(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = status.read(8192);
    const qsizetype at = text.indexOf("\nVmHWM:");
    if (at < 0)
        return std::nullopt;
    const qsizetype end = text.indexOf('\n', at + 1);
    QByteArray value = text.mid(at + 7, end < 0 ? -1 : end - at - 7).trimmed();
    if (value.endsWith(" kB"))
        value.chop(3);
    bool number = false;
    const qint64 kilobytes = value.trimmed().toLongLong(&number);
    return number ? std::optional<qint64>(kilobytes * 1024) : std::nullopt;
}

// Writing 5 to clear_refs starts the peak over from what is resident now; where the kernel
// refuses, the peak stays the host's since its start, an upper bound.
void clearPeak(qint64 pid) {
    QFile refs(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (pid > 0 && refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Between calls the host is idle, so its peak so far is its peak for the work asked of it.
void note(automation::HostProcess& host) {
    const std::optional<qint64> peak = residentPeak(host.processId());
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

MeteredHostFactory::MeteredHostFactory(QString programFolder, automation::CallTimeouts timeouts)
    : programFolder_(std::move(programFolder)), timeouts_(timeouts) {}

automation::Object MeteredHostFactory::CreateObject(const std::string& progId) {
    if (!automation::sameName(progId, "Excel.Application"))
        throw automation::Error(automation::Error::CannotCreateObject,
                                "No automation server is known by the name \"" + progId + "\".");
    auto host = std::make_shared<automation::HostProcess>(
        automation::HostFactory::hostProgram(programFolder_.toStdString()), timeouts_);
    return automation::Object(std::make_shared<MeteredDispatch>(std::move(host)), 1);
}

std::optional<qint64> TakeHostPeakMemory() {
    if (const std::shared_ptr<automation::HostProcess> host = lastHost.lock())
        note(*host);
    resetPeak = true;
    return std::exchange(peakBytes, std::nullopt);
}

} // namespace batch
