#pragma once
// An object of the host's automation model. Member names arrive in lower case.

#include "wire/Value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace host {

// The host speaks the protocol's values throughout.
using wire::Arguments;
using wire::NamedArguments;
using wire::ObjectRef;
using wire::Omitted;
using wire::Value;

class HostObject;

// What a member access yields: a plain value, or an object (when `object` is set).
struct Result {
    Value value;
    std::shared_ptr<HostObject> object;

    static Result of(Value value) { return Result{std::move(value), nullptr}; }
    static Result of(std::shared_ptr<HostObject> object) { return Result{{}, std::move(object)}; }
    static Result none() { return Result{}; }
};

// An error reported to the client with its number and description.
struct HostError {
    int number;
    std::string description;
};

class HostObject {
public:
    virtual ~HostObject() = default;

    // A property read or a method call (the model does not tell them apart, as late binding
    // does not). Throws HostError; the default knows no member.
    virtual Result member(const std::string& name, const Arguments& args,
                          const NamedArguments& named);
    // A property write. Throws HostError; the default knows no member.
    virtual void set(const std::string& name, const Value& value);

protected:
    [[noreturn]] static void unknownMember(const std::string& name);
};

// Argument helpers: the named argument `name` (ignoring letter case), else the positional one
// at `index`; null when neither was given.
Value argument(const Arguments& args, std::size_t index, const NamedArguments& named,
               std::string_view name);
// The argument as a whole number (rounded) of int's range; raises HostError 13 otherwise.
std::int64_t integerArgument(const Value& value, std::string_view name);
// The argument as a text; raises HostError 13 when it is omitted or an object.
std::string textArgument(const Value& value, std::string_view name);

} // namespace host
