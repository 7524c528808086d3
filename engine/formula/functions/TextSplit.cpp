// TEXTBEFORE and TEXTAFTER: the text on one side of the n-th delimiter; TEXTSPLIT: the text cut
// at its delimiters into a block.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/TextUnits.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace engine::formula::functions {
namespace {

// (text, delimiter, [instance], [match_mode], [match_end], [if_not_found])
template <bool After> Value textAround(Args args, CallContext& c) {
    Reader r(args, c);
    const std::u16string text = toUtf16(r.text(0));
    const std::u16string delimiter = toUtf16(r.text(1));
    // The instance is rounded down, so -1.2 counts two from the end.
    const double instance = r.given(2) ? std::floor(r.number(2)) : 1;
    const double matchMode = r.given(3) ? std::trunc(r.number(3)) : 0;
    const double matchEnd = r.given(4) ? std::trunc(r.number(4)) : 0;
    if (r.failed()) {
        return r.error();
    }
    const bool folded = matchMode == 1, endCounts = matchEnd == 1;
    // An instance given that the text has no room for, even delimiters overlapping, is
    // #VALUE!; one left out merely finds nothing.
    const double room =
        static_cast<double>(text.size()) - static_cast<double>(delimiter.size()) + 1;
    if (instance == 0 || (r.given(2) && std::fabs(instance) > room) ||
        (matchMode != 0 && matchMode != 1) || (matchEnd != 0 && matchEnd != 1)) {
        return Value::fail(CellError::Value);
    }
    const std::u16string hay = folded ? lower(text) : text;
    const std::u16string needle = folded ? lower(delimiter) : delimiter;
    // Where each delimiter starts, counted from the end for a negative instance.
    std::vector<std::size_t> starts;
    const std::size_t wanted = static_cast<std::size_t>(std::fabs(instance));
    if (instance > 0) {
        for (std::size_t at = 0; starts.size() < wanted && at <= hay.size();) {
            const std::size_t found = hay.find(needle, at);
            if (found == std::u16string::npos) {
                break;
            }
            starts.push_back(found);
            at = found + std::max<std::size_t>(needle.size(), 1);
        }
    } else {
        for (std::size_t end = hay.size(); starts.size() < wanted;) {
            if (end < needle.size()) {
                break;
            }
            const std::size_t found = hay.rfind(needle, end - needle.size());
            if (found == std::u16string::npos) {
                break;
            }
            starts.push_back(found);
            if (found == 0) {
                break;
            }
            end = needle.empty() ? found - 1 : found;
        }
    }
    std::size_t start = 0, width = needle.size();
    if (starts.size() == wanted) {
        start = starts.back();
    } else if (endCounts && starts.size() + 1 == wanted) {
        // The end of the text (or its start, counting back) stands for one more delimiter.
        start = instance > 0 ? text.size() : 0;
        width = 0;
    } else if (r.given(5)) {
        const Value fallback = r.value(5);
        return fallback.kind == ValueKind::Blank ? Value::of(std::string()) : fallback;
    } else {
        return Value::fail(CellError::NA);
    }
    const std::u16string part =
        After ? text.substr(std::min(text.size(), start + width)) : text.substr(0, start);
    return Value::of(toUtf8(part));
}

// The delimiters argument `i` gives: one text or a block of texts, the empty ones left out;
// none when it is left out. False with `error` set for an error among them.
bool delimitersOf(Args args, std::size_t i, CallContext& c, bool folded,
                  std::vector<std::u16string>& out, Value& error) {
    if (i >= args.size() || args[i].kind == Arg::Kind::Missing)
        return true;
    const std::optional<Block> block = readBlock(args[i], c, error);
    if (!block)
        return false;
    for (const Value& v : block->values) {
        if (v.isError()) {
            error = v;
            return false;
        }
        const Value text = toText(v);
        std::u16string units = toUtf16(text.text);
        if (!units.empty())
            out.push_back(folded ? lower(units) : std::move(units));
    }
    return true;
}

// `text` cut where any of `delimiters` (searched in `hay`, its folded copy) stands: at each
// place the earliest delimiter, the longest of those starting there.
std::vector<std::u16string_view> pieces(std::u16string_view text, std::u16string_view hay,
                                        const std::vector<std::u16string>& delimiters,
                                        bool dropEmpty) {
    std::vector<std::u16string_view> out;
    std::size_t from = 0;
    while (true) {
        std::size_t at = std::u16string_view::npos, width = 0;
        for (const std::u16string& d : delimiters) {
            const std::size_t found = hay.find(d, from);
            if (found < at ||
                (found == at && found != std::u16string_view::npos && d.size() > width)) {
                at = found;
                width = d.size();
            }
        }
        const std::u16string_view piece = text.substr(from, std::min(at, text.size()) - from);
        if (!dropEmpty || !piece.empty())
            out.push_back(piece);
        if (at == std::u16string_view::npos)
            return out;
        from = at + width;
    }
}

// (text, col_delimiter, [row_delimiter], [ignore_empty], [match_mode], [pad_with])
ArrayValue textSplit(Args args, CallContext& c) {
    Reader r(args, c);
    const std::u16string text = toUtf16(r.text(0));
    const bool dropEmpty = r.given(3) && r.boolean(3);
    const bool folded = r.given(4) && r.number(4) != 0;
    const Value pad = r.given(5) ? r.value(5) : Value::fail(CellError::NA);
    if (r.failed())
        return single(r.error());
    Value error;
    std::vector<std::u16string> byCol, byRow;
    if (!delimitersOf(args, 1, c, folded, byCol, error) ||
        !delimitersOf(args, 2, c, folded, byRow, error))
        return single(error);
    if (byCol.empty() && byRow.empty())
        return single(Value::fail(CellError::Value));
    if (!c.chargeWork((text.size() + 1) * (byCol.size() + byRow.size())))
        return single(Value::fail(CellError::Value));
    const std::u16string hay = folded ? lower(text) : text;
    std::vector<std::vector<std::u16string_view>> rows;
    std::size_t width = 0;
    for (const std::u16string_view line : pieces(text, hay, byRow, dropEmpty)) {
        const std::size_t offset = static_cast<std::size_t>(line.data() - text.data());
        rows.push_back(
            pieces(line, std::u16string_view(hay).substr(offset, line.size()), byCol, dropEmpty));
        if (rows.back().empty() && dropEmpty)
            rows.pop_back();
        else
            width = std::max(width, rows.back().size());
    }
    // Everything was empty and left out: nothing to show.
    if (rows.empty() || width == 0)
        return single(Value::fail(CellError::Value));
    const std::uint64_t count = std::uint64_t{rows.size()} * width;
    if (count > limits::maxMatrixCells || !c.chargeWork(count))
        return single(Value::fail(CellError::Value));
    ArrayValue out{static_cast<std::uint32_t>(rows.size()), static_cast<std::uint32_t>(width), {}};
    out.values.reserve(static_cast<std::size_t>(count));
    for (const auto& row : rows)
        for (std::size_t k = 0; k < width; ++k)
            out.values.push_back(k < row.size() ? Value::of(toUtf8(row[k])) : pad);
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"TEXTAFTER", 2, 6, textAround<true>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"TEXTBEFORE", 2, 6, textAround<false>, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"TEXTSPLIT", 2, 6, nullptr, "sbbsss", 0, flag::ArraysAlways, textSplit, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> textSplitFunctions() {
    return table;
}

} // namespace engine::formula::functions
