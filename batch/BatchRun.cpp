#include "batch/BatchRun.h"

#include "app/Services.h"
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

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

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
    void converting(const QString&) override {}
    void hostError(const QString&) override {}
    void workbookFailed(const QString&) override {}
};

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted << u'"' + name + u'"';
    return quoted.join(QStringLiteral(", "));
}

enum class JobResult { Converted, Failed, HostFailed };

struct JobOutcome {
    JobResult result = JobResult::Failed;
    QString error;     // why it failed, as said on standard error
    QStringList pages; // the files written
    FileStamp stamp;   // the workbook file as it was when its conversion began
};

struct Run {
    const BatchOptions& options;
    automation::Factory& automation;
    app::Random& random;
    Reporter& reporter;
    RunLedger& ledger;
    QString OutputFolder;
};

JobOutcome failure(const Run& run, const QString& path, JobResult result, const QString& reason,
                   JobOutcome outcome = {}) {
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
    const QString& path = planned.input.path;
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
        return failure(run, path, JobResult::Failed, QStringLiteral("no workbook file there"),
                       result);
    // Before the folder is made: a run killed between the two must find the folder named in
    // the report, or its resumed run takes the folder for another workbook's and hands out
    // different names from there on.
    run.ledger.started(planned, result.stamp);
    if (run.options.mirror)
        QDir().mkpath(BaseFolder(planned.input, run.OutputFolder, true));
    if (!entire && !convert::CreateFolder(planned.folder) &&
        !(reused && QFileInfo(planned.folder).isDir()))
        return failure(run, path, JobResult::Failed,
                       QStringLiteral("cannot create the folder %1").arg(planned.folder), result);

    QuietObserver observer;
    convert::ConversionContext context{run.automation, run.random, state, observer,
                                       run.options.output};
    // Nobody watches a batch workbook sheet by sheet: many pages to a host request.
    context.publishInGroups = true;
    QStringList worksheets;
    bool matched = false;
    if (!run.options.sheets.isEmpty())
        context.publishesSheet = [&](const QString& name) {
            worksheets << name;
            // As the host matches sheet names.
            const bool wanted = std::any_of(
                run.options.sheets.cbegin(), run.options.sheets.cend(), [&](const QString& sheet) {
                    return sheet.compare(name, Qt::CaseInsensitive) == 0;
                });
            matched = matched || wanted;
            return wanted;
        };

    std::unique_ptr<HostAlias> alias;
    const QString hostPath = HostPathFor(path, alias);
    const convert::WorkbookJob job{planned.position, planned.input.itemText(),
                                   IsWorkbookFile(hostPath) ? hostPath : QString()};
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
        return failure(run, path, JobResult::Failed, QStringLiteral("the workbook file is gone"),
                       result);
    }
    if (!run.options.sheets.isEmpty() && !matched) {
        // Nothing was published: the folder made for it would only mislead.
        QDir().rmdir(planned.folder);
        return failure(run, path, JobResult::Failed,
                       worksheets.isEmpty()
                           ? QStringLiteral("no worksheet named %1: the workbook has no worksheets")
                                 .arg(quotedList(run.options.sheets))
                           : QStringLiteral("no worksheet named %1; its worksheets are %2")
                                 .arg(quotedList(run.options.sheets), quotedList(worksheets)),
                       result);
    }
    result.result = JobResult::Converted;
    return result;
}

} // namespace

int RunBatch(const BatchOptions& options, automation::Factory& automation, app::Random& random,
             QTextStream& errors, bool progress) {
    QString OutputFolder;
    const QString problem = PrepareBatchOutput(options.outputFolder, OutputFolder);
    if (!problem.isEmpty()) {
        errors << QStringLiteral("quillmere-batch: ") << problem << Qt::endl;
        return SomeFailed;
    }

    const CollectedInputs inputs = CollectInputs(
        options.inputs, InputRules{options.recursive, options.filesFrom, options.nulSeparated});
    Reporter reporter(errors, progress, 0);
    RunLedger ledger(options, OutputFolder, reporter);
    const QString reportProblem = ledger.open();
    if (!reportProblem.isEmpty()) {
        reporter.note(reportProblem);
        return SomeFailed;
    }
    for (const QString& note : inputs.notes)
        reporter.note(note);
    for (const QString& missing : inputs.missing) {
        const QString reason = QStringLiteral("no workbook file or folder there");
        reporter.failed(missing, reason);
        ledger.inputFailed(missing, reason, QStringLiteral("unreadable"));
    }
    for (const QString& empty : inputs.empty)
        reporter.note(empty);
    if (!inputs.listError.isEmpty())
        reporter.note(inputs.listError);
    bool inputFailed =
        !inputs.missing.isEmpty() || !inputs.empty.isEmpty() || !inputs.listError.isEmpty();
    if (inputs.workbooks.empty() && !inputFailed && !options.filesFrom.isEmpty()) {
        reporter.note(QStringLiteral("the list %1 names no workbook").arg(options.filesFrom));
        inputFailed = true;
    }

    const RunLedger::Selection selection = ledger.select(inputs.workbooks);
    const std::vector<PlannedWorkbook> plan =
        PlanWorkbooks(inputs.workbooks, OutputFolder, options.output,
                      PlanRules{options.mirror, selection.rules.decided});
    for (const std::size_t i : selection.skip)
        ledger.skipped(plan[i]);
    if (!selection.skip.empty())
        reporter.note(QStringLiteral("%1 workbook(s) converted before and unchanged since are "
                                     "skipped")
                          .arg(selection.skip.size()));

    const std::vector<std::size_t>& chosen = selection.convert;
    reporter.setTotal(chosen.size());
    LockedRandom sharedRandom(random);
    std::vector<JobResult> results(chosen.size(), JobResult::Failed);
    // The largest workbooks first, so that no worker is left with a big one at the end while
    // the others idle; the names are settled already, so the order changes nothing else.
    std::vector<std::size_t> order(chosen.size());
    std::vector<qint64> sizes(chosen.size());
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        order[k] = k;
        sizes[k] = options.jobs > 1 ? QFileInfo(plan[chosen[k]].input.path).size() : 0;
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
                const bool reused = !selection.rules.decided.empty() &&
                                    !selection.rules.decided[chosen[k]].isEmpty();
                outcome = convertOne(run, planned, reused, k + 1, *state);
            } catch (...) {
                outcome.error = QString::fromStdString(convert::CurrentFailureDescription());
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
