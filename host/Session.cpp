#include "host/Session.h"

#include "host/LetterCase.h"

#include <new>

namespace host {

Session::Session() : application_(std::make_shared<Application>()) {
    objects_[1] = application_;
    handles_[application_.get()] = 1;
}

int Session::handleOf(const std::shared_ptr<HostObject>& object) {
    const auto known = handles_.find(object.get());
    if (known != handles_.end())
        return known->second;
    const int handle = nextHandle_++;
    objects_[handle] = object;
    handles_[object.get()] = handle;
    return handle;
}

void Session::forgetAllButTheApplication() {
    std::erase_if(objects_, [](const auto& entry) { return entry.first != 1; });
    std::erase_if(handles_, [](const auto& entry) { return entry.second != 1; });
}

std::string Session::handle(const std::string& requestLine) {
    bool failed = false;
    std::string reply = answer(requestLine, failed);
    // A client that sends its next sequence before this reply arrives asks, with
    // "unlessFailed", that it be made only after a request that did not fail.
    lastFailed_ = failed;
    return reply;
}

std::string Session::answer(const std::string& requestLine, bool& failed) {
    failed = true;
    std::optional<wire::Request> parsed;
    try {
        parsed = wire::parseRequest(requestLine);
    } catch (const std::bad_alloc&) {
        return wire::errorReply("null", 7, "Out of memory.");
    }
    if (!parsed)
        return wire::errorReply("null", 1004, "The request is not valid JSON.");
    const wire::Request& request = *parsed;
    if (lastFailed_ && request.unlessFailed)
        return wire::errorReply(request.id, 1004, "Not made: an earlier call failed.");
    std::vector<wire::Outcome> results;
    try {
        std::string reply;
        if (!request.sequence) {
            reply = wire::callReply(request.id, perform(request.call, results));
        } else {
            // Each call as if it came alone, up to the first that fails.
            for (const wire::Call& call : request.calls)
                results.push_back(perform(call, results));
            reply = wire::sequenceReply(request.id, results);
        }
        failed = false;
        return reply;
    } catch (const HostError& error) {
        if (request.sequence)
            return wire::sequenceErrorReply(request.id, results, error.number, error.description);
        return wire::errorReply(request.id, error.number, error.description);
    } catch (const std::bad_alloc&) {
        return wire::errorReply(request.id, 7, "Out of memory.");
    } catch (const std::exception& error) {
        return wire::errorReply(request.id, 1004, error.what());
    }
}

wire::Outcome Session::perform(const wire::Call& call, const std::vector<wire::Outcome>& earlier) {
    int handle = call.object;
    if (call.earlierResult) {
        const std::int64_t step = *call.earlierResult;
        if (step < 0 || step >= static_cast<std::int64_t>(earlier.size()) ||
            !earlier[static_cast<std::size_t>(step)].object)
            throw HostError{1004, "The request names an unknown object."};
        handle = *earlier[static_cast<std::size_t>(step)].object;
    }
    const auto target = objects_.find(handle);
    if (target == objects_.end())
        throw HostError{1004, "The request names an unknown object."};

    const std::string member = lowerCase(call.member);
    if (call.op == "set") {
        if (call.args.size() != 1)
            throw HostError{450, "A property is set to exactly one value."};
        target->second->set(member, call.args.front());
        return wire::Outcome{};
    }
    if (call.op != "get" && call.op != "call")
        throw HostError{1004, "Unknown operation \"" + call.op + "\"."};
    const Result result = target->second->member(member, call.args, call.named);
    wire::Outcome outcome;
    if (result.object)
        outcome.object = handleOf(result.object);
    else
        outcome.value = result.value;
    if (member == "close" && !application_->anyWorkbookOpen())
        forgetAllButTheApplication();
    return outcome;
}

} // namespace host
