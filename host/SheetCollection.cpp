#include "host/SheetCollection.h"

#include "host/LetterCase.h"

namespace host {

SheetCollection::SheetCollection(std::shared_ptr<const engine::Workbook> workbook, Kind kind)
    : workbook_(std::move(workbook)) {
    for (std::size_t i = 0; i < workbook_->sheets.size(); ++i)
        if (kind == All || workbook_->sheets[i].kind == engine::SheetKind::Worksheet)
            members_.push_back(i);
}

Result SheetCollection::member(const std::string& name, const Arguments& args,
                               const NamedArguments& named) {
    if (name == "count")
        return Result::of(static_cast<std::int64_t>(members_.size()));
    if (name == "names") {
        // Every name in one reply: a client that names thousands of sheets would otherwise
        // wait on two round trips for each.
        Value::List names;
        names.reserve(members_.size());
        for (std::size_t member : members_)
            names.emplace_back(workbook_->sheets[member].name);
        return Result::of(std::move(names));
    }
    if (name == "item") {
        const Value index = argument(args, 0, named, "Index");
        if (index.is<std::string>()) {
            const std::string& wanted = index.as<std::string>();
            for (std::size_t member : members_)
                if (equalIgnoringCase(workbook_->sheets[member].name, wanted))
                    return Result::of(std::make_shared<SheetObject>(workbook_, member));
            throw HostError{9,
                            "Subscript out of range: there is no sheet named \"" + wanted + "\"."};
        }
        const std::int64_t position = integerArgument(index, "Index");
        if (position < 1 || position > static_cast<std::int64_t>(members_.size()))
            throw HostError{9, "Subscript out of range: there is no sheet at position " +
                                   std::to_string(position) + "."};
        return Result::of(std::make_shared<SheetObject>(
            workbook_, members_[static_cast<std::size_t>(position - 1)]));
    }
    unknownMember(name);
}

SheetObject::SheetObject(std::shared_ptr<const engine::Workbook> workbook, std::size_t index)
    : workbook_(std::move(workbook)), index_(index) {}

Result SheetObject::member(const std::string& name, const Arguments&, const NamedArguments&) {
    const engine::Sheet& sheet = workbook_->sheets[index_];
    if (name == "name")
        return Result::of(sheet.name);
    if (name == "index")
        return Result::of(static_cast<std::int64_t>(index_ + 1));
    if (name == "select" || name == "activate")
        return Result::none(); // the host has no selection that output depends on
    if (name == "visible")
        // The object model's values: -1 visible, 0 hidden, 2 very hidden.
        return Result::of(sheet.visibility == engine::Visibility::Visible  ? -1
                          : sheet.visibility == engine::Visibility::Hidden ? 0
                                                                           : 2);
    unknownMember(name);
}

void SheetObject::set(const std::string& name, const Value&) {
    if (name == "name")
        throw HostError{1004, "Sheets cannot be renamed here: the host only reads workbooks."};
    unknownMember(name);
}

} // namespace host
