#include "host/Workbooks.h"

#include "engine/read/ReadWorkbook.h"
#include "host/PathText.h"
#include "host/WorkbookObject.h"

#include <algorithm>

namespace host {

std::shared_ptr<WorkbookObject> Workbooks::open(const std::string& path) {
    try {
        auto workbook = std::make_shared<engine::Workbook>(engine::readWorkbook(path));
        auto object = std::make_shared<WorkbookObject>(std::move(workbook), path);
        open_.push_back(object);
        return object;
    } catch (const engine::ReadError& error) {
        throw HostError{1004, error.describe(fileNameOf(path))};
    }
}

Result Workbooks::member(const std::string& name, const Arguments& args,
                         const NamedArguments& named) {
    std::erase_if(open_, [](const auto& workbook) { return workbook->closed(); });
    if (name == "open")
        return Result::of(open(textArgument(argument(args, 0, named, "Filename"), "Filename")));
    if (name == "count")
        return Result::of(static_cast<std::int64_t>(open_.size()));
    if (name == "item") {
        const std::int64_t index = integerArgument(argument(args, 0, named, "Index"), "Index");
        if (index < 1 || index > static_cast<std::int64_t>(open_.size()))
            throw HostError{9, "Subscript out of range."};
        return Result::of(open_[static_cast<std::size_t>(index - 1)]);
    }
    unknownMember(name);
}

bool Workbooks::anyOpen() const {
    return std::any_of(open_.cbegin(), open_.cend(),
                       [](const auto& workbook) { return !workbook->closed(); });
}

void Workbooks::closeAll() {
    for (auto& workbook : open_)
        workbook->close();
    open_.clear();
}

} // namespace host
