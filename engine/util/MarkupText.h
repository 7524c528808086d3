#pragma once
// Text from a workbook made safe for HTML and SVG: escaped, valid UTF-8, no characters the
// markup forbids.

#include <string>
#include <string_view>

namespace engine::util {

enum class LineBreaks { Space, Br };

// Appends `text` escaped for element content or a quoted attribute value. Invalid UTF-8,
// control characters and noncharacters become U+FFFD (tabs are kept); "\n" becomes a space or
// "<br>" as asked, "\r" is dropped.
void appendEscaped(std::string& out, std::string_view text, LineBreaks breaks = LineBreaks::Space);

} // namespace engine::util
