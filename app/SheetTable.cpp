#include "app/SheetTable.h"

#include "automation/Error.h"

namespace app {

void SheetTable::check(int column, int row, int plane) {
    if (column < 0 || column > LastColumn || row < 0 || row > LastRow || plane < 0 ||
        plane > LastPlane)
        throw automation::Error(automation::Error::SubscriptOutOfRange, "Subscript out of range");
}

QString SheetTable::at(int column, int row, int plane) const {
    check(column, row, plane);
    const auto& rows = columns_[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= rows.size())
        return QString();
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(plane)];
}

void SheetTable::set(int column, int row, int plane, const QString& text) {
    check(column, row, plane);
    auto& rows = columns_[static_cast<std::size_t>(column)];
    if (static_cast<std::size_t>(row) >= rows.size()) {
        if (text.isEmpty())
            return; // reads as empty already
        rows.resize(static_cast<std::size_t>(row) + 1);
    }
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(plane)] = text;
}

void SheetTable::clear() {
    for (auto& rows : columns_) {
        rows.clear();
        rows.shrink_to_fit();
    }
}

std::size_t SheetTable::allocatedRows() const {
    std::size_t total = 0;
    for (const auto& rows : columns_)
        total += rows.size();
    return total;
}

} // namespace app
