#pragma once
// The shapes of a sheet's drawing (the joined MSODRAWING records): for each shape container its
// type, flags, properties and cell anchor, in the order the file keeps them, which is the order
// of the OBJ records that describe the same shapes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace engine::util {
class ByteCursor;
}

namespace engine::xls {

// One drawing record: its header and its body, clipped to what is there, as drawings written
// by some tools declare containers a little longer than their content.
struct ArtRecord {
    std::uint16_t version = 0, instance = 0, type = 0;
    std::uint32_t length = 0; // as declared
    std::span<const std::uint8_t> body;
};
// Reads the record at the cursor; false when fewer than a header's bytes are left.
bool readArtRecord(util::ByteCursor& in, ArtRecord& record);

struct ArtShape {
    std::uint16_t type = 0;  // the shape type (1 rectangle, 3 ellipse, 20 line, 202 text box...)
    std::uint32_t flags = 0; // of its shape record: group, flips, deleted...
    std::uint32_t blip = 0;  // the image number of a picture, 0 for none
    std::string description; // alternative text, UTF-8
    std::vector<std::pair<std::uint16_t, std::uint32_t>> properties; // simple ones, by id
    std::optional<std::array<std::uint16_t, 9>> anchor;              // the client anchor
    bool clientData = false; // the shape has an OBJ record of its own

    std::optional<std::uint32_t> property(std::uint16_t id) const;
    bool flippedHorizontally() const { return flags & 0x40; }
    bool flippedVertically() const { return flags & 0x80; }
};

// Every shape container of `drawing`, at most limits::maxShapesPerSheet; a damaged drawing gives
// the shapes before the damage.
std::vector<ArtShape> readArtShapes(std::span<const std::uint8_t> drawing);

} // namespace engine::xls
