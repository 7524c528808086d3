#pragma once
// Which day a workbook counts its serial dates from: 1899-12-30 (with the 1900 leap-day fault)
// or 1904-01-01. The model, the readers and the calendar code all speak of it.

#include <cstdint>

namespace engine {

enum class DateSystem : std::uint8_t { Date1900, Date1904 };

} // namespace engine
