#pragma once
// CSS declarations ("name:value;" lists, no selectors) for the model's fonts, fills, borders
// and alignment, and the unit conversions of the sheet grid.

#include "engine/model/Workbook.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::web {

// "#RRGGBB".
std::string cssColor(std::uint32_t rgb);

// A quoted family list with metric-compatible fallbacks; characters that could end a quoted
// CSS string or the style element are dropped from the file's name. An empty name gives
// the generic sans-serif family alone.
std::string cssFontFamily(std::string_view name);

// Family, size, weight, style, decoration and colour; the script position too when
// `withScript` (rich-text runs, not whole cells).
void appendFontCss(std::string& out, const Font& font, bool withScript);

// The fill's colour: solid fills as they are, patterns as the mix of their two colours.
void appendFillCss(std::string& out, const Fill& fill);

// The four sides, and the diagonals as a background picture over the fill.
void appendBorderCss(std::string& out, const Border& border);

// Horizontal alignment (nothing for General: the writer decides by value), vertical
// alignment, wrapping, indentation, and vertical text (stacked or turned a quarter).
void appendAlignmentCss(std::string& out, const Alignment& alignment);

// True when the cell's text wraps inside it: wrapping asked for, or justified and distributed
// alignments, which the application always wraps.
bool wrapsText(const Alignment& alignment);

// True when the cell's text is turned by an angle a table cell cannot take by itself: its text
// is then wrapped in an element that appendTurnCss turns.
bool isTurned(const Alignment& alignment);
void appendTurnCss(std::string& out, const Alignment& alignment);

// True when a blank cell with this format is visible: a fill, a border or a diagonal.
bool isVisibleBlank(const Workbook& workbook, const CellFormat& format);

// A column width in characters of the default font's digit, padding included, in pixels
// (a digit of the 11 pt default font is 7 pixels wide).
int columnPixels(double widthCharacters);
// The same in digits `digitPixels` wide: the widest digit of the workbook's default font.
int columnPixels(double widthCharacters, int digitPixels);

// A row height in points, in pixels at 96 dpi.
int rowPixels(double heightPoints);

} // namespace engine::web
