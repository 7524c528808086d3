#pragma once
// One running quillmere-host and the JSON-lines conversation with it. Calls block without
// running an event loop, so a caller's window takes no input while the host works.

#include "automation/CallTimeouts.h"
#include "automation/ChildProcess.h"
#include "automation/Dispatch.h"
#include "automation/Error.h"

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <memory>
#include <string>

namespace automation {

class HostProcess : public Dispatch {
public:
    // Starts `executable`. Throws Error when it is missing or does not start.
    HostProcess(const QString& executable, CallTimeouts timeouts);
    // The same, with one limit for every call.
    HostProcess(const QString& executable, std::chrono::milliseconds callTimeout);
    // Ends the host: closes its input, gives it a moment, then kills it.
    ~HostProcess() override;

    QVariant invoke(int handle, Op op, const QString& member, const QVariantList& args,
                    const QVariantMap& named) override;
    QVariantList invokeSequence(const std::vector<Call>& calls, std::size_t& completed) override;
    std::unique_ptr<PendingSequence> startSequence(const std::vector<Call>& calls,
                                                   PendingSequence* after) override;

    // The reply to the sequence request `id` of `calls` calls (what a started sequence's
    // finish reads).
    QVariantList receiveSequence(qint64 id, std::size_t calls, const QString& member,
                                 std::chrono::milliseconds limit, std::size_t& completed);

    qint64 processId() const;

private:
    [[noreturn]] void fail(const QString& description);
    QByteArray readReplyLine(const QString& member, std::chrono::milliseconds limit);
    // Sends `request` and returns the reply with its id; a host that answers nonsense, or not
    // within `limit`, is stopped (fail).
    QJsonObject exchange(const QJsonObject& request, const QString& member,
                         std::chrono::milliseconds limit);
    void send(const QJsonObject& request, const QString& member, std::chrono::milliseconds limit);
    QJsonObject receive(qint64 id, const QString& member, std::chrono::milliseconds limit);
    static QJsonObject callJson(const Call& call);
    static Error replyError(const QJsonObject& reply);
    static QVariant resultOf(const QJsonObject& reply);
    QString workbookClause() const;

    std::unique_ptr<ChildProcess> process_;
    CallTimeouts timeouts_;
    // The workbook the host was last asked to open: calls on it may take time by its size.
    QString workbookName_;
    qint64 workbookBytes_ = 0;
    qint64 nextId_ = 1;
    std::string buffer_; // what the host wrote after the last whole line read
    bool broken_ = false;
};

} // namespace automation
