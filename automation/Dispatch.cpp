#include "automation/Dispatch.h"

#include "automation/Error.h"

#include <exception>

namespace automation {
namespace {

// A sequence made at once: its outcome, kept until it is asked for.
class MadeSequence : public PendingSequence {
public:
    QVariantList finish(std::size_t& completed) override {
        completed = completed_;
        if (error_)
            std::rethrow_exception(error_);
        return results_;
    }

    QVariantList results_;
    std::size_t completed_ = 0;
    std::exception_ptr error_;
};

} // namespace

QVariantList Dispatch::invokeSequence(const std::vector<Call>& calls, std::size_t& completed) {
    QVariantList results;
    completed = 0;
    for (const Call& call : calls) {
        int handle = call.handle;
        if (call.onResult >= 0) {
            const QVariant& earlier = results.value(call.onResult);
            if (call.onResult >= results.size() ||
                earlier.metaType() != QMetaType::fromType<ObjectHandle>())
                throw Error(Error::HostUnavailable,
                            QStringLiteral("The call %1 names no object of its sequence.")
                                .arg(call.member));
            handle = earlier.value<ObjectHandle>().handle;
        }
        results.append(invoke(handle, call.op, call.member, call.args, call.named));
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
            Error(Error::HostUnavailable, QStringLiteral("Not made: an earlier call failed.")));
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
