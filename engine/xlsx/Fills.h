#pragma once
// Fills as SpreadsheetML writes them: the cells' fills of the styles part (<fills>) and the
// differential fills of conditional formats (<dxf><fill>) are read by the same code.

#include "engine/model/Style.h"
#include "engine/xml/XmlParser.h"

#include <optional>
#include <string_view>

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

// Reads the children of one <fill> element (patternFill, fgColor, bgColor, gradientFill and
// its stops) into a Fill; other elements are ignored.
class FillReader {
public:
    // `unnamedPattern` is what a patternFill without a patternType, or with one of no known
    // name, stands for: None in the cells' fills, Solid in a differential style, where the
    // application leaves the type out.
    FillReader(const package::Colors& colors, FillPattern unnamedPattern)
        : colors_(colors), unnamed_(unnamedPattern) {}

    // Starts a new <fill>.
    void begin();
    void startElement(Fill& fill, std::string_view local, const xml::Attributes& attributes);
    void endElement(std::string_view local);
    // Whether the fill begun last named a pattern or a gradient; an empty <fill/> does neither.
    bool given() const { return given_; }

private:
    const package::Colors& colors_;
    FillPattern unnamed_;
    bool given_ = false, inStop_ = false, firstStop_ = false;
};

// The colour a differential fill shows: automatic for no fill (it hides the cell's own), or
// nullopt when the fill names no colour, so the cell's fill stays.
std::optional<Color> differentialFillColor(const Fill& fill);

} // namespace engine::xlsx
