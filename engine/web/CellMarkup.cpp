#include "engine/web/CellMarkup.h"

#include "engine/web/ClassNames.h"
#include "engine/web/ConditionalLooks.h"
#include "engine/web/HtmlText.h"
#include "engine/web/NoteMarker.h"

#include <algorithm>
#include <charconv>

namespace engine::web {
namespace {

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendClassAttribute(std::string& out, std::string_view names) {
    out += " class=\"";
    out += names;
    out += '"';
}

// What comes before the repeated character keeps to the cell's left edge and what follows to
// its right edge; the repetition fills the room between, cut off where it ends.
void appendFilled(std::string& out, const numfmt::Shown& shown, int fillWidth, LineBreaks breaks) {
    const std::string_view text = shown.text;
    out += "<span";
    appendClassAttribute(out, classes::fillLine);
    out += "><span>";
    appendEscaped(out, text.substr(0, shown.fillAt), breaks);
    out += "</span><span";
    appendClassAttribute(out, classes::fillRepeat);
    out += '>';
    if (shown.fill != " ") {
        const int count = std::clamp(fillWidth / 3 + 1, 1, 600);
        std::string one;
        appendEscaped(one, shown.fill);
        for (int i = 0; i < count; ++i)
            out += one;
    }
    out += "</span><span>";
    appendEscaped(out, text.substr(shown.fillAt), breaks);
    out += "</span></span>";
}

// Rich text keeps its runs' fonts, unless a text section of the number format rewrites it.
bool appendRuns(std::string& out, const Cell& cell, const Workbook& workbook,
                numfmt::CellTextFormatter& formatter, LineBreaks breaks) {
    if (cell.type != CellType::Text || cell.text >= workbook.strings.size())
        return false;
    const RichText& rich = workbook.strings[cell.text];
    const auto& sections = formatter.numberFormatOf(cell.format).sections();
    const bool plainText = sections.size() < 4 && (sections.empty() || !sections[0].hasText);
    if (rich.runs.empty() || !plainText)
        return false;
    const std::string& text = rich.text;
    std::size_t position = 0;
    bool open = false;
    for (const TextRun& run : rich.runs) {
        std::size_t start = std::min<std::size_t>(run.start, text.size());
        while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            ++start;
        if (start < position)
            continue;
        appendEscaped(out, std::string_view(text).substr(position, start - position), breaks);
        if (open)
            out += "</span>";
        // A run of the first font is a run without properties of its own (the OOXML reader
        // gives those font 0): it shows in the cell's font, as the application shows it.
        open = run.font != 0;
        if (open) {
            out += "<span class=\"";
            out += classes::runFont;
            appendInt(out, run.font);
            out += "\">";
        }
        position = start;
    }
    appendEscaped(out, std::string_view(text).substr(position), breaks);
    if (open)
        out += "</span>";
    return true;
}

void appendContent(std::string& out, const CellPlan& plan, const Workbook& workbook,
                   numfmt::CellTextFormatter& formatter) {
    const LineBreaks breaks = plan.wrap ? LineBreaks::Br : LineBreaks::Space;
    if (appendRuns(out, *plan.cell, workbook, formatter, breaks))
        return;
    const numfmt::Shown& shown = *plan.shown;
    if (!shown.fill.empty() && shown.fillAt <= shown.text.size())
        appendFilled(out, shown, plan.fillWidth, breaks);
    else
        appendEscaped(out, shown.text, breaks);
}

} // namespace

void appendCellStart(std::string& out, const CellPlan& plan) {
    switch (plan.header) {
    case CellFacts::Header::None:
        out += "<td";
        break;
    case CellFacts::Header::Column:
        out += "<th scope=\"col\"";
        break;
    case CellFacts::Header::Row:
        out += "<th scope=\"row\"";
        break;
    }
    if (plan.colSpan > 1) {
        out += " colspan=\"";
        appendInt(out, plan.colSpan);
        out += '"';
    }
    if (plan.rowSpan > 1) {
        out += " rowspan=\"";
        appendInt(out, plan.rowSpan);
        out += '"';
    }
    if (!plan.classes.empty())
        appendClassAttribute(out, plan.classes);
    if (!plan.direction.empty()) {
        out += " dir=\"";
        out += plan.direction;
        out += '"';
    }
    if (!plan.narrowed.empty()) {
        out += " data-h=\"";
        appendEscaped(out, plan.narrowed);
        out += '"';
    }
    if (!plan.style.empty()) {
        out += " style=\"";
        out += plan.style;
        out += '"';
    }
    out += '>';
}

void appendCellEnd(std::string& out, const CellPlan& plan, const Workbook& workbook,
                   numfmt::CellTextFormatter& formatter) {
    if (plan.look)
        appendLookIcon(out, *plan.look);
    if (plan.overflow.runs) {
        out += "<div";
        if (plan.overflow.keep == CellPlan::Overflow::Keep::End)
            appendClassAttribute(out, classes::runsToEnd);
        else if (plan.overflow.keep == CellPlan::Overflow::Keep::Centre)
            appendClassAttribute(out, classes::runsBothWays);
        out += " style=\"width:";
        appendInt(out, plan.overflow.width);
        out += "px";
        if (plan.overflow.shift > 0) {
            out += plan.overflow.shiftRight ? ";margin-right:-" : ";margin-left:-";
            appendInt(out, plan.overflow.shift);
            out += "px";
        }
        out += "\">";
    }
    if (!plan.href.empty()) {
        out += "<a href=\"";
        appendEscaped(out, plan.href);
        out += '"';
        if (!plan.tooltip.empty()) {
            out += " title=\"";
            appendEscaped(out, utf8Prefix(plan.tooltip, 1024));
            out += '"';
        }
        out += '>';
    }
    if (plan.clip > 0) {
        out += "<div style=\"max-height:";
        appendInt(out, plan.clip);
        out += "px;overflow:hidden\">";
    }
    if (!plan.narrowed.empty()) {
        out += "<span>";
    } else if (plan.turned) {
        out += "<span";
        appendClassAttribute(out, classes::turned);
        out += '>';
    }
    if (plan.showValue)
        appendContent(out, plan, workbook, formatter);
    if (!plan.narrowed.empty() || plan.turned)
        out += "</span>";
    if (plan.clip > 0)
        out += "</div>";
    if (!plan.href.empty())
        out += "</a>";
    if (plan.overflow.runs)
        out += "</div>";
    if (plan.note)
        appendNoteMarker(out, *plan.note);
    out += plan.header == CellFacts::Header::None ? "</td>" : "</th>";
}

} // namespace engine::web
