#pragma once
// Text for the pages: markup escaping and UTF-8 cutting from util, and URL path segments.

#include "engine/util/MarkupText.h"
#include "engine/util/Utf8.h"

#include <string>
#include <string_view>

namespace engine::web {

using util::appendEscaped;
using util::LineBreaks;
using util::utf8Prefix;

// Percent-encodes a path segment for use in a URL (unreserved ASCII kept).
std::string percentEncode(std::string_view text);

} // namespace engine::web
