#pragma once
// Numbers and spacing in what the user typed, read by the same rules as the window reads them.

#include <optional>
#include <string_view>

namespace batch {

// `text` as a whole number that fits an int: decimal digits with an optional sign, ASCII spacing
// around them allowed; nothing for anything else.
std::optional<int> ToInt(std::string_view text);

// `text` without the Unicode white space at either end.
std::string_view Trimmed(std::string_view text);

} // namespace batch
