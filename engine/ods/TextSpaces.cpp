#include "engine/ods/TextSpaces.h"

#include "engine/base/Limits.h"
#include "engine/ods/Values.h"

#include <algorithm>

namespace engine::ods {

void appendSpaces(std::string& out, std::string_view count) {
    const std::uint64_t spaces = parseCount(count, limits::maxTextBytes).value_or(1);
    const std::size_t room = limits::maxTextBytes - std::min(out.size(), limits::maxTextBytes);
    out.append(static_cast<std::size_t>(std::min<std::uint64_t>(spaces, room)), ' ');
}

} // namespace engine::ods
