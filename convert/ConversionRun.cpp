#include "convert/ConversionRun.h"

#include "app/CaseFolding.h"
#include "app/SharedState.h"
#include "convert/OutputFolder.h"
#include "sources/PathKind.h"

#include <unordered_set>

namespace convert {
namespace {

void report(RunObserver& observer, const ConversionOutcome& outcome,
            const std::string& displayName) {
    if (outcome.result == HostFailed)
        observer.hostError(outcome.errorDescription);
    if (outcome.result != Converted)
        observer.workbookFailed(displayName);
}

} // namespace

std::string FailureMessage(const std::string& displayName) {
    return "Convert " + displayName + " file failed!";
}

RunSummary ConvertCheckedWorkbooks(ConversionContext& context, const WorkbookSource& workbooks,
                                   const std::vector<std::string>& writtenEarlier) {
    app::SharedState& state = context.state;
    RunSummary summary;
    // Whole-workbook outputs of this run, case-folded: a later workbook of the same display
    // name must not replace one of them.
    std::unordered_set<std::string> writtenThisRun;
    for (const std::string& file : writtenEarlier)
        writtenThisRun.insert(app::CaseFolded(file));
    const int count = workbooks.count();
    for (int position = 1; position <= count; ++position) {
        if (!workbooks.checked(position))
            continue;
        const std::string itemText = workbooks.itemText(position);
        state.WorkbookOutputFolder = state.OutputFolder;
        const std::string displayName = DisplayName(itemText);
        context.observer.converting(displayName);

        const bool entire = context.options.entireWorkbook;
        const std::string dotExtension = '.' + OutputExtension(context.options);
        state.WorkbookOutputFolder = ChooseWorkbookFolder(
            state.OutputFolder, displayName, [&](const std::string& candidate) {
                return sources::PathKind(candidate) == sources::ExistingFolder ||
                       (entire &&
                        writtenThisRun.contains(app::CaseFolded(candidate + dotExtension)));
            });

        ConversionOutcome outcome;
        if (entire) {
            outcome = ConvertWholeWorkbook(
                context, WorkbookJob{position, itemText, workbooks.pathAt(position)});
            report(context.observer, outcome, displayName);
            context.observer.setProgressValue(position);
        } else if (!CreateFolder(state.WorkbookOutputFolder)) {
            // A file of that name, or an output directory gone or read-only: skip the workbook.
            context.observer.workbookFailed(displayName);
            ++summary.failed;
            continue;
        } else {
            outcome = ConvertSheetsOfWorkbook(
                context, WorkbookJob{position, itemText, workbooks.pathAt(position)});
            report(context.observer, outcome, displayName);
        }

        for (const std::string& file : outcome.written)
            writtenThisRun.insert(app::CaseFolded(file));
        summary.written.insert(summary.written.end(), outcome.written.begin(),
                               outcome.written.end());
        if (outcome.result == Converted)
            ++summary.converted;
        else
            ++summary.failed;
    }
    return summary;
}

} // namespace convert
