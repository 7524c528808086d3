#include "automation/Dispatch.h"

#include "automation/Error.h"

#include <exception>

namespace automation {
namespace {

// A sequence made at once: its outcome, kept until it is asked for.
class MadeSequence : public PendingSequence {
public:
    wire::Value::List finish(std::size_t& completed) override {
        completed = completed_;
        if (error_)
            std::rethrow_exception(error_);
        return std::move(results_);
    }

    wire::Value::List results_;
    std::size_t completed_ = 0;
    std::exception_ptr error_;
};

} // namespace

wire::Value::List Dispatch::invokeSequence(const std::vector<Call>& calls, std::size_t& completed) {
    wire::Value::List results;
    results.reserve(calls.size());
    completed = 0;
    for (const Call& call : calls) {
        int handle = call.handle;
        if (call.onResult >= 0) {
            const auto earlier = static_cast<std::size_t>(call.onResult);
            if (earlier >= results.size() || !results[earlier].is<wire::ObjectRef>())
                throw Error(Error::HostUnavailable,
                            "The call " + call.member + " names no object of its sequence.");
            handle = results[earlier].as<wire::ObjectRef>().handle;
        }
        results.push_back(invoke(handle, call.op, call.member, call.args, call.named));
        ++completed;
    }
    return results;
}

std::unique_ptr<PendingSequence> Dispatch::startSequence(const std::vector<Call>& calls,
                                                         PendingSequence* after) {
    auto made = std::make_unique<MadeSequence>();
    auto* before = dynamic_cast<MadeSequence*>(after);
    if (before && before->error_) {
        made->error_ = std::make_exception_ptr(
            Error(Error::HostUnavailable, "Not made: an earlier call failed."));
        return made;
    }
    try {
        made->results_ = invokeSequence(calls, made->completed_);
    } catch (...) {
        made->error_ = std::current_exception();
    }
    return made;
}

} // namespace automation
