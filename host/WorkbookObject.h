#pragma once
// One open workbook: its sheet collections, publishing and SaveAs.

#include "engine/model/Workbook.h"
#include "host/HostObject.h"

#include <vector>

namespace host {

class PublishObjects;
class SheetCollection;

class WorkbookObject : public HostObject {
public:
    WorkbookObject(std::shared_ptr<engine::Workbook> workbook, std::string path);
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;

    void close();
    bool closed() const { return !workbook_; }

private:
    const engine::Workbook& workbook() const;
    void saveAs(const Arguments& args, const NamedArguments& named);

    std::shared_ptr<engine::Workbook> workbook_;
    std::string path_;
    std::shared_ptr<PublishObjects> publishObjects_;
    // Made on first use and kept: callers ask for a collection once per sheet they name.
    std::shared_ptr<SheetCollection> worksheets_;
    std::shared_ptr<SheetCollection> sheets_;
};

} // namespace host
