#pragma once
// Colours a number format code can name: [Red] ... and [Color1] .. [Color56].

#include "engine/model/Style.h"

#include <optional>
#include <string_view>

namespace engine::numfmt {

// The colour of a bracketed colour name (letter case ignored), or nullopt when `name` is not one.
std::optional<Color> colorByName(std::string_view name);

} // namespace engine::numfmt
