#include "engine/ods/CellAddress.h"

#include "engine/read/Limits.h"

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
    std::size_t i = 0;
    if (i < address.size() && address[i] == '$')
        ++i;
    std::uint64_t col = 0, row = 0;
    const std::size_t letters = i;
    for (; i < address.size() && col <= limits::maxColumns; ++i) {
        const char c = address[i];
        if (c >= 'A' && c <= 'Z')
            col = col * 26 + static_cast<std::uint64_t>(c - 'A' + 1);
        else if (c >= 'a' && c <= 'z')
            col = col * 26 + static_cast<std::uint64_t>(c - 'a' + 1);
        else
            break;
    }
    if (i == letters || col == 0 || col > limits::maxColumns)
        return std::nullopt;
    if (i < address.size() && address[i] == '$')
        ++i;
    const std::size_t digits = i;
    for (; i < address.size() && address[i] >= '0' && address[i] <= '9' && row <= limits::maxRows;
         ++i)
        row = row * 10 + static_cast<std::uint64_t>(address[i] - '0');
    if (i == digits || i != address.size() || row == 0 || row > limits::maxRows)
        return std::nullopt;
    return std::pair{static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(col - 1)};
}

} // namespace engine::ods
