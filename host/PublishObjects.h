#pragma once
// The workbook's publish objects: Add records one sheet to publish, Publish writes them all in
// order, Delete empties the collection. AddSheets records several sheets at once: its
// arguments are Add's, with arrays of file names, sheet names and titles (one each per sheet,
// the titles optional) in place of one of each.

#include "engine/model/Workbook.h"
#include "host/HostObject.h"

#include <map>
#include <string>
#include <vector>

namespace host {

class PublishObjects : public HostObject {
public:
    explicit PublishObjects(std::shared_ptr<const engine::Workbook> workbook);
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;
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
        std::string fileName;
        std::string title;
    };
    void add(const Arguments& args, const NamedArguments& named);
    void addSheets(const Arguments& args, const NamedArguments& named);
    // The worksheet a publish object names: by its exact name, else ignoring letter case.
    // Throws HostError.
    std::size_t worksheetNamed(const std::string& sheetName);
    void publish();

    std::shared_ptr<const engine::Workbook> workbook_;
    std::vector<Entry> entries_;
    // The worksheets by name, the first of each name, made on first use.
    std::map<std::string, std::size_t> exactNames_;
    std::map<std::string, std::size_t> foldedNames_; // by lowerCase(name)
};

} // namespace host
