#pragma once
// The sparkline groups of a worksheet's extension list (the 2009 spreadsheet extensions'
// sparklineGroups: each group's looks, and its sparklines' data references and cells).

#include "engine/model/Sheet.h"
#include "engine/xml/XmlParser.h"

#include <string>
#include <string_view>

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

// Takes the events of a worksheet's <sparklineGroups> as the worksheet reader meets them,
// into `sheet.sparklines`. At most limits::maxSparklines sparklines per sheet; more, and
// sparklines without a cell, are dropped. Groups left without a sparkline are dropped too.
class SparklineGroupReader {
public:
    SparklineGroupReader(const package::Colors& colors, Sheet& sheet)
        : colors_(colors), sheet_(sheet) {}

    // True while inside a <sparklineGroups> element; the worksheet reader then hands every
    // event here.
    bool active() const { return depth_ > 0; }
    void startElement(std::string_view local, const xml::Attributes& attributes);
    void endElement(std::string_view local);
    void characters(std::string_view text);

private:
    void startGroup(const xml::Attributes& attributes);
    void endSparkline();

    const package::Colors& colors_;
    Sheet& sheet_;
    int depth_ = 0;
    bool inGroup_ = false, inSparkline_ = false;
    enum class Text { None, Data, Cell } text_ = Text::None;
    std::string data_, cell_;
    std::size_t count_ = 0;
};

} // namespace engine::xlsx
