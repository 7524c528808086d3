#pragma once
// Shapes and text boxes of a BIFF8 sheet: the OBJ records that say what each drawing shape is,
// the TXO records with their text, and the shapes' fill and outline from the drawing, kept as
// shape descriptions at their anchors for the page to draw.

#include "engine/model/Workbook.h"
#include "engine/xls/OfficeArt.h"
#include "engine/xls/Palette.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/TextObject.h"

#include <optional>
#include <span>
#include <vector>

namespace engine::xls {

class ShapeCollector {
public:
    // An OBJ record of BIFF8.
    void object(const Record& record);
    // The text of the TXO record after the last OBJ.
    void textObject(const std::optional<TextObject>& text);

    // Pairs `shapes` (the sheet's drawing) with the objects met, in their common order, and adds
    // a picture holding the shape to `sheet` for every line, rectangle, oval, arc and text box
    // that shows something; text takes its fonts from `workbook`.
    void finish(std::span<const ArtShape> shapes, const Workbook& workbook, const Palette& palette,
                Sheet& sheet);

private:
    struct Object {
        std::uint16_t type = 0;
        std::optional<TextObject> text;
    };
    std::vector<Object> objects_;
    std::size_t textBytes_ = 0;
};

// The description of one shape for the page to draw (exposed for tests).
Shape shapeObject(const ArtShape& art, std::uint16_t objectType, const TextObject* text,
                  const Workbook& workbook, const Palette& palette);

} // namespace engine::xls
