#pragma once
// A sheet of a workbook: its header (name, kind, visibility) and, for worksheets, its content.

#include "engine/model/Cell.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

enum class SheetKind : std::uint8_t { Worksheet, Chart, Macro, Dialog };
enum class Visibility : std::uint8_t { Visible, Hidden, VeryHidden };

// An inclusive, 0-based rectangle of cells.
struct Range {
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint16_t firstCol = 0, lastCol = 0;

    bool contains(std::uint32_t row, std::uint16_t col) const {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool operator==(const Range&) const = default;
};

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

// Where a picture sits: the cell of its top-left corner with offsets, and its size.
struct Anchor {
    std::uint32_t row = 0;
    std::uint16_t col = 0;
    double rowOffsetPt = 0; // from the top of `row`, points
    double colOffsetPt = 0; // from the left of `col`, points
    double widthPt = 0;     // 0 when unknown: the image's own size is used
    double heightPt = 0;
};

struct Picture {
    std::string mimeType;           // "image/png", "image/jpeg", "image/gif", "image/bmp" ...
    std::vector<std::uint8_t> data; // the image file's bytes
    Anchor anchor;
    std::string description; // alternative text, may be empty
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
    double defaultRowHeight = 15.0;          // points
    std::vector<Hyperlink> hyperlinks;
    std::vector<Picture> pictures;
    Picture background; // tiled behind the cells; no data when the sheet has none (anchor unused)
    bool showGridLines = true;
};

} // namespace engine
