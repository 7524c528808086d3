#include "batch/BatchPlan.h"

#include "app/SheetTable.h"
#include "convert/OutputFolder.h"
#include "sources/PathKind.h"

#include <QSet>

namespace batch {

std::vector<PlannedWorkbook> PlanWorkbooks(const std::vector<InputWorkbook>& workbooks,
                                           const QString& OutputFolder,
                                           const convert::OutputOptions& options) {
    std::vector<PlannedWorkbook> plan;
    plan.reserve(workbooks.size());
    const bool entire = options.entireWorkbook;
    const QString dotExtension = u'.' + convert::OutputExtension(options);
    // Whole-workbook outputs planned so far, case-folded, as the window's run keeps them; and
    // the folders planned so far, which a serial run would have created by then.
    QSet<QString> outputs;
    QSet<QString> folders;
    for (std::size_t i = 0; i < workbooks.size(); ++i) {
        PlannedWorkbook planned;
        planned.input = workbooks[i];
        planned.position = static_cast<int>(i % app::SheetTable::LastColumn) + 1;
        planned.displayName = convert::DisplayName(planned.input.itemText);
        planned.folder = convert::ChooseWorkbookFolder(
            OutputFolder, planned.displayName, [&](const QString& candidate) {
                if (sources::PathKind(candidate) == sources::ExistingFolder)
                    return true;
                return entire ? outputs.contains((candidate + dotExtension).toCaseFolded())
                              : folders.contains(candidate);
            });
        if (entire)
            outputs.insert((planned.folder + dotExtension).toCaseFolded());
        else
            folders.insert(planned.folder);
        plan.push_back(std::move(planned));
    }
    return plan;
}

} // namespace batch
