#pragma once
// Small text rules of the naming: file extensions and blanks.

#include <string>
#include <string_view>

namespace convert {

// The text up to, not including, its last "."; the whole text when it has none.
std::string StripExtension(std::string_view text);

// The text without any blank or ".".
std::string RemoveSpacesAndDots(std::string_view text);

} // namespace convert
