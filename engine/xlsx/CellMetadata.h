#pragma once
// The cell metadata of the metadata part: which of its blocks mark a formula as a dynamic
// array. A cell's cm attribute is the 1-based number of its block.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

class DynamicArrayMarks {
public:
    // Without a metadata part every cell metadata is taken as the mark, as the application
    // gives cell metadata to nothing else.
    DynamicArrayMarks() = default;
    explicit DynamicArrayMarks(std::vector<bool> blocks)
        : known_(true), blocks_(std::move(blocks)) {}

    // Whether a cell whose cm attribute is `cm` (empty when it has none) is a dynamic array's
    // anchor.
    bool dynamic(std::string_view cm) const;

private:
    bool known_ = false;
    std::vector<bool> blocks_; // per cell metadata block, in order
};

// The marks of one metadata part's XML. Throws ReadError(Damaged) naming `partName` when it is
// not well-formed or holds more than limits::maxMetadataRecords blocks and records.
DynamicArrayMarks parseCellMetadataXml(std::string_view xml, const std::string& partName);

// The marks of the workbook's metadata part `part`; a damaged part counts as none, since the
// marks only decide how far a formula's result reaches.
DynamicArrayMarks readCellMetadata(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsx
