#pragma once
// A command line read by the rules of the usual option parsers: long options "--name" with
// "--name=value" or "--name value", short ones "-x" that may be run together ("-qr"), the last
// of which may take the rest as its value ("-j4", "-j=4", "-o dir"); "--" ends the options and
// a lone "-" is an argument. Options may come after arguments.

#include <cstddef>
#include <string>
#include <vector>

namespace batch {

struct OptionSpec {
    std::vector<std::string> names; // without dashes; one character: a short name
    bool takesValue = false;
};

class CommandLine {
public:
    explicit CommandLine(std::vector<OptionSpec> options) : options_(std::move(options)) {}

    // Reads `arguments`, the program's name first. False, with errorText() saying why, for an
    // unknown option, a missing value or a value given to an option that takes none; of several
    // mistakes, the last misplaced value is named, else every unknown option.
    bool parse(const std::vector<std::string>& arguments);

    const std::string& errorText() const { return error_; }
    // Option `index` (into the specs) was given, by any of its names.
    bool isSet(std::size_t index) const;
    // Its values in the order given.
    const std::vector<std::string>& values(std::size_t index) const { return values_[index]; }
    const std::vector<std::string>& positional() const { return positional_; }

private:
    // The option named `name`, or none.
    std::ptrdiff_t find(const std::string& name) const;
    bool found(const std::string& name);
    bool takeValue(const std::string& name, const std::string& argument, std::size_t& at,
                   const std::vector<std::string>& arguments);

    std::vector<OptionSpec> options_;
    std::vector<std::vector<std::string>> values_;
    std::vector<bool> set_;
    std::vector<std::string> unknown_;
    std::vector<std::string> positional_;
    std::string error_;
};

} // namespace batch
