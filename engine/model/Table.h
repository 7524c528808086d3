#pragma once
// A table: a named block of a sheet whose columns formulas refer to by name.

#include "engine/model/Range.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct Table {
    std::string name; // the name formulas use ("Sales")
    std::uint32_t sheet = 0;
    Range range; // the header and total rows included
    std::uint32_t headerRows = 1, totalsRows = 0;
    std::vector<std::string> columns; // one per column of `range`, left to right
};

} // namespace engine
