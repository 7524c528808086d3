#pragma once
// Dates and times written as text, read the way a cell entry or DATEVALUE reads them.

#include "engine/model/Workbook.h"

#include <optional>
#include <string_view>

namespace engine::formula::functions {

// The serial number (days and fraction of a day) of text such as "2020-01-31", "1/31/2020",
// "31-Jan-2020", "January 31, 2020", "13:30", "1:30:15 PM" or a date followed by a time;
// nullopt when the text is none of these or names a day that does not exist. Month-first
// order is used for all-numeric dates; a two-digit year below 30 is in the 2000s.
std::optional<double> parseDateTimeText(std::string_view text, DateSystem dates);

} // namespace engine::formula::functions
