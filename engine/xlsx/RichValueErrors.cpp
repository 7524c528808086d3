#include "engine/xlsx/RichValueErrors.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/xml/XmlParser.h"
#include "engine/zip/ZipArchive.h"

#include <utility>

namespace engine::xlsx {
namespace {

// The kind of metadata whose future blocks name rich values.
constexpr std::string_view richValueType = "XLRICHVALUE";

// An _error rich value's errorType, as far as the application's files have shown it; the other
// types are errors this engine does not tell apart from the #VALUE! the cell's text names.
std::optional<CellError> errorOfType(std::string_view type) {
    if (type == "8")
        return CellError::Spill;
    if (type == "13")
        return CellError::Calc;
    return std::nullopt;
}

// Counts the elements of part `part` against the bound.
class CountingHandler : public xml::Handler {
public:
    explicit CountingHandler(std::string part) : part_(std::move(part)) {}

protected:
    void count() {
        if (++records_ > limits::maxMetadataRecords)
            throw ReadError(ReadError::Kind::Damaged,
                            "the part '" + part_ + "' holds more than " +
                                std::to_string(limits::maxMetadataRecords) + " records");
    }

private:
    std::string part_;
    std::size_t records_ = 0;
};

// <metadataTypes><metadataType name="XLRICHVALUE"/></metadataTypes>
// <futureMetadata name="XLRICHVALUE"><bk>…<xlrd:rvb i="0"/>…</bk></futureMetadata>
// <valueMetadata><bk><rc t="1" v="0"/></bk></valueMetadata>
// An rc names a type by its 1-based place and a block of that type's future metadata by its
// 0-based place.
class ValueMetadataHandler : public CountingHandler {
public:
    using CountingHandler::CountingHandler;
    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        count();
        if (local == "metadataType") {
            types_.emplace_back(attributes.value("name"));
        } else if (local == "futureMetadata") {
            inFuture_ = attributes.value("name") == richValueType;
        } else if (local == "valueMetadata") {
            inValues_ = true;
        } else if (local == "bk") {
            if (inValues_)
                blocks_.emplace_back();
            else if (inFuture_)
                futures_.emplace_back();
        } else if (local == "rvb" && inFuture_ && !futures_.empty()) {
            if (const auto i = package::parseUnsigned(attributes.value("i"), 0xFFFFFFFFu))
                futures_.back() = static_cast<std::uint32_t>(*i);
        } else if (local == "rc" && inValues_ && !blocks_.empty()) {
            const auto type = package::parseUnsigned(attributes.value("t"), types_.size());
            const auto value = package::parseUnsigned(attributes.value("v"), 0xFFFFFFFFu);
            if (type && value && *type > 0 && types_[*type - 1] == richValueType &&
                *value < futures_.size())
                blocks_.back() = futures_[*value];
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "futureMetadata")
            inFuture_ = false;
        else if (local == "valueMetadata")
            inValues_ = false;
    }

    std::vector<std::optional<std::uint32_t>> blocks_;

private:
    std::vector<std::string> types_;
    std::vector<std::optional<std::uint32_t>> futures_; // the rich value of each future block
    bool inFuture_ = false;
    bool inValues_ = false;
};

// <rvStructures><s t="_error"><k n="errorType" t="i"/><k n="subType" t="i"/></s></rvStructures>
// For each structure, the place of its errorType key when it is an _error's.
class StructuresHandler : public CountingHandler {
public:
    using CountingHandler::CountingHandler;
    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        count();
        if (local == "s") {
            errorStructure_ = attributes.value("t") == "_error";
            keys_ = 0;
            errorTypeKey_.emplace_back();
        } else if (local == "k" && !errorTypeKey_.empty()) {
            if (errorStructure_ && attributes.value("n") == "errorType")
                errorTypeKey_.back() = keys_;
            ++keys_;
        }
    }
    void endElement(std::string_view, std::string_view) override {}

    std::vector<std::optional<std::size_t>> errorTypeKey_;

private:
    bool errorStructure_ = false;
    std::size_t keys_ = 0;
};

// <rvData><rv s="0"><v>13</v><v>0</v></rv></rvData>: the values in the order of their
// structure's keys.
class ValuesHandler : public CountingHandler {
public:
    ValuesHandler(std::string part, const std::vector<std::optional<std::size_t>>& keys)
        : CountingHandler(std::move(part)), keys_(keys) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        count();
        if (local == "rv") {
            errors_.emplace_back();
            wanted_.reset();
            const auto s = package::parseUnsigned(attributes.value("s"), 0xFFFFFFFFu);
            if (s && *s < keys_.size())
                wanted_ = keys_[*s];
            place_ = 0;
        } else if (local == "v" && !errors_.empty()) {
            inWanted_ = wanted_ && *wanted_ == place_;
            text_.clear();
            ++place_;
        }
    }
    void characters(std::string_view text) override {
        // An error type is a few digits; anything longer names no error.
        if (inWanted_ && text_.size() + text.size() <= 16)
            text_ += text;
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "v" && inWanted_) {
            errors_.back() = errorOfType(text_);
            inWanted_ = false;
        }
    }

    std::vector<std::optional<CellError>> errors_;

private:
    const std::vector<std::optional<std::size_t>>& keys_;
    std::optional<std::size_t> wanted_;
    std::size_t place_ = 0;
    bool inWanted_ = false;
    std::string text_;
};

} // namespace

std::optional<CellError> RichValueErrors::error(std::string_view vm) const {
    if (vm.empty())
        return std::nullopt;
    const auto index = package::parseUnsigned(vm, blocks_.size());
    if (!index || *index == 0)
        return std::nullopt;
    const std::optional<std::uint32_t> value = blocks_[*index - 1];
    if (!value || *value >= errors_.size())
        return std::nullopt;
    return errors_[*value];
}

std::vector<std::optional<std::uint32_t>> parseValueMetadataXml(std::string_view xml,
                                                                const std::string& partName) {
    ValueMetadataHandler handler(partName);
    xml::parse(xml, handler, partName);
    return std::move(handler.blocks_);
}

std::vector<std::optional<CellError>> parseRichValueErrorsXml(std::string_view valuesXml,
                                                              std::string_view structuresXml,
                                                              const std::string& partName) {
    StructuresHandler structures(partName);
    xml::parse(structuresXml, structures, partName);
    ValuesHandler values(partName, structures.errorTypeKey_);
    xml::parse(valuesXml, values, partName);
    return std::move(values.errors_);
}

RichValueErrors readRichValueErrors(const zip::ZipArchive& archive, const std::string& metadataPart,
                                    const std::string& valuesPart,
                                    const std::string& structuresPart) {
    try {
        ValueMetadataHandler metadata(metadataPart);
        package::parsePart(archive, metadataPart, metadata, limits::maxSmallPartBytes);
        StructuresHandler structures(structuresPart);
        package::parsePart(archive, structuresPart, structures, limits::maxSmallPartBytes);
        ValuesHandler values(valuesPart, structures.errorTypeKey_);
        package::parsePart(archive, valuesPart, values, limits::maxSmallPartBytes);
        return RichValueErrors(std::move(metadata.blocks_), std::move(values.errors_));
    } catch (const ReadError& error) {
        if (error.kind() != ReadError::Kind::Damaged)
            throw;
        return RichValueErrors();
    }
}

} // namespace engine::xlsx
