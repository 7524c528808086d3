#pragma once
// The short code by which CELL("format") names a number format ("G", "F2", ",0", "C2-", "P0",
// "S2", "D4" ...), and the two facts CELL("color") and CELL("parentheses") tell of it.

#include <string>
#include <string_view>

namespace engine::formula {

struct FormatFacts {
    std::string code;           // as CELL("format") answers, its "-" and "()" included
    bool negativeColor = false; // negative numbers shown in a colour: CELL("color")
    bool parentheses = false;   // positive (or all) numbers in parentheses: CELL("parentheses")
};

// What CELL tells of number format `formatCode` (a code as a cell's format holds it).
FormatFacts formatFacts(std::string_view formatCode);

} // namespace engine::formula
