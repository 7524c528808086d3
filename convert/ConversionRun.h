#pragma once
// A conversion run over the checked workbooks of a list, free of the window.

#include "convert/Conversion.h"

#include <string>
#include <vector>

namespace convert {

// The workbooks of a run as the workbook list holds them, by 1-based position.
class WorkbookSource {
public:
    virtual ~WorkbookSource() = default;
    virtual int count() const = 0;
    virtual std::string itemText(int position) const = 0;
    virtual bool checked(int position) const = 0;
    // The workbook file at `position`, resolved when asked; "" when there is none.
    virtual std::string pathAt(int position) const = 0;
};

struct RunSummary {
    int converted = 0;                // workbooks whose conversion completed
    int failed = 0;                   // checked workbooks that were reported and skipped
    std::vector<std::string> written; // every output file written, in order
};

// Converts every checked workbook, in list order, into context.state.OutputFolder (prepared
// beforehand, ending in "/"): each gets a folder name no existing folder has (nor, for whole
// workbooks, an output this run has written), then is saved whole or published sheet by sheet
// by context.options. A failed workbook is reported to the observer and skipped.
// `writtenEarlier` lists outputs of earlier runs into the same folder that no whole workbook of
// this run may replace (empty for a lone run).
RunSummary ConvertCheckedWorkbooks(ConversionContext& context, const WorkbookSource& workbooks,
                                   const std::vector<std::string>& writtenEarlier = {});

// "Convert " + display name + " file failed!"
std::string FailureMessage(const std::string& displayName);

} // namespace convert
