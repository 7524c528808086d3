#include "batch/BatchPlan.h"

#include "app/SheetTable.h"
#include "batch/PathBytes.h"
#include "convert/OutputFolder.h"
#include "sources/PathKind.h"

#include <QSet>

namespace batch {

QString BaseFolder(const InputWorkbook& input, const QString& OutputFolder, bool mirror) {
    const qsizetype slash = input.relative().lastIndexOf(u'/');
    if (!mirror || slash <= 0)
        return OutputFolder;
    // The host writes pages by names that are text, so a folder whose name is not UTF-8 is
    // mirrored with U+FFFD for its stray bytes.
    return OutputFolder + Printable(input.relative().left(slash)) + u'/';
}

std::vector<PlannedWorkbook> PlanWorkbooks(const std::vector<InputWorkbook>& workbooks,
                                           const QString& OutputFolder,
                                           const convert::OutputOptions& options,
                                           const PlanRules& rules) {
    std::vector<PlannedWorkbook> plan;
    plan.reserve(workbooks.size());
    const bool entire = options.entireWorkbook;
    const QString dotExtension = u'.' + QString::fromStdString(convert::OutputExtension(options));
    // Whole-workbook outputs planned so far, case-folded, as the window's run keeps them; and
    // the folders planned so far, which a serial run would have created by then.
    QSet<QString> outputs;
    QSet<QString> folders;
    auto take = [&](const QString& folder) {
        if (entire)
            outputs.insert((folder + dotExtension).toCaseFolded());
        else
            folders.insert(folder);
    };
    auto decided = [&](std::size_t i) {
        return i < rules.decided.size() ? rules.decided[i] : QString();
    };
    for (std::size_t i = 0; i < workbooks.size(); ++i)
        if (!decided(i).isEmpty())
            take(decided(i));
    for (std::size_t i = 0; i < workbooks.size(); ++i) {
        PlannedWorkbook planned;
        planned.input = workbooks[i];
        planned.position = static_cast<int>(i % app::SheetTable::LastColumn) + 1;
        const std::string displayName =
            convert::DisplayName(planned.input.itemText().toStdString());
        planned.folder = decided(i);
        if (planned.folder.isEmpty()) {
            planned.folder = QString::fromStdString(convert::ChooseWorkbookFolder(
                BaseFolder(planned.input, OutputFolder, rules.mirror).toStdString(), displayName,
                [&](const std::string& path) {
                    if (sources::PathKind(path) == sources::ExistingFolder)
                        return true;
                    const QString candidate = QString::fromStdString(path);
                    return entire ? outputs.contains((candidate + dotExtension).toCaseFolded())
                                  : folders.contains(candidate);
                }));
            take(planned.folder);
        }
        plan.push_back(std::move(planned));
    }
    return plan;
}

} // namespace batch
