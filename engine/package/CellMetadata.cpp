#include "engine/package/CellMetadata.h"

#include <string_view>

namespace engine::package {
namespace {

// The kind of metadata whose future blocks hold dynamic array properties.
constexpr std::string_view dynamicArrayType = "XLDAPR";

} // namespace

DynamicArrayMarks::DynamicArrayMarks(const CellMetadataTables& tables) : known_(true) {
    blocks_.reserve(tables.cells.size());
    const auto found = tables.futures.find(std::string(dynamicArrayType));
    for (const auto& records : tables.cells) {
        bool dynamic = false;
        for (const auto& [type, value] : records)
            dynamic = dynamic || (type > 0 && type <= tables.types.size() &&
                                  tables.types[type - 1] == dynamicArrayType &&
                                  found != tables.futures.end() && value < found->second.size() &&
                                  found->second[value]);
        blocks_.push_back(dynamic);
    }
}

} // namespace engine::package
