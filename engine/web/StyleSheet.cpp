#include "engine/web/StyleSheet.h"

#include "engine/web/ClassNames.h"
#include "engine/web/Css.h"
#include "engine/web/NoteMarker.h"

namespace engine::web {

StyleSheet::StyleSheet(const Workbook& workbook, numfmt::CellTextFormatter& formatter)
    : workbook_(workbook), formatter_(formatter), formats_(workbook.cellFormats.size()),
      fonts_(workbook.fonts.size()), fills_(workbook.fills.size()) {
    const CellFormat& first = workbook.cellFormats.front();
    plainDefault_ =
        first.font == 0 && !isVisibleBlank(workbook, first) && first.alignment == Alignment{};
}

void StyleSheet::useFormat(std::uint32_t format) {
    if (format >= formats_.size() || formats_[format])
        return;
    formats_[format] = true;
    for (const auto& section : formatter_.numberFormatOf(format).sections())
        if (!section.color.automatic && !colors_.contains(section.color.rgb)) {
            int next = static_cast<int>(colors_.size());
            colors_.emplace(section.color.rgb, next);
        }
}

void StyleSheet::addSheet(const Sheet& sheet) {
    notes_ = notes_ || !sheet.comments.empty();
    conditional_ = conditional_ || !sheet.conditionalFormats.empty();
    std::uint32_t last = UINT32_MAX;
    for (const Cell& cell : sheet.cells) {
        if (cell.format != last) {
            useFormat(cell.format);
            last = cell.format;
        }
        if (cell.type == CellType::Text && cell.text < workbook_.strings.size())
            for (const TextRun& run : workbook_.strings[cell.text].runs)
                if (run.font < fonts_.size())
                    fonts_[run.font] = true;
    }
    auto useFill = [&](std::uint32_t format) {
        if (format < workbook_.cellFormats.size()) {
            std::uint32_t fill = workbook_.cellFormats[format].fill;
            if (fill < fills_.size() && workbook_.fills[fill].pattern != FillPattern::None)
                fills_[fill] = true;
        }
    };
    for (const ColumnInfo& column : sheet.columns)
        useFill(column.format);
    for (const RowInfo& row : sheet.rows)
        if (row.hasFormat)
            useFill(row.format);
}

int StyleSheet::colorClass(std::uint32_t rgb) const {
    auto it = colors_.find(rgb);
    return it == colors_.end() ? -1 : it->second;
}

void StyleSheet::write(std::string& out) const {
    using namespace classes;
    // Every rule is scoped to the grid, so that nothing of the sheet's looks reaches the rest
    // of the page.
    const std::string table = "table." + std::string(grid);
    // Header cells (th) look as the other cells do: the workbook's format alone decides.
    const std::string cell = table + " :is(td,th).";
    out += table + "{border-collapse:collapse;table-layout:fixed;";
    appendFontCss(out, workbook_.fonts.front(), false);
    out += "}\n" + table +
           " :is(td,th){padding:0 2px;overflow:hidden;white-space:pre;vertical-align:bottom}\n";
    out += table + " th{font-weight:inherit;text-align:inherit}\n";
    out += table + " tr{height:var(--rh,20px)}\n";
    out += cell + std::string(generalRight) + "{text-align:right}\n";
    out += cell + std::string(generalCenter) + "{text-align:center}\n";
    out += cell + std::string(hashes) + ">span," + cell + std::string(hashes) +
           " a>span{display:none}\n";
    out += cell + std::string(hashes) + "::after{content:attr(data-h)}\n";
    out += cell + std::string(overflows) + "{overflow:visible}\n";
    out += cell + std::string(overflows) + ">div{overflow:hidden}\n";
    out += cell + std::string(overflows) + ">div." + std::string(runsToEnd) +
           "{display:flex;justify-content:flex-end}\n";
    // A centred text too long for its room is cut on both sides, as the application cuts it.
    out += cell + std::string(overflows) + ">div." + std::string(runsBothWays) +
           "{display:flex;justify-content:center}\n";
    // A drawing sits in its anchor row's first cell, over the cells that follow.
    out += cell + std::string(holdsDrawings) + "{position:relative;overflow:visible}\n";
    out += cell + std::string(holdsDrawings) + ">img," + cell + std::string(holdsDrawings) +
           ">div." + std::string(chart) + "{z-index:1}\n";
    out += table + " a{color:inherit;text-decoration:inherit}\n";
    out += table + " span." + std::string(fillLine) + "{display:flex}\n";
    out +=
        table + " span." + std::string(fillRepeat) + "{flex:1 1 0;min-width:0;overflow:hidden}\n";
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        if (!formats_[i] || implicit(static_cast<std::uint32_t>(i)))
            continue;
        const CellFormat& format = workbook_.cellFormats[i];
        const std::string selector = cell + classes::cellFormat + std::to_string(i);
        out += selector + "{";
        appendFontCss(out, workbook_.fonts[format.font], false);
        appendFillCss(out, workbook_.fills[format.fill]);
        appendBorderCss(out, workbook_.borders[format.border]);
        appendAlignmentCss(out, format.alignment);
        out += "}\n";
        if (isTurned(format.alignment)) {
            out += selector + " span." + std::string(turned) + "{";
            appendTurnCss(out, format.alignment);
            out += "}\n";
        }
    }
    for (std::size_t i = 0; i < fills_.size(); ++i) {
        if (!fills_[i])
            continue;
        out += cell + classes::blankFill + std::to_string(i) + "{";
        appendFillCss(out, workbook_.fills[i]);
        out += "}\n";
    }
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (!fonts_[i])
            continue;
        out += '.';
        out += classes::runFont + std::to_string(i) + '{';
        appendFontCss(out, workbook_.fonts[i], true);
        out += "}\n";
    }
    if (notes_)
        appendNoteCss(out);
    if (conditional_)
        out += table + " span." + std::string(lookIcon) + "{float:left;margin-right:3px}\n";
    // Last, so that a number format's colour wins over the font's.
    for (const auto& [rgb, index] : colors_)
        out +=
            cell + classes::formatColor + std::to_string(index) + "{color:" + cssColor(rgb) + "}\n";
}

} // namespace engine::web
