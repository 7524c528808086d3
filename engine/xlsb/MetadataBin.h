#pragma once
// The binary metadata part's cell metadata: which of its blocks mark a formula as a dynamic
// array. A cell's BrtCellMeta names its block by a 1-based number.

#include <cstdint>
#include <string>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsb {

class CellMetaMarks {
public:
    // Without a metadata part every cell metadata is taken as the mark, as the application
    // gives cell metadata to nothing else.
    CellMetaMarks() = default;
    explicit CellMetaMarks(std::vector<bool> blocks) : known_(true), blocks_(std::move(blocks)) {}

    // Whether a cell whose BrtCellMeta names block `icmb` is a dynamic array's anchor.
    bool dynamic(std::uint32_t icmb) const {
        if (!known_)
            return true;
        return icmb > 0 && icmb <= blocks_.size() && blocks_[icmb - 1];
    }

private:
    bool known_ = false;
    std::vector<bool> blocks_; // per cell metadata block, in order
};

// The marks of the metadata part's records, in memory (for tests and fuzzing). Throws
// ReadError(Damaged) naming `partName` for damaged records or more than
// limits::maxMetadataRecords of them.
CellMetaMarks parseMetadataBin(const std::string& records, const std::string& partName);

// The marks of the workbook's metadata part `part`; a damaged part counts as none, since the
// marks only decide how far a formula's result reaches.
CellMetaMarks readMetadataBin(const zip::ZipArchive& archive, const std::string& part);

} // namespace engine::xlsb
