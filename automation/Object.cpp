#include "automation/Object.h"

#include "automation/Error.h"

namespace automation {

Object::Object(std::shared_ptr<Dispatch> dispatch, int handle)
    : dispatch_(std::move(dispatch)), handle_(handle) {}

wire::Value Object::invoke(Op op, const std::string& member, const wire::Arguments& args,
                           const wire::NamedArguments& named) const {
    if (!dispatch_)
        throw Error(91, "Object variable not set (member " + member + ").");
    return dispatch_->invoke(handle_, op, member, args, named);
}

Object Object::toObject(const wire::Value& value, const std::string& member) const {
    if (!value.is<wire::ObjectRef>())
        throw Error(Error::HostUnavailable, "The spreadsheet host answered " + member +
                                                " with a value where an object was expected.");
    return Object(dispatch_, value.as<wire::ObjectRef>().handle);
}

wire::Value Object::get(const std::string& member, const wire::Arguments& args) const {
    return invoke(Op::Get, member, args, {});
}

Object Object::getObject(const std::string& member, const wire::Arguments& args) const {
    return toObject(get(member, args), member);
}

void Object::set(const std::string& member, const wire::Value& value) const {
    invoke(Op::Set, member, {value}, {});
}

wire::Value Object::call(const std::string& member, const wire::Arguments& args,
                         const wire::NamedArguments& named) const {
    return invoke(Op::Call, member, args, named);
}

Object Object::callObject(const std::string& member, const wire::Arguments& args,
                          const wire::NamedArguments& named) const {
    return toObject(call(member, args, named), member);
}

} // namespace automation
