#pragma once
// The -o directory of quillmere-batch: made ready as a typed output directory is in the window,
// or refused with the real reason.

#include <string>

namespace batch {

// Readies `given` (relative to the current folder) as the run's output directory: an existing
// folder, or a missing last level created. On success `OutputFolder` is the absolute folder
// ending in one "/" and the result is empty; otherwise the result says why, naming `given`:
// a file or other non-folder there, a hidden (dot) name or a wildcard the window would not use
// either, a missing parent, or the system's reason the folder could not be made. Nothing is
// created for a refused directory. The host names what it writes by text, so a name that is
// not UTF-8 is taken with U+FFFD for each stray byte.
std::string PrepareBatchOutput(const std::string& given, std::string& OutputFolder);

} // namespace batch
