#pragma once
// Pictures stored as Windows metafiles (EMF and WMF) or Macintosh PICT, played by a bounded
// interpreter of the records pictures use and written out as SVG of our own.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace engine::metafile {

enum class Kind : std::uint8_t { None, Emf, Wmf, Pict };

// The kind of metafile by its header; None for anything else.
Kind kindOf(std::span<const std::uint8_t> bytes);

struct Rendered {
    std::string svg;    // a complete SVG document, UTF-8
    double widthPt = 0; // the picture's own size
    double heightPt = 0;
    std::size_t elements = 0; // paths, texts and bitmaps drawn
    // Why playing stopped early (a damaged record, a limit reached); empty when it ran to the
    // end. What was drawn before stays in `svg`.
    std::string stoppedEarly;
};

// Plays an EMF, WMF or PICT picture. `sizeHintPt` gives the size of a WMF that says none itself
// (one without its placeable header, as workbooks store them). Throws ReadError(Damaged) for a
// header that is not a metafile's or is broken, saying what and where.
Rendered toSvg(std::span<const std::uint8_t> bytes,
               std::optional<std::pair<double, double>> sizeHintPt = std::nullopt);

// As toSvg, but nullopt instead of an error, and for a picture that draws nothing.
std::optional<Rendered>
tryToSvg(std::span<const std::uint8_t> bytes,
         std::optional<std::pair<double, double>> sizeHintPt = std::nullopt);

} // namespace engine::metafile
