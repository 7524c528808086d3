#pragma once
// What an earlier run's report says of the workbooks of this run, for --skip-done.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace batch {

struct Recorded {
    std::string status;     // of the workbook's last line: "started", "converted", "failed" ...
    std::int64_t size = -1; // as that line gives them
    std::int64_t modifiedNs = 0;
    std::string output; // the output it was given (bytes), when the line names one
};

struct RecordedRun {
    std::vector<Recorded> records; // one per path asked about, in that order; empty status: none
    int unreadableLines = 0;       // lines that are no JSON object with a path (a cut last line)
    std::string error;             // why the report could not be read; a missing one is empty
};

// Reads the report at `reportPath` and gives, for each of `paths` (bytes, indexed as in
// `indexOf`), its last line. A path's \udcXX escapes stand for the bytes of a name that is not
// UTF-8, as ReportLine writes them. Lines of other paths are passed over, so the memory taken
// grows with the run, not with the report.
RecordedRun ReadRecords(const std::string& reportPath,
                        const std::unordered_map<std::string, std::size_t>& indexOf,
                        std::size_t count);

// True when `recorded` shows the workbook converted (or skipped as converted before) at the
// size and modification time it has now.
bool IsDone(const Recorded& recorded, std::int64_t size, std::int64_t modifiedNs);

} // namespace batch
