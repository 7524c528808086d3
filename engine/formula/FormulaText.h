#pragma once
// A stored formula's text as the formula bar shows it, which is what FORMULATEXT answers.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::formula {

// `stored` (without its '=') as shown: the file format's name prefixes (_xlfn., _xlws.,
// _xlpm. ...) left out, and, for a cell sharing the text of a cell `rows` and `cols` away,
// every relative A1 reference moved by that much. Text in quotes and sheet names stay as they
// are; a reference moved off the grid becomes #REF!.
std::string shownFormula(std::string_view stored, std::int64_t rows = 0, std::int64_t cols = 0);

} // namespace engine::formula
