#include "batch/BatchRun.h"

#include "app/CaseFolding.h"
#include "app/Random.h"
#include "app/SharedState.h"
#include "batch/BatchPlan.h"
#include "batch/HostAlias.h"
#include "batch/HostMeter.h"
#include "batch/InputWorkbooks.h"
#include "batch/OutputDirectory.h"
#include "batch/PartialFiles.h"
#include "batch/Reporter.h"
#include "batch/RunLedger.h"
#include "batch/RunReport.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/KeptHost.h"
#include "convert/OutputFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace batch {
namespace {

// The naming rules' random numbers, shared by the workers.
class LockedRandom : public app::Random {
public:
    explicit LockedRandom(app::Random& inner) : inner_(inner) {}
    void Randomize() override {
        const std::lock_guard lock(mutex_);
        inner_.Randomize();
    }
    double Rnd() override {
        const std::lock_guard lock(mutex_);
        return inner_.Rnd();
    }

private:
    app::Random& inner_;
    std::mutex mutex_;
};

// Progress within a workbook is the window's concern; the batch reports each workbook from
// its outcome, by path.
class QuietObserver : public convert::RunObserver {
public:
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    void converting(const std::string&) override {}
    void hostError(const std::string&) override {}
    void workbookFailed(const std::string&) override {}
};

std::string quotedList(const std::vector<std::string>& names) {
    std::string quoted;
    for (const std::string& name : names)
        quoted += (quoted.empty() ? "\"" : ", \"") + name + '"';
    return quoted;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

enum class JobResult { Converted, Failed, HostFailed };

struct JobOutcome {
    JobResult result = JobResult::Failed;
    std::string error;              // why it failed, as said on standard error
    std::vector<std::string> pages; // the files written
    FileStamp stamp;                // the workbook file as it was when its conversion began
};

struct Run {
    const BatchOptions& options;
    automation::Factory& automation;
    app::Random& random;
    Reporter& reporter;
    RunLedger& ledger;
    std::string OutputFolder;
};

JobOutcome failure(const Run& run, const std::string& path, JobResult result,
                   const std::string& reason, JobOutcome outcome = {}) {
    run.reporter.failed(path, reason);
    outcome.result = result;
    outcome.error = reason;
    return outcome;
}

// One workbook, start to end, on a worker's own shared state.
// `reused`: the folder is the one an earlier run gave the workbook, emptied of its pages; what
// else it holds stays, and the folder with it.
JobOutcome convertOne(const Run& run, const PlannedWorkbook& planned, bool reused,
                      std::size_t number, app::SharedState& state) {
    run.reporter.starting(number, planned.input.itemText());
    const std::string& path = planned.input.path;
    const bool entire = run.options.output.entireWorkbook;
    state.OutputFolder = run.OutputFolder;
    state.WorkbookOutputFolder = planned.folder;
    // Each workbook numbers its pages from 1, whichever worker takes it and whatever became of
    // the workbook before it, so that the names do not depend on the order of the work.
    state.FileSequenceNumber = 0;
    JobOutcome result;
    result.stamp = StatFile(path);
    // A listed path is only checked here, when its turn comes; nothing is made for it.
    if (result.stamp.size < 0)
        return failure(run, path, JobResult::Failed, "no workbook file there", result);
    // Before the folder is made: a run killed between the two must find the folder named in
    // the report, or its resumed run takes the folder for another workbook's and hands out
    // different names from there on.
    run.ledger.started(planned, result.stamp);
    if (run.options.mirror) {
        // A folder that cannot be made shows when the workbook's own folder or page cannot.
        std::error_code ignored;
        std::filesystem::create_directories(BaseFolder(planned.input, run.OutputFolder, true),
                                            ignored);
    }
    if (!entire && !convert::CreateFolder(planned.folder) && !(reused && isFolder(planned.folder)))
        return failure(run, path, JobResult::Failed, "cannot create the folder " + planned.folder,
                       result);

    QuietObserver observer;
    convert::ConversionContext context{run.automation, run.random, state, observer,
                                       run.options.output};
    // Nobody watches a batch workbook sheet by sheet: many pages to a host request.
    context.publishInGroups = true;
    std::vector<std::string> worksheets;
    bool matched = false;
    const std::vector<std::string>& sheets = run.options.sheets;
    if (!sheets.empty())
        context.publishesSheet = [&](const std::string& name) {
            worksheets.push_back(name);
            // As the host matches sheet names.
            const bool wanted =
                std::any_of(sheets.cbegin(), sheets.cend(), [&](const std::string& sheet) {
                    return app::CompareIgnoringCase(sheet, name) == 0;
                });
            matched = matched || wanted;
            return wanted;
        };

    std::unique_ptr<HostAlias> alias;
    const std::string hostPath = HostPathFor(path, alias);
    const convert::WorkbookJob job{planned.position, planned.input.itemText(),
                                   IsWorkbookFile(hostPath) ? hostPath : std::string()};
    const convert::ConversionOutcome outcome = entire
                                                   ? convert::ConvertWholeWorkbook(context, job)
                                                   : convert::ConvertSheetsOfWorkbook(context, job);
    result.pages = outcome.written;
    switch (outcome.result) {
    case convert::Converted:
        break;
    case convert::HostFailed:
        return failure(run, path, JobResult::HostFailed, outcome.errorDescription, result);
    default:
        return failure(run, path, JobResult::Failed, "the workbook file is gone", result);
    }
    if (!sheets.empty() && !matched) {
        // Nothing was published: the folder made for it would only mislead.
        ::rmdir(planned.folder.c_str());
        return failure(run, path, JobResult::Failed,
                       worksheets.empty() ? "no worksheet named " + quotedList(sheets) +
                                                ": the workbook has no worksheets"
                                          : "no worksheet named " + quotedList(sheets) +
                                                "; its worksheets are " + quotedList(worksheets),
                       result);
    }
    result.result = JobResult::Converted;
    return result;
}

} // namespace

int RunBatch(const BatchOptions& options, automation::Factory& automation, app::Random& random,
             const Reporter::LineSink& errors, bool progress) {
    std::string OutputFolder;
    const std::string problem = PrepareBatchOutput(options.outputFolder, OutputFolder);
    if (!problem.empty()) {
        errors("quillmere-batch: " + problem);
        return SomeFailed;
    }

    const CollectedInputs inputs = CollectInputs(
        options.inputs, InputRules{options.recursive, options.filesFrom, options.nulSeparated});
    Reporter reporter(errors, progress, 0);
    RunLedger ledger(options, OutputFolder, reporter);
    const std::string reportProblem = ledger.open();
    if (!reportProblem.empty()) {
        reporter.note(reportProblem);
        return SomeFailed;
    }
    for (const std::string& note : inputs.notes)
        reporter.note(note);
    for (const std::string& missing : inputs.missing) {
        const std::string reason = "no workbook file or folder there";
        reporter.failed(missing, reason);
        ledger.inputFailed(missing, reason, "unreadable");
    }
    for (const std::string& empty : inputs.empty)
        reporter.note(empty);
    if (!inputs.listError.empty())
        reporter.note(inputs.listError);
    bool inputFailed =
        !inputs.missing.empty() || !inputs.empty.empty() || !inputs.listError.empty();
    if (inputs.workbooks.empty() && !inputFailed && !options.filesFrom.empty()) {
        reporter.note("the list " + options.filesFrom + " names no workbook");
        inputFailed = true;
    }

    const RunLedger::Selection selection = ledger.select(inputs.workbooks);
    const std::vector<PlannedWorkbook> plan =
        PlanWorkbooks(inputs.workbooks, OutputFolder, options.output,
                      PlanRules{options.mirror, selection.rules.decided});
    for (const std::size_t i : selection.skip)
        ledger.skipped(plan[i]);
    if (!selection.skip.empty())
        reporter.note(std::to_string(selection.skip.size()) +
                      " workbook(s) converted before and unchanged since are skipped");

    const std::vector<std::size_t>& chosen = selection.convert;
    reporter.setTotal(chosen.size());
    LockedRandom sharedRandom(random);
    std::vector<JobResult> results(chosen.size(), JobResult::Failed);
    // The largest workbooks first, so that no worker is left with a big one at the end while
    // the others idle; the names are settled already, so the order changes nothing else.
    std::vector<std::size_t> order(chosen.size());
    std::vector<std::int64_t> sizes(chosen.size());
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        order[k] = k;
        sizes[k] = options.jobs > 1
                       ? std::max<std::int64_t>(0, StatFile(plan[chosen[k]].input.path).size)
                       : 0;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        // The sheet table is large; keep it off the stack, as the window does.
        auto state = std::make_unique<app::SharedState>();
        // A host start costs more than a small workbook: each worker keeps its host for the
        // next workbook while nothing fails in it, and ends it before the run's end.
        convert::KeptHost hosts(automation);
        const Run run{options, hosts, sharedRandom, reporter, ledger, OutputFolder};
        for (std::size_t taken = next++; taken < chosen.size(); taken = next++) {
            const std::size_t k = order[taken];
            const PlannedWorkbook& planned = plan[chosen[k]];
            TakeHostPeakMemory();
            const auto start = std::chrono::steady_clock::now();
            JobOutcome outcome;
            try {
                const bool reused =
                    !selection.rules.decided.empty() && !selection.rules.decided[chosen[k]].empty();
                outcome = convertOne(run, planned, reused, k + 1, *state);
            } catch (...) {
                outcome.error = convert::CurrentFailureDescription();
                reporter.failed(planned.input.path, outcome.error);
            }
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            results[k] = outcome.result;
            ledger.finished(planned, outcome.stamp, outcome.result == JobResult::Converted,
                            outcome.pages, outcome.error, seconds.count(), TakeHostPeakMemory());
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(1, options.jobs)), chosen.size());
    if (workers <= 1) {
        work();
    } else {
        std::vector<std::thread> threads;
        for (std::size_t k = 0; k < workers; ++k)
            threads.emplace_back(work);
        for (std::thread& thread : threads)
            thread.join();
    }

    // Every host has ended by now, so what they left half written is nobody's work in progress.
    for (std::size_t k = 0; k < chosen.size(); ++k)
        if (results[k] == JobResult::HostFailed)
            RemovePartialFiles(options.output.entireWorkbook
                                   ? BaseFolder(plan[chosen[k]].input, OutputFolder, options.mirror)
                                   : plan[chosen[k]].folder);

    const bool anyFailed = std::any_of(results.cbegin(), results.cend(),
                                       [](JobResult r) { return r != JobResult::Converted; });
    return anyFailed || inputFailed || ledger.reportFailed() ? SomeFailed : AllConverted;
}

} // namespace batch
