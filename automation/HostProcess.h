#pragma once
// One running quillmere-host and the JSON-lines conversation with it. Calls block without
// running an event loop, so a caller's window takes no input while the host works.

#include "automation/CallTimeouts.h"
#include "automation/ChildProcess.h"
#include "automation/Dispatch.h"
#include "automation/Error.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

namespace automation {

class HostProcess : public Dispatch {
public:
    // Starts `executable`. Throws Error when it is missing or does not start.
    HostProcess(const std::string& executable, CallTimeouts timeouts);
    // The same, with one limit for every call.
    HostProcess(const std::string& executable, std::chrono::milliseconds callTimeout);
    // Ends the host: closes its input, gives it a moment, then kills it.
    ~HostProcess() override;

    wire::Value invoke(int handle, Op op, const std::string& member, const wire::Arguments& args,
                       const wire::NamedArguments& named) override;
    wire::Value::List invokeSequence(const std::vector<Call>& calls,
                                     std::size_t& completed) override;
    std::unique_ptr<PendingSequence> startSequence(const std::vector<Call>& calls,
                                                   PendingSequence* after) override;

    // The reply to the sequence request `id` of `calls` calls (what a started sequence's
    // finish reads).
    wire::Value::List receiveSequence(std::int64_t id, std::size_t calls, const std::string& member,
                                      std::chrono::milliseconds limit, std::size_t& completed);

    std::int64_t processId() const;

private:
    [[noreturn]] void fail(const std::string& description);
    [[noreturn]] void failUnderstood(const std::string& member);
    std::string readReplyLine(const std::string& member, std::chrono::milliseconds limit);
    void send(const std::string& line, const std::string& member, std::chrono::milliseconds limit);
    // The reply with `id`; a host that answers nonsense, or not within `limit`, is stopped
    // (fail).
    nlohmann::json receive(std::int64_t id, const std::string& member,
                           std::chrono::milliseconds limit);
    static Error replyError(const nlohmann::json& reply);
    static wire::Value resultOf(const nlohmann::json& reply);
    std::string workbookClause() const;

    std::unique_ptr<ChildProcess> process_;
    CallTimeouts timeouts_;
    // The workbook the host was last asked to open: calls on it may take time by its size.
    std::string workbookName_;
    std::int64_t workbookBytes_ = 0;
    std::int64_t nextId_ = 1;
    std::string buffer_; // what the host wrote after the last whole line read
    bool broken_ = false;
};

} // namespace automation
