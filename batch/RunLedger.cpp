#include "batch/RunLedger.h"

#include "batch/DoneRecords.h"
#include "batch/FailureKind.h"
#include "batch/PathBytes.h"
#include "batch/Reporter.h"
#include "batch/Shard.h"
#include "convert/OutputOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>
#include <unordered_map>

namespace batch {

RunLedger::RunLedger(const BatchOptions& options, QString OutputFolder, Reporter& reporter)
    : options_(options), OutputFolder_(std::move(OutputFolder)), reporter_(reporter) {}

QString RunLedger::open() {
    return options_.reportFile.empty() ? QString()
                                       : QString::fromStdString(report_.open(options_.reportFile));
}

RunLedger::Selection RunLedger::select(const std::vector<InputWorkbook>& workbooks) {
    Selection selection;
    const std::size_t count = workbooks.size();
    std::vector<bool> own(count, true);
    if (options_.shardCount > 1)
        for (std::size_t i = 0; i < count; ++i)
            own[i] = ShardOf(PathToBytes(workbooks[i].relative()).toStdString(),
                             options_.shardCount) == options_.shardIndex;
    if (!options_.skipDone) {
        for (std::size_t i = 0; i < count; ++i)
            if (own[i])
                selection.convert.push_back(i);
        return selection;
    }

    // Every workbook of the list, not only this shard's: a report shared by several shards
    // tells which names the others' outputs hold.
    std::unordered_map<std::string, std::size_t> indexOf;
    indexOf.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        indexOf.insert_or_assign(PathToBytes(workbooks[i].path).toStdString(), i);
    const RecordedRun recorded = ReadRecords(options_.reportFile, indexOf, count);
    if (!recorded.error.empty())
        reporter_.note(recorded.error + "; every workbook is converted");
    if (recorded.unreadableLines > 0)
        reporter_.note(options_.reportFile + ": " + std::to_string(recorded.unreadableLines) +
                       " line(s) are no report line and were passed over");

    selection.rules.decided.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Recorded& last = recorded.records[i];
        const QString output = PathFromBytes(last.output);
        const QString folder = last.status.empty() ? QString() : folderOf(output);
        if (!own[i]) {
            selection.rules.decided[i] = folder;
            continue;
        }
        const FileStamp stamp = StatFile(PathToBytes(workbooks[i].path).toStdString());
        const bool outputThere =
            !folder.isEmpty() && (options_.output.entireWorkbook ? QFileInfo(output).isFile()
                                                                 : QFileInfo(folder).isDir());
        if (IsDone(last, stamp.size, stamp.modifiedNs) && outputThere) {
            selection.skip.push_back(i);
            selection.rules.decided[i] = folder;
            continue;
        }
        // What an interrupted or failed attempt left, or the pages of an input that changed
        // since, goes before the workbook is converted again into the same place.
        if (!folder.isEmpty())
            removeOutput(folder);
        selection.rules.decided[i] = folder;
        selection.convert.push_back(i);
    }
    return selection;
}

QString RunLedger::outputOf(const PlannedWorkbook& planned) const {
    return options_.output.entireWorkbook
               ? planned.folder + u'.' + convert::OutputExtension(options_.output)
               : planned.folder;
}

QString RunLedger::folderOf(const QString& output) const {
    // Only what this run could have made: inside its output directory, by a plain path.
    if (output.size() <= OutputFolder_.size() || !output.startsWith(OutputFolder_) ||
        QDir::cleanPath(output) != output || output.endsWith(u'/'))
        return QString();
    if (!options_.output.entireWorkbook)
        return output;
    const QString dotExtension = u'.' + convert::OutputExtension(options_.output);
    if (!output.endsWith(dotExtension, Qt::CaseInsensitive))
        return QString();
    return output.chopped(dotExtension.size());
}

void RunLedger::removeOutput(const QString& folder) const {
    if (options_.output.entireWorkbook) {
        QFile::remove(outputOf(PlannedWorkbook{{}, 0, folder}));
        QDir(folder + QStringLiteral("_files")).removeRecursively();
    } else {
        // A workbook's folder holds its pages and their supporting folders; anything else in it
        // (another workbook's mirrored folder, after a change of options) is left alone.
        QDir dir(folder);
        for (const QFileInfo& entry : dir.entryInfoList(
                 QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            if (entry.isDir() && !entry.isSymLink()) {
                if (entry.fileName().endsWith(QStringLiteral("_files")))
                    QDir(entry.filePath()).removeRecursively();
            } else {
                QFile::remove(entry.filePath());
            }
        }
        dir.rmdir(folder);
    }
}

ReportRecord RunLedger::record(const PlannedWorkbook& planned, const QString& status,
                               const FileStamp& stamp) const {
    ReportRecord line;
    line.path = PathToBytes(planned.input.path).toStdString();
    line.status = status.toStdString();
    line.size = stamp.size;
    line.modifiedNs = stamp.modifiedNs;
    line.output = PathToBytes(outputOf(planned)).toStdString();
    return line;
}

void RunLedger::write(const ReportRecord& line) {
    if (!report_.isOpen() || report_.append(line) || reportFailed_.exchange(true))
        return;
    reporter_.note("the report " + options_.reportFile +
                   " could not be written to: the lines of this run from here on are missing");
}

void RunLedger::started(const PlannedWorkbook& planned, const FileStamp& stamp) {
    write(record(planned, QStringLiteral("started"), stamp));
}

void RunLedger::skipped(const PlannedWorkbook& planned) {
    write(record(planned, QStringLiteral("skipped"),
                 StatFile(PathToBytes(planned.input.path).toStdString())));
}

void RunLedger::finished(const PlannedWorkbook& planned, const FileStamp& stamp, bool converted,
                         const QStringList& pages, const QString& error, double seconds,
                         std::optional<qint64> hostPeakBytes) {
    ReportRecord line =
        record(planned, converted ? QStringLiteral("converted") : QStringLiteral("failed"), stamp);
    for (const QString& page : pages)
        line.pages.push_back(PathToBytes(page).toStdString());
    line.error = PathToBytes(error).toStdString();
    line.kind = converted ? std::string() : FailureKind(line.error);
    line.seconds = seconds;
    line.hostPeakBytes = hostPeakBytes;
    write(line);
}

void RunLedger::inputFailed(const QString& input, const QString& error, const QString& kind) {
    ReportRecord line;
    line.path = PathToBytes(QDir::current().absoluteFilePath(input)).toStdString();
    line.status = "failed";
    line.error = PathToBytes(error).toStdString();
    line.kind = kind.toStdString();
    write(line);
}

} // namespace batch
