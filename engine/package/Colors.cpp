#include "engine/package/Colors.h"

#include "engine/model/DefaultPalette.h"
#include "engine/package/AttributeValues.h"

#include <algorithm>
#include <optional>

namespace engine::package {
namespace {

// The default office theme, in scheme order (dk1 lt1 dk2 lt2 accent1-6 hlink folHlink).
constexpr std::array<std::uint32_t, 12> defaultScheme = {0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1,
                                                         0x4F81BD, 0xC0504D, 0x9BBB59, 0x8064A2,
                                                         0x4BACC6, 0xF79646, 0x0000FF, 0x800080};

// The theme="" index counts light before dark: 0 = lt1, 1 = dk1, 2 = lt2, 3 = dk2.
std::array<std::uint32_t, 12> themeOrder(const std::array<std::uint32_t, 12>& scheme) {
    std::array<std::uint32_t, 12> theme = scheme;
    std::swap(theme[0], theme[1]);
    std::swap(theme[2], theme[3]);
    return theme;
}

} // namespace

Colors::Colors() : palette_(defaultPalette), theme_(themeOrder(defaultScheme)) {}

void Colors::setIndexed(std::size_t index, std::uint32_t rgb) {
    if (index < palette_.size())
        palette_[index] = rgb & 0xFFFFFF;
}

void Colors::setScheme(const std::array<std::uint32_t, 12>& scheme) {
    theme_ = themeOrder(scheme);
}

ColorReference colorReferenceOf(const xml::Attributes& attributes) {
    ColorReference reference;
    if (parseBool(attributes.value("auto"), false))
        return reference;
    std::optional<std::uint32_t> value;
    if (const char* rgb = attributes.get("rgb")) {
        value = parseHexColor(rgb);
        reference.kind = ColorReference::Kind::Rgb;
    } else if (const char* theme = attributes.get("theme")) {
        value = parseUnsigned(theme, 0xFFFF);
        reference.kind = ColorReference::Kind::Theme;
    } else if (const char* indexed = attributes.get("indexed")) {
        value = parseUnsigned(indexed, 0xFFFF);
        reference.kind = ColorReference::Kind::Indexed;
    }
    if (!value)
        return ColorReference{};
    reference.value = *value;
    if (const char* tint = attributes.get("tint"))
        reference.tint = parseNumber(tint).value_or(0);
    return reference;
}

Color Colors::resolve(const ColorReference& reference) const {
    std::uint32_t rgb = 0;
    switch (reference.kind) {
    case ColorReference::Kind::Automatic:
        return Color{};
    case ColorReference::Kind::Rgb:
        rgb = reference.value & 0xFFFFFF;
        break;
    case ColorReference::Kind::Theme:
        if (reference.value >= theme_.size())
            return Color{};
        rgb = theme_[reference.value];
        break;
    case ColorReference::Kind::Indexed:
        // 64 and above are the system's window colours: the application's defaults.
        if (reference.value >= palette_.size())
            return Color{};
        rgb = palette_[reference.value];
        break;
    }
    if (reference.tint != 0)
        rgb = applyTint(rgb, reference.tint);
    return Color::fromRgb(rgb);
}

std::optional<std::size_t> schemeColorIndex(std::string_view name) {
    constexpr std::string_view names[] = {"bg1",     "tx1",     "bg2",     "tx2",
                                          "accent1", "accent2", "accent3", "accent4",
                                          "accent5", "accent6", "hlink",   "folHlink"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (names[i] == name)
            return i;
    if (name == "lt1")
        return 0;
    if (name == "dk1")
        return 1;
    if (name == "lt2")
        return 2;
    if (name == "dk2")
        return 3;
    return std::nullopt;
}

} // namespace engine::package
