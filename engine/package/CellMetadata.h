#pragma once
// The cell metadata that both package formats keep beside their sheets (the XML metadata part
// and its binary form): which of its blocks mark a formula as a dynamic array's anchor.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace engine::package {

// A metadata part as read, before its blocks are resolved.
struct CellMetadataTables {
    std::vector<std::string> types; // the metadata types' names, in order
    // Per type name, per future metadata block: whether it holds dynamic array properties
    // with fDynamic set.
    std::map<std::string, std::vector<bool>> futures;
    // Per cell metadata block, its records: a type by its 1-based place, and a block of that
    // type's future metadata by its 0-based place.
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> cells;
};

class DynamicArrayMarks {
public:
    // Without a metadata part every cell metadata is taken as the mark, as the application
    // gives cell metadata to nothing else.
    DynamicArrayMarks() = default;
    explicit DynamicArrayMarks(const CellMetadataTables& tables);

    // Whether a cell that names cell metadata block `block` (1-based) is a dynamic array's
    // anchor.
    bool dynamic(std::uint64_t block) const {
        if (!known_)
            return true;
        return block > 0 && block <= blocks_.size() && blocks_[block - 1];
    }

private:
    bool known_ = false;
    std::vector<bool> blocks_; // per cell metadata block, in order
};

} // namespace engine::package
