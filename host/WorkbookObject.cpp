#include "host/WorkbookObject.h"

#include "engine/web/Publish.h"
#include "host/PublishObjects.h"
#include "host/SheetCollection.h"

#include <QFileInfo>

namespace host {
namespace {

// The object model's FileFormat values for web output.
constexpr qint64 xlHtml = 44;
constexpr qint64 xlWebArchive = 45;

} // namespace

WorkbookObject::WorkbookObject(std::shared_ptr<engine::Workbook> workbook, QString path)
    : workbook_(std::move(workbook)), path_(std::move(path)),
      publishObjects_(std::make_shared<PublishObjects>(workbook_)) {}

const engine::Workbook& WorkbookObject::workbook() const {
    if (!workbook_)
        throw HostError{1004, QStringLiteral("The workbook has been closed.")};
    return *workbook_;
}

void WorkbookObject::close() {
    workbook_.reset();
    worksheets_.reset();
    sheets_.reset();
    publishObjects_->detach();
}

void WorkbookObject::saveAs(const QVariantList& args, const QVariantMap& named) {
    const QString fileName = textArgument(argument(args, 0, named, QStringLiteral("Filename")),
                                          QStringLiteral("Filename"));
    const QVariant formatArgument = argument(args, 1, named, QStringLiteral("FileFormat"));
    const qint64 format = isOmitted(formatArgument)
                              ? 0
                              : integerArgument(formatArgument, QStringLiteral("FileFormat"));
    if (format != xlHtml && format != xlWebArchive)
        throw HostError{1004, QStringLiteral("This program saves workbooks only as web pages "
                                             "(FileFormat 44) or single-file web archives (45).")};
    try {
        engine::web::saveWorkbook(workbook(), fileName.toStdString(),
                                  format == xlHtml ? engine::web::WorkbookFormat::WebPage
                                                   : engine::web::WorkbookFormat::WebArchive,
                                  QFileInfo(path_).completeBaseName().toStdString());
    } catch (const engine::web::WriteError& error) {
        throw HostError{1004, QString::fromStdString(error.what())};
    }
}

Result WorkbookObject::member(const QString& name, const QVariantList& args,
                              const QVariantMap& named) {
    if (name == u"close") {
        close();
        return Result::none();
    }
    const engine::Workbook& book = workbook();
    if (name == u"worksheets" || name == u"sheets") {
        const bool worksheets = name == u"worksheets";
        std::shared_ptr<SheetCollection>& collection = worksheets ? worksheets_ : sheets_;
        if (!collection)
            collection = std::make_shared<SheetCollection>(
                workbook_, worksheets ? SheetCollection::Worksheets : SheetCollection::All);
        if (!args.isEmpty())
            return collection->member(QStringLiteral("item"), args, named);
        return Result::of(collection);
    }
    if (name == u"publishobjects") {
        if (!args.isEmpty())
            return publishObjects_->member(QStringLiteral("item"), args, named);
        return Result::of(publishObjects_);
    }
    if (name == u"saveas") {
        saveAs(args, named);
        return Result::none();
    }
    if (name == u"name")
        return Result::of(QFileInfo(path_).fileName());
    if (name == u"fullname")
        return Result::of(path_);
    if (name == u"date1904")
        return Result::of(book.dateSystem == engine::DateSystem::Date1904);
    unknownMember(name);
}

} // namespace host
