#pragma once
// A late-bound reference to an object of the automation host: get, set and call by member name.

#include "automation/Dispatch.h"

#include <memory>
#include <string>

namespace automation {

class Object {
public:
    Object() = default; // a null reference: every member access raises an Error
    Object(std::shared_ptr<Dispatch> dispatch, int handle);

    bool isNull() const { return !dispatch_; }

    // Reads a property (with optional index arguments). Throws Error.
    wire::Value get(const std::string& member, const wire::Arguments& args = {}) const;
    // Reads a property that yields an object. Throws Error, also when the value is no object.
    Object getObject(const std::string& member, const wire::Arguments& args = {}) const;
    // Writes a property. Throws Error.
    void set(const std::string& member, const wire::Value& value) const;
    // Calls a method with positional and named arguments. Throws Error.
    wire::Value call(const std::string& member, const wire::Arguments& args = {},
                     const wire::NamedArguments& named = {}) const;
    // Calls a method that yields an object. Throws Error, also when the result is no object.
    Object callObject(const std::string& member, const wire::Arguments& args = {},
                      const wire::NamedArguments& named = {}) const;

    // Drops the reference; the host process ends once no Object of it is left.
    void release() { dispatch_.reset(); }

    // The conversation the object belongs to and its handle there, for a wrapper that passes
    // calls on (null for a null reference).
    const std::shared_ptr<Dispatch>& dispatch() const { return dispatch_; }
    int handle() const { return handle_; }

private:
    wire::Value invoke(Op op, const std::string& member, const wire::Arguments& args,
                       const wire::NamedArguments& named) const;
    Object toObject(const wire::Value& value, const std::string& member) const;

    std::shared_ptr<Dispatch> dispatch_;
    int handle_ = 0;
};

// An omitted argument, for positional argument lists.
inline wire::Value omitted() {
    return wire::Omitted{};
}

} // namespace automation
