#pragma once
// The --files-from list: paths one a line, or each ended by a NUL byte.

#include <string>
#include <vector>

namespace batch {

struct PathList {
    std::vector<std::string> paths; // as listed, bytes as they were; empty entries left out
    std::string error;              // why the list could not be read (whole or in part); else empty
};

// Reads the list at `source` ("-" for standard input). Line ends are LF, or CR LF; with
// `nulSeparated`, only NUL ends a path, so names may hold line ends. An entry longer than any
// path the system opens is an error that names its place, and ends the reading.
PathList ReadPathList(const std::string& source, bool nulSeparated);

} // namespace batch
