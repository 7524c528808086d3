#include "host/PublishObjects.h"

#include "engine/web/Publish.h"

namespace host {
namespace {

// The object model's constants for what is published and how.
constexpr qint64 xlSourceSheet = 1;
constexpr qint64 xlHtmlStatic = 0;

} // namespace

PublishObjects::PublishObjects(std::shared_ptr<const engine::Workbook> workbook)
    : workbook_(std::move(workbook)) {}

void PublishObjects::add(const QVariantList& args, const QVariantMap& named) {
    const qint64 sourceType = integerArgument(
        argument(args, 0, named, QStringLiteral("SourceType")), QStringLiteral("SourceType"));
    const QString fileName = textArgument(argument(args, 1, named, QStringLiteral("Filename")),
                                          QStringLiteral("Filename"));
    const QString sheetName =
        textArgument(argument(args, 2, named, QStringLiteral("Sheet")), QStringLiteral("Sheet"));
    const QVariant htmlTypeArgument = argument(args, 4, named, QStringLiteral("HtmlType"));
    const qint64 htmlType = isOmitted(htmlTypeArgument)
                                ? xlHtmlStatic
                                : integerArgument(htmlTypeArgument, QStringLiteral("HtmlType"));
    const QVariant titleArgument = argument(args, 6, named, QStringLiteral("Title"));
    const QString title =
        isOmitted(titleArgument) ? QString() : textArgument(titleArgument, QStringLiteral("Title"));

    if (sourceType != xlSourceSheet)
        throw HostError{1004, QStringLiteral("Only whole sheets can be published (SourceType 1).")};
    if (htmlType != xlHtmlStatic)
        throw HostError{1004, QStringLiteral("Only static pages can be written (HtmlType 0).")};
    if (fileName.isEmpty())
        throw HostError{1004, QStringLiteral("A file name is needed to publish a sheet.")};

    // The exact name first, compared as the engine keeps it: a workbook of thousands of sheets
    // asks this for each of them, and converting every name to compare it made that quadratic.
    std::optional<std::size_t> found;
    const std::string exactName = sheetName.toStdString();
    for (std::size_t i = 0; i < workbook_->sheets.size() && !found; ++i)
        if (workbook_->sheets[i].kind == engine::SheetKind::Worksheet &&
            workbook_->sheets[i].name == exactName)
            found = i;
    for (std::size_t i = 0; i < workbook_->sheets.size() && !found; ++i)
        if (workbook_->sheets[i].kind == engine::SheetKind::Worksheet &&
            QString::fromStdString(workbook_->sheets[i].name)
                    .compare(sheetName, Qt::CaseInsensitive) == 0)
            found = i;
    if (!found)
        throw HostError{
            1004, QStringLiteral("The workbook has no worksheet named \"%1\".").arg(sheetName)};
    entries_.push_back(Entry{*found, fileName, title});
}

void PublishObjects::publish() {
    for (const Entry& entry : entries_) {
        try {
            engine::web::publishSheet(*workbook_, entry.sheet, entry.fileName.toStdString(),
                                      entry.title.toStdString());
        } catch (const engine::web::WriteError& error) {
            throw HostError{1004, QString::fromStdString(error.what())};
        }
    }
}

Result PublishObjects::member(const QString& name, const QVariantList& args,
                              const QVariantMap& named) {
    if (!workbook_)
        throw HostError{1004, QStringLiteral("The workbook has been closed.")};
    if (name == u"add") {
        add(args, named);
        return Result::none();
    }
    if (name == u"publish") {
        publish();
        return Result::none();
    }
    if (name == u"delete") {
        entries_.clear();
        return Result::none();
    }
    if (name == u"count")
        return Result::of(static_cast<qint64>(entries_.size()));
    unknownMember(name);
}

} // namespace host
