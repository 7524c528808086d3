#include "engine/formula/R1C1Reference.h"

#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace engine::formula {
namespace {

bool isLetter(char c, char upper) {
    return util::asciiUpper(c) == upper;
}

// One axis of a corner: "R5" absolute, "R[-2]" relative, a bare "R" the caller's own row.
// Moves `at` past what it read; false when the letter is there but what follows is malformed
// or the position falls outside [0, limit].
struct Axis {
    bool present = false;
    std::int64_t position = 0;
};

bool readAxis(std::string_view text, std::size_t& at, char letter, std::uint32_t origin,
              std::uint32_t limit, Axis& out) {
    if (at >= text.size() || !isLetter(text[at], letter))
        return true;
    ++at;
    out.present = true;
    const auto digits = [&](std::int64_t& value) {
        const std::size_t first = at;
        value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
               at - first < 8)
            value = value * 10 + (text[at++] - '0');
        return at > first;
    };
    if (at < text.size() && text[at] == '[') {
        ++at;
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            negative = text[at++] == '-';
        std::int64_t offset = 0;
        if (!digits(offset) || at >= text.size() || text[at] != ']')
            return false;
        ++at;
        out.position = std::int64_t{origin} + (negative ? -offset : offset);
    } else if (std::int64_t n = 0; digits(n)) {
        out.position = n - 1;
    } else {
        out.position = origin;
    }
    return out.position >= 0 && out.position <= std::int64_t{limit};
}

struct Corner {
    Axis row, col;
};

bool readCorner(std::string_view text, std::size_t& at, const ParseContext& context, Corner& out) {
    return readAxis(text, at, 'R', context.row, maxRow, out.row) &&
           readAxis(text, at, 'C', context.col, maxCol, out.col) &&
           (out.row.present || out.col.present);
}

// The sheet a "Name!" or "'Quoted ''name'''!" prefix names; the caller's when there is none.
std::optional<std::uint32_t> readSheet(std::string_view& text, const ParseContext& context) {
    const std::size_t bang = text.rfind('!');
    if (bang == std::string_view::npos)
        return context.sheet;
    const std::string name = sheetNameOf(text.substr(0, bang));
    text.remove_prefix(bang + 1);
    if (name.empty() || !context.findSheet)
        return std::nullopt;
    return context.findSheet(name);
}

} // namespace

std::optional<Reference> parseR1C1(std::string_view text, const ParseContext& context) {
    const auto sheet = readSheet(text, context);
    if (!sheet)
        return std::nullopt;
    std::size_t at = 0;
    Corner first, last;
    if (!readCorner(text, at, context, first))
        return std::nullopt;
    if (at < text.size() && text[at] == ':') {
        ++at;
        if (!readCorner(text, at, context, last) || last.row.present != first.row.present ||
            last.col.present != first.col.present)
            return std::nullopt;
    } else {
        last = first;
    }
    if (at != text.size())
        return std::nullopt;
    Reference r;
    r.firstSheet = r.lastSheet = *sheet;
    // A corner without a row spans whole columns; one without a column, whole rows.
    const auto span = [](const Axis& a, const Axis& b, std::uint32_t limit, std::uint32_t& lo,
                         std::uint32_t& hi) {
        if (!a.present) {
            lo = 0;
            hi = limit;
            return;
        }
        lo = static_cast<std::uint32_t>(std::min(a.position, b.position));
        hi = static_cast<std::uint32_t>(std::max(a.position, b.position));
    };
    span(first.row, last.row, maxRow, r.firstRow, r.lastRow);
    span(first.col, last.col, maxCol, r.firstCol, r.lastCol);
    return r;
}

} // namespace engine::formula
