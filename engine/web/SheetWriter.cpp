#include "engine/web/SheetWriter.h"

#include "engine/base/Limits.h"
#include "engine/drawing/AnchorBox.h"
#include "engine/numfmt/TextWidth.h"
#include "engine/util/AsciiCase.h"
#include "engine/web/CellMarkup.h"
#include "engine/web/CellPlan.h"
#include "engine/web/ChartPlacement.h"
#include "engine/web/ClassNames.h"
#include "engine/web/ConditionalLooks.h"
#include "engine/web/Css.h"
#include "engine/web/HtmlText.h"
#include "engine/web/ImageSize.h"
#include "engine/web/NoteMarker.h"
#include "engine/web/SafeLink.h"
#include "engine/web/SheetLayout.h"
#include "engine/web/SparklineSvg.h"
#include "engine/web/SparklineValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::web {
namespace {

constexpr std::size_t flushBytes = 1u << 16;

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

struct SheetWriter::Block {
    enum Kind { Cover, Merge, Content, Blank } kind;
    std::uint16_t firstCol, lastCol;
    const Cell* cell;
    const MergeSpan* merge;
};

SheetWriter::SheetWriter(const Workbook& workbook, numfmt::CellTextFormatter& formatter,
                         const StyleSheet& styles, const PageLinks& links)
    : workbook_(workbook), formatter_(formatter), styles_(styles), links_(links),
      anyCentredAcross_(std::any_of(
          workbook.cellFormats.begin(), workbook.cellFormats.end(), [](const CellFormat& format) {
              return format.alignment.horizontal == HAlign::CenterAcrossSelection;
          })) {}

SheetWriter::~SheetWriter() = default;

void SheetWriter::flushIfLarge(Sink& sink) {
    if (out_.size() >= flushBytes) {
        sink.write(out_);
        out_.clear();
    }
}

void SheetWriter::write(Sink& sink, std::size_t sheetIndex, const std::string& id) {
    const Sheet& sheet = workbook_.sheets.at(sheetIndex);
    SheetLayout layout(workbook_, sheet);
    out_.clear();
    sheetIndex_ = sheetIndex;
    sheet_ = &sheet;
    layout_ = &layout;
    rightToLeft_ = sheet.rightToLeft;
    // Drawings float over the grid; the section is made tall and wide enough to hold them,
    // so that what follows on the page does not run into them.
    const std::vector<Drawn> drawings = placeDrawings(sheetIndex, sheet, layout);
    int right = 0, bottom = 0;
    inRows_.clear();
    for (const Drawn& drawn : drawings) {
        right = std::max(right, layout.left(drawn.col) + drawn.left + drawn.width);
        bottom = std::max(bottom, layout.top(drawn.row) + drawn.top + drawn.height);
        if (drawn.inRow)
            inRows_.push_back(&drawn);
    }
    std::stable_sort(inRows_.begin(), inRows_.end(),
                     [](const Drawn* a, const Drawn* b) { return a->row < b->row; });
    rowDrawn_ = rowDrawnEnd_ = inRows_.begin();
    const std::string background = backgroundStyle(sheetIndex, sheet);
    out_ += "<div class=\"";
    out_ += classes::sheet;
    out_ += "\" id=\"" + id + "\"";
    if ((right > 0 && bottom > 0) || !background.empty()) {
        out_ += " style=\"";
        if (right > 0 && bottom > 0) {
            out_ += "min-width:";
            appendInt(out_, right);
            out_ += "px;min-height:";
            appendInt(out_, bottom);
            out_ += "px";
        }
        if (!background.empty())
            out_ += (right > 0 && bottom > 0) ? background : background.substr(1);
        out_ += "\"";
    }
    out_ += ">\n";
    floating_.clear();
    for (const Drawn& drawn : drawings)
        if (!drawn.inRow)
            floating_.push_back(&drawn);
    if (!layout.empty())
        writeTable(sink, sheet, layout);
    for (const Drawn* drawn : floating_)
        writeDrawing(*drawn, layout.left(drawn->col) + drawn->left,
                     layout.top(drawn->row) + drawn->top);
    floating_.clear();
    out_ += "</div>\n";
    layout_ = nullptr;
    sink.write(out_);
    out_.clear();
}

std::string SheetWriter::backgroundStyle(std::size_t sheetIndex, const Sheet& sheet) const {
    if (!links_.pictureSource || sheet.background.data.empty())
        return {};
    const std::string source = links_.pictureSource(sheetIndex, sheetBackground);
    // Our own file names and content ids only; anything else could break out of the CSS.
    for (char c : source)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '%' || c == '.' || c == '_' || c == '-' || c == '~' || c == '/' || c == ':' ||
              c == '@'))
            return {};
    // Tiled from the sheet's top-left corner over the whole sheet, its cells and pictures, as
    // the application shows it behind the grid and beyond the cells in use.
    return source.empty() ? std::string()
                          : ";background-image:url('" + source + "');background-repeat:repeat";
}

void SheetWriter::writeTable(Sink& sink, const Sheet& sheet, const SheetLayout& layout) {
    const Range& used = layout.used();
    hyperlinks_.clear();
    std::size_t budget = limits::maxHyperlinkCellsPerSheet;
    for (const Hyperlink& link : sheet.hyperlinks) {
        Range area = link.range;
        area.firstRow = std::max(area.firstRow, used.firstRow);
        area.lastRow = std::min(area.lastRow, used.lastRow);
        area.firstCol = std::max(area.firstCol, used.firstCol);
        area.lastCol = std::min(area.lastCol, used.lastCol);
        if (area.firstRow > area.lastRow || area.firstCol > area.lastCol)
            continue;
        std::uint64_t cells = static_cast<std::uint64_t>(area.lastRow - area.firstRow + 1) *
                              static_cast<std::uint64_t>(area.lastCol - area.firstCol + 1);
        if (cells > budget) {
            hyperlinks_.emplace(cellKey(link.range.firstRow, link.range.firstCol), &link);
            continue;
        }
        budget -= cells;
        for (std::uint32_t r = area.firstRow; r <= area.lastRow; ++r)
            for (std::uint32_t c = area.firstCol; c <= area.lastCol; ++c)
                hyperlinks_.emplace(cellKey(r, static_cast<std::uint16_t>(c)), &link);
    }

    // The header rows of the sheet's tables, one range per row, sorted, overlaps joined.
    tableHeads_.clear();
    for (const Table& table : workbook_.tables)
        if (table.sheet == sheetIndex_ && table.headerRows > 0)
            tableHeads_.push_back(Range{table.range.firstRow, table.range.firstRow,
                                        table.range.firstCol, table.range.lastCol});
    std::sort(tableHeads_.begin(), tableHeads_.end(), [](const Range& a, const Range& b) {
        return cellKey(a.firstRow, a.firstCol) < cellKey(b.firstRow, b.firstCol);
    });
    std::size_t joined = 0;
    for (const Range& head : tableHeads_) {
        if (joined > 0) {
            Range& last = tableHeads_[joined - 1];
            if (last.firstRow == head.firstRow && head.firstCol <= last.lastCol + 1u) {
                last.lastCol = std::max(last.lastCol, head.lastCol);
                continue;
            }
        }
        tableHeads_[joined++] = head;
    }
    tableHeads_.resize(joined);

    looks_.reset();
    if (!sheet.conditionalFormats.empty())
        looks_ = std::make_unique<ConditionalLooks>(workbook_, sheet, formatter_);
    notes_.clear();
    for (const Comment& note : sheet.comments)
        if (used.contains(note.row, note.col) && layout.rowVisible(note.row) &&
            layout.columnVisible(note.col))
            notes_.emplace(cellKey(note.row, note.col), &note);
    auto nextNote = notes_.begin();

    // A right-to-left sheet starts at the page's right edge, as its first column does.
    out_ += "<table class=\"";
    out_ += classes::grid;
    out_ +=
        sheet.rightToLeft ? "\" dir=\"rtl\" style=\"margin-left:auto;width:" : "\" style=\"width:";
    appendInt(out_, layout.tableWidth());
    out_ += "px;--rh:";
    appendInt(out_, layout.defaultRowHeight());
    out_ += "px\">\n<colgroup>";
    for (std::uint32_t col = used.firstCol; col <= used.lastCol; ++col) {
        auto c = static_cast<std::uint16_t>(col);
        if (!layout.columnVisible(c))
            continue;
        out_ += "<col style=\"width:";
        appendInt(out_, layout.columnWidth(c));
        out_ += "px\">";
    }
    out_ += "</colgroup>\n<tbody>\n";

    std::vector<Block> blocks;
    std::vector<const MergeSpan*> active;
    std::size_t nextMerge = 0;
    std::size_t cellIndex = 0;
    const auto& cells = sheet.cells;
    const auto& merges = layout.merges();
    for (std::uint32_t row = used.firstRow; row <= used.lastRow; ++row) {
        while (cellIndex < cells.size() && cells[cellIndex].row < row)
            ++cellIndex;
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](const MergeSpan* m) { return m->area.lastRow < row; }),
                     active.end());
        // A run of rows that show nothing (a sparse sheet's gap of a million rows) is one row
        // of their summed height; a merged area spanning rows keeps each of its rows.
        if (active.empty()) {
            const std::uint32_t busy =
                nextBusyRow(sheet, layout, row, used.lastRow, cellIndex, nextMerge);
            if (busy > row + 1u) {
                const long long height = layout.rowsBetween(row, busy);
                if (height > 0) {
                    out_ += "<tr style=\"height:";
                    appendInt(out_, height);
                    out_ += "px\">";
                    writeGap(sheet, layout, nullptr, used.firstCol, used.lastCol);
                    out_ += "</tr>\n";
                }
                row = busy - 1u;
                flushIfLarge(sink);
                continue;
            }
        }
        std::size_t begin = cellIndex;
        while (cellIndex < cells.size() && cells[cellIndex].row == row)
            ++cellIndex;
        if (!layout.rowVisible(row))
            continue;
        blocks.clear();
        for (const MergeSpan* merge : active)
            blocks.push_back(
                Block{Block::Cover, merge->area.firstCol, merge->area.lastCol, nullptr, merge});
        while (nextMerge < merges.size() && merges[nextMerge].anchorRow == row) {
            const MergeSpan& merge = merges[nextMerge++];
            blocks.push_back(
                Block{Block::Merge, merge.area.firstCol, merge.area.lastCol, nullptr, &merge});
            active.push_back(&merge);
        }
        for (std::size_t i = begin; i < cellIndex; ++i) {
            const Cell& cell = cells[i];
            if (cell.col < used.firstCol || cell.col > used.lastCol ||
                !layout.columnVisible(cell.col))
                continue;
            bool content = cell.type != CellType::Empty;
            if (!content && !isVisibleBlank(workbook_, workbook_.cellFormats[cell.format]))
                continue;
            blocks.push_back(
                Block{content ? Block::Content : Block::Blank, cell.col, cell.col, &cell, nullptr});
        }
        // A comment on a cell that shows nothing still needs a cell for its marker.
        while (nextNote != notes_.end() && nextNote->second->row < row)
            ++nextNote;
        for (; nextNote != notes_.end() && nextNote->second->row == row; ++nextNote) {
            const std::uint16_t col = nextNote->second->col;
            if (std::none_of(blocks.begin(), blocks.end(), [&](const Block& block) {
                    return block.firstCol <= col && block.lastCol >= col &&
                           (block.kind == Block::Content || block.kind == Block::Blank);
                }))
                blocks.push_back(Block{Block::Blank, col, col, nullptr, nullptr});
        }
        while (rowDrawn_ != inRows_.end() && (*rowDrawn_)->row < row)
            floating_.push_back(*rowDrawn_++); // in a hidden row
        rowDrawnEnd_ = rowDrawn_;
        while (rowDrawnEnd_ != inRows_.end() && (*rowDrawnEnd_)->row == row)
            ++rowDrawnEnd_;
        writeRow(sheet, layout, row, blocks);
        // A row whose every column lies under merged areas has no cell of its own to hold
        // its drawings: they float over the grid instead.
        for (; rowDrawn_ != rowDrawnEnd_; ++rowDrawn_)
            floating_.push_back(*rowDrawn_);
        flushIfLarge(sink);
    }
    out_ += "</tbody>\n</table>\n";
    for (; rowDrawn_ != inRows_.end(); ++rowDrawn_)
        floating_.push_back(*rowDrawn_);
    if (looks_ && looks_->leftOut() > 0) {
        out_ += "<!-- conditional formats: ";
        appendInt(out_, static_cast<long long>(looks_->leftOut()));
        out_ += looks_->leftOut() == 1 ? " rule" : " rules";
        out_ += " left out, whose formulas are not evaluated -->\n";
    }
}

void SheetWriter::writeRow(const Sheet& sheet, const SheetLayout& layout, std::uint32_t row,
                           std::vector<Block>& blocks) {
    const auto before = [](const Block& a, const Block& b) {
        if (a.firstCol != b.firstCol)
            return a.firstCol < b.firstCol;
        return (a.kind == Block::Cover || a.kind == Block::Merge) &&
               !(b.kind == Block::Cover || b.kind == Block::Merge);
    };
    // A row without merged areas comes in column order already; sorting it would cost a
    // buffer of its own for every row.
    if (!std::is_sorted(blocks.begin(), blocks.end(), before))
        std::stable_sort(blocks.begin(), blocks.end(), before);
    // Cells inside a merged area are not shown.
    std::size_t kept = 0;
    int coveredUntil = -1;
    for (const Block& block : blocks) {
        if ((block.kind == Block::Content || block.kind == Block::Blank) &&
            static_cast<int>(block.firstCol) <= coveredUntil)
            continue;
        if (block.kind == Block::Cover || block.kind == Block::Merge)
            coveredUntil = std::max(coveredUntil, static_cast<int>(block.lastCol));
        blocks[kept++] = block;
    }
    blocks.resize(kept);

    const Range& used = layout.used();
    const RowInfo* info = layout.rowInfo(row);
    const int height = layout.rowHeight(row);
    const int fixedHeight = info && info->customHeight ? height : 0;
    if (height != layout.defaultRowHeight()) {
        out_ += "<tr style=\"height:";
        appendInt(out_, height);
        out_ += "px\">";
    } else {
        out_ += "<tr>";
    }
    std::uint32_t col = used.firstCol;
    // Text runs on into empty neighbours, as far as the next cell that shows something: to the
    // right when aligned left, to the left when aligned right, both ways when centred.
    std::vector<std::uint32_t>& stops = stops_;
    std::vector<std::uint32_t>& starts = starts_;
    stops.resize(blocks.size());
    starts.resize(blocks.size());
    std::uint32_t nextContent = used.lastCol + 1u;
    for (std::size_t i = blocks.size(); i-- > 0;) {
        stops[i] = nextContent;
        if (blocks[i].kind != Block::Blank)
            nextContent = blocks[i].firstCol;
    }
    std::uint32_t previousContent = used.firstCol;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        starts[i] = previousContent;
        if (blocks[i].kind != Block::Blank)
            previousContent = blocks[i].lastCol + 1u;
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (block.firstCol > col)
            writeGap(sheet, layout, info, col, block.firstCol - 1u);
        col = block.lastCol + 1u;
        if (block.kind == Block::Cover)
            continue;
        if (block.kind == Block::Merge) {
            const MergeSpan& merge = *block.merge;
            CellRoom own;
            own.own = layout.widthOf(merge.area.firstCol, merge.area.lastCol);
            own.clip = merge.rowSpan == 1 ? fixedHeight : 0;
            cellCol_ = merge.area.firstCol;
            writeCell(sheet.cellAt(merge.sourceRow, merge.sourceCol), &merge, own,
                      noteAt(merge.sourceRow, merge.sourceCol));
            continue;
        }
        CellRoom overflow;
        if (block.kind == Block::Content) {
            const auto here = block.firstCol;
            overflow.left = starts[i] < here ? layout.widthOf(static_cast<std::uint16_t>(starts[i]),
                                                              static_cast<std::uint16_t>(here - 1))
                                             : 0;
            overflow.right = stops[i] > here + 1u
                                 ? layout.widthOf(static_cast<std::uint16_t>(here + 1),
                                                  static_cast<std::uint16_t>(stops[i] - 1))
                                 : 0;
            overflow.own = layout.columnWidth(here);
            overflow.openRight = stops[i] > used.lastCol;
            overflow.clip = fixedHeight;
            const std::uint32_t selected =
                anyCentredAcross_ ? selectionEnd(sheet, layout, *block.cell, stops[i]) : here;
            if (selected > here)
                overflow.across = layout.widthOf(static_cast<std::uint16_t>(here + 1),
                                                 static_cast<std::uint16_t>(selected));
        }
        cellCol_ = block.firstCol;
        writeCell(block.cell, nullptr, overflow, noteAt(row, block.firstCol));
    }
    if (col <= used.lastCol)
        writeGap(sheet, layout, info, col, used.lastCol);
    out_ += "</tr>\n";
}

void SheetWriter::writeGap(const Sheet& sheet, const SheetLayout& layout, const RowInfo* info,
                           std::uint32_t from, std::uint32_t to) {
    auto fillOf = [&](std::uint32_t format) -> long long {
        if (format >= workbook_.cellFormats.size())
            return -1;
        std::uint32_t fill = workbook_.cellFormats[format].fill;
        return workbook_.fills[fill].pattern == FillPattern::None ? -1
                                                                  : static_cast<long long>(fill);
    };
    auto emit = [&](std::uint32_t first, std::uint32_t last, long long fill) {
        std::uint32_t span = layout.visibleColumns(static_cast<std::uint16_t>(first),
                                                   static_cast<std::uint16_t>(last));
        if (span == 0)
            return;
        out_ += "<td";
        if (span > 1) {
            out_ += " colspan=\"";
            appendInt(out_, span);
            out_ += '"';
        }
        const bool drawings = rowHasDrawings();
        if (fill >= 0 || drawings) {
            out_ += " class=\"";
            if (fill >= 0) {
                out_ += classes::blankFill;
                appendInt(out_, fill);
            }
            if (drawings) {
                if (fill >= 0)
                    out_ += ' ';
                out_ += classes::holdsDrawings;
            }
            out_ += '"';
        }
        out_ += '>';
        if (drawings)
            writeRowDrawings(static_cast<std::uint16_t>(first));
        out_ += "</td>";
    };
    if (info && info->hasFormat) {
        emit(from, to, fillOf(info->format));
        return;
    }
    // Blank cells take the format of their column; columns come in ranges of one format.
    std::uint32_t runStart = from;
    long long runFill = -2;
    std::uint32_t col = from;
    while (col <= to) {
        auto it =
            std::upper_bound(sheet.columns.begin(), sheet.columns.end(), col,
                             [](std::uint32_t c, const ColumnInfo& ci) { return c < ci.firstCol; });
        std::uint32_t segmentEnd = to;
        long long fill = -1;
        if (it != sheet.columns.begin() && std::prev(it)->lastCol >= col) {
            segmentEnd = std::min<std::uint32_t>(to, std::prev(it)->lastCol);
            fill = fillOf(std::prev(it)->format);
        } else if (it != sheet.columns.end()) {
            segmentEnd = std::min<std::uint32_t>(to, it->firstCol - 1u);
        }
        if (fill != runFill) {
            if (runFill != -2)
                emit(runStart, col - 1, runFill);
            runStart = col;
            runFill = fill;
        }
        col = segmentEnd + 1;
    }
    if (runFill != -2)
        emit(runStart, to, runFill);
}

std::uint32_t SheetWriter::selectionEnd(const Sheet& sheet, const SheetLayout& layout,
                                        const Cell& cell, std::uint32_t stop) const {
    const auto across = [&](std::uint32_t format) {
        return format < workbook_.cellFormats.size() &&
               workbook_.cellFormats[format].alignment.horizontal == HAlign::CenterAcrossSelection;
    };
    if (!across(cell.format))
        return cell.col;
    // A cell the file does not store has its row's format, else its column's.
    const RowInfo* info = layout.rowInfo(cell.row);
    const auto unstored = [&](std::uint32_t col) {
        return across(info && info->hasFormat
                          ? info->format
                          : layout.columnFormat(static_cast<std::uint16_t>(col)));
    };
    // The sheet's cells lie in row and column order, so the row's next ones follow this one.
    const Cell* next = &cell + 1;
    const Cell* end = sheet.cells.data() + sheet.cells.size();
    std::uint32_t last = cell.col;
    while (last + 1u < stop) {
        const std::uint32_t col = last + 1u;
        while (next != end && next->row == cell.row && next->col < col)
            ++next;
        const bool stored = next != end && next->row == cell.row && next->col == col;
        if (stored ? next->type != CellType::Empty || !across(next->format) : !unstored(col))
            break;
        last = col;
    }
    return last;
}

bool SheetWriter::headsTable(std::uint32_t row, std::uint16_t col) const {
    if (tableHeads_.empty())
        return false;
    // The last head starting at or before the cell is the only one that can hold it.
    const auto after = std::upper_bound(
        tableHeads_.begin(), tableHeads_.end(), cellKey(row, col),
        [](std::uint64_t key, const Range& r) { return key < cellKey(r.firstRow, r.firstCol); });
    if (after == tableHeads_.begin())
        return false;
    const Range& head = *std::prev(after);
    return head.firstRow == row && col <= head.lastCol;
}

const Comment* SheetWriter::noteAt(std::uint32_t row, std::uint16_t col) const {
    if (notes_.empty())
        return nullptr;
    auto found = notes_.find(cellKey(row, col));
    return found == notes_.end() ? nullptr : found->second;
}

void SheetWriter::writeCell(const Cell* cell, const MergeSpan* merge, const CellRoom& room,
                            const Comment* note) {
    if (cell)
        formatter_.format(*cell, shown_);
    else
        shown_.text.clear(), shown_.color = Color{}, shown_.fill.clear();
    CellFacts facts;
    facts.cell = cell;
    facts.merge = merge;
    facts.room = room;
    facts.shown = &shown_;
    facts.note = note;
    facts.drawings = rowHasDrawings();
    facts.tableRightToLeft = rightToLeft_;
    // Rows frozen at the top and tables' header rows head the columns below them; columns
    // frozen at the left head their rows.
    if (cell && (cell->row < sheet_->frozenRows ||
                 (!tableHeads_.empty() && headsTable(cell->row, cellCol_))))
        facts.header = CellFacts::Header::Column;
    else if (cell && cellCol_ < sheet_->frozenColumns)
        facts.header = CellFacts::Header::Row;
    if (looks_) {
        if (cell)
            facts.look = looks_->at(cell->row, cell->col);
        else if (merge)
            facts.look = looks_->at(merge->sourceRow, merge->sourceCol);
    }
    if (cell && !hyperlinks_.empty() && !shown_.text.empty()) {
        auto found = hyperlinks_.find(cellKey(cell->row, cell->col));
        if (found != hyperlinks_.end()) {
            href_ = linkHref(*found->second);
            facts.href = href_;
            facts.tooltip = found->second->tooltip;
        }
    }
    planCell(workbook_, formatter_, styles_, facts, plan_);
    appendCellStart(out_, plan_);
    if (plan_.drawings)
        writeRowDrawings(cellCol_);
    appendCellEnd(out_, plan_, workbook_, formatter_);
}

std::string SheetWriter::linkHref(const Hyperlink& link) const {
    if (!link.target.empty())
        return safeExternalHref(link).value_or(std::string());
    std::string sheetName = locationSheet(link.location);
    if (sheetName.empty())
        return {};
    auto found = links_.sheetIds.find(util::asciiLowered(sheetName));
    return found == links_.sheetIds.end() ? std::string() : "#" + found->second;
}

std::vector<SheetWriter::Drawn> SheetWriter::placeDrawings(std::size_t sheetIndex,
                                                           const Sheet& sheet,
                                                           const SheetLayout& layout) const {
    std::vector<Drawn> placed;
    const Range& used = layout.used();
    auto add = [&](Drawn one, const Anchor& anchor) {
        const drawing::AnchorBox box = drawing::placeAnchor(anchor, layout);
        one.row = std::min(anchor.row, limits::maxRows - 1);
        one.col = std::min<std::uint16_t>(anchor.col, limits::maxColumns - 1);
        one.left = box.left;
        one.top = box.top;
        one.width = box.width;
        one.height = box.height;
        one.inRow = !layout.empty() && one.row >= used.firstRow && one.row <= used.lastRow;
        placed.push_back(std::move(one));
    };
    if (links_.pictureSource) {
        for (std::size_t i = 0; i < sheet.pictures.size(); ++i) {
            std::string source = links_.pictureSource(sheetIndex, i);
            if (source.empty())
                continue;
            Drawn one;
            one.picture = &sheet.pictures[i];
            one.source = std::move(source);
            add(std::move(one), sheet.pictures[i].anchor);
            Drawn& last = placed.back();
            if (last.width <= 0 || last.height <= 0) {
                last.width = last.height = 0;
                if (auto size = imageSize(sheet.pictures[i].data)) {
                    last.width = size->width;
                    last.height = size->height;
                }
            }
        }
    }
    for (std::size_t i = 0; i < sheet.charts.size(); ++i) {
        Drawn one;
        one.chart = i;
        add(std::move(one), sheet.charts[i].anchor);
        Drawn& last = placed.back();
        const auto [width, height] = chartPixelSize(last.width, last.height);
        last.width = width;
        last.height = height;
    }
    placeSparklines(sheetIndex, sheet, layout, placed);
    return placed;
}

void SheetWriter::placeSparklines(std::size_t sheetIndex, const Sheet& sheet,
                                  const SheetLayout& layout, std::vector<Drawn>& placed) const {
    if (layout.empty())
        return;
    std::size_t budget = limits::maxSparklinePointsPerSheet;
    std::vector<std::vector<std::optional<double>>> values;
    // Merged areas by their anchor cell, so that finding a sparkline's area is a search, not a
    // walk over every merge for every sparkline.
    const auto anchorKey = [](const Range& r) { return std::pair(r.firstRow, r.firstCol); };
    std::vector<const Range*> mergesByAnchor;
    if (!sheet.sparklines.empty()) {
        mergesByAnchor.reserve(sheet.merges.size());
        for (const Range& merge : sheet.merges)
            mergesByAnchor.push_back(&merge);
        std::stable_sort(
            mergesByAnchor.begin(), mergesByAnchor.end(),
            [&](const Range* a, const Range* b) { return anchorKey(*a) < anchorKey(*b); });
    }
    for (const SparklineGroup& group : sheet.sparklines) {
        values.clear();
        std::optional<SparklineScaleRange> groupRange;
        for (const Sparkline& sparkline : group.sparklines) {
            values.push_back(budget > 0 ? sparklineValues(workbook_, sheetIndex, group, sparkline)
                                        : std::vector<std::optional<double>>{});
            budget -= std::min(budget, values.back().size());
            if (const auto range = valueRange(values.back()))
                groupRange = groupRange ? SparklineScaleRange{std::min(groupRange->min, range->min),
                                                              std::max(groupRange->max, range->max)}
                                        : range;
        }
        for (std::size_t i = 0; i < group.sparklines.size(); ++i) {
            const Sparkline& sparkline = group.sparklines[i];
            if (!layout.rowVisible(sparkline.row) || !layout.columnVisible(sparkline.col))
                continue;
            const auto scale = sparklineScale(group, values[i], groupRange);
            if (!scale)
                continue;
            // A sparkline in a merged area fills the whole area, as its cell's content would.
            Range area{sparkline.row, sparkline.row, sparkline.col, sparkline.col};
            const auto merge = std::lower_bound(
                mergesByAnchor.begin(), mergesByAnchor.end(), anchorKey(area),
                [&](const Range* m, const auto& key) { return anchorKey(*m) < key; });
            if (merge != mergesByAnchor.end() && anchorKey(**merge) == anchorKey(area))
                area = **merge;
            Drawn one;
            one.row = sparkline.row;
            one.col = sparkline.col;
            one.width = layout.widthOf(area.firstCol, area.lastCol);
            one.height = static_cast<int>(
                std::min<long long>(layout.rowsBetween(area.firstRow, area.lastRow + 1u), 1 << 20));
            one.sparkline = sparklineShapes(group, values[i], *scale, one.width, one.height);
            if (one.sparkline.empty())
                continue;
            one.inRow = one.row >= layout.used().firstRow && one.row <= layout.used().lastRow;
            placed.push_back(std::move(one));
        }
    }
}

void SheetWriter::appendPlace(int left, int top) {
    out_ += rightToLeft_ ? " style=\"position:absolute;right:" : " style=\"position:absolute;left:";
    appendInt(out_, left);
    out_ += "px;top:";
    appendInt(out_, top);
    out_ += "px";
}

void SheetWriter::writeDrawing(const Drawn& drawn, int left, int top) {
    if (!drawn.sparkline.empty()) {
        out_ += "<svg class=\"";
        out_ += classes::sparkline;
        out_ += "\" width=\"";
        appendInt(out_, drawn.width);
        out_ += "\" height=\"";
        appendInt(out_, drawn.height);
        out_ += '"';
        appendPlace(left, top);
        out_ += "\" aria-hidden=\"true\">";
        out_ += drawn.sparkline;
        out_ += "</svg>\n";
        return;
    }
    if (drawn.picture) {
        out_ += "<img src=\"";
        appendEscaped(out_, drawn.source);
        out_ += "\" alt=\"";
        appendEscaped(out_, utf8Prefix(drawn.picture->description, 1024));
        out_ += '"';
        appendPlace(left, top);
        if (drawn.width > 0 && drawn.height > 0) {
            out_ += ";width:";
            appendInt(out_, drawn.width);
            out_ += "px;height:";
            appendInt(out_, drawn.height);
            out_ += "px";
        }
        out_ += "\">\n";
        return;
    }
    PlacedChart chart{drawn.chart, left, top, drawn.width, drawn.height, rightToLeft_};
    writeCharts(out_, workbook_, sheetIndex_, {chart}, links_.chartSource);
}

void SheetWriter::writeRowDrawings(std::uint16_t col) {
    // Offsets count from the cell's own corner: the row's first cell need not start at the
    // first column when merged areas from above cover the row's start.
    const int cellLeft = layout_->left(col);
    for (; rowDrawn_ != rowDrawnEnd_; ++rowDrawn_) {
        const Drawn& drawn = **rowDrawn_;
        writeDrawing(drawn, layout_->left(drawn.col) + drawn.left - cellLeft, drawn.top);
        // A cell keeps its white space: a line break after the drawing would grow the row.
        while (!out_.empty() && out_.back() == '\n')
            out_.pop_back();
    }
}

std::uint32_t SheetWriter::nextBusyRow(const Sheet& sheet, const SheetLayout& layout,
                                       std::uint32_t row, std::uint32_t last, std::size_t cellIndex,
                                       std::size_t nextMerge) const {
    std::uint32_t busy = last + 1u;
    if (cellIndex < sheet.cells.size())
        busy = std::min(busy, sheet.cells[cellIndex].row);
    const auto& merges = layout.merges();
    if (nextMerge < merges.size())
        busy = std::min(busy, merges[nextMerge].anchorRow);
    auto note = notes_.lower_bound(cellKey(row, 0));
    if (note != notes_.end())
        busy = std::min(busy, note->second->row);
    for (auto it = rowDrawn_; it != inRows_.end(); ++it)
        if ((*it)->row >= row) {
            busy = std::min(busy, (*it)->row);
            break;
        }
    // A row with a format of its own shows its fill.
    auto info =
        std::lower_bound(sheet.rows.begin(), sheet.rows.end(), row,
                         [](const RowInfo& r, std::uint32_t wanted) { return r.row < wanted; });
    for (; info != sheet.rows.end() && info->row < busy; ++info)
        if (info->hasFormat && layout.rowVisible(info->row)) {
            busy = info->row;
            break;
        }
    return std::max(busy, row);
}

} // namespace engine::web
