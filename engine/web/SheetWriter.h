#pragma once
// Writes one worksheet as a table (plus its pictures) inside a <div class="sheet">.

#include "engine/model/Workbook.h"
#include "engine/numfmt/CellText.h"
#include "engine/web/CellPlan.h"
#include "engine/web/HtmlText.h"
#include "engine/web/Sink.h"
#include "engine/web/StyleSheet.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace engine::web {

// How a page addresses what lies outside one sheet's table.
struct PageLinks {
    // Sheets that are part of the page, by name with ASCII letters in lower case (as
    // the application compares sheet names), to the id of their section.
    std::map<std::string, std::string> sheetIds;
    // The URL of picture `picture` of sheet `sheet`; an empty URL leaves the picture out.
    std::function<std::string(std::size_t sheet, std::size_t picture)> pictureSource;
    // The URL of chart `chart` of sheet `sheet`; no function or an empty URL draws it inline.
    std::function<std::string(std::size_t sheet, std::size_t chart)> chartSource;
};

// The picture number that `PageLinks::pictureSource` is asked for a sheet's background with.
inline constexpr std::size_t sheetBackground = static_cast<std::size_t>(-1);

class SheetWriter {
public:
    SheetWriter(const Workbook& workbook, numfmt::CellTextFormatter& formatter,
                const StyleSheet& styles, const PageLinks& links);
    ~SheetWriter();

    // Writes sheet `sheetIndex` into a <div> with the id `id` (an identifier of letters and
    // digits). A sheet without anything to show gives an empty <div>.
    void write(Sink& sink, std::size_t sheetIndex, const std::string& id);

private:
    struct Block;
    void writeTable(Sink& sink, const Sheet& sheet, const class SheetLayout& layout);
    void writeRow(const Sheet& sheet, const SheetLayout& layout, std::uint32_t row,
                  std::vector<Block>& blocks);
    void writeGap(const Sheet& sheet, const SheetLayout& layout, const RowInfo* info,
                  std::uint32_t from, std::uint32_t to);
    // Plans the cell (CellPlan.h) and writes it, with the row's drawings when it is the first.
    void writeCell(const Cell* cell, const struct MergeSpan* merge, const CellRoom& room,
                   const Comment* note = nullptr);
    const Comment* noteAt(std::uint32_t row, std::uint16_t col) const;
    // True when the cell lies in the shown header row of one of the sheet's tables.
    bool headsTable(std::uint32_t row, std::uint16_t col) const;
    // The last column of the selection a cell is centred across: itself and the empty cells
    // after it, before column `stop`, that carry the same alignment. The cell's own column
    // when it is not centred across a selection.
    std::uint32_t selectionEnd(const Sheet& sheet, const SheetLayout& layout, const Cell& cell,
                               std::uint32_t stop) const;
    // A picture with its URL, or a chart, and its place in pixels from the top-left corner of
    // its anchor cell (size 0 when unknown). One whose row is in the table is written inside
    // the row, so that rows growing in the browser carry it along.
    struct Drawn {
        const Picture* picture = nullptr; // null for a chart or a sparkline
        std::string source;
        std::string sparkline; // a sparkline's SVG shapes; empty for anything else
        std::size_t chart = 0;
        std::uint32_t row = 0;
        std::uint16_t col = 0;
        int left = 0, top = 0, width = 0, height = 0;
        bool inRow = false;
    };
    std::vector<Drawn> placeDrawings(std::size_t sheetIndex, const Sheet& sheet,
                                     const SheetLayout& layout) const;
    // Adds the sparklines of the sheet, each filling its cell, to `placed`.
    void placeSparklines(std::size_t sheetIndex, const Sheet& sheet, const SheetLayout& layout,
                         std::vector<Drawn>& placed) const;
    // Writes `drawn` at `left`, `top` pixels from the left (right on a right-to-left sheet)
    // and top of what holds it.
    void writeDrawing(const Drawn& drawn, int left, int top);
    // Appends ` style="position:absolute;left:..px;top:..px` (right: on a right-to-left
    // sheet), its closing quote left to the caller.
    void appendPlace(int left, int top);
    // Writes the drawings of the current row into the row's first cell, which starts at `col`.
    void writeRowDrawings(std::uint16_t col);
    bool rowHasDrawings() const { return rowDrawn_ != rowDrawnEnd_; }
    // The first row from `row` on that shows anything of its own, or `last` + 1.
    std::uint32_t nextBusyRow(const Sheet& sheet, const SheetLayout& layout, std::uint32_t row,
                              std::uint32_t last, std::size_t cellIndex,
                              std::size_t nextMerge) const;
    std::string linkHref(const Hyperlink& link) const;
    // The CSS declarations (each after a ";") that show the sheet's background; empty for none.
    std::string backgroundStyle(std::size_t sheetIndex, const Sheet& sheet) const;
    void flushIfLarge(Sink& sink);

    const Workbook& workbook_;
    numfmt::CellTextFormatter& formatter_;
    const StyleSheet& styles_;
    const PageLinks& links_;
    const bool anyCentredAcross_; // whether any cell format centres across a selection
    std::map<std::uint64_t, const Hyperlink*> hyperlinks_;
    std::map<std::uint64_t, const Comment*> notes_;
    std::vector<Range> tableHeads_;                 // of the sheet being written: see writeTable
    std::unique_ptr<class ConditionalLooks> looks_; // null for a sheet without any
    numfmt::Shown shown_;
    CellPlan plan_;    // of the cell being written, its buffers kept from cell to cell
    std::string href_; // the link of the cell being written
    std::string out_;
    // The sheet being written, and its drawings that sit in rows, by row.
    std::size_t sheetIndex_ = 0;
    const Sheet* sheet_ = nullptr;
    const SheetLayout* layout_ = nullptr;
    bool rightToLeft_ = false;
    // Where each block of the row being written may run on to, kept between rows.
    std::vector<std::uint32_t> stops_, starts_;
    std::vector<const Drawn*> inRows_;
    std::vector<const Drawn*> floating_; // over the grid, placed from the section's corner
    std::vector<const Drawn*>::const_iterator rowDrawn_, rowDrawnEnd_;
    std::uint16_t cellCol_ = 0; // the first column of the cell being written
};

} // namespace engine::web
