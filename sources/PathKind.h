#pragma once
// The program's one test of the file system before it acts on a path.

#include <string>
#include <string_view>

namespace sources {

enum PathKindResult { NothingUsable = 0, ExistingFolder = 1, ExistingFile = 2 };

// 1 for an existing folder, 2 for an existing ordinary file, 0 for everything else: no such
// path, an empty path, a path with wildcard characters, a hidden (dot) entry, a device or pipe,
// or any failure of the test. Never reports anything and never fails.
int PathKind(std::string_view path);

// Whether the last component of `path` (trailing separators ignored) is a hidden (dot) name,
// which PathKind calls nothing usable; "." and ".." are not hidden names.
bool IsHiddenName(std::string_view path);

// What a picker tells the user when it refuses a hidden file or folder.
std::string HiddenPathRefusal(std::string_view path, bool folder);

} // namespace sources
