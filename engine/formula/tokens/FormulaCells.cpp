#include "engine/formula/tokens/FormulaCells.h"

#include <algorithm>

namespace engine::formula::tokens {
namespace {

// One group per cell at most; a sheet has no more anchors than cells.
constexpr std::size_t maxGroups = 1u << 22;

} // namespace

void FormulaCells::cell(std::uint32_t row, std::uint16_t col, std::span<const std::uint8_t> tokens,
                        std::span<const std::uint8_t> extra) {
    if (!tokens.empty())
        add(row, col, tokens, extra, true);
}

void FormulaCells::group(const Range& range, bool isArray, std::span<const std::uint8_t> tokens,
                         std::span<const std::uint8_t> extra) {
    if (tokens.empty() || range.lastRow < range.firstRow || range.lastCol < range.firstCol ||
        groups_.size() >= maxGroups)
        return;
    Group g;
    g.range = range;
    g.array = isArray;
    g.tokens.assign(tokens.begin(), tokens.end());
    g.extra.assign(extra.begin(), extra.end());
    groups_.try_emplace({range.firstRow, range.firstCol}, std::move(g));
}

CellFormula* FormulaCells::add(std::uint32_t row, std::uint16_t col,
                               std::span<const std::uint8_t> tokens,
                               std::span<const std::uint8_t> extra, bool mayPoint) {
    DecodeContext context;
    context.dialect = dialect_;
    context.row = row;
    context.col = col;
    context.links = links_;
    Decoded decoded = decodeTokens(tokens, extra, context);
    if (decoded.kind == Decoded::Kind::Shared && mayPoint)
        pointers_.push_back({row, col, decoded.expRow, decoded.expCol});
    if (decoded.kind != Decoded::Kind::Formula)
        return nullptr;
    CellFormula& f = formulas_.emplace_back();
    f.row = row;
    f.col = col;
    f.hasResult = true; // a formula record of the binary formats always holds a result
    f.text = std::move(decoded.text);
    return &f;
}

void FormulaCells::finish(Sheet& sheet) {
    for (const Pointer& p : pointers_) {
        const auto found = groups_.find({p.anchorRow, p.anchorCol});
        if (found == groups_.end() || !found->second.range.contains(p.row, p.col))
            continue;
        const Group& g = found->second;
        if (!g.array) {
            // The tokens of a shared formula count from the cell that uses them.
            add(p.row, p.col, g.tokens, g.extra, false);
        } else if (p.row == g.range.firstRow && p.col == g.range.firstCol) {
            // The other cells of an array formula show what the anchor computes.
            if (CellFormula* f = add(p.row, p.col, g.tokens, g.extra, false)) {
                f->array = true;
                f->arrayRange = g.range;
            }
        }
    }
    pointers_.clear();
    groups_.clear();
    std::stable_sort(formulas_.begin(), formulas_.end(),
                     [](const CellFormula& a, const CellFormula& b) {
                         return a.row != b.row ? a.row < b.row : a.col < b.col;
                     });
    sheet.formulas = std::move(formulas_);
    formulas_.clear();
}

} // namespace engine::formula::tokens
