#pragma once
// The collection of open workbooks; Open reads a workbook through the engine.

#include "host/HostObject.h"

#include <vector>

namespace host {

class WorkbookObject;

class Workbooks : public HostObject {
public:
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;
    void closeAll();
    // True while a workbook is open (not yet closed).
    bool anyOpen() const;

private:
    std::shared_ptr<WorkbookObject> open(const std::string& path);
    std::vector<std::shared_ptr<WorkbookObject>> open_;
};

} // namespace host
