#pragma once
// The workbook's publish objects: Add records one sheet to publish, Publish writes them all in
// order, Delete empties the collection.

#include "engine/model/Workbook.h"
#include "host/HostObject.h"

#include <vector>

namespace host {

class PublishObjects : public HostObject {
public:
    explicit PublishObjects(std::shared_ptr<const engine::Workbook> workbook);
    Result member(const QString& name, const QVariantList& args, const QVariantMap& named) override;
    // The workbook was closed: later calls fail.
    void detach() {
        workbook_.reset();
        entries_.clear();
    }

private:
    struct Entry {
        std::size_t sheet; // index into workbook_->sheets
        QString fileName;
        QString title;
    };
    void add(const QVariantList& args, const QVariantMap& named);
    void publish();

    std::shared_ptr<const engine::Workbook> workbook_;
    std::vector<Entry> entries_;
};

} // namespace host
