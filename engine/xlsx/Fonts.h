#pragma once
// Fonts as SpreadsheetML writes them, in the styles part (<font>) and in rich-text runs (<rPr>).

#include "engine/model/Style.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

// Applies one child element of <font> or <rPr> (b, i, strike, u, vertAlign, sz, color, name,
// rFont) to `font`; other elements are ignored.
void applyFontProperty(Font& font, std::string_view local, const xml::Attributes& attributes,
                       const package::Colors& colors);

// The workbook's font table, growing by the distinct fonts of rich-text runs.
class FontTable {
public:
    explicit FontTable(std::vector<Font>& fonts) : fonts_(fonts) {}

    // The index of a font equal to `font`, appending it when the table has none.
    std::uint32_t intern(const Font& font);

private:
    static std::string key(const Font& font);

    std::vector<Font>& fonts_;
    std::unordered_map<std::string, std::uint32_t> known_;
    std::size_t indexed_ = 0; // fonts_[0, indexed_) are in known_
};

} // namespace engine::xlsx
