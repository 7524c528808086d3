// The functions that tell about the workbook itself: the evaluator answers them, since they
// take references as references (calc/Information.cpp).

#include "engine/formula/functions/Families.h"

namespace engine::formula::functions {
namespace {

constexpr std::uint16_t form = flag::SpecialForm;
// CELL and INFO answer about the sheet's layout and the session, which change without any cell
// they read changing.
constexpr std::uint16_t session = flag::SpecialForm | flag::Volatile | flag::Session;

constexpr FunctionInfo table[] = {
    FunctionInfo{"AREAS", 1, 1, nullptr, {}, 0, form, nullptr, {}, 75},
    FunctionInfo{"CELL", 1, 2, nullptr, {}, 0, session, nullptr, {}, 125},
    FunctionInfo{"FORMULATEXT", 1, 1, nullptr, {}, 0, form, nullptr, "_xlfn."},
    FunctionInfo{"INFO", 1, 1, nullptr, {}, 0, session, nullptr, {}, 244},
    FunctionInfo{"SHEET", 0, 1, nullptr, {}, 0, form, nullptr, "_xlfn."},
    FunctionInfo{"SHEETS", 0, 1, nullptr, {}, 0, form, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> informationForms() {
    return table;
}

} // namespace engine::formula::functions
