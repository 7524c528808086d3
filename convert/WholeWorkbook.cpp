#include "app/SharedState.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/PartialOutput.h"

#include <optional>

namespace convert {

ConversionOutcome ConvertWholeWorkbook(ConversionContext& context, const WorkbookJob& job) {
    ConversionOutcome outcome;
    if (job.path.isEmpty()) {
        outcome.result = NoWorkbookFile;
        return outcome;
    }
    const QString base = context.state.WorkbookOutputFolder;
    std::optional<HostSession> session;
    std::optional<PartialOutput> saving; // the page being saved, until it is
    try {
        session.emplace(context.automation, job.path.toStdString());
        const QString output = base + u'.' + OutputExtension(context.options);
        saving.emplace(output);
        session->workbook().call("SaveAs", {output.toStdString()},
                                 {{"FileFormat", SaveAsFileFormat(context.options)}});
        saving.reset();
        outcome.written << output;
        session->close();
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = QString::fromStdString(CurrentFailureDescription());
        // The host ends first: one still writing would add to what is taken away.
        session.reset();
        if (saving)
            saving->removeAdded();
    }
    return outcome;
}

} // namespace convert
