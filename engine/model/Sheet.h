#pragma once
// A sheet of a workbook: its header (name, kind, visibility) and, for worksheets, its content.

#include "engine/model/Cell.h"
#include "engine/model/Chart.h"
#include "engine/model/Comment.h"
#include "engine/model/ConditionalFormat.h"
#include "engine/model/Range.h"
#include "engine/model/Shape.h"
#include "engine/model/Sparkline.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// One number for a cell's position that orders cells as a sheet keeps them: by row, then column.
inline std::uint64_t cellKey(std::uint32_t row, std::uint16_t col) {
    return (static_cast<std::uint64_t>(row) << 16) | col;
}

enum class SheetKind : std::uint8_t { Worksheet, Chart, Macro, Dialog };
enum class Visibility : std::uint8_t { Visible, Hidden, VeryHidden };

// Columns firstCol..lastCol share a width and state.
struct ColumnInfo {
    std::uint16_t firstCol = 0, lastCol = 0;
    double width = 0; // in characters of the default font's digit width, padding included
    bool hidden = false;
    bool customWidth = false;
    std::uint32_t format = 0; // cell format of empty cells in these columns
};

struct RowInfo {
    std::uint32_t row = 0;
    double height = 0; // points; 0 with !customHeight means "default height"
    bool hidden = false;
    bool customHeight = false;
    bool hasFormat = false; // `format` applies to the row's empty cells
    std::uint32_t format = 0;
};

struct Hyperlink {
    Range range;
    std::string target; // external address (URL, mailto: ...), empty for a link inside the workbook
    std::string location; // place inside the workbook ("Sheet2!A1"), empty when none
    std::string tooltip;
};

// The formula of a cell, kept beside the cells so that a Cell stays small. `text` is the
// formula as the file writes it, without the leading '=' (A1 style, or OpenDocument's
// bracketed style when `openDocument`). An empty text with `sharedIndex` set takes its formula
// from the anchor of that shared group, moved by the distance between the two cells.
struct CellFormula {
    static constexpr std::uint32_t noShare = 0xFFFFFFFFu;
    std::uint32_t row = 0;
    std::uint16_t col = 0;
    bool hasResult = false;    // the file holds a result for the cell
    bool openDocument = false; // `text` is in the OpenDocument syntax
    bool array = false;        // an array formula over `arrayRange`, anchored here
    // A dynamic array formula: its result spills from here over as many cells as it needs,
    // and `arrayRange` is where it spilled when the file was saved.
    bool dynamic = false;
    std::uint32_t sharedIndex = noShare;
    Range arrayRange;
    std::string text;
};

struct Picture {
    std::string mimeType;           // "image/png", "image/jpeg", "image/gif", "image/bmp" ...
    std::vector<std::uint8_t> data; // the image file's bytes
    Anchor anchor;
    std::string description; // alternative text, may be empty
    // A shape the page draws; its picture has no type or bytes of its own.
    std::optional<Shape> shape;
};

struct Sheet {
    std::string name; // UTF-8
    SheetKind kind = SheetKind::Worksheet;
    Visibility visibility = Visibility::Visible;

    // Content; empty for non-worksheets.
    std::vector<Cell> cells; // sorted by row, then column; no two share a position
    std::vector<Range> merges;
    std::vector<ColumnInfo> columns;         // sorted, not overlapping
    std::vector<RowInfo> rows;               // sorted by row; only rows with something to say
    double defaultColumnWidth = 8.43 + 0.71; // characters, padding included
    // When above 0, the default width as the file gives it: whole characters without padding,
    // which only the default font's digit width turns into pixels; defaultColumnWidth is then
    // that width for 7-pixel digits.
    double baseColumnWidth = 0;
    double defaultRowHeight = 15.0; // points
    std::vector<Hyperlink> hyperlinks;
    std::vector<Picture> pictures;
    std::vector<Chart> charts; // embedded charts; a chart sheet's own chart
    Picture background; // tiled behind the cells; no data when the sheet has none (anchor unused)
    bool showGridLines = true;
    std::vector<Comment> comments; // at most one per cell, in no particular order
    bool rightToLeft = false;      // column A on the right, as in sheets of right-to-left scripts
    // Rows and columns frozen at the top and left: the sheet's headers, which stay in view.
    std::uint32_t frozenRows = 0;
    std::uint16_t frozenColumns = 0;
    std::vector<ConditionalFormat> conditionalFormats; // in the file's order
    std::vector<CellFormula> formulas;                 // in reading order; computed after reading
    std::vector<SparklineGroup> sparklines;            // in the file's order

    // The cell at `row`, `col`; null when the sheet holds none there.
    const Cell* cellAt(std::uint32_t row, std::uint16_t col) const;
    // The first cell at or after `row`, `col` in the cells' order; cells.end() when none.
    std::vector<Cell>::const_iterator firstCellFrom(std::uint32_t row, std::uint16_t col) const;
};

} // namespace engine
