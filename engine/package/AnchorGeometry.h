#pragma once
// The anchors of a spreadsheet drawing part (twoCellAnchor, oneCellAnchor, absoluteAnchor), read
// once for pictures and charts alike, and the skip of alternative content's fallback.

#include "engine/drawing/CellSizes.h"
#include "engine/model/Anchor.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::package {

// An EMU attribute's value; 0 when it is missing, negative or absurdly large.
double emu(const xml::Attributes& attributes, std::string_view name);

// Of alternative content, the first choice is the one read; its fallback repeats it.
class FallbackSkip {
public:
    // True when the element starting is a fallback or lies inside one: the caller ignores it.
    bool start(std::string_view ns, std::string_view local);
    // True when the element ending was ignored.
    bool end();
    bool skipping() const { return depth_ > 0; }

private:
    std::size_t depth_ = 0;
};

struct DrawingMarker {
    std::uint64_t col = 0, row = 0;
    double colOffsetEmu = 0, rowOffsetEmu = 0;
};

struct DrawingAnchor {
    enum class Kind { TwoCell, OneCell, Absolute } kind = Kind::TwoCell;
    bool resizesWithCells = true; // a two-cell anchor not marked to keep its size
    DrawingMarker from, to;
    double widthEmu = 0, heightEmu = 0; // <ext> of a one-cell or absolute anchor
    double xEmu = 0, yEmu = 0;          // <pos> of an absolute anchor

    // The model's anchor; `sizeEmu` (a shape's own extent, 0 by 0 when it has none) sizes a
    // drawing that does not stretch with its cells. The size of one that does is measured on
    // `sizes`.
    Anchor toAnchor(const drawing::CellSizes& sizes, double widthEmu = 0,
                    double heightEmu = 0) const;
};

// Follows the elements of a drawing part and collects each anchor's place; the content of an
// anchor (a picture, a chart frame) is left to the caller.
class DrawingAnchorReader {
public:
    // Call for each element not skipped, `depth` counting the element itself. True when the
    // element belongs to the anchor's place rather than to its content.
    bool start(std::string_view local, const xml::Attributes& attributes, std::size_t depth);
    // True when the ending element closes an anchor: `current()` then holds it complete.
    bool end(std::string_view local, std::size_t depth);
    void characters(std::string_view text);

    bool inAnchor() const { return open_; }
    const DrawingAnchor& current() const { return anchor_; }

private:
    DrawingAnchor anchor_;
    bool open_ = false;
    std::size_t anchorDepth_ = 0;
    DrawingMarker* marker_ = nullptr;
    bool collecting_ = false;
    std::string text_;
};

} // namespace engine::package
