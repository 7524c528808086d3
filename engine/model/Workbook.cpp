#include "engine/model/Workbook.h"

#include "engine/base/ReadError.h"

#include <algorithm>

namespace engine {

const char* errorText(CellError error) {
    switch (error) {
    case CellError::Null:
        return "#NULL!";
    case CellError::Div0:
        return "#DIV/0!";
    case CellError::Value:
        return "#VALUE!";
    case CellError::Ref:
        return "#REF!";
    case CellError::Name:
        return "#NAME?";
    case CellError::Num:
        return "#NUM!";
    case CellError::NA:
        return "#N/A";
    case CellError::GettingData:
        return "#GETTING_DATA";
    case CellError::Spill:
        return "#SPILL!";
    case CellError::Calc:
        return "#CALC!";
    }
    return "#N/A";
}

std::optional<CellError> cellErrorFromCode(std::uint8_t code) {
    switch (static_cast<CellError>(code)) {
    case CellError::Null:
    case CellError::Div0:
    case CellError::Value:
    case CellError::Ref:
    case CellError::Name:
    case CellError::Num:
    case CellError::NA:
    case CellError::GettingData:
        return static_cast<CellError>(code);
    case CellError::Spill:
    case CellError::Calc:
        break;
    }
    return std::nullopt;
}

void Workbook::tooManyStrings() {
    throw ReadError(ReadError::Kind::Damaged,
                    "more than " + std::to_string(limits::maxStrings) + " strings in the workbook");
}

namespace {

bool before(const Cell& a, const Cell& b) {
    return a.row < b.row || (a.row == b.row && a.col < b.col);
}

void sortCells(std::vector<Cell>& cells) {
    if (std::is_sorted(cells.begin(), cells.end(), before) &&
        std::adjacent_find(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
            return a.row == b.row && a.col == b.col;
        }) == cells.end())
        return;
    std::stable_sort(cells.begin(), cells.end(), before);
    // Of two records for one cell the file's later one wins, as in the application.
    std::vector<Cell> unique;
    unique.reserve(cells.size());
    for (const Cell& cell : cells) {
        if (!unique.empty() && unique.back().row == cell.row && unique.back().col == cell.col)
            unique.back() = cell;
        else
            unique.push_back(cell);
    }
    cells.swap(unique);
}

} // namespace

void Workbook::finish() {
    if (fonts.empty())
        fonts.emplace_back();
    if (fills.empty())
        fills.emplace_back();
    if (borders.empty())
        borders.emplace_back();
    if (cellFormats.empty())
        cellFormats.emplace_back();
    auto clamp = [](std::uint32_t& index, std::size_t size) {
        if (index >= size)
            index = 0;
    };
    for (auto& format : cellFormats) {
        clamp(format.font, fonts.size());
        clamp(format.fill, fills.size());
        clamp(format.border, borders.size());
    }
    for (auto& text : strings)
        for (auto& run : text.runs)
            clamp(run.font, fonts.size());
    for (auto& sheet : sheets) {
        sortCells(sheet.cells);
        for (auto& cell : sheet.cells) {
            clamp(cell.format, cellFormats.size());
            if (cell.type == CellType::Text && cell.text >= strings.size()) {
                cell.type = CellType::Empty;
                cell.number = 0;
            }
        }
        for (auto& column : sheet.columns)
            clamp(column.format, cellFormats.size());
        for (auto& row : sheet.rows)
            clamp(row.format, cellFormats.size());
    }
}

} // namespace engine
