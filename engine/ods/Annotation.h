#pragma once
// An office:annotation inside a table cell: the cell's note, its author and whether it stays
// open on the sheet.

#include "engine/model/Sheet.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine::ods {

class AnnotationReader {
public:
    // The office:annotation element starts.
    void begin(const xml::Attributes& attributes);
    // Elements, ends and text inside it (not the element itself).
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes);
    void endElement(std::string_view ns, std::string_view local);
    void characters(std::string_view text);
    // The annotation element ends.
    void end();
    // The cell holding the annotation ends at (`row`, `col`): its note joins `sheet`'s unless
    // the cell lies outside the grid or the sheet has as many notes as it may have hyperlinks.
    // A repeated cell's note is on its first copy.
    void place(Sheet& sheet, std::uint64_t row, std::uint64_t col);

    bool active() const { return active_; }

private:
    void append(std::string_view text);

    Comment note_;
    std::optional<Comment> done_;
    bool active_ = false;
    bool inCreator_ = false;
    std::size_t paragraphDepth_ = 0; // inside text:p or text:h
    std::size_t paragraphs_ = 0;
    bool lastWasSpace_ = false;
};

} // namespace engine::ods
