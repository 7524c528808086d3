#include "engine/ods/CellAddress.h"

#include "engine/package/XmlValues.h"

namespace engine::ods {

std::optional<std::pair<std::uint32_t, std::uint16_t>> addressedCell(std::string_view address) {
    // The cell follows the last dot outside the quoted sheet name.
    bool quoted = false;
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '\'')
            quoted = !quoted;
        else if (address[i] == '.' && !quoted)
            dot = i;
    }
    if (dot != std::string_view::npos)
        address.remove_prefix(dot + 1);
    package::CellPosition position;
    if (package::parseCellRef(address, position) != package::RefStatus::Ok)
        return std::nullopt;
    return std::pair{position.row, position.col};
}

} // namespace engine::ods
