#pragma once
// Pictures that older binary workbooks keep outside the drawing layer: an OBJ record of a
// picture followed by its IMDATA record (BIFF3-5), and a sheet's background picture (BITMAP).

#include "engine/model/Sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace engine::xls {

class SheetImages {
public:
    // An OBJ record of BIFF3-5: a picture object's anchor is kept for the IMDATA after it.
    void object(std::span<const std::uint8_t> body);
    // An IMDATA record with its CONTINUE records joined; a picture without an OBJ before it
    // has nowhere to go and is left out, as are formats no page shows (Macintosh PICT).
    void imageData(std::span<const std::uint8_t> data);
    // Adds the pictures read to `sheet`, placed by its finished column widths and row heights.
    void finish(Sheet& sheet);

    // The picture of a BITMAP record (its CONTINUE records joined); nullopt when it is not a
    // bitmap a page shows.
    static std::optional<Picture> background(std::span<const std::uint8_t> data);

private:
    struct Pending {
        std::array<std::uint16_t, 8> corners; // colL, dxL, rwT, dyT, colR, dxR, rwB, dyB
        std::uint16_t format = 0, environment = 0;
        std::vector<std::uint8_t> data;
    };
    std::optional<std::array<std::uint16_t, 8>> anchor_;
    std::vector<Pending> pending_;
    std::uint64_t bytes_ = 0;
};

} // namespace engine::xls
