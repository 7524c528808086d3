#include "batch/CommandLine.h"

#include "batch/PathText.h"

namespace batch {

std::ptrdiff_t CommandLine::find(const std::string& name) const {
    for (std::size_t i = 0; i < options_.size(); ++i)
        for (const std::string& known : options_[i].names)
            if (known == name)
                return static_cast<std::ptrdiff_t>(i);
    return -1;
}

bool CommandLine::found(const std::string& name) {
    const std::ptrdiff_t index = find(name);
    if (index < 0) {
        unknown_.push_back(name);
        return false;
    }
    set_[static_cast<std::size_t>(index)] = true;
    return true;
}

bool CommandLine::isSet(std::size_t index) const {
    return index < set_.size() && set_[index];
}

// The value of option `name` given as `argument`: after its "=", else the next argument.
bool CommandLine::takeValue(const std::string& name, const std::string& argument, std::size_t& at,
                            const std::vector<std::string>& arguments) {
    const std::ptrdiff_t index = find(name);
    if (index < 0)
        return true;
    const std::size_t assign = argument.find('=');
    if (options_[static_cast<std::size_t>(index)].takesValue) {
        if (assign == std::string::npos) {
            if (++at == arguments.size()) {
                error_ = "Missing value after '" + argument + "'.";
                return false;
            }
            values_[static_cast<std::size_t>(index)].push_back(arguments[at]);
        } else {
            values_[static_cast<std::size_t>(index)].push_back(argument.substr(assign + 1));
        }
    } else if (assign != std::string::npos) {
        error_ = "Unexpected value after '" + argument.substr(0, assign) + "'.";
        return false;
    }
    return true;
}

bool CommandLine::parse(const std::vector<std::string>& arguments) {
    values_.assign(options_.size(), {});
    set_.assign(options_.size(), false);
    unknown_.clear();
    positional_.clear();
    error_.clear();
    bool error = false;
    bool onlyArguments = false;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (onlyArguments || argument.size() < 2 || argument[0] != '-') {
            positional_.push_back(argument);
        } else if (argument[1] == '-') {
            if (argument.size() == 2) {
                onlyArguments = true;
                continue;
            }
            const std::string name = argument.substr(2, argument.find('=') - 2);
            if (!found(name) || !takeValue(name, argument, at, arguments))
                error = true;
        } else {
            // Short options run together, up to one that takes a value: the rest is its value.
            std::string name;
            bool valueFound = false;
            char32_t code = 0;
            for (std::size_t pos = 1; pos < argument.size();) {
                const std::size_t length = NextCharacter(argument, pos, code);
                name = argument.substr(pos, length);
                pos += length;
                if (!found(name)) {
                    error = true;
                    continue;
                }
                const auto index = static_cast<std::size_t>(find(name));
                if (options_[index].takesValue) {
                    if (pos < argument.size()) {
                        if (argument[pos] == '=')
                            ++pos;
                        values_[index].push_back(argument.substr(pos));
                        valueFound = true;
                    }
                    break;
                }
                if (pos < argument.size() && argument[pos] == '=')
                    break;
            }
            if (!valueFound && !takeValue(name, argument, at, arguments))
                error = true;
        }
    }
    // A missing or unexpected value is said rather than the unknown options, the last one given.
    if (error_.empty() && unknown_.size() == 1) {
        error_ = "Unknown option '" + unknown_.front() + "'.";
    } else if (error_.empty() && unknown_.size() > 1) {
        error_ = "Unknown options: ";
        for (std::size_t i = 0; i < unknown_.size(); ++i)
            error_ += (i > 0 ? ", " : "") + unknown_[i];
        error_ += '.';
    }
    return !error;
}

} // namespace batch
