#include "engine/xlsx/Fills.h"

#include "engine/package/Colors.h"
#include "engine/xlsx/StyleNames.h"

#include <array>
#include <utility>

namespace engine::xlsx {
namespace {

constexpr std::array<std::pair<std::string_view, FillPattern>, 19> patterns = {{
    {"none", FillPattern::None},
    {"solid", FillPattern::Solid},
    {"mediumGray", FillPattern::MediumGray},
    {"darkGray", FillPattern::DarkGray},
    {"lightGray", FillPattern::LightGray},
    {"darkHorizontal", FillPattern::DarkHorizontal},
    {"darkVertical", FillPattern::DarkVertical},
    {"darkDown", FillPattern::DarkDown},
    {"darkUp", FillPattern::DarkUp},
    {"darkGrid", FillPattern::DarkGrid},
    {"darkTrellis", FillPattern::DarkTrellis},
    {"lightHorizontal", FillPattern::LightHorizontal},
    {"lightVertical", FillPattern::LightVertical},
    {"lightDown", FillPattern::LightDown},
    {"lightUp", FillPattern::LightUp},
    {"lightGrid", FillPattern::LightGrid},
    {"lightTrellis", FillPattern::LightTrellis},
    {"gray125", FillPattern::Gray125},
    {"gray0625", FillPattern::Gray0625},
}};

} // namespace

void FillReader::begin() {
    given_ = false;
    inStop_ = false;
    firstStop_ = true;
}

void FillReader::startElement(Fill& fill, std::string_view local,
                              const xml::Attributes& attributes) {
    if (local == "patternFill") {
        given_ = true;
        fill.pattern = lookUp(patterns, attributes.value("patternType")).value_or(unnamed_);
    } else if (local == "fgColor") {
        fill.foreground = colors_.resolve(attributes);
    } else if (local == "bgColor") {
        fill.background = colors_.resolve(attributes);
    } else if (local == "stop") {
        inStop_ = true;
    } else if (local == "color" && inStop_ && firstStop_) {
        // A gradient is shown as the solid colour of its first stop.
        given_ = true;
        fill.pattern = FillPattern::Solid;
        fill.foreground = colors_.resolve(attributes);
        firstStop_ = false;
    }
}

void FillReader::endElement(std::string_view local) {
    if (local == "stop")
        inStop_ = false;
}

std::optional<Color> differentialFillColor(const Fill& fill) {
    if (fill.pattern == FillPattern::None)
        return Color{};
    // A differential solid fill keeps its colour in bgColor, the reverse of a cell's fill;
    // some writers give fgColor alone.
    if (!fill.background.automatic)
        return fill.background;
    if (!fill.foreground.automatic)
        return fill.foreground;
    return std::nullopt;
}

} // namespace engine::xlsx
