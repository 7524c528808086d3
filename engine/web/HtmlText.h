#pragma once
// Text from a workbook made safe for HTML: escaped, valid UTF-8, no characters HTML forbids.

#include <string>
#include <string_view>

namespace engine::web {

enum class LineBreaks { Space, Br };

// Appends `text` escaped for element content or a quoted attribute value. Invalid UTF-8,
// control characters and noncharacters become U+FFFD (tabs are kept); "\n" becomes a space or
// "<br>" as asked, "\r" is dropped.
void appendEscaped(std::string& out, std::string_view text, LineBreaks breaks = LineBreaks::Space);

// `text` cut to its first `maxBytes` bytes without splitting a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

// Percent-encodes a path segment for use in a URL (unreserved ASCII kept).
std::string percentEncode(std::string_view text);

} // namespace engine::web
