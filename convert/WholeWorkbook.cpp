#include "app/SharedState.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"

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
    try {
        session.emplace(context.automation, job.path);
        const QString output = base + u'.' + OutputExtension(context.options);
        session->workbook().call(
            QStringLiteral("SaveAs"), {output},
            {{QStringLiteral("FileFormat"),
              QVariant::fromValue<qint32>(SaveAsFileFormat(context.options))}});
        outcome.written << output;
        session->close();
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = CurrentFailureDescription();
    }
    return outcome;
}

} // namespace convert
