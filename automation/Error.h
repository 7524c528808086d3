#pragma once
// An automation error: a number and a description a user can act on, as raised by the host or
// by the client when the host cannot be reached.

#include <exception>
#include <string>

namespace automation {

class Error : public std::exception {
public:
    Error(int number, std::string description)
        : number_(number), description_(std::move(description)) {}

    int number() const { return number_; }
    // UTF-8.
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    // Numbers the client itself raises.
    static constexpr int CannotCreateObject = 429; // unknown ProgID, host missing or not starting
    static constexpr int HostUnavailable = 462;    // host died, hung or answered nonsense
    static constexpr int SubscriptOutOfRange = 9;  // an index beyond a fixed table's bounds

private:
    int number_;
    std::string description_;
};

} // namespace automation
