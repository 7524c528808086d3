#pragma once
// Turning the colour references of a workbook (ARGB, palette index, theme slot with tint)
// into the RGB values of the model.

#include "engine/model/Style.h"
#include "engine/util/ColorTint.h"
#include "engine/xml/XmlParser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace engine::package {

// A colour as a workbook part refers to it, before the palette and the theme resolve it; the
// XML attributes and the binary colour record both come to this.
struct ColorReference {
    enum class Kind : std::uint8_t { Automatic, Rgb, Indexed, Theme };
    Kind kind = Kind::Automatic;
    std::uint32_t value = 0; // the RGB value, or the palette or theme index
    double tint = 0;         // -1 (black) .. 1 (white)
};

// The reference of an element such as <color>, <fgColor> or <bgColor> through its rgb,
// indexed, theme, tint and auto attributes; automatic when it names none of them or names one
// that cannot be read.
ColorReference colorReferenceOf(const xml::Attributes& attributes);

class Colors {
public:
    // Starts with the default palette and the default office theme.
    Colors();

    // Replaces palette entry `index` (0..63); other indexes are ignored.
    void setIndexed(std::size_t index, std::uint32_t rgb);

    // Replaces the theme's colours, given in the order of the file's colour scheme: dk1 lt1
    // dk2 lt2 accent1..accent6 hlink folHlink.
    void setScheme(const std::array<std::uint32_t, 12>& scheme);

    // The colour `reference` names; automatic for an automatic reference, a theme slot past
    // the theme's and the system colours (palette 64 and above).
    Color resolve(const ColorReference& reference) const;
    Color resolve(const xml::Attributes& attributes) const {
        return resolve(colorReferenceOf(attributes));
    }

    // Theme colour `index` in the order of the theme="" attribute (lt1 dk1 lt2 dk2 accent1..6
    // hlink folHlink); black for an index past them.
    std::uint32_t themeColor(std::size_t index) const {
        return index < theme_.size() ? theme_[index] : 0;
    }

private:
    std::array<std::uint32_t, 64> palette_;
    std::array<std::uint32_t, 12> theme_; // in the order of the theme="" index
};

// The theme="" index of a DrawingML scheme colour name (bg1/lt1, tx1/dk1 ... folHlink);
// nullopt for phClr and unknown names.
std::optional<std::size_t> schemeColorIndex(std::string_view name);

using util::applyTint;

} // namespace engine::package
