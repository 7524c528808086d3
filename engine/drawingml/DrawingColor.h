#pragma once
// A DrawingML colour as a shape or a chart gives it: a colour element (srgbClr, schemeClr,
// sysClr, prstClr, scrgbClr) and the transforms among its children, applied in order.

#include "engine/package/Colors.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine::drawingml {

class DrawingColor {
public:
    // The colour element `local` stands for; nullopt for another element or a colour it does
    // not name (a bad value, phClr).
    static std::optional<DrawingColor>
    start(std::string_view local, const xml::Attributes& attributes, const package::Colors& colors);

    // Applies the transform child `local`: tint and shade mix with white and black in linear
    // RGB, lumMod and lumOff scale and shift the HLS lightness. Others (alpha ...) change
    // nothing drawn here and are ignored, as is a transform without a readable value.
    void transform(std::string_view local, const xml::Attributes& attributes);

    // The colour with the transforms so far.
    std::uint32_t rgb() const;

private:
    explicit DrawingColor(std::uint32_t rgb);

    double red_, green_, blue_; // sRGB, 0..1
};

// The RGB value of a DrawingML preset colour name ("red", "cornflowerBlue", "dkGreen");
// nullopt for a name the list lacks.
std::optional<std::uint32_t> presetColor(std::string_view name);

} // namespace engine::drawingml
