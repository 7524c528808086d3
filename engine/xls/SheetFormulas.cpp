#include "engine/xls/SheetFormulas.h"

#include "engine/util/ByteCursor.h"

#include <utility>

namespace engine::xls {
namespace {

// A cce-prefixed formula: its tokens and the extra data after them; empty when the size
// runs past the record.
std::pair<std::span<const std::uint8_t>, std::span<const std::uint8_t>>
split(std::span<const std::uint8_t> parsed) {
    if (parsed.size() < 2)
        return {};
    const std::size_t cce = util::loadU16(parsed.data());
    if (cce > parsed.size() - 2)
        return {};
    return {parsed.subspan(2, cce), parsed.subspan(2 + cce)};
}

} // namespace

void SheetFormulas::cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> parsed,
                         bool alwaysCalc) {
    if (!cells_)
        return;
    const auto [tokens, extra] = split(parsed);
    cells_->cell(row, col, tokens, extra, alwaysCalc);
}

void SheetFormulas::group(const Record& record, std::size_t header, bool isArray) {
    if (!cells_ || record.body.size() < header)
        return;
    Range range;
    range.firstRow = util::loadU16(record.body.data());
    range.lastRow = util::loadU16(record.body.data() + 2);
    range.firstCol = record.body[4];
    range.lastCol = record.body[5];
    const auto [tokens, extra] = split(record.body.subspan(header));
    cells_->group(range, isArray, tokens, extra);
}

void SheetFormulas::shared(const Record& record) {
    group(record, 8, false); // RefU, a reserved byte, the use count
}

void SheetFormulas::array(const Record& record) {
    group(record, 12, true); // RefU, flags, four unused bytes
}

} // namespace engine::xls
