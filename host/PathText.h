#pragma once
// The parts of a workbook's path that its names and error messages show.

#include <string>
#include <string_view>

namespace host {

// What follows the last '/' of `path` (all of it when it has none; empty after a final '/').
std::string fileNameOf(std::string_view path);

// fileNameOf(path) up to its last '.' ("Book.2024.xls" gives "Book.2024"); the whole name when
// it has no '.'.
std::string baseNameOf(std::string_view path);

} // namespace host
