#pragma once
// Letter case of member, argument and sheet names, by the engine's rules for letters beyond
// ASCII (Latin, Greek and Cyrillic), as the application itself compares names.

#include <string>
#include <string_view>

namespace host {

// `text` (UTF-8) in lower case.
std::string lowerCase(std::string_view text);

// True when `a` and `b` (UTF-8) differ at most in letter case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace host
