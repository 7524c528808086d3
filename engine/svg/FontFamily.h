#pragma once
// The font-family list a drawing names for a font from a file: the font itself, the freely
// available fonts that share its metrics, and the generic family of its kind, so that a
// machine without the font shows one like it rather than the browser's serif default.

#include <string>
#include <string_view>

namespace engine::svg {

// The generic family ("serif", "sans-serif" or "monospace") a font of this name belongs to;
// sans-serif for names it does not know.
std::string_view genericFamily(std::string_view family);

// "'Name',Alternative,generic" for a family name from a file, letter case of the name kept
// and characters that could break out of a quoted list left out; the generic family alone for
// an empty name. Plain text: the caller escapes it for where it goes.
std::string fontFamilyList(std::string_view family);

} // namespace engine::svg
