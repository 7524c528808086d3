#pragma once
// The machine-readable record of a batch run: one JSON object a line, appended as each workbook
// finishes, so that the reports of many runs can be concatenated and a killed run leaves whole
// lines only.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace batch {

struct ReportRecord {
    std::string path;            // the workbook, absolute (bytes; a name need not be UTF-8)
    std::string status;          // "converted", "failed" or "skipped"; "started" as it begins
    std::int64_t size = -1;      // the workbook file's size in bytes; -1 when it has none
    std::int64_t modifiedNs = 0; // its modification time, nanoseconds since 1970
    std::string output; // its output folder (per sheet) or page (whole workbook); may be empty
    std::vector<std::string> pages;            // the files written
    std::string error;                         // why it failed
    std::string kind;                          // the kind of failure (FailureKind)
    double seconds = -1;                       // the time it took; -1: not timed
    std::optional<std::int64_t> hostPeakBytes; // the host's peak resident memory
};

// `record` as one line of JSON ending in "\n". A byte that is not part of valid UTF-8 is written
// as the escape of the lone surrogate U+DC00 + byte (\udcXX), so a reader that keeps such bytes
// (Python's json with os.fsencode) gets them back.
std::string ReportLine(const ReportRecord& record);

// A report file open for appending, shared by the workers.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens (creating) `path` for appending. A last line cut short by a killed run is ended
    // first, so that it stays one bad line and spoils no new one. The reason on failure.
    std::string open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }

    // Appends `record` in one write, so that other processes appending to the same file never
    // split it. Does nothing when not open; false when the line could not be written whole.
    bool append(const ReportRecord& record);

private:
    std::mutex mutex_;
    int fd_ = -1;
};

// The size and modification time of a file, by which a later run tells whether it changed.
struct FileStamp {
    std::int64_t size = -1; // -1: no regular file there
    std::int64_t modifiedNs = 0;
};

// The stamp of the file at `path` (bytes).
FileStamp StatFile(const std::string& path);

} // namespace batch
