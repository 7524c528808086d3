#pragma once
// Where each workbook of a quillmere-batch run goes, decided for all of them before any is
// converted, so that converting several at once gives the names a serial run gives.

#include "batch/InputWorkbooks.h"
#include "convert/OutputOptions.h"

#include <string>
#include <vector>

namespace batch {

struct PlannedWorkbook {
    InputWorkbook input;
    int position = 0;   // its column in a sheet table (1..500), as in the window's list
    std::string folder; // WorkbookOutputFolder: the folder (per sheet) or output path (whole)
};

struct PlanRules {
    bool mirror = false; // each workbook's output below the folder it has below its root
    // Outputs already decided, by index of the workbooks (an empty entry: none): an earlier
    // run's, which a resumed run keeps. Each is given as is and taken before any other is named.
    std::vector<std::string> decided;
};

// Names every workbook in order, by the window's rule: the display name, moved on with 1, 2,
// 3 … while a folder of that name exists, or, for whole workbooks, while an earlier workbook
// of this run is to write that output; per sheet, a folder planned for an earlier workbook
// counts as existing, as it would in a serial run by then. Nothing is created here.
std::vector<PlannedWorkbook> PlanWorkbooks(const std::vector<InputWorkbook>& workbooks,
                                           const std::string& OutputFolder,
                                           const convert::OutputOptions& options,
                                           const PlanRules& rules = {});

// The folder a workbook's output goes into: `OutputFolder`, or with `mirror` the folder below
// it that the workbook has below its root; ends in "/".
std::string BaseFolder(const InputWorkbook& input, const std::string& OutputFolder, bool mirror);

} // namespace batch
