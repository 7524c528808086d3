#include "batch/BatchRun.h"

#include "app/Services.h"
#include "app/SharedState.h"
#include "batch/BatchPlan.h"
#include "batch/InputWorkbooks.h"
#include "batch/OutputDirectory.h"
#include "batch/PartialFiles.h"
#include "batch/Reporter.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/KeptHost.h"
#include "convert/OutputFolder.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
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

struct Run {
    const BatchOptions& options;
    automation::Factory& automation;
    app::Random& random;
    Reporter& reporter;
    QString OutputFolder;
};

// One workbook, start to end, on a worker's own shared state.
JobResult convertOne(const Run& run, const PlannedWorkbook& planned, std::size_t number,
                     app::SharedState& state) {
    run.reporter.starting(number, planned.input.itemText);
    const QString& path = planned.input.path;
    const bool entire = run.options.output.entireWorkbook;
    state.OutputFolder = run.OutputFolder;
    state.WorkbookOutputFolder = planned.folder;
    // Each workbook numbers its pages from 1, whichever worker takes it and whatever became of
    // the workbook before it, so that the names do not depend on the order of the work.
    state.FileSequenceNumber = 0;
    if (!entire && !convert::CreateFolder(planned.folder)) {
        run.reporter.failed(path,
                            QStringLiteral("cannot create the folder %1").arg(planned.folder));
        return JobResult::Failed;
    }

    QuietObserver observer;
    convert::ConversionContext context{run.automation, run.random, state, observer,
                                       run.options.output};
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

    const convert::WorkbookJob job{planned.position, planned.input.itemText,
                                   IsWorkbookFile(path) ? path : QString()};
    const convert::ConversionOutcome outcome = entire
                                                   ? convert::ConvertWholeWorkbook(context, job)
                                                   : convert::ConvertSheetsOfWorkbook(context, job);
    switch (outcome.result) {
    case convert::Converted:
        break;
    case convert::HostFailed:
        run.reporter.failed(path, outcome.errorDescription);
        return JobResult::HostFailed;
    default:
        run.reporter.failed(path, QStringLiteral("the workbook file is gone"));
        return JobResult::Failed;
    }
    if (!run.options.sheets.isEmpty() && !matched) {
        // Nothing was published: the folder made for it would only mislead.
        QDir().rmdir(planned.folder);
        run.reporter.failed(
            path, worksheets.isEmpty()
                      ? QStringLiteral("no worksheet named %1: the workbook has no worksheets")
                            .arg(quotedList(run.options.sheets))
                      : QStringLiteral("no worksheet named %1; its worksheets are %2")
                            .arg(quotedList(run.options.sheets), quotedList(worksheets)));
        return JobResult::Failed;
    }
    return JobResult::Converted;
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

    const CollectedInputs inputs = CollectInputs(options.inputs);
    Reporter reporter(errors, progress, inputs.workbooks.size());
    for (const QString& note : inputs.notes)
        reporter.note(note);
    for (const QString& missing : inputs.missing)
        reporter.failed(missing, QStringLiteral("no workbook file or folder there"));

    const std::vector<PlannedWorkbook> plan =
        PlanWorkbooks(inputs.workbooks, OutputFolder, options.output);
    LockedRandom sharedRandom(random);
    std::vector<JobResult> results(plan.size(), JobResult::Failed);
    // The largest workbooks first, so that no worker is left with a big one at the end while
    // the others idle; the names are settled already, so the order changes nothing else.
    std::vector<std::size_t> order(plan.size());
    std::vector<qint64> sizes(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        order[i] = i;
        sizes[i] = options.jobs > 1 ? QFileInfo(plan[i].input.path).size() : 0;
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
        const Run worker{options, hosts, sharedRandom, reporter, OutputFolder};
        for (std::size_t taken = next++; taken < plan.size(); taken = next++) {
            const std::size_t i = order[taken];
            try {
                results[i] = convertOne(worker, plan[i], i + 1, *state);
            } catch (...) {
                reporter.failed(plan[i].input.path, convert::CurrentFailureDescription());
            }
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(1, options.jobs)), plan.size());
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
    for (std::size_t i = 0; i < plan.size(); ++i)
        if (results[i] == JobResult::HostFailed)
            RemovePartialFiles(options.output.entireWorkbook ? OutputFolder : plan[i].folder);

    const bool anyFailed = std::any_of(results.cbegin(), results.cend(),
                                       [](JobResult r) { return r != JobResult::Converted; });
    return anyFailed || !inputs.missing.isEmpty() ? SomeFailed : AllConverted;
}

} // namespace batch
