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

namespace {

void checkKinds(qint64 sourceType, qint64 htmlType) {
    if (sourceType != xlSourceSheet)
        throw HostError{1004, QStringLiteral("Only whole sheets can be published (SourceType 1).")};
    if (htmlType != xlHtmlStatic)
        throw HostError{1004, QStringLiteral("Only static pages can be written (HtmlType 0).")};
}

qint64 htmlTypeOf(const QVariantList& args, const QVariantMap& named) {
    const QVariant htmlType = argument(args, 4, named, QStringLiteral("HtmlType"));
    return isOmitted(htmlType) ? xlHtmlStatic
                               : integerArgument(htmlType, QStringLiteral("HtmlType"));
}

// An array argument of `count` texts (`count` < 0: any length); an omitted one, when allowed,
// gives that many null texts.
QStringList textsArgument(const QVariant& value, const QString& name, qsizetype count,
                          bool mayBeOmitted) {
    if (mayBeOmitted && isOmitted(value))
        return QStringList(count < 0 ? 0 : count, QString());
    if (value.metaType().id() != QMetaType::QVariantList)
        throw HostError{13,
                        QStringLiteral("Type mismatch: %1 must be an array of texts.").arg(name)};
    const QVariantList items = value.toList();
    if (count >= 0 && items.size() != count)
        throw HostError{
            5, QStringLiteral("Invalid procedure call: %1 must hold one text for each sheet.")
                   .arg(name)};
    QStringList texts;
    texts.reserve(items.size());
    for (const QVariant& item : items)
        texts << textArgument(item, name);
    return texts;
}

} // namespace

std::size_t PublishObjects::worksheetNamed(const QString& sheetName) {
    if (exactNames_.empty()) {
        // Built once per workbook: a workbook of thousands of sheets names each of them, and
        // looking each one up among all the others made that quadratic.
        for (std::size_t i = 0; i < workbook_->sheets.size(); ++i) {
            const engine::Sheet& sheet = workbook_->sheets[i];
            if (sheet.kind != engine::SheetKind::Worksheet)
                continue;
            exactNames_.emplace(sheet.name, i);
            foldedNames_.emplace(QString::fromStdString(sheet.name).toCaseFolded(), i);
        }
    }
    // The exact name first, as the engine keeps it; then the name ignoring letter case. Where
    // several sheets match, the first of them.
    const auto exact = exactNames_.find(sheetName.toStdString());
    if (exact != exactNames_.end())
        return exact->second;
    const auto folded = foldedNames_.find(sheetName.toCaseFolded());
    if (folded != foldedNames_.end())
        return folded->second;
    throw HostError{1004,
                    QStringLiteral("The workbook has no worksheet named \"%1\".").arg(sheetName)};
}

void PublishObjects::add(const QVariantList& args, const QVariantMap& named) {
    const qint64 sourceType = integerArgument(
        argument(args, 0, named, QStringLiteral("SourceType")), QStringLiteral("SourceType"));
    const QString fileName = textArgument(argument(args, 1, named, QStringLiteral("Filename")),
                                          QStringLiteral("Filename"));
    const QString sheetName =
        textArgument(argument(args, 2, named, QStringLiteral("Sheet")), QStringLiteral("Sheet"));
    const qint64 htmlType = htmlTypeOf(args, named);
    const QVariant titleArgument = argument(args, 6, named, QStringLiteral("Title"));
    const QString title =
        isOmitted(titleArgument) ? QString() : textArgument(titleArgument, QStringLiteral("Title"));

    checkKinds(sourceType, htmlType);
    if (fileName.isEmpty())
        throw HostError{1004, QStringLiteral("A file name is needed to publish a sheet.")};
    entries_.push_back(Entry{worksheetNamed(sheetName), fileName, title});
}

void PublishObjects::addSheets(const QVariantList& args, const QVariantMap& named) {
    const qint64 sourceType = integerArgument(
        argument(args, 0, named, QStringLiteral("SourceType")), QStringLiteral("SourceType"));
    const QStringList fileNames =
        textsArgument(argument(args, 1, named, QStringLiteral("Filenames")),
                      QStringLiteral("Filenames"), -1, false);
    const QStringList sheetNames = textsArgument(argument(args, 2, named, QStringLiteral("Sheets")),
                                                 QStringLiteral("Sheets"), fileNames.size(), false);
    const qint64 htmlType = htmlTypeOf(args, named);
    const QStringList titles = textsArgument(argument(args, 6, named, QStringLiteral("Titles")),
                                             QStringLiteral("Titles"), fileNames.size(), true);

    checkKinds(sourceType, htmlType);
    // All or nothing: a request with one bad entry adds none of them.
    std::vector<Entry> added;
    added.reserve(static_cast<std::size_t>(fileNames.size()));
    for (qsizetype i = 0; i < fileNames.size(); ++i) {
        if (fileNames[i].isEmpty())
            throw HostError{1004, QStringLiteral("A file name is needed to publish a sheet.")};
        added.push_back(Entry{worksheetNamed(sheetNames[i]), fileNames[i], titles[i]});
    }
    entries_.insert(entries_.end(), added.begin(), added.end());
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
    if (name == u"addsheets") {
        addSheets(args, named);
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
