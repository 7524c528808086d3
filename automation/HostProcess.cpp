#include "automation/HostProcess.h"

#include "automation/Error.h"
#include "automation/NameCase.h"
#include "automation/Protocol.h"
#include "wire/Json.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace automation {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

constexpr std::chrono::milliseconds quitGrace = 2s;
// A reply line longer than this is not a reply of our host.
constexpr std::size_t maxReplyBytes = 64 * 1024 * 1024;

// Seconds as a person reads them: up to six significant digits, no trailing zeros.
std::string secondsText(std::chrono::milliseconds limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(limit.count()) / 1000.0);
    return text;
}

// The name after the last slash.
std::string fileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The size of the file at `path`, 0 when there is none.
std::int64_t fileSize(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : 0;
}

const json* field(const json& object, const char* name) {
    if (!object.is_object())
        return nullptr;
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

} // namespace

HostProcess::HostProcess(const std::string& executable, std::chrono::milliseconds callTimeout)
    : HostProcess(executable, CallTimeouts::uniform(callTimeout)) {}

HostProcess::HostProcess(const std::string& executable, CallTimeouts timeouts)
    : timeouts_(timeouts) {
    struct stat status {};
    if (executable.empty() || ::stat(executable.c_str(), &status) != 0 ||
        ::access(executable.c_str(), X_OK) != 0)
        throw Error(Error::CannotCreateObject, "The spreadsheet host " + executable +
                                                   " is missing or cannot be run. "
                                                   "Reinstall Quillmere.");
    ChildProcess::Ends ends;
    if (const int error = ChildProcess::start(executable, ends))
        throw Error(Error::CannotCreateObject,
                    "The spreadsheet host " + executable +
                        " could not be started: " + std::strerror(error));
    process_ = std::make_unique<ChildProcess>(ends);
}

HostProcess::~HostProcess() {
    if (process_->runningId() == 0)
        return;
    process_->closeInput();
    if (!process_->waitFinished(broken_ ? 0ms : quitGrace))
        process_->kill();
    // The child process is collected as it is destroyed.
}

std::int64_t HostProcess::processId() const {
    return process_->runningId();
}

void HostProcess::fail(const std::string& description) {
    broken_ = true;
    process_->kill();
    process_->waitFinished(quitGrace);
    throw Error(Error::HostUnavailable, description);
}

void HostProcess::failUnderstood(const std::string& member) {
    fail("The spreadsheet host sent a reply to " + member +
         " that could not be understood, and was stopped.");
}

std::string HostProcess::workbookClause() const {
    return workbookName_.empty() ? std::string() : " for " + workbookName_;
}

std::string HostProcess::readReplyLine(const std::string& member, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::size_t searched = 0;
    for (;;) {
        const std::size_t newline = buffer_.find('\n', searched);
        if (newline != std::string::npos) {
            std::string line = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            return line;
        }
        searched = buffer_.size();
        if (buffer_.size() > maxReplyBytes)
            failUnderstood(member);
        if (process_->outputEnded())
            fail("The spreadsheet host stopped unexpectedly while working on " + member +
                 workbookClause() + ".");
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            fail("The spreadsheet host did not answer " + member + workbookClause() + " within " +
                 secondsText(limit) + " seconds and was stopped.");
        process_->read(buffer_, std::min(left, 1000ms));
    }
}

wire::Value HostProcess::invoke(int handle, Op op, const std::string& member,
                                const wire::Arguments& args, const wire::NamedArguments& named) {
    if (broken_ || process_->runningId() == 0)
        throw Error(Error::HostUnavailable,
                    "The spreadsheet host is no longer running (" + member + ").");
    if (op == Op::Call && sameName(member, "Open") && !args.empty() &&
        args.front().is<std::string>()) {
        const std::string& workbook = args.front().as<std::string>();
        workbookName_ = fileName(workbook);
        workbookBytes_ = fileSize(workbook);
    }
    const std::int64_t id = nextId_++;
    const std::chrono::milliseconds limit = timeouts_.forCall(member, workbookBytes_);
    send(protocol::callRequest(id, Call{handle, -1, op, member, args, named}), member, limit);
    const json reply = receive(id, member, limit);
    if (reply.contains("error"))
        throw replyError(reply);
    return resultOf(reply);
}

wire::Value::List HostProcess::invokeSequence(const std::vector<Call>& calls,
                                              std::size_t& completed) {
    completed = 0;
    return startSequence(calls, nullptr)->finish(completed);
}

namespace {

// A sequence request sent to the host, whose reply is read when it is finished.
class SentSequence : public PendingSequence {
public:
    SentSequence(HostProcess& host, std::int64_t id, std::size_t calls, std::string member,
                 std::chrono::milliseconds limit)
        : host_(host), id_(id), calls_(calls), member_(std::move(member)), limit_(limit) {}

    wire::Value::List finish(std::size_t& completed) override {
        return host_.receiveSequence(id_, calls_, member_, limit_, completed);
    }

private:
    HostProcess& host_;
    std::int64_t id_;
    std::size_t calls_;
    std::string member_;
    std::chrono::milliseconds limit_;
};

} // namespace

std::unique_ptr<PendingSequence> HostProcess::startSequence(const std::vector<Call>& calls,
                                                            PendingSequence* after) {
    if (calls.empty())
        return Dispatch::startSequence(calls, after);
    const std::string& first = calls.front().member;
    if (broken_ || process_->runningId() == 0)
        throw Error(Error::HostUnavailable,
                    "The spreadsheet host is no longer running (" + first + ").");
    std::chrono::milliseconds limit{0};
    for (const Call& call : calls)
        limit += timeouts_.forCall(call.member, workbookBytes_);
    const std::int64_t id = nextId_++;
    send(protocol::sequenceRequest(id, calls, after != nullptr), first, limit);
    return std::make_unique<SentSequence>(*this, id, calls.size(), first, limit);
}

wire::Value::List HostProcess::receiveSequence(std::int64_t id, std::size_t calls,
                                               const std::string& member,
                                               std::chrono::milliseconds limit,
                                               std::size_t& completed) {
    completed = 0;
    const json reply = receive(id, member, limit);
    const json* results = field(reply, "results");
    const std::size_t count = results && results->is_array() ? results->size() : 0;
    const bool failed = reply.contains("error");
    if (count > calls || (!failed && count != calls))
        failUnderstood(member);
    wire::Value::List values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(resultOf((*results)[i]));
    completed = values.size();
    if (failed)
        throw replyError(reply);
    return values;
}

void HostProcess::send(const std::string& line, const std::string& member,
                       std::chrono::milliseconds limit) {
    if (!process_->write(line.data(), line.size(), limit))
        fail("The spreadsheet host could not be reached (" + member + ").");
}

json HostProcess::receive(std::int64_t id, const std::string& member,
                          std::chrono::milliseconds limit) {
    for (;;) {
        const std::string replyLine = readReplyLine(member, limit);
        std::optional<json> reply = wire::parseLine(replyLine);
        if (!reply || !reply->is_object())
            failUnderstood(member);
        // A reply to an earlier call that timed out on our side cannot arrive: a timeout ends
        // the host. A reply to a sequence started and never finished is skipped, as is any
        // other stray line.
        const json* replyId = field(*reply, "id");
        if (replyId && wire::wholeInt64(*replyId, -1) == id)
            return std::move(*reply);
    }
}

Error HostProcess::replyError(const json& reply) {
    const json* error = field(reply, "error");
    const json* number = error ? field(*error, "number") : nullptr;
    const json* description = error ? field(*error, "description") : nullptr;
    return Error(number ? wire::wholeInt(*number, 1004) : 1004,
                 description && description->is_string() ? description->get<std::string>()
                                                         : std::string());
}

wire::Value HostProcess::resultOf(const json& reply) {
    if (const json* object = field(reply, "object"))
        return wire::ObjectRef{wire::wholeInt(*object, 0)};
    const json* value = field(reply, "value");
    return value ? wire::valueOf(*value) : wire::Value();
}

} // namespace automation
