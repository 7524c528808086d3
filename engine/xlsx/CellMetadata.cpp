#include "engine/xlsx/CellMetadata.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/xml/XmlParser.h"
#include "engine/zip/ZipArchive.h"

#include <utility>

namespace engine::xlsx {
namespace {

// <metadataTypes><metadataType name="XLDAPR"/></metadataTypes>
// <futureMetadata name="XLDAPR"><bk>…<xda:dynamicArrayProperties fDynamic="1"/>…</bk>
// <cellMetadata><bk><rc t="1" v="0"/></bk></cellMetadata>
// An rc names a type by its 1-based place and a block of that type's future metadata by its
// 0-based place.
class MetadataHandler : public xml::Handler {
public:
    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (++records_ > limits::maxMetadataRecords)
            throw ReadError(ReadError::Kind::Damaged,
                            "more than " + std::to_string(limits::maxMetadataRecords) +
                                " metadata records");
        if (local == "metadataType") {
            tables_.types.emplace_back(attributes.value("name"));
        } else if (local == "futureMetadata") {
            future_ = &tables_.futures[std::string(attributes.value("name"))];
        } else if (local == "cellMetadata") {
            inCells_ = true;
        } else if (local == "bk") {
            if (inCells_)
                tables_.cells.emplace_back();
            else if (future_)
                future_->push_back(false);
        } else if (local == "dynamicArrayProperties" && future_ && !future_->empty()) {
            future_->back() = package::parseBool(attributes.value("fDynamic"), false);
        } else if (local == "rc" && inCells_ && !tables_.cells.empty()) {
            const auto type = package::parseUnsigned(attributes.value("t"), 0xFFFFFFFFu);
            const auto value = package::parseUnsigned(attributes.value("v"), 0xFFFFFFFFu);
            if (type && value)
                tables_.cells.back().emplace_back(static_cast<std::uint32_t>(*type),
                                                  static_cast<std::uint32_t>(*value));
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "futureMetadata")
            future_ = nullptr;
        else if (local == "cellMetadata")
            inCells_ = false;
    }

    const package::CellMetadataTables& tables() const { return tables_; }

private:
    std::size_t records_ = 0;
    package::CellMetadataTables tables_;
    std::vector<bool>* future_ = nullptr; // the future metadata being read
    bool inCells_ = false;
};

} // namespace

bool marksDynamicArray(const DynamicArrayMarks& marks, std::string_view cm) {
    // Text that names no block leaves a cell unmarked, unless any metadata marks.
    return !cm.empty() && marks.dynamic(package::parseUnsigned(cm, 0xFFFFFFFFu).value_or(0));
}

DynamicArrayMarks parseCellMetadataXml(std::string_view xml, const std::string& partName) {
    MetadataHandler handler;
    xml::parse(xml, handler, partName);
    return DynamicArrayMarks(handler.tables());
}

DynamicArrayMarks readCellMetadata(const zip::ZipArchive& archive, const std::string& part) {
    MetadataHandler handler;
    try {
        package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
    } catch (const ReadError& error) {
        if (error.kind() != ReadError::Kind::Damaged)
            throw;
        return DynamicArrayMarks();
    }
    return DynamicArrayMarks(handler.tables());
}

} // namespace engine::xlsx
