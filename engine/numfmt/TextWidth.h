#pragma once
// How wide a number's text is in a cell, estimated as the spreadsheet application does when it
// decides whether the number fits its column.

#include "engine/model/Style.h"

#include <string>
#include <string_view>

namespace engine::numfmt {

// Width in pixels of `text` in a font of `sizePoints` (a digit of the 11 pt default font is
// 7 pixels wide; other sizes scale with it). An empty text is 0 wide.
double estimateTextPixels(std::string_view text, double sizePoints);
// The same in `font`, scaled by its widest digit against the default font's 7 pixels.
double estimateTextPixels(std::string_view text, const Font& font);

// What a number shows in a cell `cellPixels` wide: `text` when it fits, else the '#' signs
// that fill the cell (at least one). Only numbers and dates are ever replaced, never text.
std::string fitNumberText(const std::string& text, int cellPixels, double sizePoints);
std::string fitNumberText(const std::string& text, int cellPixels, const Font& font);

// What a number in the "General" format shows in a cell `cellPixels` wide: `general` (its
// normal-width text) when it fits, else the value rounded to fewer decimals, else in scientific
// notation with fewer digits, else '#' signs.
std::string fitGeneralNumber(double value, const std::string& general, int cellPixels,
                             double sizePoints);
std::string fitGeneralNumber(double value, const std::string& general, int cellPixels,
                             const Font& font);

} // namespace engine::numfmt
