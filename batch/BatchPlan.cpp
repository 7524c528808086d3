#include "batch/BatchPlan.h"

#include "app/CaseFolding.h"
#include "app/SheetTable.h"
#include "batch/PathText.h"
#include "convert/OutputFolder.h"
#include "sources/PathKind.h"

#include <functional>
#include <unordered_set>

namespace batch {

std::string BaseFolder(const InputWorkbook& input, const std::string& OutputFolder, bool mirror) {
    const std::string relative = input.relative();
    const std::size_t slash = relative.rfind('/');
    if (!mirror || slash == std::string::npos || slash == 0)
        return OutputFolder;
    // The host writes pages by names that are text, so a folder whose name is not UTF-8 is
    // mirrored with U+FFFD for its stray bytes.
    return OutputFolder + Printable(std::string_view(relative).substr(0, slash)) + '/';
}

std::vector<PlannedWorkbook> PlanWorkbooks(const std::vector<InputWorkbook>& workbooks,
                                           const std::string& OutputFolder,
                                           const convert::OutputOptions& options,
                                           const PlanRules& rules) {
    std::vector<PlannedWorkbook> plan;
    plan.reserve(workbooks.size());
    const bool entire = options.entireWorkbook;
    const std::string dotExtension = '.' + convert::OutputExtension(options);
    // Whole-workbook outputs planned so far, case-folded, as the window's run keeps them; and
    // the folders planned so far, which a serial run would have created by then.
    std::unordered_set<std::string> outputs;
    std::unordered_set<std::string> folders;
    auto take = [&](const std::string& folder) {
        if (entire)
            outputs.insert(app::CaseFolded(folder + dotExtension));
        else
            folders.insert(folder);
    };
    auto decided = [&](std::size_t i) {
        return i < rules.decided.size() ? rules.decided[i] : std::string();
    };
    for (std::size_t i = 0; i < workbooks.size(); ++i)
        if (!decided(i).empty())
            take(decided(i));
    for (std::size_t i = 0; i < workbooks.size(); ++i) {
        PlannedWorkbook planned;
        planned.input = workbooks[i];
        planned.position = static_cast<int>(i % app::SheetTable::LastColumn) + 1;
        planned.folder = decided(i);
        if (planned.folder.empty()) {
            planned.folder = convert::ChooseWorkbookFolder(
                BaseFolder(planned.input, OutputFolder, rules.mirror),
                convert::DisplayName(planned.input.itemText()), [&](const std::string& candidate) {
                    if (sources::PathKind(candidate) == sources::ExistingFolder)
                        return true;
                    return entire ? outputs.contains(app::CaseFolded(candidate + dotExtension))
                                  : folders.contains(candidate);
                });
            take(planned.folder);
        }
        plan.push_back(std::move(planned));
    }
    return plan;
}

} // namespace batch
