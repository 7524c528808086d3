#pragma once
// Computes a workbook's formulas once it is read: the cells that need it (no stored result, a
// full calculation asked for, volatile functions and what depends on them), in dependency
// order, with cycles and hostile workbooks ending in bounded time and stack.

#include "engine/base/Limits.h"
#include "engine/model/Workbook.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace engine::formula {

struct CalcOptions {
    // The moment TODAY() and NOW() see, as a serial of the workbook's date system; by default
    // conversionMoment().
    std::optional<double> now;
    // About one unit per value visited or operator applied; the rest keep what the file holds.
    std::uint64_t workBudget = 400'000'000;
    // The workbook's string table holds at most this many texts: a computed text that finds it
    // full leaves its cell as the file had it, so a computation never fails the read.
    std::size_t stringLimit = limits::maxStrings;
};

// Computes the formulas of `workbook` and writes the results into its cells; counts unknown
// functions and circular references in the workbook.
void computeFormulas(Workbook& workbook, const CalcOptions& options = {});

// Now in local time as a serial of `dates`: SOURCE_DATE_EPOCH when set, else the clock.
double conversionMoment(DateSystem dates);

} // namespace engine::formula
