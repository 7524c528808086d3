#include "host/PublishObjects.h"

#include "engine/web/Publish.h"
#include "host/LetterCase.h"

namespace host {
namespace {

// The object model's constants for what is published and how.
constexpr std::int64_t xlSourceSheet = 1;
constexpr std::int64_t xlHtmlStatic = 0;

} // namespace

PublishObjects::PublishObjects(std::shared_ptr<const engine::Workbook> workbook)
    : workbook_(std::move(workbook)) {}

namespace {

void checkKinds(std::int64_t sourceType, std::int64_t htmlType) {
    if (sourceType != xlSourceSheet)
        throw HostError{1004, "Only whole sheets can be published (SourceType 1)."};
    if (htmlType != xlHtmlStatic)
        throw HostError{1004, "Only static pages can be written (HtmlType 0)."};
}

std::int64_t htmlTypeOf(const Arguments& args, const NamedArguments& named) {
    const Value htmlType = argument(args, 4, named, "HtmlType");
    return htmlType.isOmitted() ? xlHtmlStatic : integerArgument(htmlType, "HtmlType");
}

// An array argument of `count` texts (`count` < 0: any length); an omitted one, when allowed,
// gives that many empty texts.
std::vector<std::string> textsArgument(const Value& value, std::string_view name,
                                       std::ptrdiff_t count, bool mayBeOmitted) {
    if (mayBeOmitted && value.isOmitted())
        return std::vector<std::string>(count < 0 ? 0 : static_cast<std::size_t>(count));
    if (!value.is<Value::List>())
        throw HostError{13, "Type mismatch: " + std::string(name) + " must be an array of texts."};
    const Value::List& items = value.as<Value::List>();
    if (count >= 0 && items.size() != static_cast<std::size_t>(count))
        throw HostError{5, "Invalid procedure call: " + std::string(name) +
                               " must hold one text for each sheet."};
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const Value& item : items)
        texts.push_back(textArgument(item, name));
    return texts;
}

} // namespace

std::size_t PublishObjects::worksheetNamed(const std::string& sheetName) {
    if (exactNames_.empty()) {
        // Built once per workbook: a workbook of thousands of sheets names each of them, and
        // looking each one up among all the others made that quadratic.
        for (std::size_t i = 0; i < workbook_->sheets.size(); ++i) {
            const engine::Sheet& sheet = workbook_->sheets[i];
            if (sheet.kind != engine::SheetKind::Worksheet)
                continue;
            exactNames_.emplace(sheet.name, i);
            foldedNames_.emplace(lowerCase(sheet.name), i);
        }
    }
    // The exact name first, as the engine keeps it; then the name ignoring letter case. Where
    // several sheets match, the first of them.
    const auto exact = exactNames_.find(sheetName);
    if (exact != exactNames_.end())
        return exact->second;
    const auto folded = foldedNames_.find(lowerCase(sheetName));
    if (folded != foldedNames_.end())
        return folded->second;
    throw HostError{1004, "The workbook has no worksheet named \"" + sheetName + "\"."};
}

void PublishObjects::add(const Arguments& args, const NamedArguments& named) {
    const std::int64_t sourceType =
        integerArgument(argument(args, 0, named, "SourceType"), "SourceType");
    const std::string fileName = textArgument(argument(args, 1, named, "Filename"), "Filename");
    const std::string sheetName = textArgument(argument(args, 2, named, "Sheet"), "Sheet");
    const std::int64_t htmlType = htmlTypeOf(args, named);
    const Value titleArgument = argument(args, 6, named, "Title");
    const std::string title =
        titleArgument.isOmitted() ? std::string() : textArgument(titleArgument, "Title");

    checkKinds(sourceType, htmlType);
    if (fileName.empty())
        throw HostError{1004, "A file name is needed to publish a sheet."};
    entries_.push_back(Entry{worksheetNamed(sheetName), fileName, title});
}

void PublishObjects::addSheets(const Arguments& args, const NamedArguments& named) {
    const std::int64_t sourceType =
        integerArgument(argument(args, 0, named, "SourceType"), "SourceType");
    const std::vector<std::string> fileNames =
        textsArgument(argument(args, 1, named, "Filenames"), "Filenames", -1, false);
    const auto count = static_cast<std::ptrdiff_t>(fileNames.size());
    const std::vector<std::string> sheetNames =
        textsArgument(argument(args, 2, named, "Sheets"), "Sheets", count, false);
    const std::int64_t htmlType = htmlTypeOf(args, named);
    const std::vector<std::string> titles =
        textsArgument(argument(args, 6, named, "Titles"), "Titles", count, true);

    checkKinds(sourceType, htmlType);
    // All or nothing: a request with one bad entry adds none of them.
    std::vector<Entry> added;
    added.reserve(fileNames.size());
    for (std::size_t i = 0; i < fileNames.size(); ++i) {
        if (fileNames[i].empty())
            throw HostError{1004, "A file name is needed to publish a sheet."};
        added.push_back(Entry{worksheetNamed(sheetNames[i]), fileNames[i], titles[i]});
    }
    entries_.insert(entries_.end(), added.begin(), added.end());
}

void PublishObjects::publish() {
    for (const Entry& entry : entries_) {
        try {
            engine::web::publishSheet(*workbook_, entry.sheet, entry.fileName, entry.title);
        } catch (const engine::web::WriteError& error) {
            throw HostError{1004, error.what()};
        }
    }
}

Result PublishObjects::member(const std::string& name, const Arguments& args,
                              const NamedArguments& named) {
    if (!workbook_)
        throw HostError{1004, "The workbook has been closed."};
    if (name == "add") {
        add(args, named);
        return Result::none();
    }
    if (name == "addsheets") {
        addSheets(args, named);
        return Result::none();
    }
    if (name == "publish") {
        publish();
        return Result::none();
    }
    if (name == "delete") {
        entries_.clear();
        return Result::none();
    }
    if (name == "count")
        return Result::of(static_cast<std::int64_t>(entries_.size()));
    unknownMember(name);
}

} // namespace host
