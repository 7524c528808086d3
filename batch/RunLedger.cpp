#include "batch/RunLedger.h"

#include "batch/DoneRecords.h"
#include "batch/FailureKind.h"
#include "batch/FoldedCase.h"
#include "batch/PathRules.h"
#include "batch/Reporter.h"
#include "batch/Shard.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace batch {
namespace {

namespace fs = std::filesystem;

bool isFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder of supporting files and all it holds; a link stays, and what it leads to with it.
void removeTree(const fs::path& folder) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(folder, error)))
        fs::remove_all(folder, error);
}

} // namespace

RunLedger::RunLedger(const BatchOptions& options, std::string OutputFolder, Reporter& reporter)
    : options_(options), OutputFolder_(std::move(OutputFolder)), reporter_(reporter) {}

std::string RunLedger::open() {
    return options_.reportFile.empty() ? std::string() : report_.open(options_.reportFile);
}

RunLedger::Selection RunLedger::select(const std::vector<InputWorkbook>& workbooks) {
    Selection selection;
    const std::size_t count = workbooks.size();
    std::vector<bool> own(count, true);
    if (options_.shardCount > 1)
        for (std::size_t i = 0; i < count; ++i)
            own[i] = ShardOf(workbooks[i].relative(), options_.shardCount) == options_.shardIndex;
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
        indexOf.insert_or_assign(workbooks[i].path, i);
    const RecordedRun recorded = ReadRecords(options_.reportFile, indexOf, count);
    if (!recorded.error.empty())
        reporter_.note(recorded.error + "; every workbook is converted");
    if (recorded.unreadableLines > 0)
        reporter_.note(options_.reportFile + ": " + std::to_string(recorded.unreadableLines) +
                       " line(s) are no report line and were passed over");

    selection.rules.decided.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Recorded& last = recorded.records[i];
        const std::string folder = last.status.empty() ? std::string() : folderOf(last.output);
        if (!own[i]) {
            selection.rules.decided[i] = folder;
            continue;
        }
        const FileStamp stamp = StatFile(workbooks[i].path);
        const bool outputThere =
            !folder.empty() &&
            (options_.output.entireWorkbook ? isFile(last.output) : isFolder(folder));
        if (IsDone(last, stamp.size, stamp.modifiedNs) && outputThere) {
            selection.skip.push_back(i);
            selection.rules.decided[i] = folder;
            continue;
        }
        // What an interrupted or failed attempt left, or the pages of an input that changed
        // since, goes before the workbook is converted again into the same place.
        if (!folder.empty())
            removeOutput(folder);
        selection.rules.decided[i] = folder;
        selection.convert.push_back(i);
    }
    return selection;
}

std::string RunLedger::outputOf(const PlannedWorkbook& planned) const {
    return options_.output.entireWorkbook
               ? planned.folder + '.' + convert::OutputExtension(options_.output)
               : planned.folder;
}

std::string RunLedger::folderOf(const std::string& output) const {
    // Only what this run could have made: inside its output directory, by a plain path.
    if (output.size() <= OutputFolder_.size() || !output.starts_with(OutputFolder_) ||
        CleanPath(output) != output || output.ends_with('/'))
        return std::string();
    if (!options_.output.entireWorkbook)
        return output;
    const std::string dotExtension = '.' + convert::OutputExtension(options_.output);
    if (!EndsWithIgnoringCase(output, dotExtension))
        return std::string();
    return output.substr(0, output.size() - dotExtension.size());
}

void RunLedger::removeOutput(const std::string& folder) const {
    if (options_.output.entireWorkbook) {
        ::unlink(outputOf(PlannedWorkbook{{}, 0, folder}).c_str());
        removeTree(folder + "_files");
        return;
    }
    // A workbook's folder holds its pages and their supporting folders; anything else in it
    // (another workbook's mirrored folder, after a change of options) is left alone.
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& entry = it->path();
        std::error_code ignored;
        if (fs::is_directory(it->symlink_status(ignored))) {
            if (entry.filename().string().ends_with("_files"))
                removeTree(entry);
        } else {
            ::unlink(entry.c_str());
        }
    }
    ::rmdir(folder.c_str());
}

ReportRecord RunLedger::record(const PlannedWorkbook& planned, const char* status,
                               const FileStamp& stamp) const {
    ReportRecord line;
    line.path = planned.input.path;
    line.status = status;
    line.size = stamp.size;
    line.modifiedNs = stamp.modifiedNs;
    line.output = outputOf(planned);
    return line;
}

void RunLedger::write(const ReportRecord& line) {
    if (!report_.isOpen() || report_.append(line) || reportFailed_.exchange(true))
        return;
    reporter_.note("the report " + options_.reportFile +
                   " could not be written to: the lines of this run from here on are missing");
}

void RunLedger::started(const PlannedWorkbook& planned, const FileStamp& stamp) {
    write(record(planned, "started", stamp));
}

void RunLedger::skipped(const PlannedWorkbook& planned) {
    write(record(planned, "skipped", StatFile(planned.input.path)));
}

void RunLedger::finished(const PlannedWorkbook& planned, const FileStamp& stamp, bool converted,
                         const std::vector<std::string>& pages, const std::string& error,
                         double seconds, std::optional<std::int64_t> hostPeakBytes) {
    ReportRecord line = record(planned, converted ? "converted" : "failed", stamp);
    line.pages = pages;
    line.error = error;
    line.kind = converted ? std::string() : FailureKind(error);
    line.seconds = seconds;
    line.hostPeakBytes = hostPeakBytes;
    write(line);
}

void RunLedger::inputFailed(const std::string& input, const std::string& error,
                            const std::string& kind) {
    ReportRecord line;
    line.path = AbsolutePath(input);
    line.status = "failed";
    line.error = error;
    line.kind = kind;
    write(line);
}

} // namespace batch
