#include "engine/formula/tokens/FormulaCells.h"

#include "engine/base/Limits.h"

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
                        std::span<const std::uint8_t> extra, bool alwaysCalc, bool dynamic) {
    if (tokens.empty())
        return;
    if (tokens[0] == 0x01) { // PtgExp: only a pointer at the group's anchor
        DecodeContext context;
        context.dialect = dialect_;
        const Decoded decoded = decodeTokens(tokens, extra, context);
        if (decoded.kind == Decoded::Kind::Shared)
            pointers_.push_back({row, col, decoded.expRow, decoded.expCol, dynamic});
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

Decoded FormulaCells::decode(std::uint32_t row, std::uint16_t col,
                             std::span<const std::uint8_t> tokens,
                             std::span<const std::uint8_t> extra) const {
    DecodeContext context;
    context.dialect = dialect_;
    context.row = row;
    context.col = col;
    context.links = links_;
    return decodeTokens(tokens, extra, context);
}

CellFormula* FormulaCells::add(std::vector<CellFormula>& formulas, std::uint32_t row,
                               std::uint16_t col, Decoded decoded) {
    if (decoded.kind != Decoded::Kind::Formula)
        return nullptr;
    CellFormula& f = formulas.emplace_back();
    f.row = row;
    f.col = col;
    f.hasResult = true; // a formula record of the binary formats always holds a result
    f.text = std::move(decoded.text);
    return &f;
}

namespace {

// Whether the text decoded at (row, col) names, once the calculator shifts its relative parts
// to any cell of `users`, the cells the tokens name there. The tokens wrap at the grid's edge
// where a shifted text runs off it, so every relative part must stay on the grid.
bool movesAlike(const Reach& reach, std::uint32_t row, std::uint32_t col, const Range& users,
                Dialect dialect) {
    if (reach.pinned)
        return false;
    const std::int64_t lastRow = dialect == Dialect::Biff8 ? 0xFFFF : 0xFFFFF;
    const std::int64_t lastCol = dialect == Dialect::Biff8 ? 0xFF : 0x3FFF;
    const auto stays = [](std::uint32_t low, std::uint32_t high, std::int64_t from,
                          std::int64_t first, std::int64_t last, std::int64_t edge) {
        return low > high || (low + (first - from) >= 0 && high + (last - from) <= edge);
    };
    return stays(reach.rowLow, reach.rowHigh, row, users.firstRow, users.lastRow, lastRow) &&
           stays(reach.colLow, reach.colHigh, col, users.firstCol, users.lastCol, lastCol);
}

} // namespace

void FormulaCells::decide(Group& g, std::vector<CellFormula>& formulas,
                          std::uint32_t& nextIndex) const {
    const Pointer& at = pointers_[g.source];
    Decoded decoded = decode(at.row, at.col, g.tokens, g.extra);
    // A text near the size bound may pass it at a cell whose row numbers are longer.
    const bool shared = decoded.kind == Decoded::Kind::Formula && !decoded.text.empty() &&
                        decoded.text.size() <= limits::maxFormulaTextBytes / 2 &&
                        movesAlike(decoded.reach, at.row, at.col, g.users, dialect_);
    g.form = shared ? Group::Form::Shared : Group::Form::EachCell;
    if (CellFormula* f = add(formulas, at.row, at.col, std::move(decoded)); f && shared) {
        f->sharedIndex = nextIndex;
        g.index = nextIndex++;
    }
}

void FormulaCells::finish(Sheet& sheet) {
    std::vector<CellFormula> formulas;
    formulas.reserve(entries_.size() + pointers_.size());
    const std::span<const std::uint8_t> arena(arena_);
    for (const Entry& e : entries_)
        add(formulas, e.row, e.col,
            decode(e.row, e.col, arena.subspan(e.at, e.tokenBytes),
                   arena.subspan(e.at + e.tokenBytes, e.extraBytes)));
    const std::size_t own = formulas.size();
    // Each pointer's group, and the cells that use each group.
    std::vector<Group*> groupOf(pointers_.size(), nullptr);
    for (std::size_t i = 0; i < pointers_.size(); ++i) {
        const Pointer& p = pointers_[i];
        const auto found = groups_.find({p.anchorRow, p.anchorCol});
        if (found == groups_.end() || !found->second.range.contains(p.row, p.col))
            continue;
        Group& g = found->second;
        groupOf[i] = &g;
        const bool atAnchor = p.row == g.range.firstRow && p.col == g.range.firstCol;
        if (g.source == Group::none) {
            g.source = i;
            g.users = Range{p.row, p.row, p.col, p.col};
            continue;
        }
        const Pointer& source = pointers_[g.source];
        if (atAnchor && !(source.row == g.range.firstRow && source.col == g.range.firstCol))
            g.source = i;
        g.users.firstRow = std::min(g.users.firstRow, p.row);
        g.users.lastRow = std::max(g.users.lastRow, p.row);
        g.users.firstCol = std::min(g.users.firstCol, p.col);
        g.users.lastCol = std::max(g.users.lastCol, p.col);
    }
    std::uint32_t nextIndex = 0;
    for (std::size_t i = 0; i < pointers_.size(); ++i) {
        if (!groupOf[i])
            continue;
        Group& g = *groupOf[i];
        const Pointer& p = pointers_[i];
        if (g.array) {
            // The other cells of an array formula show what the anchor computes.
            if (p.row == g.range.firstRow && p.col == g.range.firstCol)
                if (CellFormula* f =
                        add(formulas, p.row, p.col, decode(p.row, p.col, g.tokens, g.extra))) {
                    f->array = true;
                    f->dynamic = p.dynamic;
                    f->arrayRange = g.range;
                }
            continue;
        }
        if (g.form == Group::Form::Undecided)
            decide(g, formulas, nextIndex);
        if (i == g.source)
            continue;
        if (g.form == Group::Form::Shared) {
            CellFormula& f = formulas.emplace_back();
            f.row = p.row;
            f.col = p.col;
            f.hasResult = true;
            f.sharedIndex = g.index;
        } else {
            // The tokens of a shared formula count from the cell that uses them.
            add(formulas, p.row, p.col, decode(p.row, p.col, g.tokens, g.extra));
        }
    }
    *this = FormulaCells(links_, dialect_);
    // The cells with tokens of their own and those pointing at a group each come in reading
    // order as a rule: merging the two costs one pass where sorting the whole costs many.
    const auto before = [](const CellFormula& a, const CellFormula& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    };
    const auto middle = formulas.begin() + static_cast<std::ptrdiff_t>(own);
    if (!std::is_sorted(formulas.begin(), middle, before))
        std::stable_sort(formulas.begin(), middle, before);
    if (!std::is_sorted(middle, formulas.end(), before))
        std::stable_sort(middle, formulas.end(), before);
    std::inplace_merge(formulas.begin(), middle, formulas.end(), before);
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
