#pragma once
// What one cell of the grid shows, worked out apart from how it is written: its classes, its
// number as it fits, how far its text runs into its neighbours, its link and its note.
// CellMarkup.h writes a plan as a table cell.

#include "engine/model/Workbook.h"
#include "engine/numfmt/CellText.h"
#include "engine/web/StyleSheet.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine::web {

struct CellLook;
struct MergeSpan;

// Pixels of empty neighbours a cell's text may run into, and the cell's own width.
struct CellRoom {
    int left = 0, right = 0, own = 0;
    bool openRight = false; // nothing follows the cell in its row: its text may run past the table
    int clip = 0; // the row's height when the user fixed it: taller wrapped text is cut off
    // Centred across a selection: the pixels of the empty cells after it that carry the same
    // alignment, across whose middle its value is centred; `right` includes them.
    int across = 0;
};

// What is known of a cell before it is planned. `shown` is its displayed text (empty for no
// cell); `href` a link already made safe, empty for none.
struct CellFacts {
    const Cell* cell = nullptr; // null for an empty merged area or a note's blank cell
    const MergeSpan* merge = nullptr;
    CellRoom room;
    const numfmt::Shown* shown = nullptr;
    const CellLook* look = nullptr;
    std::string_view href, tooltip;
    const Comment* note = nullptr;
    bool drawings = false;         // the row's drawings are written into this cell
    bool tableRightToLeft = false; // the sheet reads from the right: its next column is left
    // The cell heads its column (a row frozen at the top) or its row (a column frozen at the
    // left); only a cell that shows something is written as a header.
    enum class Header { None, Column, Row } header = Header::None;
};

struct CellPlan {
    std::uint32_t colSpan = 1, rowSpan = 1;
    std::string classes; // space-separated; empty for none
    // The number as it fits the cell ("####", a rounded General number), shown instead of
    // the formatted text; empty when the text fits.
    std::string narrowed;
    std::string style; // inline declarations, without a closing ';'; empty for none
    // Text running past the cell: a box this wide, reaching `shift` pixels past the cell's
    // left edge (its right edge when `shiftRight`). Of a text too long for it, the box keeps
    // in view its start (in the text's direction), its end, or its middle.
    struct Overflow {
        bool runs = false; // false: the text stays in its cell, and the rest is unused
        int width = 0, shift = 0;
        bool shiftRight = false;
        enum class Keep { Start, End, Centre } keep = Keep::Start;
    } overflow;
    // The cell's own direction where its text reads otherwise than the sheet: "rtl", "ltr";
    // empty when it reads as the sheet does.
    std::string_view direction;
    CellFacts::Header header = CellFacts::Header::None;
    bool wrap = false;
    bool turned = false; // the text in an element that the cell's style turns
    int clip = 0;        // the height wrapped text is cut at; 0 for none
    int fillWidth = 0;   // pixels a repeated fill character has to fill
    bool showValue = false;
    const Cell* cell = nullptr;
    const numfmt::Shown* shown = nullptr;
    const CellLook* look = nullptr;
    std::string_view href, tooltip;
    const Comment* note = nullptr;
    bool drawings = false;
};

// Plans the cell of `facts` into `plan`, reusing its buffers.
void planCell(const Workbook& workbook, numfmt::CellTextFormatter& formatter,
              const StyleSheet& styles, const CellFacts& facts, CellPlan& plan);

} // namespace engine::web
