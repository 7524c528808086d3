#include "engine/xlsx/Fonts.h"

#include "engine/base/Limits.h"
#include "engine/package/Colors.h"
#include "engine/package/XmlValues.h"
#include "engine/util/Utf8.h"

#include <algorithm>
#include <cstdio>

namespace engine::xlsx {

void applyFontProperty(Font& font, std::string_view local, const xml::Attributes& attributes,
                       const package::Colors& colors) {
    // A flag element without val is on: <b/> means bold.
    const auto flag = [&] { return package::parseBool(attributes.value("val"), true); };
    if (local == "b") {
        font.bold = flag();
    } else if (local == "i") {
        font.italic = flag();
    } else if (local == "strike") {
        font.strike = flag();
    } else if (local == "u") {
        const std::string_view value = attributes.value("val", "single");
        if (value == "single")
            font.underline = Underline::Single;
        else if (value == "double")
            font.underline = Underline::Double;
        else if (value == "singleAccounting")
            font.underline = Underline::SingleAccounting;
        else if (value == "doubleAccounting")
            font.underline = Underline::DoubleAccounting;
        else
            font.underline = Underline::None;
    } else if (local == "vertAlign") {
        const std::string_view value = attributes.value("val");
        font.script = value == "superscript" ? Script::Superscript
                      : value == "subscript" ? Script::Subscript
                                             : Script::Baseline;
    } else if (local == "sz") {
        if (const auto size = package::parseNumber(attributes.value("val"));
            size && *size > 0 && *size < limits::maxFontPoints)
            font.size = *size;
    } else if (local == "color") {
        font.color = colors.resolve(attributes);
    } else if (local == "name" || local == "rFont") {
        const std::string_view name = attributes.value("val");
        if (!name.empty())
            font.name = std::string(util::utf8Prefix(name, limits::maxFontNameBytes));
    }
}

std::string FontTable::key(const Font& font) {
    std::string key = font.name;
    char buffer[64];
    const int length = std::snprintf(
        buffer, sizeof buffer, "|%.17g|%d%d%d%d%d|%d%06x", font.size, font.bold, font.italic,
        font.strike, static_cast<int>(font.underline), static_cast<int>(font.script),
        font.color.automatic, static_cast<unsigned>(font.color.rgb));
    key.append(buffer, static_cast<std::size_t>(std::max(length, 0)));
    return key;
}

std::uint32_t FontTable::intern(const Font& font) {
    // Fonts may have been added by others since the last call: index them first.
    for (; indexed_ < fonts_.size(); ++indexed_)
        known_.emplace(key(fonts_[indexed_]), static_cast<std::uint32_t>(indexed_));
    const auto [found, added] =
        known_.emplace(key(font), static_cast<std::uint32_t>(fonts_.size()));
    if (added) {
        fonts_.push_back(font);
        ++indexed_;
    }
    return found->second;
}

} // namespace engine::xlsx
