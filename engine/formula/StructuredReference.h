#pragma once
// Structured references: a table's columns and row groups by name (Sales[Amount],
// Sales[[#Totals],[Amount]], [@Rate]) resolved to the cells the table's definition gives.

#include "engine/formula/Expr.h"
#include "engine/model/Table.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace engine::formula {

// Where the formula that holds the reference sits: [#This Row] is its row.
struct StructuredCaller {
    std::uint32_t sheet = 0, row = 0;
};

// The length of the bracketed specifier at the start of `text` (its outer brackets included),
// minding the ' escapes and nested brackets; nullopt when it does not close.
std::optional<std::size_t> specifierLength(std::string_view text);

// The cells `specifier` (the bracketed text after the table's name, brackets included) names
// in `table`; an error value when it names no cells (#REF! for an unknown column or a missing
// header or total row, #VALUE! for this row outside the table's data).
std::variant<Reference, CellError> resolveStructured(const Table& table, std::string_view specifier,
                                                     const StructuredCaller& caller);

} // namespace engine::formula
