#include "engine/xlsx/CellMetadata.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/xml/XmlParser.h"
#include "engine/zip/ZipArchive.h"

#include <map>
#include <utility>

namespace engine::xlsx {
namespace {

// The kind of metadata whose future blocks hold dynamic array properties.
constexpr std::string_view dynamicArrayType = "XLDAPR";

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
            types_.emplace_back(attributes.value("name"));
        } else if (local == "futureMetadata") {
            future_ = &futures_[std::string(attributes.value("name"))];
        } else if (local == "cellMetadata") {
            inCells_ = true;
        } else if (local == "bk") {
            if (inCells_)
                cells_.emplace_back();
            else if (future_)
                future_->push_back(false);
        } else if (local == "dynamicArrayProperties" && future_ && !future_->empty()) {
            future_->back() = package::parseBool(attributes.value("fDynamic"), false);
        } else if (local == "rc" && inCells_ && !cells_.empty()) {
            const auto type = package::parseUnsigned(attributes.value("t"), types_.size());
            const auto value = package::parseUnsigned(attributes.value("v"), 0xFFFFFFFFu);
            if (type && value && *type > 0)
                cells_.back().emplace_back(static_cast<std::uint32_t>(*type - 1),
                                           static_cast<std::uint32_t>(*value));
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "futureMetadata")
            future_ = nullptr;
        else if (local == "cellMetadata")
            inCells_ = false;
    }

    // Per cell block: whether one of its records is a dynamic array's.
    std::vector<bool> blocks() const {
        std::vector<bool> out;
        out.reserve(cells_.size());
        const auto found = futures_.find(std::string(dynamicArrayType));
        for (const auto& records : cells_) {
            bool dynamic = false;
            for (const auto& [type, value] : records)
                dynamic = dynamic || (types_[type] == dynamicArrayType && found != futures_.end() &&
                                      value < found->second.size() && found->second[value]);
            out.push_back(dynamic);
        }
        return out;
    }

private:
    std::size_t records_ = 0;
    std::vector<std::string> types_;
    std::map<std::string, std::vector<bool>> futures_; // by type name, per block
    std::vector<bool>* future_ = nullptr;              // the future metadata being read
    bool inCells_ = false;
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> cells_;
};

} // namespace

bool DynamicArrayMarks::dynamic(std::string_view cm) const {
    if (cm.empty())
        return false;
    if (!known_)
        return true;
    const auto index = package::parseUnsigned(cm, blocks_.size());
    return index && *index > 0 && blocks_[*index - 1];
}

DynamicArrayMarks parseCellMetadataXml(std::string_view xml, const std::string& partName) {
    MetadataHandler handler;
    xml::parse(xml, handler, partName);
    return DynamicArrayMarks(handler.blocks());
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
    return DynamicArrayMarks(handler.blocks());
}

} // namespace engine::xlsx
