#pragma once
// OpenDocument data styles (number:number-style, number:date-style ...) turned into the format
// codes the number formatter renders, so a cell shows what the suite shows.

#include "engine/xml/XmlParser.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace engine::ods {

class NumberStyles {
public:
    // Whether `local` (in the number namespace) is a data style element this table collects.
    static bool isDataStyle(std::string_view local);

    // Feeding one data style element: begin() with the style element itself, then every
    // element and text inside it, then end() when the style element closes.
    void begin(std::string_view local, const xml::Attributes& attributes);
    void start(std::string_view ns, std::string_view local, const xml::Attributes& attributes);
    void end(std::string_view ns, std::string_view local);
    void characters(std::string_view text);
    void finishStyle();

    // The format code of the data style `name`, its conditional maps resolved; empty when the
    // table has no such style (the cell then shows as General).
    std::string formatCode(const std::string& name) const;

    // False when the data style `name`, or a style its maps apply, uses something no format
    // code can say (eras, quarters, weeks, scaled numbers): its cells show the suite's text.
    bool isExact(const std::string& name) const;

private:
    struct Map {
        std::string condition; // "value()>=0"
        std::string style;     // the data style applied when it holds
    };
    struct Style {
        std::string code;
        std::string color; // "[Red]" ... or empty
        std::vector<Map> maps;
        bool exact = true;
    };

    void literal(std::string_view text);
    void numberPart(const xml::Attributes& attributes);
    std::string sectionOf(const std::string& name) const;

    std::map<std::string, Style> styles_;
    Style current_;
    std::string currentName_;
    std::string kind_;     // local name of the style element being read
    std::string pending_;  // character data of the current number:text or currency symbol
    bool inText_ = false;  // inside number:text / number:currency-symbol
    bool elapsed_ = false; // number:truncate-on-overflow="false": hours past 24 shown
};

} // namespace engine::ods
