#include "engine/ods/StyleTable.h"

#include "engine/base/Limits.h"
#include "engine/ods/Values.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace engine::ods {
namespace {

constexpr std::uint32_t firstCustomFormatId = 164;
constexpr std::string_view cellFamily = "table-cell";
constexpr std::string_view defaultCellStyle = "Default";

std::string stripQuotes(std::string_view family) {
    const std::size_t comma = family.find(',');
    if (comma != std::string_view::npos)
        family = family.substr(0, comma);
    while (!family.empty() &&
           (family.front() == '\'' || family.front() == '"' || family.front() == ' '))
        family.remove_prefix(1);
    while (!family.empty() &&
           (family.back() == '\'' || family.back() == '"' || family.back() == ' '))
        family.remove_suffix(1);
    return std::string(family);
}

// An angle as "270", "270deg", "4.71rad" or "300grad", in degrees.
std::optional<double> angleDegrees(std::string_view text) {
    static constexpr std::pair<std::string_view, double> units[] = {
        {"deg", 1.0}, {"grad", 0.9}, {"rad", 180 / std::numbers::pi}};
    for (const auto& [unit, factor] : units)
        if (text.ends_with(unit)) {
            const auto value = parseNumber(text.substr(0, text.size() - unit.size()));
            return value ? std::optional<double>(*value * factor) : std::nullopt;
        }
    return parseNumber(text);
}

// "0.74pt solid #000000", "none", "0.06pt dashed #ff0000".
BorderSide borderSide(std::string_view value) {
    BorderSide side;
    double width = 0.75;
    std::string_view style;
    std::optional<std::uint32_t> color;
    while (!value.empty()) {
        const std::size_t space = value.find(' ');
        const std::string_view word = value.substr(0, space);
        value = space == std::string_view::npos ? std::string_view() : value.substr(space + 1);
        if (word.empty())
            continue;
        if (auto points = lengthPoints(word))
            width = *points;
        else if (auto rgb = parseColor(word))
            color = rgb;
        else if (word == "thin")
            width = 0.75;
        else if (word == "medium")
            width = 1.75;
        else if (word == "thick")
            width = 2.5;
        else
            style = word;
    }
    if (style.empty() || style == "none" || style == "hidden" || width <= 0)
        return side;
    const bool heavy = width >= 1.5;
    if (style == "double" || style == "double-thin")
        side.style = BorderStyle::Double;
    else if (style == "dotted")
        side.style = heavy ? BorderStyle::MediumDashDotDot : BorderStyle::Dotted;
    else if (style == "dashed" || style == "fine-dashed")
        side.style = heavy ? BorderStyle::MediumDashed : BorderStyle::Dashed;
    else if (style == "dash-dot")
        side.style = heavy ? BorderStyle::MediumDashDot : BorderStyle::DashDot;
    else if (style == "dash-dot-dot")
        side.style = heavy ? BorderStyle::MediumDashDotDot : BorderStyle::DashDotDot;
    else
        side.style = width >= 2.25 ? BorderStyle::Thick
                     : heavy       ? BorderStyle::Medium
                                   : BorderStyle::Thin;
    if (color)
        side.color = Color::fromRgb(*color);
    return side;
}

template <class T> void over(std::optional<T>& into, const std::optional<T>& from) {
    if (from)
        into = from;
}

} // namespace

StyleTable::StyleTable(Workbook& workbook) : workbook_(workbook) {}

void StyleTable::addFontFace(const xml::Attributes& attributes) {
    const std::string name(attributes.value("name"));
    const std::string family = stripQuotes(attributes.value("font-family", name));
    if (!name.empty() && fontFaces_.size() < limits::maxStylesPerDocument)
        fontFaces_[name] = family.empty() ? name : family;
}

void StyleTable::beginStyle(const xml::Attributes& attributes, bool isDefault) {
    current_ = Entry{};
    currentIsDefault_ = isDefault;
    currentName_ = attributes.value("name");
    currentFamily_ = attributes.value("family");
    current_.parent = attributes.value("parent-style-name");
    if (const char* data = attributes.get("data-style-name"))
        current_.properties.dataStyle = data;
}

void StyleTable::properties(std::string_view local, const xml::Attributes& attributes) {
    Properties& p = current_.properties;
    if (local == "table-cell-properties") {
        tableCellProperties(attributes);
    } else if (local == "paragraph-properties") {
        paragraphProperties(attributes);
    } else if (local == "text-properties") {
        textProperties(attributes);
    } else if (local == "table-column-properties") {
        if (const char* width = attributes.get("column-width"))
            p.columnWidth = lengthPoints(width);
    } else if (local == "table-row-properties") {
        if (const char* height = attributes.get("row-height"))
            p.rowHeight = lengthPoints(height);
        if (const char* optimal = attributes.get("use-optimal-row-height"))
            p.optimalHeight = std::string_view(optimal) == "true";
    } else if (local == "table-properties") {
        if (const char* display = attributes.get("display"))
            p.hidden = std::string_view(display) == "false";
    }
}

void StyleTable::tableCellProperties(const xml::Attributes& attributes) {
    Properties& p = current_.properties;
    if (const char* color = attributes.get("background-color")) {
        const auto rgb = parseColor(color);
        p.background = rgb ? Color::fromRgb(*rgb) : Color{};
    }
    if (const char* all = attributes.get("border"))
        p.left = p.right = p.top = p.bottom = borderSide(all);
    if (const char* side = attributes.get("border-left"))
        p.left = borderSide(side);
    if (const char* side = attributes.get("border-right"))
        p.right = borderSide(side);
    if (const char* side = attributes.get("border-top"))
        p.top = borderSide(side);
    if (const char* side = attributes.get("border-bottom"))
        p.bottom = borderSide(side);
    if (const char* line = attributes.get("diagonal-bl-tr"))
        p.diagonalUp = borderSide(line);
    if (const char* line = attributes.get("diagonal-tl-br"))
        p.diagonalDown = borderSide(line);
    if (const char* align = attributes.get("vertical-align")) {
        const std::string_view v(align);
        p.vertical = v == "top" ? VAlign::Top : v == "middle" ? VAlign::Center : VAlign::Bottom;
    }
    if (const char* wrap = attributes.get("wrap-option"))
        p.wrap = std::string_view(wrap) == "wrap";
    if (const char* shrink = attributes.get("shrink-to-fit"))
        p.shrink = std::string_view(shrink) == "true";
    if (const char* source = attributes.get("text-align-source"))
        p.alignByValue = std::string_view(source) == "value-type";
    if (const char* angle = attributes.get("rotation-angle")) {
        if (const auto degrees = angleDegrees(angle)) {
            double a = std::fmod(*degrees, 360.0);
            if (a < 0)
                a += 360.0;
            // The page turns text by at most a quarter either way; upside-down text is shown
            // at the angle it has when read the other way round.
            if (a >= 270)
                a -= 360;
            else if (a > 90)
                a -= 180;
            p.rotation = static_cast<std::int16_t>(std::lround(a));
        }
    }
    if (attributes.value("direction") == "ttb")
        p.rotation = 255;
}

void StyleTable::paragraphProperties(const xml::Attributes& attributes) {
    Properties& p = current_.properties;
    if (const char* align = attributes.get("text-align")) {
        const std::string_view a(align);
        if (a == "start" || a == "left")
            p.horizontal = HAlign::Left;
        else if (a == "center")
            p.horizontal = HAlign::Center;
        else if (a == "end" || a == "right")
            p.horizontal = HAlign::Right;
        else if (a == "justify")
            p.horizontal = HAlign::Justify;
    }
    if (const char* margin = attributes.get("margin-left")) {
        // The suite indents by 10 points a level when it reads other formats' indentation.
        if (const auto points = lengthPoints(margin); points && *points > 0)
            p.indent = static_cast<std::uint8_t>(std::clamp(std::lround(*points / 10.0), 0L, 15L));
    }
}

void StyleTable::textProperties(const xml::Attributes& attributes) {
    Properties& p = current_.properties;
    // The cells' default language is the workbook's, as a package's core properties state it
    // for the other formats; "zxx" and "none" name no language.
    if (currentIsDefault_ && currentFamily_ == "table-cell" && workbook_.language.empty()) {
        const std::string_view language = attributes.value("language");
        const std::string_view country = attributes.value("country");
        if (!language.empty() && language != "zxx" && language != "none" && language.size() <= 8) {
            workbook_.language = language;
            if (!country.empty() && country != "none" && country.size() <= 8)
                workbook_.language.append("-").append(country);
        }
    }
    if (const char* face = attributes.get("font-name")) {
        const auto found = fontFaces_.find(face);
        p.fontName = found != fontFaces_.end() ? found->second : std::string(face);
    } else if (const char* family = attributes.get("font-family")) {
        p.fontName = stripQuotes(family);
    }
    if (const char* size = attributes.get("font-size"))
        if (const auto points = lengthPoints(size); points && *points > 0 && *points < 1000)
            p.fontSize = *points;
    if (const char* weight = attributes.get("font-weight")) {
        const std::string_view w(weight);
        p.bold = w == "bold" || (w.size() == 3 && w >= "600");
    }
    if (const char* style = attributes.get("font-style"))
        p.italic = std::string_view(style) == "italic" || std::string_view(style) == "oblique";
    if (const char* underline = attributes.get("text-underline-style")) {
        if (std::string_view(underline) == "none")
            p.underline = Underline::None;
        else
            p.underline = attributes.value("text-underline-type") == "double" ? Underline::Double
                                                                              : Underline::Single;
    }
    if (const char* strike = attributes.get("text-line-through-style"))
        p.strike = std::string_view(strike) != "none";
    if (const char* color = attributes.get("color")) {
        const auto rgb = parseColor(color);
        p.fontColor = rgb ? Color::fromRgb(*rgb) : Color{};
    }
    if (const char* position = attributes.get("text-position")) {
        const std::string_view pos(position);
        if (pos.starts_with("super"))
            p.script = Script::Superscript;
        else if (pos.starts_with("sub") || pos.starts_with("-"))
            p.script = Script::Subscript;
        else if (pos.starts_with("0%") || pos.starts_with("0 "))
            p.script = Script::Baseline;
        else if (pos.front() >= '1' && pos.front() <= '9')
            p.script = Script::Superscript;
    }
}

void StyleTable::endStyle() {
    if (currentIsDefault_) {
        if (!currentFamily_.empty())
            defaults_[currentFamily_] = current_.properties;
    } else if (!currentName_.empty() &&
               styles_[currentFamily_].size() < limits::maxStylesPerDocument) {
        styles_[currentFamily_][currentName_] = std::move(current_);
    }
    current_ = Entry{};
}

StyleTable::Properties StyleTable::resolved(const std::string& family,
                                            const std::string& name) const {
    std::vector<const Properties*> chain;
    const auto familyStyles = styles_.find(family);
    std::string at = name;
    while (familyStyles != styles_.end() && !at.empty() &&
           chain.size() < limits::maxStyleParentDepth) {
        const auto found = familyStyles->second.find(at);
        if (found == familyStyles->second.end())
            break;
        chain.push_back(&found->second.properties);
        at = found->second.parent;
    }
    Properties result;
    auto apply = [&result](const Properties& p) {
        over(result.fontName, p.fontName);
        over(result.fontSize, p.fontSize);
        over(result.bold, p.bold);
        over(result.italic, p.italic);
        over(result.strike, p.strike);
        over(result.underline, p.underline);
        over(result.script, p.script);
        over(result.fontColor, p.fontColor);
        over(result.background, p.background);
        over(result.left, p.left);
        over(result.right, p.right);
        over(result.top, p.top);
        over(result.bottom, p.bottom);
        over(result.diagonalUp, p.diagonalUp);
        over(result.diagonalDown, p.diagonalDown);
        over(result.horizontal, p.horizontal);
        over(result.alignByValue, p.alignByValue);
        over(result.vertical, p.vertical);
        over(result.wrap, p.wrap);
        over(result.shrink, p.shrink);
        over(result.rotation, p.rotation);
        over(result.indent, p.indent);
        over(result.dataStyle, p.dataStyle);
        over(result.columnWidth, p.columnWidth);
        over(result.rowHeight, p.rowHeight);
        over(result.optimalHeight, p.optimalHeight);
        over(result.hidden, p.hidden);
    };
    if (const auto base = defaults_.find(family); base != defaults_.end())
        apply(base->second);
    // A cell style without a parent still inherits the document's "Default" cell style.
    if (family == cellFamily && name != defaultCellStyle && familyStyles != styles_.end())
        if (const auto found = familyStyles->second.find(std::string(defaultCellStyle));
            found != familyStyles->second.end() &&
            std::find(chain.begin(), chain.end(), &found->second.properties) == chain.end())
            apply(found->second.properties);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        apply(**it);
    return result;
}

std::uint32_t StyleTable::numberFormatId(const std::string& dataStyle) {
    const std::string code = numberStyles_.formatCode(dataStyle);
    if (code.empty() || code == "General")
        return 0;
    if (const auto found = numberFormatIds_.find(code); found != numberFormatIds_.end())
        return found->second;
    const auto id = static_cast<std::uint32_t>(firstCustomFormatId + numberFormatIds_.size());
    numberFormatIds_[code] = id;
    workbook_.numberFormats[id] = code;
    return id;
}

std::uint32_t StyleTable::internFont(const Font& font) {
    // Fonts are few; beyond a small table a repeat costs a new entry, not a search.
    const std::size_t searched = std::min<std::size_t>(workbook_.fonts.size(), 256);
    for (std::size_t i = 0; i < searched; ++i)
        if (workbook_.fonts[i] == font)
            return static_cast<std::uint32_t>(i);
    workbook_.fonts.push_back(font);
    return static_cast<std::uint32_t>(workbook_.fonts.size() - 1);
}

std::uint32_t StyleTable::fontOf(std::uint32_t format) const {
    return format < workbook_.cellFormats.size() ? workbook_.cellFormats[format].font : 0;
}

std::optional<std::uint32_t> StyleTable::spanFont(std::uint32_t baseFont, const std::string& name) {
    const auto textStyles = styles_.find("text");
    if (textStyles == styles_.end() || !textStyles->second.count(name))
        return std::nullopt;
    const auto key = std::make_pair(baseFont, name);
    if (const auto found = spanFonts_.find(key); found != spanFonts_.end())
        return found->second;
    cellFormat({});
    Font font;
    if (baseFont < workbook_.fonts.size())
        font = workbook_.fonts[baseFont];
    const Properties p = resolved("text", name);
    font.name = p.fontName.value_or(font.name);
    font.size = p.fontSize.value_or(font.size);
    font.bold = p.bold.value_or(font.bold);
    font.italic = p.italic.value_or(font.italic);
    font.strike = p.strike.value_or(font.strike);
    font.underline = p.underline.value_or(font.underline);
    font.script = p.script.value_or(font.script);
    font.color = p.fontColor.value_or(font.color);
    const std::uint32_t index = internFont(font);
    if (spanFonts_.size() < limits::maxStylesPerDocument)
        spanFonts_[key] = index;
    return index;
}

std::uint32_t StyleTable::addFormat(const Properties& p) {
    Font font;
    font.name = p.fontName.value_or("Liberation Sans");
    font.size = p.fontSize.value_or(10.0);
    font.bold = p.bold.value_or(false);
    font.italic = p.italic.value_or(false);
    font.strike = p.strike.value_or(false);
    font.underline = p.underline.value_or(Underline::None);
    font.script = p.script.value_or(Script::Baseline);
    font.color = p.fontColor.value_or(Color{});
    Fill fill;
    if (p.background && !p.background->automatic) {
        fill.pattern = FillPattern::Solid;
        fill.foreground = *p.background;
    }
    Border border;
    border.left = p.left.value_or(BorderSide{});
    border.right = p.right.value_or(BorderSide{});
    border.top = p.top.value_or(BorderSide{});
    border.bottom = p.bottom.value_or(BorderSide{});
    // The model keeps one line for both diagonals; where the two differ, the falling one's
    // wins, as the one a sheet draws over the other.
    const BorderSide up = p.diagonalUp.value_or(BorderSide{});
    const BorderSide down = p.diagonalDown.value_or(BorderSide{});
    border.diagonalUp = up.style != BorderStyle::None;
    border.diagonalDown = down.style != BorderStyle::None;
    border.diagonal = border.diagonalDown ? down : up;
    CellFormat format;
    format.alignment.horizontal =
        p.alignByValue.value_or(false) ? HAlign::General : p.horizontal.value_or(HAlign::General);
    format.alignment.vertical = p.vertical.value_or(VAlign::Bottom);
    format.alignment.wrap = p.wrap.value_or(false);
    format.alignment.shrinkToFit = p.shrink.value_or(false);
    format.alignment.rotation = p.rotation.value_or(0);
    format.alignment.indent = p.indent.value_or(0);
    if (p.dataStyle)
        format.numFmtId = numberFormatId(*p.dataStyle);

    auto intern = [](auto& table, const auto& value) {
        // Styles are few; beyond a small table a repeat costs a new entry, not a search.
        const std::size_t searched = std::min<std::size_t>(table.size(), 256);
        for (std::size_t i = 0; i < searched; ++i)
            if (table[i] == value)
                return static_cast<std::uint32_t>(i);
        table.push_back(value);
        return static_cast<std::uint32_t>(table.size() - 1);
    };
    format.font = internFont(font);
    format.fill = intern(workbook_.fills, fill);
    format.border = intern(workbook_.borders, border);
    workbook_.cellFormats.push_back(format);
    const auto index = static_cast<std::uint32_t>(workbook_.cellFormats.size() - 1);
    if (p.dataStyle && !numberStyles_.isExact(*p.dataStyle))
        inexactFormats_[index] = true;
    return index;
}

std::uint32_t StyleTable::cellFormat(std::string_view name) {
    if (!defaultMade_) {
        defaultMade_ = true;
        // Index 0 is the default format and its font the default font of the workbook.
        workbook_.fonts.clear();
        workbook_.fills.clear();
        workbook_.borders.clear();
        workbook_.cellFormats.clear();
        cellFormats_[std::string(defaultCellStyle)] =
            addFormat(resolved(std::string(cellFamily), std::string(defaultCellStyle)));
    }
    const std::string_view key = name.empty() ? defaultCellStyle : name;
    if (const auto found = cellFormats_.find(key); found != cellFormats_.end())
        return found->second;
    std::string owned(key);
    const auto familyStyles = styles_.find(cellFamily);
    if (familyStyles == styles_.end() || !familyStyles->second.count(owned))
        return 0;
    const std::uint32_t index = addFormat(resolved(std::string(cellFamily), owned));
    cellFormats_.emplace(std::move(owned), index);
    return index;
}

bool StyleTable::visibleBlank(std::uint32_t format) const {
    if (format >= workbook_.cellFormats.size())
        return false;
    const CellFormat& f = workbook_.cellFormats[format];
    if (f.fill < workbook_.fills.size() && workbook_.fills[f.fill].pattern != FillPattern::None)
        return true;
    if (f.border >= workbook_.borders.size())
        return false;
    const Border& b = workbook_.borders[f.border];
    return b.left.style != BorderStyle::None || b.right.style != BorderStyle::None ||
           b.top.style != BorderStyle::None || b.bottom.style != BorderStyle::None;
}

bool StyleTable::isExactFormat(std::uint32_t format) const {
    return inexactFormats_.count(format) == 0;
}

std::optional<double> StyleTable::columnWidth(const std::string& name) {
    if (const auto found = columnWidths_.find(name); found != columnWidths_.end())
        return found->second;
    const std::optional<double> width = resolved("table-column", name).columnWidth;
    if (columnWidths_.size() < limits::maxStylesPerDocument)
        columnWidths_[name] = width;
    return width;
}

RowStyle StyleTable::rowStyle(const std::string& name) {
    if (const auto found = rowStyles_.find(name); found != rowStyles_.end())
        return found->second;
    const Properties p = resolved("table-row", name);
    const RowStyle style{p.rowHeight, p.optimalHeight.value_or(true)};
    if (rowStyles_.size() < limits::maxStylesPerDocument)
        rowStyles_[name] = style;
    return style;
}

bool StyleTable::tableHidden(const std::string& name) const {
    return resolved("table", name).hidden.value_or(false);
}

} // namespace engine::ods
