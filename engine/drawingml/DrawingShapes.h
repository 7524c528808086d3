#pragma once
// The shapes and text boxes of a drawing part (DrawingML `sp`): their outline, fill and text,
// kept on the sheet as pictures holding shape descriptions for the page to draw.

#include "engine/model/Sheet.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/xml/XmlParser.h"

#include <memory>
#include <string_view>

namespace engine::package {
class Colors;
}

namespace engine::drawingml {

// Collects the shapes of a drawing part while the part is walked once for all its objects: the
// walk reads each anchor's place (DrawingAnchorReader) and hands the anchor's content here.
class ShapeCollector {
public:
    explicit ShapeCollector(const package::Colors& colors);
    ~ShapeCollector();
    ShapeCollector(const ShapeCollector&) = delete;
    ShapeCollector& operator=(const ShapeCollector&) = delete;

    // An anchor element begins at `depth` (the part's root element being 1).
    void anchorStarted(std::size_t depth);
    // An element of the open anchor that is not part of its place, and its end; ends of other
    // elements are ignored.
    void start(std::string_view local, const xml::Attributes& attributes, std::size_t depth);
    void end(std::string_view local, std::size_t depth);
    void characters(std::string_view text);
    // The anchor closed at `place`: its first shape, if any, is kept.
    void anchorEnded(const package::DrawingAnchor& place);

    // Appends to `sheet.pictures` a picture holding the shape for every shape kept that shows
    // something (a fill, an outline or text). `sheet`'s sizes must be read already.
    void addTo(Sheet& sheet) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace engine::drawingml
