#pragma once
// What an earlier run's report says of the workbooks of this run, for --skip-done.

#include <QHash>
#include <QString>
#include <vector>

namespace batch {

struct Recorded {
    QString status;   // of the workbook's last line: "started", "converted", "failed" ...
    qint64 size = -1; // as that line gives them
    qint64 modifiedNs = 0;
    QString output; // the output it was given, when the line names one
};

struct RecordedRun {
    std::vector<Recorded> records; // one per path asked about, in that order; empty status: none
    int unreadableLines = 0;       // lines that are no JSON object with a path (a cut last line)
    QString error;                 // why the report could not be read; a missing one is empty
};

// Reads the report at `reportPath` and gives, for each of `paths` (indexed as in `indexOf`),
// its last line. Lines of other paths are passed over, so the memory taken grows with the run,
// not with the report.
RecordedRun ReadRecords(const QString& reportPath, const QHash<QString, std::size_t>& indexOf,
                        std::size_t count);

// True when `recorded` shows the workbook converted (or skipped as converted before) at the
// size and modification time it has now.
bool IsDone(const Recorded& recorded, qint64 size, qint64 modifiedNs);

} // namespace batch
