#include "engine/metafile/Metafile.h"

#include "engine/base/ReadError.h"
#include "engine/metafile/EmfPlayer.h"
#include "engine/metafile/PictPlayer.h"
#include "engine/metafile/WmfPlayer.h"
#include "engine/util/ByteCursor.h"

namespace engine::metafile {

Kind kindOf(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 44 && util::loadU32(bytes.data()) == 1 &&
        util::loadU32(bytes.data() + 40) == 0x464D4520)
        return Kind::Emf;
    if (bytes.size() >= 4 && util::loadU32(bytes.data()) == 0x9AC6CDD7)
        return Kind::Wmf;
    if (bytes.size() >= 18) {
        const std::uint16_t type = util::loadU16(bytes.data());
        const std::uint16_t words = util::loadU16(bytes.data() + 2);
        const std::uint16_t version = util::loadU16(bytes.data() + 4);
        if ((type == 1 || type == 2) && words == 9 && (version == 0x100 || version == 0x300))
            return Kind::Wmf;
    }
    if (pictStart(bytes) != static_cast<std::size_t>(-1))
        return Kind::Pict;
    return Kind::None;
}

Rendered toSvg(std::span<const std::uint8_t> bytes,
               std::optional<std::pair<double, double>> sizeHintPt) {
    switch (kindOf(bytes)) {
    case Kind::Emf:
        return playEmf(bytes);
    case Kind::Wmf:
        return playWmf(bytes, sizeHintPt);
    case Kind::Pict:
        return playPict(bytes);
    default:
        throw ReadError(ReadError::Kind::Damaged,
                        "picture at offset 0x0: expected the header of an EMF or WMF metafile");
    }
}

std::optional<Rendered> tryToSvg(std::span<const std::uint8_t> bytes,
                                 std::optional<std::pair<double, double>> sizeHintPt) {
    try {
        Rendered rendered = toSvg(bytes, sizeHintPt);
        if (rendered.elements == 0)
            return std::nullopt;
        return rendered;
    } catch (const ReadError&) {
        return std::nullopt;
    }
}

} // namespace engine::metafile
