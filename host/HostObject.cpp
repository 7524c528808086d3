#include "host/HostObject.h"

#include "host/LetterCase.h"

#include <cmath>

namespace host {

Result HostObject::member(const std::string& name, const Arguments&, const NamedArguments&) {
    unknownMember(name);
}

void HostObject::set(const std::string& name, const Value&) {
    unknownMember(name);
}

void HostObject::unknownMember(const std::string& name) {
    throw HostError{438, "Object doesn't support this property or method (" + name + ")."};
}

Value argument(const Arguments& args, std::size_t index, const NamedArguments& named,
               std::string_view name) {
    for (const auto& [key, value] : named)
        if (equalIgnoringCase(key, name))
            return value;
    if (index < args.size())
        return args[index];
    return Value();
}

std::int64_t integerArgument(const Value& value, std::string_view name) {
    const std::optional<double> number = value.number();
    if (!number || !std::isfinite(*number) || std::abs(*number) > 2147483647.0)
        throw HostError{13, "Type mismatch: " + std::string(name) + " must be a whole number."};
    return std::llround(*number);
}

std::string textArgument(const Value& value, std::string_view name) {
    if (value.isOmitted() || value.is<ObjectRef>())
        throw HostError{13, "Type mismatch: " + std::string(name) + " must be a text."};
    return value.text();
}

} // namespace host
