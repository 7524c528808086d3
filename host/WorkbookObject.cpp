#include "host/WorkbookObject.h"

#include "engine/web/Publish.h"
#include "host/PathText.h"
#include "host/PublishObjects.h"
#include "host/SheetCollection.h"

namespace host {
namespace {

// The object model's FileFormat values for web output.
constexpr std::int64_t xlHtml = 44;
constexpr std::int64_t xlWebArchive = 45;

} // namespace

WorkbookObject::WorkbookObject(std::shared_ptr<engine::Workbook> workbook, std::string path)
    : workbook_(std::move(workbook)), path_(std::move(path)),
      publishObjects_(std::make_shared<PublishObjects>(workbook_)) {}

const engine::Workbook& WorkbookObject::workbook() const {
    if (!workbook_)
        throw HostError{1004, "The workbook has been closed."};
    return *workbook_;
}

void WorkbookObject::close() {
    workbook_.reset();
    worksheets_.reset();
    sheets_.reset();
    publishObjects_->detach();
}

void WorkbookObject::saveAs(const Arguments& args, const NamedArguments& named) {
    const std::string fileName = textArgument(argument(args, 0, named, "Filename"), "Filename");
    const Value formatArgument = argument(args, 1, named, "FileFormat");
    const std::int64_t format =
        formatArgument.isOmitted() ? 0 : integerArgument(formatArgument, "FileFormat");
    if (format != xlHtml && format != xlWebArchive)
        throw HostError{1004, "This program saves workbooks only as web pages (FileFormat 44) or "
                              "single-file web archives (45)."};
    try {
        engine::web::saveWorkbook(workbook(), fileName,
                                  format == xlHtml ? engine::web::WorkbookFormat::WebPage
                                                   : engine::web::WorkbookFormat::WebArchive,
                                  baseNameOf(path_));
    } catch (const engine::web::WriteError& error) {
        throw HostError{1004, error.what()};
    }
}

Result WorkbookObject::member(const std::string& name, const Arguments& args,
                              const NamedArguments& named) {
    if (name == "close") {
        close();
        return Result::none();
    }
    const engine::Workbook& book = workbook();
    if (name == "worksheets" || name == "sheets") {
        const bool worksheets = name == "worksheets";
        std::shared_ptr<SheetCollection>& collection = worksheets ? worksheets_ : sheets_;
        if (!collection)
            collection = std::make_shared<SheetCollection>(
                workbook_, worksheets ? SheetCollection::Worksheets : SheetCollection::All);
        if (!args.empty())
            return collection->member("item", args, named);
        return Result::of(collection);
    }
    if (name == "publishobjects") {
        if (!args.empty())
            return publishObjects_->member("item", args, named);
        return Result::of(publishObjects_);
    }
    if (name == "saveas") {
        saveAs(args, named);
        return Result::none();
    }
    if (name == "name")
        return Result::of(fileNameOf(path_));
    if (name == "fullname")
        return Result::of(path_);
    if (name == "date1904")
        return Result::of(book.dateSystem == engine::DateSystem::Date1904);
    unknownMember(name);
}

} // namespace host
