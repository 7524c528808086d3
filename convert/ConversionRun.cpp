#include "convert/ConversionRun.h"

#include "app/SharedState.h"
#include "convert/OutputFolder.h"
#include "sources/PathKind.h"

#include <QSet>

namespace convert {
namespace {

void report(RunObserver& observer, const ConversionOutcome& outcome, const QString& displayName) {
    if (outcome.result == HostFailed)
        observer.hostError(outcome.errorDescription);
    if (outcome.result != Converted)
        observer.workbookFailed(displayName);
}

} // namespace

QString FailureMessage(const QString& displayName) {
    return QStringLiteral("Convert ") + displayName + QStringLiteral(" file failed!");
}

RunSummary ConvertCheckedWorkbooks(ConversionContext& context, const WorkbookSource& workbooks,
                                   const QStringList& writtenEarlier) {
    app::SharedState& state = context.state;
    RunSummary summary;
    // Whole-workbook outputs of this run, case-folded: a later workbook of the same display
    // name must not replace one of them.
    QSet<QString> writtenThisRun;
    for (const QString& file : writtenEarlier)
        writtenThisRun.insert(file.toCaseFolded());
    const int count = workbooks.count();
    for (int position = 1; position <= count; ++position) {
        if (!workbooks.checked(position))
            continue;
        const QString itemText = workbooks.itemText(position);
        state.WorkbookOutputFolder = state.OutputFolder;
        const QString displayName = QString::fromStdString(DisplayName(itemText.toStdString()));
        context.observer.converting(displayName);

        const bool entire = context.options.entireWorkbook;
        const QString dotExtension =
            u'.' + QString::fromStdString(OutputExtension(context.options));
        state.WorkbookOutputFolder = ChooseWorkbookFolder(
            state.OutputFolder, displayName.toStdString(), [&](const std::string& candidate) {
                return sources::PathKind(candidate) == sources::ExistingFolder ||
                       (entire &&
                        writtenThisRun.contains(
                            (QString::fromStdString(candidate) + dotExtension).toCaseFolded()));
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

        for (const QString& file : outcome.written)
            writtenThisRun.insert(file.toCaseFolded());
        summary.written << outcome.written;
        if (outcome.result == Converted)
            ++summary.converted;
        else
            ++summary.failed;
    }
    return summary;
}

} // namespace convert
