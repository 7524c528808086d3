#include "app/Services.h"
#include "app/SharedState.h"
#include "automation/Error.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/Names.h"
#include "convert/PartialOutput.h"

#include <optional>

namespace convert {
namespace {

// The object model's constant for publishing a whole sheet.
constexpr qint16 xlSourceSheet = 1;
// The sheet loop counter is a 16-bit signed number.
constexpr qint64 mostWorksheets = 32767;
constexpr int overflowError = 6;

// True when sheet `position` is to be published, with its name in `name`; false when the
// stored choices or the context's filter leave it out.
bool chooseSheet(const ConversionContext& context, std::int32_t column, int position,
                 const automation::Object& workbook, QString& name) {
    const app::SheetTable& table = context.state.SheetTable;
    if (!table.at(column, 1, 0).isEmpty() && position <= app::SheetTable::LastRow) {
        if (table.at(column, position, 1).isEmpty())
            return false;
        name = table.at(column, position, 0);
    } else {
        name = workbook.getObject(QStringLiteral("Worksheets"), {position})
                   .get(QStringLiteral("Name"))
                   .toString();
    }
    return !context.publishesSheet || context.publishesSheet(name);
}

} // namespace

ConversionOutcome ConvertSheetsOfWorkbook(ConversionContext& context, const WorkbookJob& job) {
    ConversionOutcome outcome;
    if (job.path.isEmpty()) {
        outcome.result = NoWorkbookFile;
        return outcome;
    }
    const QString prefix = context.state.WorkbookOutputFolder + u'/';
    const OutputOptions& options = context.options;
    ClaimedNames claimed;
    std::optional<HostSession> session;
    std::optional<PartialOutput> publishing; // the page being published, until it is
    try {
        session.emplace(context.automation, job.path);
        const automation::Object& workbook = session->workbook();
        const qint64 count = workbook.getObject(QStringLiteral("Worksheets"))
                                 .get(QStringLiteral("Count"))
                                 .toLongLong();
        if (count > mostWorksheets)
            throw automation::Error(overflowError,
                                    QStringLiteral("Overflow: the workbook has more than %1 "
                                                   "worksheets.")
                                        .arg(mostWorksheets));
        const int sheets = static_cast<int>(count);
        if (sheets > 0)
            context.observer.setProgressMaximum(sheets);
        for (int position = 1; position <= sheets; ++position) {
            QString name;
            if (chooseSheet(context, job.position, position, workbook, name)) {
                const QString stem =
                    OutputFileName(options.fileNaming, job.itemText, name,
                                   context.state.FileSequenceNumber, context.random);
                const QString title = PageTitle(options.pageTitle, job.itemText, name);
                workbook.getObject(QStringLiteral("Sheets"), {position})
                    .call(QStringLiteral("Select"));
                const QString extension = OutputExtension(options);
                const QString fileName = claimed.claim(stem, extension) + u'.' + extension;
                const automation::Object publishObjects =
                    workbook.getObject(QStringLiteral("PublishObjects"));
                const bool adding = options.htmlType >= 0 && options.htmlType <= 2;
                // An empty title goes as an empty text, never as a missing argument.
                if (adding)
                    publishObjects.call(
                        QStringLiteral("Add"),
                        {QVariant::fromValue<qint16>(xlSourceSheet), prefix + fileName, name,
                         automation::omitted(), QVariant::fromValue<qint16>(options.htmlType),
                         automation::omitted(), title.isNull() ? QStringLiteral("") : title});
                if (adding)
                    publishing.emplace(prefix + fileName);
                publishObjects.call(QStringLiteral("Publish"));
                publishing.reset();
                if (adding)
                    outcome.written << prefix + fileName;
                publishObjects.call(QStringLiteral("Delete"));
            }
            context.observer.setProgressValue(position);
        }
        session->close();
        context.observer.setProgressValue(0);
        context.state.FileSequenceNumber = 0;
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = CurrentFailureDescription();
        // The host ends first: one still writing would add to what is taken away. Pages of
        // earlier sheets stay.
        session.reset();
        if (publishing)
            publishing->removeAdded();
    }
    return outcome;
}

} // namespace convert
