#pragma once
// The record side of a batch run: which workbooks of the list are this run's (its shard, less
// those an earlier run converted), the output an earlier run gave each, and the report's lines.

#include "batch/BatchOptions.h"
#include "batch/BatchPlan.h"
#include "batch/RunReport.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace batch {

class Reporter;

class RunLedger {
public:
    RunLedger(const BatchOptions& options, std::string OutputFolder, Reporter& reporter);

    // Opens the report, when there is one. The reason when it cannot be.
    std::string open();

    struct Selection {
        std::vector<std::size_t> convert; // indices of the workbooks to convert, in list order
        std::vector<std::size_t> skip;    // indices of this run's workbooks converted before
        PlanRules rules;                  // what the plan must keep of earlier runs
    };

    // Picks this run's workbooks of `workbooks`. With --skip-done, reads the report: a workbook
    // it shows converted, unchanged since and with its output still there is skipped and keeps
    // that output; any other workbook of the report gets back the output it was given, emptied
    // of what the interrupted or failed attempt left, so that the run ends as one that was never
    // interrupted would have.
    Selection select(const std::vector<InputWorkbook>& workbooks);

    // Report lines, with the workbook file's stamp as it was when its conversion began.
    void started(const PlannedWorkbook& planned, const FileStamp& stamp);
    void skipped(const PlannedWorkbook& planned);
    void finished(const PlannedWorkbook& planned, const FileStamp& stamp, bool converted,
                  const std::vector<std::string>& pages, const std::string& error, double seconds,
                  std::optional<std::int64_t> hostPeakBytes);
    // An input that gave no workbook (missing, an empty folder), by what the user gave, with
    // the kind of its failure.
    void inputFailed(const std::string& input, const std::string& error, const std::string& kind);

    // True once a line could not be written: the report is short of this run's work.
    bool reportFailed() const { return reportFailed_; }

private:
    ReportRecord record(const PlannedWorkbook& planned, const char* status,
                        const FileStamp& stamp) const;
    std::string outputOf(const PlannedWorkbook& planned) const;
    // The planned folder an earlier run's recorded output stands for; empty when it is not one
    // this run could have made (outside the output directory, another extension).
    std::string folderOf(const std::string& output) const;
    void removeOutput(const std::string& folder) const;
    void write(const ReportRecord& record);

    const BatchOptions& options_;
    std::string OutputFolder_;
    Reporter& reporter_;
    ReportFile report_;
    std::atomic<bool> reportFailed_{false};
};

} // namespace batch
