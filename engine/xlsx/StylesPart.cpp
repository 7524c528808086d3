#include "engine/xlsx/StylesPart.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/Colors.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"
#include "engine/xlsx/Fills.h"
#include "engine/xlsx/Fonts.h"
#include "engine/xlsx/StyleNames.h"

#include <array>
#include <utility>

namespace engine::xlsx {
namespace {

constexpr std::array<std::pair<std::string_view, HAlign>, 8> horizontals = {{
    {"general", HAlign::General},
    {"left", HAlign::Left},
    {"center", HAlign::Center},
    {"right", HAlign::Right},
    {"fill", HAlign::Fill},
    {"justify", HAlign::Justify},
    {"centerContinuous", HAlign::CenterAcrossSelection},
    {"distributed", HAlign::Distributed},
}};

constexpr std::array<std::pair<std::string_view, VAlign>, 5> verticals = {{
    {"top", VAlign::Top},
    {"center", VAlign::Center},
    {"bottom", VAlign::Bottom},
    {"justify", VAlign::Justify},
    {"distributed", VAlign::Distributed},
}};

std::uint32_t index(const xml::Attributes& attributes, std::string_view name) {
    return static_cast<std::uint32_t>(
        package::parseUnsigned(attributes.value(name), 0xFFFFFFFFu).value_or(0));
}

// The palette override sits at the end of the part, after everything that refers to it.
class PaletteHandler : public xml::Handler {
public:
    explicit PaletteHandler(package::Colors& colors) : colors_(colors) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "indexedColors") {
            inPalette_ = true;
            next_ = 0;
        } else if (inPalette_ && local == "rgbColor") {
            package::Colors plain;
            const Color color = plain.resolve(attributes);
            if (!color.automatic)
                colors_.setIndexed(next_, color.rgb);
            ++next_;
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "indexedColors")
            inPalette_ = false;
    }

private:
    package::Colors& colors_;
    bool inPalette_ = false;
    std::size_t next_ = 0;
};

class StylesHandler : public xml::Handler {
public:
    StylesHandler(const package::Colors& colors, Workbook& workbook)
        : colors_(colors), book_(workbook), fills_(colors, FillPattern::None) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (section_.empty()) {
            // Other tables (cellStyleXfs, dxfs ...) hold elements of the same names: skip them.
            if (local == "numFmts" || local == "fonts" || local == "fills" || local == "borders" ||
                local == "cellXfs")
                section_ = std::string(local);
            return;
        }
        if (section_ == "numFmts" && local == "numFmt") {
            const auto id = package::parseUnsigned(attributes.value("numFmtId"), 0xFFFFFFFFu);
            if (id && book_.numberFormats.size() < limits::maxStyleEntries)
                book_.numberFormats[static_cast<std::uint32_t>(*id)] =
                    std::string(attributes.value("formatCode"));
        } else if (section_ == "fonts") {
            if (local == "font")
                add(book_.fonts);
            else if (!book_.fonts.empty())
                applyFontProperty(book_.fonts.back(), local, attributes, colors_);
        } else if (section_ == "fills") {
            startFill(local, attributes);
        } else if (section_ == "borders") {
            startBorder(local, attributes);
        } else if (section_ == "cellXfs") {
            startXf(local, attributes);
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (!section_.empty() && local == section_)
            section_.clear();
        fills_.endElement(local);
        if (local == "left" || local == "right" || local == "top" || local == "bottom" ||
            local == "start" || local == "end" || local == "diagonal" || local == "vertical" ||
            local == "horizontal")
            side_ = nullptr;
    }

private:
    template <class T> void add(std::vector<T>& table) {
        if (table.size() >= limits::maxStyleEntries)
            throw ReadError(ReadError::Kind::Damaged,
                            "the styles part holds more entries than a workbook can have");
        table.emplace_back();
    }

    void startFill(std::string_view local, const xml::Attributes& attributes) {
        if (local == "fill") {
            add(book_.fills);
            fills_.begin();
        } else if (!book_.fills.empty()) {
            fills_.startElement(book_.fills.back(), local, attributes);
        }
    }

    void startBorder(std::string_view local, const xml::Attributes& attributes) {
        if (local == "border") {
            add(book_.borders);
            Border& border = book_.borders.back();
            border.diagonalDown = package::parseBool(attributes.value("diagonalDown"), false);
            border.diagonalUp = package::parseBool(attributes.value("diagonalUp"), false);
            return;
        }
        if (book_.borders.empty())
            return;
        Border& border = book_.borders.back();
        auto side = borderEdge(border, local);
        if (!side && local == "diagonal")
            side = &border.diagonal;
        if (side) {
            (*side)->style =
                lookUp(borderStyleNames, attributes.value("style")).value_or(BorderStyle::None);
            side_ = *side;
        } else if (local == "color" && side_) {
            side_->color = colors_.resolve(attributes);
        }
    }

    void startXf(std::string_view local, const xml::Attributes& attributes) {
        if (local == "xf") {
            add(book_.cellFormats);
            CellFormat& format = book_.cellFormats.back();
            format.numFmtId = index(attributes, "numFmtId");
            format.font = index(attributes, "fontId");
            format.fill = index(attributes, "fillId");
            format.border = index(attributes, "borderId");
            return;
        }
        if (local != "alignment" || book_.cellFormats.empty())
            return;
        Alignment& alignment = book_.cellFormats.back().alignment;
        alignment.horizontal = lookUp(horizontals, attributes.value("horizontal", "general"))
                                   .value_or(HAlign::General);
        alignment.vertical =
            lookUp(verticals, attributes.value("vertical", "bottom")).value_or(VAlign::Bottom);
        alignment.wrap = package::parseBool(attributes.value("wrapText"), false);
        alignment.shrinkToFit = package::parseBool(attributes.value("shrinkToFit"), false);
        alignment.indent = static_cast<std::uint8_t>(
            package::parseUnsigned(attributes.value("indent"), 250).value_or(0));
        // 0..90 turn the text up, 91..180 down by (value - 90) degrees, 255 stacks it.
        const auto rotation =
            package::parseUnsigned(attributes.value("textRotation"), 255).value_or(0);
        if (rotation <= 90)
            alignment.rotation = static_cast<std::int16_t>(rotation);
        else if (rotation <= 180)
            alignment.rotation = static_cast<std::int16_t>(90 - static_cast<int>(rotation));
        else if (rotation == 255)
            alignment.rotation = 255;
    }

    const package::Colors& colors_;
    Workbook& book_;
    std::string section_;
    FillReader fills_;
    BorderSide* side_ = nullptr;
};

} // namespace

void readStyles(const zip::ZipArchive& archive, const std::string& part, package::Colors& colors,
                Workbook& workbook) {
    PaletteHandler palette(colors);
    package::parsePart(archive, part, palette, limits::maxSmallPartBytes);
    StylesHandler styles(colors, workbook);
    package::parsePart(archive, part, styles, limits::maxSmallPartBytes);
}

} // namespace engine::xlsx
