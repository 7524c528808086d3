#pragma once
// The directory listing behind the workbook list, without any window.

#include <string>
#include <string_view>
#include <vector>

namespace sources {

// At most this many workbooks are listed.
inline constexpr int MaxWorkbooks = 500;

// The names of the ordinary files in `folder` whose extension begins with "xls" in any letter
// case, dot files left out, sorted by name ignoring case, at most `limit` of them. Names keep
// the bytes the file system holds. An empty list when the folder cannot be read.
std::vector<std::string> ListWorkbookNames(const std::string& folder, int limit);

// `name` inside `folder`, with one separator between them also when the folder ends in one.
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace sources
