#include "engine/web/CellPlan.h"

#include "engine/numfmt/TextWidth.h"
#include "engine/web/ClassNames.h"
#include "engine/web/ConditionalLooks.h"
#include "engine/web/Css.h"
#include "engine/web/SheetLayout.h"
#include "engine/web/TextDirection.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::web {
namespace {

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void addClass(std::string& classes, std::string_view name) {
    if (!classes.empty())
        classes += ' ';
    classes += name;
}

void addNumbered(std::string& classes, char prefix, long long number) {
    if (!classes.empty())
        classes += ' ';
    classes += prefix;
    appendInt(classes, number);
}

const Font& fontOf(const Workbook& workbook, const CellFormat& format) {
    return format.font < workbook.fonts.size() ? workbook.fonts[format.font]
                                               : workbook.fonts.front();
}

// Which way text that does not fit runs into its empty neighbours, as the application lets
// it: from the cell's left edge to the right when aligned left, from its right edge to the
// left when aligned right, both ways when centred. General alignment aligns a text to the side
// it starts reading from. Text too long even so is cut where the application cuts it: at the
// end away from its alignment, on both sides when centred.
CellPlan::Overflow planOverflow(const Workbook& workbook, const CellFormat& format,
                                const CellRoom& room, const std::string& text, bool tableRtl,
                                bool textRtl) {
    enum class Side { Left, Right, Centre } side;
    switch (format.alignment.horizontal) {
    case HAlign::General:
        side = textRtl ? Side::Right : Side::Left;
        break;
    case HAlign::Left:
        side = Side::Left;
        break;
    case HAlign::Right:
        side = Side::Right;
        break;
    case HAlign::Center:
    case HAlign::CenterAcrossSelection:
        side = Side::Centre;
        break;
    default:
        return {};
    }
    // The room in the page's terms: a right-to-left sheet's next columns lie to the left.
    const int left = tableRtl ? room.right : room.left;
    const int right = tableRtl ? room.left : room.right;
    const bool openLeft = tableRtl && room.openRight, openRight = !tableRtl && room.openRight;
    const Font& font = fontOf(workbook, format);
    const double textWidth = numfmt::estimateTextPixels(text, font);
    // Past the last used column the grid goes on empty: give the text the room it needs,
    // estimated generously, since other fonts run wider than the default.
    const auto needed = [&] {
        double pixels = textWidth * 1.25 + 8;
        if (font.bold)
            pixels *= 1.1;
        return static_cast<int>(std::min(pixels, 1e5)) - room.own;
    };
    CellPlan::Overflow box;
    int spill = 0;
    switch (side) {
    case Side::Left:
        spill = openRight ? std::max(right, needed()) : right;
        // The box starts at the cell's left edge; a right-to-left text keeps its left end in
        // view by packing it to its box's end.
        box.shift = textRtl ? spill : 0;
        box.keep = textRtl ? CellPlan::Overflow::Keep::End : CellPlan::Overflow::Keep::Start;
        break;
    case Side::Right:
        spill = openLeft ? std::max(left, needed()) : left;
        box.shift = textRtl ? 0 : spill;
        box.keep = textRtl ? CellPlan::Overflow::Keep::Start : CellPlan::Overflow::Keep::End;
        break;
    case Side::Centre: {
        // Centred across a selection, the box's middle is the selection's: it reaches past
        // the cell by the selection's width on the side of the next columns, and by as much
        // as both sides have beyond that.
        const int acrossLeft = tableRtl ? room.across : 0, acrossRight = tableRtl ? 0 : room.across;
        const int both = std::max(0, std::min(left - acrossLeft, right - acrossRight));
        box.shift = (textRtl ? acrossRight : acrossLeft) + both;
        spill = room.across + 2 * both;
        box.keep = CellPlan::Overflow::Keep::Centre;
        break;
    }
    }
    box.shiftRight = textRtl;
    // Without room beside it a text that does not fit still needs its box when the cut must
    // fall elsewhere than at its end.
    if (spill <= 0 &&
        (box.keep == CellPlan::Overflow::Keep::Start || room.own <= 0 || textWidth <= room.own - 4))
        return {};
    box.runs = true;
    box.width = room.own + std::max(spill, 0) - 4;
    return box;
}

// Shrink to fit: the application makes the font smaller until the text fits the cell.
void appendShrunkFont(std::string& style, const Workbook& workbook, const CellFormat& format,
                      int own, const std::string& text) {
    const double size =
        format.font < workbook.fonts.size() ? workbook.fonts[format.font].size : Font{}.size;
    const double width = numfmt::estimateTextPixels(text, size);
    const double fits = std::max(own - 5, 1);
    if (width > fits && std::isfinite(size) && size > 0) {
        char buffer[32];
        auto printed = std::to_chars(buffer, buffer + sizeof buffer,
                                     std::clamp(size * fits / width * 0.95, 1.0, 409.0),
                                     std::chars_format::fixed, 1);
        style += "font-size:";
        style.append(buffer, printed.ptr);
        style += "pt";
    }
}

} // namespace

void planCell(const Workbook& workbook, numfmt::CellTextFormatter& formatter,
              const StyleSheet& styles, const CellFacts& facts, CellPlan& plan) {
    const Cell* cell = facts.cell;
    const numfmt::Shown& shown = *facts.shown;
    const CellRoom& room = facts.room;
    const std::uint32_t format = cell ? cell->format : 0;
    const CellFormat& cellFormat = workbook.cellFormats[format];
    plan.cell = cell;
    plan.shown = facts.shown;
    plan.look = facts.look;
    plan.note = facts.note;
    plan.drawings = facts.drawings;
    plan.colSpan = facts.merge ? facts.merge->colSpan : 1;
    plan.rowSpan = facts.merge ? facts.merge->rowSpan : 1;

    // A formatted number too wide for its cell shows as '#' signs, never cut off or spilled;
    // "General" numbers are first rounded to fit. The number as the format gives it stays in
    // the page's text for search, copying and assistive tools.
    plan.narrowed.clear();
    if (cell && cell->type == CellType::Number && room.own > 0 &&
        !cellFormat.alignment.shrinkToFit) {
        const Font& font = fontOf(workbook, cellFormat);
        // Centred across a selection, a number has the selection's width.
        const int width = room.own + room.across;
        std::string fitted = formatter.numberFormatOf(format).isGeneral()
                                 ? numfmt::fitGeneralNumber(cell->number, shown.text, width, font)
                                 : numfmt::fitNumberText(shown.text, width, font);
        if (fitted != shown.text)
            plan.narrowed = std::move(fitted);
    }

    std::string& classes = plan.classes;
    classes.clear();
    if (!styles.implicit(format))
        addNumbered(classes, classes::cellFormat, format);
    if (cell && cellFormat.alignment.horizontal == HAlign::General) {
        if (cell->type == CellType::Number)
            addClass(classes, classes::generalRight);
        else if (cell->type == CellType::Boolean || cell->type == CellType::Error)
            addClass(classes, classes::generalCenter);
    }
    if (!shown.color.automatic) {
        const int index = styles.colorClass(shown.color.rgb);
        if (index >= 0)
            addNumbered(classes, classes::formatColor, index);
    }
    plan.wrap = wrapsText(cellFormat.alignment);
    plan.fillWidth = room.own;
    // A text reads in the direction of its first letter, whichever way the sheet reads.
    plan.direction = {};
    bool textRtl = facts.tableRightToLeft;
    if (cell && cell->type == CellType::Text) {
        switch (firstStrongDirection(shown.text)) {
        case TextDirection::RightToLeft:
            textRtl = true;
            plan.direction = facts.tableRightToLeft ? "" : "rtl";
            break;
        case TextDirection::LeftToRight:
            textRtl = false;
            plan.direction = facts.tableRightToLeft ? "ltr" : "";
            break;
        case TextDirection::Neutral:
            break;
        }
    }
    plan.overflow = {};
    // Text runs into its empty neighbours; any value centred across a selection runs over it.
    const bool runs =
        cell && (cell->type == CellType::Text || (room.across > 0 && plan.narrowed.empty()));
    if (!facts.merge && runs && !plan.wrap && !shown.text.empty() &&
        !cellFormat.alignment.shrinkToFit && shown.fill.empty())
        plan.overflow =
            planOverflow(workbook, cellFormat, room, shown.text, facts.tableRightToLeft, textRtl);
    plan.header = shown.text.empty() || (facts.look && facts.look->hideValue)
                      ? CellFacts::Header::None
                      : facts.header;
    if (plan.overflow.runs)
        addClass(classes, classes::overflows);
    if (!plan.narrowed.empty())
        addClass(classes, classes::hashes);
    if (facts.note)
        addClass(classes, classes::note);
    if (facts.drawings)
        addClass(classes, classes::holdsDrawings);

    plan.style.clear();
    if (facts.look)
        appendLookCss(plan.style, *facts.look);
    if (cell && cellFormat.alignment.shrinkToFit && !plan.wrap && room.own > 0 &&
        !shown.text.empty())
        appendShrunkFont(plan.style, workbook, cellFormat, room.own, shown.text);
    if (!plan.style.empty() && plan.style.back() == ';')
        plan.style.pop_back();

    plan.href = shown.text.empty() ? std::string_view() : facts.href;
    plan.tooltip = plan.href.empty() ? std::string_view() : facts.tooltip;
    plan.turned = plan.narrowed.empty() && cell && !shown.text.empty() &&
                  !styles.implicit(format) && isTurned(cellFormat.alignment);
    // A browser grows a row to fit its text; the application keeps a height the user fixed.
    plan.clip = room.clip > 0 && plan.wrap && !shown.text.empty() ? room.clip : 0;
    plan.showValue = cell && !(facts.look && facts.look->hideValue);
}

} // namespace engine::web
