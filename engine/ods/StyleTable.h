#pragma once
// The named and automatic styles of a spreadsheet document, resolved on demand into the
// workbook's fonts, fills, borders and cell formats.

#include "engine/model/Workbook.h"
#include "engine/ods/NumberStyles.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace engine::ods {

// What a table-row style says.
struct RowStyle {
    std::optional<double> height; // points
    bool optimal = true;          // the suite fits the height to the content
};

class StyleTable {
public:
    explicit StyleTable(Workbook& workbook);

    // style:font-face: the family name that `style:font-name="name"` stands for.
    void addFontFace(const xml::Attributes& attributes);

    // A style:style (or style:default-style when `isDefault`) opens; its property elements
    // follow through properties() until endStyle().
    void beginStyle(const xml::Attributes& attributes, bool isDefault);
    void properties(std::string_view local, const xml::Attributes& attributes);
    void endStyle();

    NumberStyles& numberStyles() { return numberStyles_; }

    // The index in Workbook::cellFormats of the cell style `name` ("" for the default cell
    // style); a style the document does not define is the default one.
    std::uint32_t cellFormat(std::string_view name);
    // Whether a blank cell of that format shows something (a fill or a border).
    bool visibleBlank(std::uint32_t format) const;
    // Whether the format's code shows numbers as the suite does (see NumberStyles::isExact).
    bool isExactFormat(std::uint32_t format) const;

    // The font of text in a text:span of style `name` whose surroundings are drawn in font
    // `baseFont` (the cell's, or an outer span's): that font with the span style's properties
    // over it; nullopt when there is no such text style.
    std::optional<std::uint32_t> spanFont(std::uint32_t baseFont, const std::string& name);
    // The font index of cell format `format`.
    std::uint32_t fontOf(std::uint32_t format) const;

    std::optional<double> columnWidth(const std::string& name); // points
    RowStyle rowStyle(const std::string& name);
    bool tableHidden(const std::string& name) const;

private:
    struct Properties {
        std::optional<std::string> fontName;
        std::optional<double> fontSize;
        std::optional<bool> bold, italic, strike;
        std::optional<Underline> underline;
        std::optional<Script> script;
        std::optional<Color> fontColor;
        std::optional<Color> background; // automatic: transparent
        std::optional<BorderSide> left, right, top, bottom;
        std::optional<BorderSide> diagonalUp, diagonalDown; // bottom left to top right, and back
        std::optional<HAlign> horizontal;
        std::optional<bool> alignByValue; // style:text-align-source="value-type"
        std::optional<VAlign> vertical;
        std::optional<bool> wrap, shrink;
        std::optional<std::int16_t> rotation;
        std::optional<std::uint8_t> indent;
        std::optional<std::string> dataStyle;
        std::optional<double> columnWidth, rowHeight;
        std::optional<bool> optimalHeight;
        std::optional<bool> hidden; // table:display="false"
    };
    struct Entry {
        std::string parent;
        Properties properties;
    };

    void tableCellProperties(const xml::Attributes& attributes);
    void paragraphProperties(const xml::Attributes& attributes);
    void textProperties(const xml::Attributes& attributes);
    Properties resolved(const std::string& family, const std::string& name) const;
    std::uint32_t addFormat(const Properties& properties);
    std::uint32_t internFont(const Font& font);
    std::uint32_t numberFormatId(const std::string& dataStyle);

    Workbook& workbook_;
    NumberStyles numberStyles_;
    std::map<std::string, std::string> fontFaces_;
    std::map<std::string, std::map<std::string, Entry>, std::less<>> styles_; // family -> name
    std::map<std::string, Properties> defaults_;                    // family -> default style
    std::map<std::string, std::uint32_t, std::less<>> cellFormats_; // style name -> format
    std::map<std::string, std::uint32_t> numberFormatIds_;          // format code -> id
    std::map<std::uint32_t, bool> inexactFormats_;                  // format index -> text shown
    std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> spanFonts_;
    // Rows and columns name their styles again and again.
    std::map<std::string, RowStyle> rowStyles_;
    std::map<std::string, std::optional<double>> columnWidths_;
    bool defaultMade_ = false;
    // The style being read.
    Entry current_;
    std::string currentName_, currentFamily_;
    bool currentIsDefault_ = false;
};

} // namespace engine::ods
