#include "automation/Dispatch.h"

#include "automation/Error.h"

namespace automation {

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

} // namespace automation
