#include "host/Session.h"

#include "host/LetterCase.h"
#include "host/WireFormat.h"

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
    std::optional<wire::Request> parsed;
    try {
        parsed = wire::parseRequest(requestLine);
    } catch (const std::bad_alloc&) {
        return wire::errorReply("null", 7, "Out of memory.");
    }
    if (!parsed)
        return wire::errorReply("null", 1004, "The request is not valid JSON.");
    const wire::Request& request = *parsed;
    const std::optional<std::string>& id = request.id;
    const std::string member = lowerCase(request.member);

    const auto target = objects_.find(request.object);
    if (target == objects_.end())
        return wire::errorReply(id, 1004, "The request names an unknown object.");

    try {
        if (request.op == "set") {
            if (request.args.size() != 1)
                return wire::errorReply(id, 450, "A property is set to exactly one value.");
            target->second->set(member, request.args.front());
            return wire::valueReply(id, Value());
        }
        if (request.op == "get" || request.op == "call") {
            const Result result = target->second->member(member, request.args, request.named);
            std::string reply = result.object ? wire::objectReply(id, handleOf(result.object))
                                              : wire::valueReply(id, result.value);
            if (member == "close" && !application_->anyWorkbookOpen())
                forgetAllButTheApplication();
            return reply;
        }
        return wire::errorReply(id, 1004, "Unknown operation \"" + request.op + "\".");
    } catch (const HostError& error) {
        return wire::errorReply(id, error.number, error.description);
    } catch (const std::bad_alloc&) {
        return wire::errorReply(id, 7, "Out of memory.");
    } catch (const std::exception& error) {
        return wire::errorReply(id, 1004, error.what());
    }
}

} // namespace host
