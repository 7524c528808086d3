#include "engine/formula/tokens/FormulaCells.h"

#include "engine/read/Limits.h"

#include <algorithm>
#include <limits>

namespace engine::formula::tokens {
namespace {

// The application starts the tokens of a volatile formula with a PtgAttrSemi.
bool startsVolatile(std::span<const std::uint8_t> tokens) {
    return tokens.size() >= 4 && tokens[0] == 0x19 && (tokens[1] & 0x01) != 0;
}

} // namespace

void FormulaCells::cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
                        std::span<const std::uint8_t> extra, bool alwaysCalc) {
    if (tokens.empty())
        return;
    if (tokens[0] == 0x01) { // PtgExp: only a pointer at the group's anchor
        DecodeContext context;
        context.dialect = dialect_;
        const Decoded decoded = decodeTokens(tokens, extra, context);
        if (decoded.kind == Decoded::Kind::Shared)
            pointers_.push_back({row, col, decoded.expRow, decoded.expCol});
        volatile_ = volatile_ || alwaysCalc;
        return;
    }
    if (arena_.size() + tokens.size() + extra.size() > std::numeric_limits<std::uint32_t>::max())
        return;
    volatile_ = volatile_ || alwaysCalc || startsVolatile(tokens);
    entries_.push_back({row, col, static_cast<std::uint32_t>(arena_.size()),
                        static_cast<std::uint32_t>(tokens.size()),
                        static_cast<std::uint32_t>(extra.size())});
    arena_.insert(arena_.end(), tokens.begin(), tokens.end());
    arena_.insert(arena_.end(), extra.begin(), extra.end());
}

void FormulaCells::group(const Range& range, bool isArray, std::span<const std::uint8_t> tokens,
                         std::span<const std::uint8_t> extra) {
    if (tokens.empty() || range.lastRow < range.firstRow || range.lastCol < range.firstCol ||
        groups_.size() >= limits::maxFormulaGroups)
        return;
    volatile_ = volatile_ || startsVolatile(tokens);
    Group g;
    g.range = range;
    g.array = isArray;
    g.tokens.assign(tokens.begin(), tokens.end());
    g.extra.assign(extra.begin(), extra.end());
    groups_.try_emplace({range.firstRow, range.firstCol}, std::move(g));
}

CellFormula* FormulaCells::add(std::vector<CellFormula>& formulas, std::uint32_t row,
                               std::uint16_t col, std::span<const std::uint8_t> tokens,
                               std::span<const std::uint8_t> extra) const {
    DecodeContext context;
    context.dialect = dialect_;
    context.row = row;
    context.col = col;
    context.links = links_;
    Decoded decoded = decodeTokens(tokens, extra, context);
    if (decoded.kind != Decoded::Kind::Formula)
        return nullptr;
    CellFormula& f = formulas.emplace_back();
    f.row = row;
    f.col = col;
    f.hasResult = true; // a formula record of the binary formats always holds a result
    f.text = std::move(decoded.text);
    return &f;
}

void FormulaCells::finish(Sheet& sheet) {
    std::vector<CellFormula> formulas;
    formulas.reserve(entries_.size() + pointers_.size());
    const std::span<const std::uint8_t> arena(arena_);
    for (const Entry& e : entries_)
        add(formulas, e.row, e.col, arena.subspan(e.at, e.tokenBytes),
            arena.subspan(e.at + e.tokenBytes, e.extraBytes));
    for (const Pointer& p : pointers_) {
        const auto found = groups_.find({p.anchorRow, p.anchorCol});
        if (found == groups_.end() || !found->second.range.contains(p.row, p.col))
            continue;
        const Group& g = found->second;
        if (!g.array) {
            // The tokens of a shared formula count from the cell that uses them.
            add(formulas, p.row, p.col, g.tokens, g.extra);
        } else if (p.row == g.range.firstRow && p.col == g.range.firstCol) {
            // The other cells of an array formula show what the anchor computes.
            if (CellFormula* f = add(formulas, p.row, p.col, g.tokens, g.extra)) {
                f->array = true;
                f->arrayRange = g.range;
            }
        }
    }
    *this = FormulaCells(links_, dialect_);
    std::stable_sort(formulas.begin(), formulas.end(),
                     [](const CellFormula& a, const CellFormula& b) {
                         return a.row != b.row ? a.row < b.row : a.col < b.col;
                     });
    sheet.formulas = std::move(formulas);
}

FormulaCells& WorkbookFormulas::sheet(std::size_t index) {
    return sheets_.emplace_back(index, FormulaCells(links_, dialect_)).second;
}

void WorkbookFormulas::finish(Workbook& workbook, FormulaText text) {
    bool wanted = text == FormulaText::Always || workbook.fullCalcOnLoad;
    for (const auto& [index, cells] : sheets_)
        wanted = wanted || cells.hasVolatile();
    for (auto& [index, cells] : sheets_)
        if (wanted && index < workbook.sheets.size() &&
            workbook.sheets[index].kind == SheetKind::Worksheet)
            cells.finish(workbook.sheets[index]);
    sheets_.clear();
}

} // namespace engine::formula::tokens
