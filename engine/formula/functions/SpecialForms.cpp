// The functions the evaluator computes itself, because they take their arguments lazily or
// answer with references: rows without a body, so that every function has its row.

#include "engine/formula/functions/Families.h"

namespace engine::formula::functions {
namespace {

constexpr std::uint16_t lazy = flag::SpecialForm;
constexpr std::uint16_t picks = flag::SpecialForm | flag::ReturnsReference;
constexpr std::uint16_t moving = flag::SpecialForm | flag::ReturnsReference | flag::Volatile;

constexpr FunctionInfo table[] = {
    FunctionInfo{"ANCHORARRAY", 1, 1, nullptr, {}, 0, picks, nullptr, "_xlfn."},
    FunctionInfo{"CHOOSE", 2, 255, nullptr, {}, 0, picks, nullptr, {}, 100},
    FunctionInfo{"COLUMN", 0, 1, nullptr, {}, 0, lazy, nullptr, {}, 9},
    FunctionInfo{"COLUMNS", 1, 1, nullptr, {}, 0, lazy, nullptr, {}, 77},
    FunctionInfo{"IF", 1, 3, nullptr, {}, 0, picks, nullptr, {}, 1},
    FunctionInfo{"IFERROR", 2, 2, nullptr, {}, 0, picks, nullptr, {}, 480},
    FunctionInfo{"IFNA", 2, 2, nullptr, {}, 0, picks, nullptr, "_xlfn."},
    FunctionInfo{"IFS", 2, 254, nullptr, {}, 0, picks, nullptr, "_xlfn."},
    FunctionInfo{"INDEX", 2, 4, nullptr, {}, 0, picks, nullptr, {}, 29},
    FunctionInfo{"INDIRECT", 1, 2, nullptr, {}, 0, moving, nullptr, {}, 148},
    FunctionInfo{"ISFORMULA", 1, 1, nullptr, {}, 0, lazy, nullptr, "_xlfn."},
    FunctionInfo{"NOW", 0, 0, nullptr, {}, 0, lazy | flag::Volatile, nullptr, {}, 74},
    FunctionInfo{"OFFSET", 3, 5, nullptr, {}, 0, moving, nullptr, {}, 78},
    FunctionInfo{"ROW", 0, 1, nullptr, {}, 0, lazy, nullptr, {}, 8},
    FunctionInfo{"ROWS", 1, 1, nullptr, {}, 0, lazy, nullptr, {}, 76},
    FunctionInfo{"SINGLE", 1, 1, nullptr, {}, 0, picks, nullptr, "_xlfn."},
    FunctionInfo{"SWITCH", 3, 254, nullptr, {}, 0, picks, nullptr, "_xlfn."},
    FunctionInfo{"TODAY", 0, 0, nullptr, {}, 0, lazy | flag::Volatile, nullptr, {}, 221},
};

} // namespace

std::span<const FunctionInfo> specialForms() {
    return table;
}

} // namespace engine::formula::functions
