#include "engine/xls/ObjectRecord.h"

#include "engine/util/ByteCursor.h"

namespace engine::xls {

std::optional<ObjectKind> readObjectKind(const Record& record) {
    constexpr std::uint16_t ftCmo = 0x0015;
    if (record.body.size() < 8 || util::loadU16(record.body.data()) != ftCmo)
        return std::nullopt;
    return ObjectKind{util::loadU16(record.body.data() + 4), util::loadU16(record.body.data() + 6)};
}

} // namespace engine::xls
