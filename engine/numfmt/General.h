#pragma once
// The "General" format: a number as a normal-width column shows it.

#include <string>

namespace engine::numfmt {

// Appends `value` in at most 11 characters (the sign not counted): as an integer or decimal
// where that fits, else in scientific notation with up to six significant digits
// (0.333333333, 1.23457E+13). Infinite and NaN values, which no cell holds, append "#NUM!".
void appendGeneral(std::string& out, double value);

} // namespace engine::numfmt
