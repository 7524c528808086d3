#pragma once
// Which parameters of a worksheet function take a whole range or array. A block given to any
// other parameter makes the call run once per element (LEN(A1:A3) in an array formula is
// three lengths), as the application does.

#include <cstddef>
#include <string_view>

namespace engine::formula {

// True when parameter `index` (0-based) of function `upperName` takes a block as a whole.
bool takesBlockAt(std::string_view upperName, std::size_t index);

// True when function `upperName` computes its arguments as arrays even in a formula that is not
// an array one (SUMPRODUCT(A1:A3*B1:B3) multiplies three pairs).
bool takesArrays(std::string_view upperName);

} // namespace engine::formula
