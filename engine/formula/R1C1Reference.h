#pragma once
// References written in R1C1 style, as INDIRECT reads its text when asked to.

#include "engine/formula/Expr.h"
#include "engine/formula/Parser.h"

#include <optional>
#include <string_view>

namespace engine::formula {

// "R2C1", "R[-1]C", "RC[2]", "R3:R5", "C2", "'My sheet'!R1C1:R4C2" as seen from the context's
// cell (relative parts count from it); nullopt when the text is no such reference or reaches
// outside the grid.
std::optional<Reference> parseR1C1(std::string_view text, const ParseContext& context);

} // namespace engine::formula
