#pragma once
// The widest digit of a font on a 96 dpi screen: the unit the spreadsheet application measures
// column widths in, and the yardstick of its "fits the column" check.

#include <string_view>

namespace engine::numfmt {

// Pixels of the widest digit of `family` at `sizePoints` (Calibri 11 and Arial 10 give 7). The
// family is matched ignoring letter case, metric-compatible free fonts alike; a family the table
// does not know is measured as the default font, and a damaged size as 11 points. At least 1.
int maxDigitPixels(std::string_view family, double sizePoints);

// The pixels of a column `widthCharacters` wide (padding included) in digits `digitPixels` wide,
// truncated as the application does; 0 for no width or a damaged one.
int columnWidthPixels(double widthCharacters, int digitPixels);

// A column width in characters, padding included, for a base width in whole characters without
// padding (the sheet's default): the application pads the digits by a quarter of a digit on each
// side plus a pixel and rounds the sum up to a multiple of 8 pixels.
double widthFromBaseCharacters(double baseCharacters, int digitPixels);

} // namespace engine::numfmt
