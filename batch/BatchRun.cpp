#include "batch/BatchRun.h"

#include "app/SharedState.h"
#include "batch/InputWorkbooks.h"
#include "batch/TerminalObserver.h"
#include "convert/ConversionRun.h"
#include "convert/HostSession.h"
#include "convert/OutputFolder.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <memory>

namespace batch {

int RunBatch(const BatchOptions& options, automation::Factory& automation, app::Random& random,
             QTextStream& errors, bool progress) {
    // The sheet table is large; keep it off the stack, as the window does.
    auto state = std::make_unique<app::SharedState>();
    // The host writes the files, and it need not share this process's folder.
    const QString output = QDir::current().absoluteFilePath(options.outputFolder);
    if (convert::PrepareOutputFolder(output, -1, state->OutputFolder) !=
        convert::PrepareResult::Ready) {
        errors << QStringLiteral("quillmere-batch: cannot create the output directory %1 (its "
                                 "parent must exist and be writable)")
                      .arg(options.outputFolder)
               << Qt::endl;
        return SomeFailed;
    }

    const CollectedInputs inputs = CollectInputs(options.inputs);
    for (const QString& note : inputs.notes)
        errors << QStringLiteral("quillmere-batch: ") << note << Qt::endl;
    for (const QString& missing : inputs.missing)
        errors
            << QStringLiteral("quillmere-batch: %1: no workbook file or folder there").arg(missing)
            << Qt::endl;

    TerminalObserver observer(errors, progress, inputs.workbooks, *state);
    convert::ConversionContext context{automation, random, *state, observer, options.output};
    if (!options.sheets.isEmpty()) {
        const QSet<QString> wanted(options.sheets.cbegin(), options.sheets.cend());
        context.publishesSheet = [wanted](const QString& name) { return wanted.contains(name); };
    }

    int failed = 0;
    QStringList written;
    const int total = static_cast<int>(inputs.workbooks.size());
    // Each run's workbook positions are the sheet table's columns, so a run holds at most as
    // many workbooks as the table has columns.
    for (int first = 0; first < total; first += app::SheetTable::LastColumn) {
        const InputGroup group(inputs.workbooks, first,
                               std::min(app::SheetTable::LastColumn, total - first));
        state->SheetTable.clear();
        try {
            const convert::RunSummary summary =
                convert::ConvertCheckedWorkbooks(context, group, written);
            failed += summary.failed;
            written << summary.written;
        } catch (...) {
            errors << QStringLiteral("quillmere-batch: ") << convert::CurrentFailureDescription()
                   << Qt::endl;
            return SomeFailed;
        }
    }
    return failed > 0 || !inputs.missing.isEmpty() ? SomeFailed : AllConverted;
}

} // namespace batch
