#pragma once
// Worksheets (worksheets only) and Sheets (every sheet, charts included) of a workbook, and
// the sheet objects they hand out. Besides Count and Item, a collection answers Names: the
// names of its sheets in order, as one array.

#include "engine/model/Workbook.h"
#include "host/HostObject.h"

#include <vector>

namespace host {

class SheetCollection : public HostObject {
public:
    enum Kind { Worksheets, All };
    SheetCollection(std::shared_ptr<const engine::Workbook> workbook, Kind kind);
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;

private:
    std::shared_ptr<const engine::Workbook> workbook_;
    std::vector<std::size_t> members_; // indexes into workbook_->sheets
};

class SheetObject : public HostObject {
public:
    SheetObject(std::shared_ptr<const engine::Workbook> workbook, std::size_t index);
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;
    void set(const std::string& name, const Value& value) override;

private:
    std::shared_ptr<const engine::Workbook> workbook_;
    std::size_t index_;
};

} // namespace host
