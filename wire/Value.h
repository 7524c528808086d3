#pragma once
// A value of the automation protocol, at either end: an argument of a call or its result. Its
// conversions are the ones late binding has always applied, so that a number passed where a
// text is wanted (or the reverse) means what it always meant.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace wire {

// An argument the caller left out.
struct Omitted {
    bool operator==(const Omitted&) const = default;
};

// An object of the host, by its handle.
struct ObjectRef {
    int handle = 0;
    bool operator==(const ObjectRef&) const = default;
};

class Value {
public:
    using List = std::vector<Value>;

    Value() = default; // null: no value at all
    Value(bool truth) : data_(truth) {}
    Value(int number) : data_(std::int64_t{number}) {}
    Value(std::int64_t number) : data_(number) {}
    Value(double number) : data_(number) {}
    Value(std::string text) : data_(std::move(text)) {}
    Value(const char* text) : data_(std::string(text)) {}
    Value(List items) : data_(std::move(items)) {}
    Value(Omitted omitted) : data_(omitted) {}
    Value(ObjectRef object) : data_(object) {}

    template <class T> bool is() const { return std::holds_alternative<T>(data_); }
    // The value as `T`; precondition: is<T>().
    template <class T> const T& as() const { return std::get<T>(data_); }

    bool isNull() const { return is<std::monostate>(); }
    // Left out or null: both stand for "not given".
    bool isOmitted() const { return isNull() || is<Omitted>(); }

    // The value as a text: numbers as the shortest text that reads back the same, true and
    // false as words; a list, null, an omitted argument or an object give an empty text.
    std::string text() const;
    // The value as a number: true is 1, a text holding a number (spaces around it allowed) is
    // that number; std::nullopt for anything else.
    std::optional<double> number() const;
    // The value as a whole number: a number rounded half away from zero (beyond the 64-bit
    // range, the nearest end of it), true is 1, a text holding a whole decimal number in range
    // (spaces around it and a sign allowed) is that number; std::nullopt for anything else.
    std::optional<std::int64_t> integer() const;
    // The value as true or false: a number rounded to a whole number is not 0, a text is not
    // empty, "0" or "false" in any letter case; anything else is false.
    bool truth() const;

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, List, Omitted, ObjectRef>
        data_;
};

using Arguments = std::vector<Value>;
// Named arguments by the name the caller gave; names are matched ignoring letter case.
using NamedArguments = std::map<std::string, Value>;

} // namespace wire
