#pragma once
// Paths by the rules the window's file handling follows, on names held as bytes.

#include <string>
#include <string_view>

namespace batch {

// `path` made absolute against the current folder: an absolute path as it is, a relative one
// after the current folder and one "/" (not cleaned).
std::string AbsolutePath(const std::string& path);

// `path` with repeated "/" made one, "." parts dropped, each ".." taking the part before it
// (one with none before it stays, at the root too), and no "/" at the end but the root's; "."
// for a relative path that comes to nothing.
std::string CleanPath(std::string_view path);

// `name` in `folder`: one "/" between them.
std::string JoinPath(const std::string& folder, std::string_view name);

// The last part of `path`: what follows its last "/".
std::string_view FileNameOf(std::string_view path);

} // namespace batch
