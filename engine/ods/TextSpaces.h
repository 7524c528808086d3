#pragma once
// The run of spaces a text:s element stands for, in cell texts and notes alike.

#include <string>
#include <string_view>

namespace engine::ods {

// Appends the spaces of a text:s whose text:c is `count` (one when absent or unreadable),
// never growing `out` past limits::maxTextBytes.
void appendSpaces(std::string& out, std::string_view count);

} // namespace engine::ods
