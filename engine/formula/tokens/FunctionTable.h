#pragma once
// The built-in functions of the binary formats by number, as PtgFunc and PtgFuncVar name them.

#include <cstdint>
#include <string_view>

namespace engine::formula::tokens {

struct BuiltinFunction {
    std::string_view name; // empty for a number no worksheet function has
    // The argument count a PtgFunc call carries implicitly; -1 when calls always say it.
    int fixedArguments = -1;
};

// The function of number `index`; a default (empty) one past the table.
BuiltinFunction builtinFunction(std::uint16_t index);

} // namespace engine::formula::tokens
