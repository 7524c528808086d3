#pragma once
// The machine-readable record of a batch run: one JSON object a line, appended as each workbook
// finishes, so that the reports of many runs can be concatenated and a killed run leaves whole
// lines only.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

namespace batch {

struct ReportRecord {
    QString path;          // the workbook, absolute (PathBytes keeps a name that is not UTF-8)
    QString status;        // "converted", "failed" or "skipped"; "started" as it begins
    qint64 size = -1;      // the workbook file's size in bytes; -1 when it has none
    qint64 modifiedNs = 0; // its modification time, nanoseconds since 1970
    QString output;        // its output folder (per sheet) or page (whole workbook); may be empty
    QStringList pages;     // the files written
    QString error;         // why it failed
    QString kind;          // the kind of failure (FailureKind)
    double seconds = -1;   // the time it took; -1: not timed
    std::optional<qint64> hostPeakBytes; // the host's peak resident memory
};

// `record` as one line of JSON ending in "\n". Lone surrogates of kept bytes are written as
// \udcXX escapes, so a reader that keeps them (Python's json with os.fsencode) gets the bytes.
QByteArray ReportLine(const ReportRecord& record);

// A report file open for appending, shared by the workers.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens (creating) `path` for appending. A last line cut short by a killed run is ended
    // first, so that it stays one bad line and spoils no new one. The reason on failure.
    QString open(const QString& path);
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
    qint64 size = -1; // -1: no regular file there
    qint64 modifiedNs = 0;
};

// The stamp of the file at `path` (as InputWorkbook::path holds it).
FileStamp StatFile(const QString& path);

} // namespace batch
