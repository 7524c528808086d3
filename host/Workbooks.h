#pragma once
// The collection of open workbooks; Open reads a workbook through the engine.

#include "host/HostObject.h"

#include <vector>

namespace host {

class WorkbookObject;

class Workbooks : public HostObject {
public:
    Result member(const QString& name, const QVariantList& args, const QVariantMap& named) override;
    void closeAll();
    // True while a workbook is open (not yet closed).
    bool anyOpen() const;

private:
    std::shared_ptr<WorkbookObject> open(const QString& path);
    std::vector<std::shared_ptr<WorkbookObject>> open_;
};

} // namespace host
