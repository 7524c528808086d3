#pragma once
// Which way a cell's text reads. The application lays out a cell's text in the direction of
// its first letter, as a browser's dir="auto" does.

#include <string_view>

namespace engine::web {

enum class TextDirection { Neutral, LeftToRight, RightToLeft };

// The direction of the first character of `utf8` that has a strong one: letters of
// right-to-left scripts (Hebrew, Arabic, Syriac, Thaana, N'Ko ...) read from the right, other
// letters from the left; digits, punctuation, symbols and blanks have none. Neutral when no
// character has one; a malformed sequence is passed over.
TextDirection firstStrongDirection(std::string_view utf8);

} // namespace engine::web
