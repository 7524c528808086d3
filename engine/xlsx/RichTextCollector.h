#pragma once
// Gathers the content of a string item (<si> of the shared strings, <is> of an inline string):
// plain <t> text or rich runs <r><rPr/><t/></r>, phonetic runs <rPh> left out.

#include "engine/model/Cell.h"
#include "engine/model/Style.h"
#include "engine/xml/XmlParser.h"

#include <string>
#include <string_view>

namespace engine::package {
class Colors;
}

namespace engine::xlsx {

class FontTable;

class RichTextCollector {
public:
    RichTextCollector(const package::Colors& colors, FontTable& fonts)
        : colors_(colors), fonts_(fonts) {}

    // Starts a new item.
    void begin();
    // Feed the elements and text inside the item (not the item's own element).
    void startElement(std::string_view local, const xml::Attributes& attributes);
    void endElement(std::string_view local);
    void characters(std::string_view text);
    // The item's text, escapes decoded; runs only when some run carries its own font. Throws
    // ReadError(Damaged) when the text is longer than limits::maxTextBytes.
    RichText take();

private:
    const package::Colors& colors_;
    FontTable& fonts_;
    RichText result_;
    std::string piece_; // the text of the <t> being read
    Font runFont_;
    bool inText_ = false, inRunProperties_ = false, hasFonts_ = false;
    int phoneticDepth_ = 0;
};

} // namespace engine::xlsx
