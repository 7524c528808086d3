#pragma once
// Member accesses gathered to be made in one go (Dispatch::invokeSequence): each names an
// Object, or the object an earlier step of the same sequence yields.

#include "automation/Object.h"

#include <cstddef>
#include <string>
#include <vector>

namespace automation {

class CallSequence {
public:
    // A step's position, to name the object it yields in a later step.
    struct Step {
        int index;
    };

    // Every Object named must belong to the conversation of `first`.
    explicit CallSequence(const Object& first);

    Step get(const Object& on, const std::string& member, const wire::Arguments& args = {});
    Step get(Step on, const std::string& member, const wire::Arguments& args = {});
    Step call(const Object& on, const std::string& member, const wire::Arguments& args = {});
    Step call(Step on, const std::string& member, const wire::Arguments& args = {});

    // Makes the calls in order and returns their results. Throws the Error of the first that
    // fails; completed() then tells how many were made before it.
    wire::Value::List run();

    // The same in two halves: start() hands the calls over without waiting for them, finish()
    // waits and returns what run() would. Given `after` (started before and not finished
    // yet), the calls are made only if all of that one's succeed.
    void start(CallSequence* after = nullptr);
    wire::Value::List finish();
    std::size_t completed() const { return completed_; }
    // True when `step` was made before the sequence ended, also when a later step failed.
    bool done(Step step) const { return static_cast<std::size_t>(step.index) < completed_; }

private:
    Step add(Call call);
    Call on(const Object& object, Op op, const std::string& member,
            const wire::Arguments& args) const;

    std::shared_ptr<Dispatch> dispatch_;
    std::vector<Call> calls_;
    std::size_t completed_ = 0;
    std::unique_ptr<PendingSequence> pending_;
};

} // namespace automation
