#include "app/SharedState.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/PartialOutput.h"

#include <optional>

namespace convert {

ConversionOutcome ConvertWholeWorkbook(ConversionContext& context, const WorkbookJob& job) {
    ConversionOutcome outcome;
    if (job.path.empty()) {
        outcome.result = NoWorkbookFile;
        return outcome;
    }
    const std::string& base = context.state.WorkbookOutputFolder;
    std::optional<HostSession> session;
    std::optional<PartialOutput> saving; // the page being saved, until it is
    try {
        session.emplace(context.automation, job.path);
        const std::string output = base + '.' + OutputExtension(context.options);
        saving.emplace(output);
        session->workbook().call("SaveAs", {output},
                                 {{"FileFormat", SaveAsFileFormat(context.options)}});
        saving.reset();
        outcome.written.push_back(output);
        session->close();
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = CurrentFailureDescription();
        // The host ends first: one still writing would add to what is taken away.
        session.reset();
        if (saving)
            saving->removeAdded();
    }
    return outcome;
}

} // namespace convert
