#include "automation/CallSequence.h"

#include "automation/Error.h"

namespace automation {

CallSequence::CallSequence(const Object& first) : dispatch_(first.dispatch()) {}

CallSequence::Step CallSequence::add(Call call) {
    calls_.push_back(std::move(call));
    return Step{static_cast<int>(calls_.size()) - 1};
}

Call CallSequence::on(const Object& object, Op op, const std::string& member,
                      const wire::Arguments& args) const {
    if (object.isNull() || object.dispatch() != dispatch_)
        throw Error(91, "Object variable not set (member " + member + ").");
    return Call{object.handle(), -1, op, member, args, {}};
}

CallSequence::Step CallSequence::get(const Object& on, const std::string& member,
                                     const wire::Arguments& args) {
    return add(this->on(on, Op::Get, member, args));
}

CallSequence::Step CallSequence::get(Step on, const std::string& member,
                                     const wire::Arguments& args) {
    return add(Call{0, on.index, Op::Get, member, args, {}});
}

CallSequence::Step CallSequence::call(const Object& on, const std::string& member,
                                      const wire::Arguments& args) {
    return add(this->on(on, Op::Call, member, args));
}

CallSequence::Step CallSequence::call(Step on, const std::string& member,
                                      const wire::Arguments& args) {
    return add(Call{0, on.index, Op::Call, member, args, {}});
}

wire::Value::List CallSequence::run() {
    completed_ = 0;
    if (!dispatch_)
        throw Error(91, "Object variable not set.");
    return dispatch_->invokeSequence(calls_, completed_);
}

void CallSequence::start(CallSequence* after) {
    completed_ = 0;
    if (!dispatch_)
        throw Error(91, "Object variable not set.");
    pending_ = dispatch_->startSequence(calls_, after ? after->pending_.get() : nullptr);
}

wire::Value::List CallSequence::finish() {
    if (!pending_)
        return run();
    const std::unique_ptr<PendingSequence> pending = std::move(pending_);
    return pending->finish(completed_);
}

} // namespace automation
