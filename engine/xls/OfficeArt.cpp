#include "engine/xls/OfficeArt.h"

#include "engine/base/Limits.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <algorithm>

namespace engine::xls {
namespace {

// Office drawing record types and shape properties (MS-ODRAW 2.2, 2.3).
constexpr std::uint16_t spContainer = 0xF004;
constexpr std::uint16_t shapeRecord = 0xF00A;
constexpr std::uint16_t fopt = 0xF00B;
constexpr std::uint16_t clientAnchor = 0xF010;
constexpr std::uint16_t clientData = 0xF011;
constexpr std::uint16_t propertyBlip = 0x0104;        // pib
constexpr std::uint16_t propertyDescription = 0x0381; // wzDescription

void readProperties(const ArtRecord& part, ArtShape& shape) {
    util::ByteCursor props(part.body, "shape properties");
    std::vector<std::pair<std::uint16_t, std::uint32_t>> complex;
    for (std::size_t i = 0; i < part.instance && props.remaining() >= 6; ++i) {
        const std::uint16_t id = props.u16();
        const std::uint32_t value = props.u32();
        if (id & 0x8000)
            complex.emplace_back(id & 0x3FFF, value);
        else if ((id & 0x3FFF) == propertyBlip && (id & 0x4000))
            shape.blip = value;
        else if (shape.properties.size() < limits::maxArtProperties)
            shape.properties.emplace_back(id & 0x3FFF, value);
    }
    for (const auto& [id, length] : complex) {
        if (length > props.remaining())
            break;
        const auto data = props.bytes(length);
        if (id != propertyDescription)
            continue;
        std::size_t n = 0;
        while (n + 1 < data.size() && (data[n] | data[n + 1]) != 0)
            n += 2;
        shape.description.clear();
        util::appendUtf16le(shape.description, data.first(n));
    }
}

ArtShape readShape(std::span<const std::uint8_t> body) {
    ArtShape shape;
    util::ByteCursor in(body, "shape");
    ArtRecord part;
    while (readArtRecord(in, part)) {
        if (part.type == shapeRecord && part.body.size() >= 8) {
            shape.type = part.instance;
            shape.flags = util::loadU32(part.body.data() + 4);
        } else if (part.type == fopt) {
            readProperties(part, shape);
        } else if (part.type == clientAnchor && part.body.size() >= 18) {
            util::ByteCursor anchor(part.body, "anchor");
            std::array<std::uint16_t, 9> values{};
            for (auto& v : values)
                v = anchor.u16();
            shape.anchor = values;
        } else if (part.type == clientData) {
            shape.clientData = true;
        }
    }
    return shape;
}

void walk(std::span<const std::uint8_t> bytes, std::size_t depth, std::vector<ArtShape>& out) {
    if (depth > limits::maxArtContainerDepth)
        return;
    util::ByteCursor in(bytes, "drawing");
    ArtRecord h;
    while (readArtRecord(in, h) && out.size() < limits::maxShapesPerSheet) {
        if (h.type == spContainer)
            out.push_back(readShape(h.body));
        else if (h.version == 0x0F)
            walk(h.body, depth + 1, out);
    }
}

} // namespace

bool readArtRecord(util::ByteCursor& in, ArtRecord& record) {
    if (in.remaining() < 8)
        return false;
    const std::uint16_t verInstance = in.u16();
    record.version = verInstance & 0x0F;
    record.instance = verInstance >> 4;
    record.type = in.u16();
    record.length = in.u32();
    record.body = in.bytes(std::min<std::size_t>(record.length, in.remaining()));
    return true;
}

std::optional<std::uint32_t> ArtShape::property(std::uint16_t id) const {
    for (const auto& [key, value] : properties)
        if (key == id)
            return value;
    return std::nullopt;
}

std::vector<ArtShape> readArtShapes(std::span<const std::uint8_t> drawing) {
    std::vector<ArtShape> shapes;
    try {
        walk(drawing, 0, shapes);
    } catch (const std::exception&) {
        // The shapes before the damage stand.
    }
    return shapes;
}

} // namespace engine::xls
