#pragma once
// The workbook's publish objects: Add records one sheet to publish, Publish writes them all in
// order, Delete empties the collection. AddSheets records several sheets at once: its
// arguments are Add's, with arrays of file names, sheet names and titles (one each per sheet,
// the titles optional) in place of one of each.

#include "engine/model/Workbook.h"
#include "host/HostObject.h"

#include <QStringList>
#include <map>
#include <string>
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
        exactNames_.clear();
        foldedNames_.clear();
    }

private:
    struct Entry {
        std::size_t sheet; // index into workbook_->sheets
        QString fileName;
        QString title;
    };
    void add(const QVariantList& args, const QVariantMap& named);
    void addSheets(const QVariantList& args, const QVariantMap& named);
    // The worksheet a publish object names: by its exact name, else ignoring letter case.
    // Throws HostError.
    std::size_t worksheetNamed(const QString& sheetName);
    void publish();

    std::shared_ptr<const engine::Workbook> workbook_;
    std::vector<Entry> entries_;
    // The worksheets by name, the first of each name, made on first use.
    std::map<std::string, std::size_t> exactNames_;
    std::map<QString, std::size_t> foldedNames_;
};

} // namespace host
