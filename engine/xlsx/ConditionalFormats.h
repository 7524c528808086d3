#pragma once
// Conditional formats of SpreadsheetML (ECMA-376-1 §18.3.1.18 conditionalFormatting, §18.3.1.10
// cfRule) and the differential formats they point to (§18.8.14 dxf).

#include "engine/model/Workbook.h"
#include "engine/xml/XmlParser.h"

#include <optional>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

// Reads the <dxfs> of styles part `part` into `workbook.differentialStyles`. Throws
// ReadError(Damaged) naming the part for malformed XML.
void readDifferentialStyles(const zip::ZipArchive& archive, const std::string& part,
                            const package::Colors& colors, Workbook& workbook);

// Takes the elements of one worksheet's <conditionalFormatting> blocks as the worksheet
// reader meets them, into `sheet.conditionalFormats`. A rule that needs more than the
// comparison of cell values with constants or other cells' values is kept as Unsupported, so
// that the writer can count it. At most limits::maxHyperlinks rules per sheet; more are dropped.
class ConditionalFormatReader {
public:
    ConditionalFormatReader(const package::Colors& colors, Sheet& sheet)
        : colors_(colors), sheet_(sheet) {}

    // True while inside a <conditionalFormatting> element; the worksheet reader then hands every
    // event here.
    bool active() const { return depth_ > 0; }
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes);
    void endElement(std::string_view local);
    void characters(std::string_view text);

private:
    void startRule(const xml::Attributes& attributes);
    void endFormula();

    const package::Colors& colors_;
    Sheet& sheet_;
    int depth_ = 0;
    bool inFormula_ = false;
    std::string formula_;
    std::size_t rules_ = 0;
    std::uint32_t anchorRow_ = 0;
    std::uint16_t anchorCol_ = 0;
};

// A formula operand as a rule holds it: a number, a quoted text or a reference to one cell,
// relative references made relative to the anchor; nullopt for anything else.
std::optional<ConditionalOperand> parseOperand(std::string_view formula, std::uint32_t anchorRow,
                                               std::uint16_t anchorCol);

} // namespace engine::xlsx
