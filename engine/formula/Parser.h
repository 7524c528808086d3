#pragma once
// Reads formula text into an expression tree: the A1 syntax of .xlsx files and, through
// translateOpenDocument, the bracketed syntax of OpenDocument files.

#include "engine/formula/Expr.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace engine {
struct Table;
}

namespace engine::formula {

struct ParseContext {
    // Index of the sheet named (any letter case), nullopt when the workbook has none.
    std::function<std::optional<std::uint32_t>(std::string_view)> findSheet;
    std::uint32_t sheet = 0;        // the sheet of the formula's cell
    std::uint32_t row = 0, col = 0; // the formula's cell
    // For a shared formula: the cell its text was written for. Relative references move by
    // the distance from there to (row, col).
    std::uint32_t originRow = 0, originCol = 0;
    // A defined name's references move around the grid's edges: its text is written for A1,
    // so the row above A1 is the grid's last.
    bool wrap = false;
    // The table named (any letter case), and the table holding a cell, for structured
    // references; null when there is none or the caller keeps no tables.
    std::function<const Table*(std::string_view)> findTable;
    std::function<const Table*(std::uint32_t sheet, std::uint32_t row, std::uint32_t col)> tableAt;
};

struct ParseResult {
    NodePtr root;      // null when the text is not a formula
    std::string error; // why, when root is null
};

// `text` without its leading '='. Never throws; nesting deeper than a bound is an error.
ParseResult parseFormula(std::string_view text, const ParseContext& context);

// OpenDocument formula text ("of:=[.A1]+SUM([.B1:.B3];2)") as the A1 syntax parseFormula
// reads; nullopt for a namespace other than OpenFormula's.
std::optional<std::string> translateOpenDocument(std::string_view text);

// A sheet name as written before its reference: "'It''s'" is It's, unquoted text stands as is.
std::string sheetNameOf(std::string_view written);

// A 0-based column from its letters ("A" 0, "XFD" 16383); nullopt past the grid.
std::optional<std::uint32_t> columnFromLetters(std::string_view letters);

} // namespace engine::formula
