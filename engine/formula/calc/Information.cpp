// The functions that tell about the workbook rather than compute: AREAS, CELL, INFO, SHEET,
// SHEETS and FORMULATEXT. They answer what a converter can know from the file alone, the same on
// every machine: nothing of the machine, its folders or its memory.
#include "engine/formula/CellFormatCode.h"
#include "engine/formula/FormulaText.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"
#include "engine/numfmt/BuiltinFormats.h"

#include <cmath>

namespace engine::formula::calc {
namespace {

std::string columnLetters(std::uint32_t col) {
    std::string out;
    for (std::uint32_t n = col + 1; n > 0; n = (n - 1) / 26) {
        out.insert(out.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return out;
}

bool needsQuotes(std::string_view name) {
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' &&
            static_cast<unsigned char>(c) < 0x80) {
            return true;
        }
    }
    return name.empty() || std::isdigit(static_cast<unsigned char>(name[0]));
}

std::string quotedSheet(std::string_view name) {
    if (!needsQuotes(name)) {
        return std::string(name);
    }
    std::string out = "'";
    for (char c : name) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

Operand fail(CellError e = CellError::Value) {
    return Operand::of(Value::fail(e));
}

} // namespace

std::optional<std::string> Calculation::formulaTextAt(std::uint32_t sheet, std::uint32_t row,
                                                      std::uint32_t col) const {
    if (sheet >= wb_.sheets.size()) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> id = formulaAt(sheet, row, col);
    bool braces = false;
    if (const auto anchor = arrayAnchorOf(sheet, row, col)) {
        const CellFormula& f = wb_.sheets[sheet].formulas[states_[*anchor].index];
        // A legacy array formula shows in braces in each cell it covers; a spilled one only
        // in its anchor.
        if (!f.dynamic) {
            id = anchor;
            braces = true;
        }
    }
    if (!id) {
        return std::nullopt;
    }
    const CellFormula& formula = wb_.sheets[sheet].formulas[states_[*id].index];
    const CellFormula* source = textSource(sheet, formula);
    if (!source || source->openDocument) {
        return std::nullopt;
    }
    std::string text =
        "=" + shownFormula(source->text, std::int64_t{formula.row} - std::int64_t{source->row},
                           std::int64_t{formula.col} - std::int64_t{source->col});
    return braces ? "{" + text + "}" : text;
}

Operand Calculation::information(const Node& node, const Frame& frame) {
    const std::string& f = node.text;
    const auto& args = node.children;
    const std::size_t n = args.size();
    const auto missing = [&](std::size_t i) {
        return i >= n || args[i]->kind == Node::Kind::Missing;
    };
    // The reference argument `i`: its first area, or the error to answer.
    const auto reference = [&](std::size_t i, Reference& out) -> std::optional<Operand> {
        const Operand o = eval(*args[i], frame);
        if (o.kind != Operand::Kind::Refs || o.refs.empty()) {
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : fail();
        }
        out = o.refs.front();
        if (out.firstSheet >= wb_.sheets.size()) {
            return fail(CellError::Ref);
        }
        return std::nullopt;
    };

    if (f == "AREAS") {
        if (n != 1) {
            return fail();
        }
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs) {
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : fail();
        }
        // A reference through several sheets is an area on each.
        double areas = 0;
        for (const Reference& r : o.refs) {
            areas += r.lastSheet - r.firstSheet + 1;
        }
        return Operand::of(Value::of(areas));
    }
    if (f == "SHEETS") {
        if (n > 1) {
            return fail();
        }
        if (missing(0)) {
            return Operand::of(Value::of(double(wb_.sheets.size())));
        }
        Reference r;
        if (auto e = reference(0, r)) {
            return *e;
        }
        return Operand::of(Value::of(double(r.lastSheet - r.firstSheet + 1)));
    }
    if (f == "SHEET") {
        if (n > 1) {
            return fail();
        }
        if (missing(0)) {
            return Operand::of(Value::of(double(frame.sheet + 1)));
        }
        const Operand o = eval(*args[0], frame);
        if (o.kind == Operand::Kind::Refs && !o.refs.empty()) {
            return Operand::of(Value::of(double(o.refs.front().firstSheet + 1)));
        }
        const Value v = scalar(o, frame);
        if (v.isError()) {
            return Operand::of(v);
        }
        // A text names a sheet; anything else names none.
        if (v.kind == ValueKind::Text) {
            for (std::size_t i = 0; i < wb_.sheets.size(); ++i) {
                if (upper(wb_.sheets[i].name) == upper(v.text)) {
                    return Operand::of(Value::of(double(i + 1)));
                }
            }
        }
        return fail(CellError::NA);
    }
    if (f == "FORMULATEXT") {
        if (n != 1) {
            return fail();
        }
        Reference r;
        if (auto e = reference(0, r)) {
            return *e;
        }
        const auto text = formulaTextAt(r.firstSheet, r.firstRow, r.firstCol);
        return text ? Operand::of(Value::of(*text)) : fail(CellError::NA);
    }
    if (f == "INFO") {
        if (n != 1) {
            return fail();
        }
        const Value type = toText(scalar(eval(*args[0], frame), frame));
        if (type.isError()) {
            return Operand::of(type);
        }
        const std::string t = upper(type.text);
        if (t == "NUMFILE") {
            double worksheets = 0;
            for (const Sheet& s : wb_.sheets) {
                worksheets += s.kind == SheetKind::Worksheet;
            }
            return Operand::of(Value::of(worksheets));
        }
        if (t == "ORIGIN") {
            return Operand::of(Value::of(std::string("$A:$A$1")));
        }
        if (t == "RECALC") {
            return Operand::of(Value::of(std::string("Automatic")));
        }
        // The machine's folders, system and memory stay private: the page would otherwise
        // differ from one converting machine to the next.
        if (t == "DIRECTORY" || t == "OSVERSION" || t == "SYSTEM" || t == "RELEASE" ||
            t == "MEMAVAIL" || t == "MEMUSED" || t == "TOTMEM") {
            return fail(CellError::NA);
        }
        return fail();
    }
    if (f == "CELL") {
        if (n < 1 || n > 2) {
            return fail();
        }
        const Value type = scalar(eval(*args[0], frame), frame);
        if (type.isError()) {
            return Operand::of(type);
        }
        if (type.kind != ValueKind::Text) {
            return fail();
        }
        const std::string t = upper(type.text);
        // Without a reference, the formula's own cell: the one a recalculation last changed.
        Reference r{frame.sheet, frame.sheet, frame.row, frame.row, frame.col, frame.col};
        if (!missing(1)) {
            if (auto e = reference(1, r)) {
                return *e;
            }
        }
        const Sheet& sheet = wb_.sheets[r.firstSheet];
        const Cell* cell = sheet.cellAt(r.firstRow, static_cast<std::uint16_t>(r.firstCol));
        const CellFormat* format = cell && cell->format < wb_.cellFormats.size()
                                       ? &wb_.cellFormats[cell->format]
                                       : nullptr;
        if (t == "ADDRESS") {
            std::string a = "$" + columnLetters(r.firstCol) + "$" + std::to_string(r.firstRow + 1);
            if (r.firstSheet != frame.sheet) {
                a = quotedSheet(sheet.name) + "!" + a;
            }
            return Operand::of(Value::of(a));
        }
        if (t == "COL" || t == "ROW") {
            return Operand::of(Value::of(double((t == "COL" ? r.firstCol : r.firstRow) + 1)));
        }
        if (t == "CONTENTS" || t == "TYPE") {
            const Value v = cellValue(r.firstSheet, r.firstRow, r.firstCol);
            if (t == "CONTENTS") {
                return Operand::of(v);
            }
            const char* kind = v.kind == ValueKind::Blank  ? "b"
                               : v.kind == ValueKind::Text ? "l"
                                                           : "v";
            return Operand::of(Value::of(std::string(kind)));
        }
        if (t == "PREFIX") {
            const Value v = cellValue(r.firstSheet, r.firstRow, r.firstCol);
            std::string prefix;
            if (v.kind == ValueKind::Text && format) {
                switch (format->alignment.horizontal) {
                case HAlign::Left:
                    prefix = "'";
                    break;
                case HAlign::Right:
                    prefix = "\"";
                    break;
                case HAlign::Center:
                    prefix = "^";
                    break;
                case HAlign::Fill:
                    prefix = "\\";
                    break;
                default:
                    break;
                }
            }
            return Operand::of(Value::of(prefix));
        }
        if (t == "FILENAME") {
            // The file's own path would tell where it lay on the converting machine; the
            // application answers "" for a workbook never saved, and so does the page.
            return Operand::of(Value::of(std::string()));
        }
        if (t == "WIDTH") {
            double width = sheet.defaultColumnWidth;
            for (const ColumnInfo& c : sheet.columns) {
                if (r.firstCol >= c.firstCol && r.firstCol <= c.lastCol) {
                    width = c.width;
                }
            }
            // The width counts characters without the cell's padding.
            return Operand::of(Value::of(std::round(std::max(0.0, width - 0.71))));
        }
        if (t == "FORMAT" || t == "COLOR" || t == "PARENTHESES") {
            const FormatFacts facts =
                formatFacts(numfmt::formatCodeFor(wb_, format ? format->numFmtId : 0));
            if (t == "FORMAT") {
                return Operand::of(Value::of(facts.code));
            }
            return Operand::of(
                Value::of((t == "COLOR" ? facts.negativeColor : facts.parentheses) ? 1.0 : 0.0));
        }
        if (t == "PROTECT") {
            return Operand::of(Value::of(1.0)); // cells are locked unless a format says not
        }
        return fail();
    }
    return fail(CellError::Name);
}

} // namespace engine::formula::calc
