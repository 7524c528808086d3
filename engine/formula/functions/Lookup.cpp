// Looking values up in tables: VLOOKUP, HLOOKUP, LOOKUP, MATCH, XLOOKUP, XMATCH, and ADDRESS.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Criteria.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/LookupIndex.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/Regex.h"
#include "engine/formula/functions/TextUnits.h"

#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace engine::formula::functions {
namespace {

constexpr std::uint32_t notFound = UINT32_MAX;
// Above this length an exact search visits the cells the block holds instead of stepping
// through positions, so that a whole-column reference costs only its filled cells.
constexpr std::uint32_t longLine = 65536;

// One row or column of a block, indexed from 0.
struct Line {
    const Grid& grid;
    bool vertical;
    std::uint32_t fixed; // the column of a vertical line, the row of a horizontal one
    std::uint32_t size() const { return vertical ? grid.rows() : grid.cols(); }
    Value at(std::uint32_t i) const { return vertical ? grid.at(i, fixed) : grid.at(fixed, i); }
};

bool sameKind(const Value& a, const Value& b) {
    return a.kind == b.kind || (a.kind == ValueKind::Blank && b.kind == ValueKind::Number);
}

struct Matcher {
    Value lookup;
    bool wildcard = false;
    std::u16string pattern;

    Matcher(const Value& v, bool allowWildcards) : lookup(v) {
        if (allowWildcards && v.kind == ValueKind::Text && hasWildcards(v.text)) {
            wildcard = true;
            pattern = toUtf16(v.text);
        }
    }
    bool equals(const Value& cell) const {
        if (cell.kind != lookup.kind) {
            return false;
        }
        if (wildcard) {
            return wildcardMatch(pattern, toUtf16(cell.text));
        }
        return compareValues(cell, lookup) == 0;
    }
};

// Lines shorter than this are scanned: building an index would cost more than it saves.
constexpr std::uint32_t indexedLine = 32;

std::optional<std::uint32_t> exactSearch(const Line& line, const Matcher& m, bool reverse,
                                         Budget& budget, CallContext& c) {
    std::uint32_t n = line.size();
    LookupIndexes* indexes = c.lookupIndexes();
    if (indexes && !m.wildcard && n >= indexedLine && line.grid.area()) {
        if (const auto* index =
                indexes->lineIndex(*line.grid.area(), line.vertical, line.fixed, c)) {
            const LookupIndexes::Positions* at = index->find(m.lookup);
            return at ? (reverse ? at->last : at->first) : notFound;
        }
    }
    if (n > longLine) {
        std::uint32_t found = notFound;
        bool ok = line.grid.forEach(budget, [&](std::uint32_t r, std::uint32_t c, const Value& v) {
            std::uint32_t along = line.vertical ? r : c;
            std::uint32_t across = line.vertical ? c : r;
            if (across == line.fixed && m.equals(v) &&
                (found == notFound || (reverse ? along > found : along < found))) {
                found = along;
            }
        });
        if (!ok) {
            return std::nullopt;
        }
        return found;
    }
    for (std::uint32_t k = 0; k < n; ++k) {
        if (!budget.take()) {
            return std::nullopt;
        }
        std::uint32_t i = reverse ? n - 1 - k : k;
        if (m.equals(line.at(i))) {
            return i;
        }
    }
    return notFound;
}

// Binary search of a sorted line for the last position whose value is <= `lookup` (or >= it
// when `descending`), among values of the lookup's kind. Blank cells count as past the end,
// which is where the unfilled part of a whole-column reference lies.
std::optional<std::uint32_t> binarySearch(const Line& line, const Value& lookup, bool descending,
                                          Budget& budget) {
    std::int64_t lo = 0, hi = static_cast<std::int64_t>(line.size()) - 1, best = -1;
    while (lo <= hi) {
        if (!budget.take()) {
            return std::nullopt;
        }
        std::int64_t mid = lo + (hi - lo) / 2;
        Value v = line.at(static_cast<std::uint32_t>(mid));
        // A gap of a few blanks inside the data is stepped over; a long run is taken to be
        // the empty rest of the line.
        for (std::int64_t k = mid + 1; v.kind == ValueKind::Blank && k <= hi && k <= mid + 8; ++k) {
            Value next = line.at(static_cast<std::uint32_t>(k));
            if (next.kind != ValueKind::Blank) {
                v = next;
                mid = k;
            }
        }
        int cmp = v.kind == ValueKind::Blank ? 1 : compareValues(v, lookup);
        if (descending && v.kind != ValueKind::Blank) {
            cmp = -cmp;
        }
        if (cmp <= 0) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    // Only a value of the lookup's own kind answers.
    for (int steps = 0; best >= 0 && steps < 1024; ++steps) {
        if (!budget.take()) {
            return std::nullopt;
        }
        if (sameKind(line.at(static_cast<std::uint32_t>(best)), lookup)) {
            return static_cast<std::uint32_t>(best);
        }
        --best;
    }
    return notFound;
}

// The common search of the lookup functions: `mode` 0 exact, 1 largest <= (sorted
// ascending), -1 smallest >= (sorted descending).
std::optional<std::uint32_t> search(const Line& line, const Value& lookup, int mode,
                                    CallContext& c) {
    Budget budget(c);
    if (mode == 0) {
        return exactSearch(line, Matcher(lookup, true), false, budget, c);
    }
    return binarySearch(line, lookup, mode < 0, budget);
}

Value lookupValue(Reader& r) {
    Value v = r.value(0);
    return v.kind == ValueKind::Blank ? Value::of(0.0) : v;
}

template <bool Vertical> Value tableLookup(Args args, CallContext& c) {
    Reader r(args, c);
    Value lookup = lookupValue(r);
    double index = std::trunc(r.number(2));
    bool approximate = r.given(3) ? r.boolean(3) : !r.has(3);
    if (r.failed()) {
        return r.error();
    }
    // A text is no table to look in; a single number or boolean is a table of one cell.
    if (args[1].kind == Arg::Kind::Scalar && args[1].value.kind == ValueKind::Text) {
        return Value::fail(CellError::Value);
    }
    Grid table(args[1], c);
    std::uint32_t span = Vertical ? table.cols() : table.rows();
    if (index > span) {
        return Value::fail(CellError::Ref);
    }
    Line keys{table, Vertical, 0};
    auto found = search(keys, lookup, approximate ? 1 : 0, c);
    if (!found) {
        return Value::fail(CellError::Value);
    }
    // The application looks before it checks the column: a key not found is #N/A even with a
    // column number below 1.
    if (*found == notFound) {
        return Value::fail(CellError::NA);
    }
    if (index < 1) {
        return Value::fail(CellError::Value);
    }
    auto k = static_cast<std::uint32_t>(index - 1);
    return Vertical ? table.at(*found, k) : table.at(k, *found);
}

// A block that must be a single row or column, as MATCH and XMATCH take.
std::optional<Line> lineOf(const Grid& g) {
    if (g.cols() == 1) {
        return Line{g, true, 0};
    }
    if (g.rows() == 1) {
        return Line{g, false, 0};
    }
    return std::nullopt;
}

Value match(Args args, CallContext& c) {
    Reader r(args, c);
    Value lookup = lookupValue(r);
    double type = r.number(2, 1);
    if (r.failed()) {
        return r.error();
    }
    Grid g(args[1], c);
    auto line = lineOf(g);
    if (!line) {
        return Value::fail(CellError::NA);
    }
    int mode = type > 0 ? 1 : (type < 0 ? -1 : 0);
    auto found = search(*line, lookup, mode, c);
    if (!found) {
        return Value::fail(CellError::Value);
    }
    return *found == notFound ? Value::fail(CellError::NA) : Value::of(*found + 1.0);
}

// A blank lookup value finds an empty cell, not a zero: the first (or last) one of the line.
std::optional<std::uint32_t> blankSearch(const Line& line, bool reverse, Budget& budget) {
    const std::uint32_t n = line.size();
    for (std::uint32_t k = 0; k < n; ++k) {
        if (!budget.take()) {
            return std::nullopt;
        }
        const std::uint32_t i = reverse ? n - 1 - k : k;
        if (line.at(i).kind == ValueKind::Blank) {
            return i;
        }
    }
    return notFound;
}

// The bisection of search_mode 2 (ascending) and -2 (descending). Descending data is searched
// from its end as ascending data is from its start: among equal values an ascending search
// finds the first, a descending one the last. It finds the first position not before `lookup`,
// then the asked neighbour when that is not equal; on unsorted data it lands where halving
// lands, as the application's does.
std::optional<std::uint32_t> bisect(const Line& line, const Value& lookup, int matchMode,
                                    bool descending, Budget& budget) {
    const std::uint32_t n = line.size();
    const auto at = [&](std::uint32_t k) { return line.at(descending ? n - 1 - k : k); };
    const auto position = [&](std::uint32_t k) { return descending ? n - 1 - k : k; };
    std::uint32_t lo = 0, hi = n;
    while (lo < hi) {
        if (!budget.take()) {
            return std::nullopt;
        }
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const Value v = at(mid);
        // Blanks and errors lie past the data whichever way it is sorted.
        const bool value = v.kind != ValueKind::Blank && !v.isError();
        if (value && compareValues(v, lookup) < 0) {
            lo = mid + 1;
        } else if (!value && descending) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    const Value found = lo < n ? at(lo) : Value::blank();
    const bool value = found.kind != ValueKind::Blank && !found.isError();
    if (value && compareValues(found, lookup) == 0) {
        return position(lo);
    }
    if (matchMode == 1 && value) {
        return position(lo);
    }
    if (matchMode == -1 && lo > 0) {
        const Value before = at(lo - 1);
        if (before.kind != ValueKind::Blank && !before.isError()) {
            return position(lo - 1);
        }
    }
    return notFound;
}

// XMATCH's search: match_mode 0 exact, -1 exact or next smaller, 1 exact or next larger,
// 2 wildcards, 3 a regular expression; search_mode 1 forwards, -1 backwards, 2 / -2 binary
// over ascending / descending data. `lookup` is the value as given: a blank one looks for an
// empty cell.
std::optional<std::uint32_t> xsearch(const Line& line, const Value& lookup, int matchMode,
                                     int searchMode, CallContext& c) {
    Budget budget(c);
    const bool reverse = searchMode == -1;
    if (lookup.kind == ValueKind::Blank) {
        return blankSearch(line, reverse, budget);
    }
    if (searchMode == 2 || searchMode == -2) {
        return bisect(line, lookup, matchMode, searchMode == -2, budget);
    }
    if (matchMode == 3) {
        const Value pattern = toText(lookup);
        const Regex regex(pattern.text, false);
        if (!regex.valid()) {
            return std::nullopt;
        }
        std::vector<Regex::Span> groups;
        const std::uint32_t n = line.size();
        for (std::uint32_t k = 0; k < n; ++k) {
            const std::uint32_t i = reverse ? n - 1 - k : k;
            const Value v = line.at(i);
            if (v.kind == ValueKind::Blank || v.isError()) {
                continue;
            }
            const Regex::Outcome outcome = regex.find(toText(v).text, 0, groups);
            if (!budget.take(regex.lastCost() + 1) || outcome == Regex::Outcome::Exhausted) {
                return std::nullopt;
            }
            if (outcome == Regex::Outcome::Match) {
                return i;
            }
        }
        return notFound;
    }
    Matcher m(lookup, matchMode == 2);
    if (matchMode == 0 || matchMode == 2) {
        return exactSearch(line, m, reverse, budget, c);
    }
    // The nearest value on the asked side, of any kind: past the largest number come texts,
    // then FALSE and TRUE.
    std::uint32_t n = line.size(), best = notFound;
    Value bestValue;
    for (std::uint32_t k = 0; k < n; ++k) {
        if (!budget.take()) {
            return std::nullopt;
        }
        std::uint32_t i = reverse ? n - 1 - k : k;
        Value v = line.at(i);
        if (v.kind == ValueKind::Blank || v.isError()) {
            continue;
        }
        int cmp = compareValues(v, lookup);
        if (cmp == 0) {
            return i;
        }
        bool side = matchMode < 0 ? cmp < 0 : cmp > 0;
        if (side && (best == notFound || (matchMode < 0 ? compareValues(v, bestValue) > 0
                                                        : compareValues(v, bestValue) < 0))) {
            best = i;
            bestValue = v;
        }
    }
    return best;
}

// The modes XMATCH and XLOOKUP take: wildcards and patterns only in a linear search.
bool validModes(int matchMode, int searchMode) {
    const bool linear = searchMode == 1 || searchMode == -1;
    return matchMode >= -1 && matchMode <= 3 && (linear || searchMode == 2 || searchMode == -2) &&
           (matchMode < 2 || linear);
}

Value xmatch(Args args, CallContext& c) {
    Reader r(args, c);
    Value lookup = r.value(0); // a left-out or empty one stays blank: it finds an empty cell
    auto matchMode = toInt(r.number(2, 0));
    auto searchMode = toInt(r.number(3, 1));
    if (r.failed()) {
        return r.error();
    }
    if (!validModes(matchMode, searchMode)) {
        return Value::fail(CellError::Value);
    }
    Grid g(args[1], c);
    auto line = lineOf(g);
    if (!line) {
        return Value::fail(CellError::Value);
    }
    auto found = xsearch(*line, lookup, matchMode, searchMode, c);
    if (!found) {
        return Value::fail(CellError::Value);
    }
    return *found == notFound ? Value::fail(CellError::NA) : Value::of(*found + 1.0);
}

// XLOOKUP answers with one value: where the return block is wider than one line, the first
// value of the row (or column) found.
Value xlookup(Args args, CallContext& c) {
    Reader r(args, c);
    Value lookup = r.value(0); // a left-out or empty one stays blank: it finds an empty cell
    auto matchMode = toInt(r.number(4, 0));
    auto searchMode = toInt(r.number(5, 1));
    if (r.failed()) {
        return r.error();
    }
    if (!validModes(matchMode, searchMode)) {
        return Value::fail(CellError::Value);
    }
    Grid keys(args[1], c), results(args[2], c);
    auto line = lineOf(keys);
    if (!line) {
        return Value::fail(CellError::Value);
    }
    if ((line->vertical ? results.rows() : results.cols()) != line->size()) {
        return Value::fail(CellError::Value);
    }
    auto found = xsearch(*line, lookup, matchMode, searchMode, c);
    if (!found) {
        return Value::fail(CellError::Value);
    }
    if (*found == notFound) {
        if (r.given(3)) {
            return r.value(3);
        }
        return Value::fail(CellError::NA);
    }
    return line->vertical ? results.at(*found, 0) : results.at(0, *found);
}

// LOOKUP(value, vector, [result]) and LOOKUP(value, array): always the approximate search.
Value lookup(Args args, CallContext& c) {
    Reader r(args, c);
    Value value = lookupValue(r);
    if (r.failed()) {
        return r.error();
    }
    Grid g(args[1], c);
    bool vertical = g.rows() >= g.cols();
    Line keys{g, vertical, 0};
    auto found = search(keys, value, 1, c);
    if (!found) {
        return Value::fail(CellError::Value);
    }
    if (*found == notFound) {
        return Value::fail(CellError::NA);
    }
    if (args.size() < 3) {
        return vertical ? g.at(*found, g.cols() - 1) : g.at(g.rows() - 1, *found);
    }
    Grid result(args[2], c);
    if (result.cols() == 1) {
        return result.at(*found, 0);
    }
    return result.at(0, *found);
}

std::string columnLetters(std::uint32_t col) {
    std::string s;
    for (++col; col > 0; col = (col - 1) / 26) {
        s.insert(s.begin(), static_cast<char>('A' + (col - 1) % 26));
    }
    return s;
}

std::string quotedSheet(const std::string& sheet) {
    bool plain = !sheet.empty() && !(sheet[0] >= '0' && sheet[0] <= '9');
    for (char ch : sheet) {
        auto u = static_cast<unsigned char>(ch);
        if (!(std::isalnum(u) || ch == '_' || ch == '.' || u >= 0x80)) {
            plain = false;
        }
    }
    if (plain) {
        return sheet + "!";
    }
    std::string q = "'";
    for (char ch : sheet) {
        q += ch;
        if (ch == '\'') {
            q += '\'';
        }
    }
    return q + "'!";
}

Value address(Args args, CallContext& c) {
    Reader r(args, c);
    double row = std::trunc(r.number(0));
    double col = std::trunc(r.number(1));
    auto absMode = toInt(r.number(2, 1));
    bool a1 = r.boolean(3, true);
    if (r.has(3) && !r.given(3)) {
        a1 = true; // ADDRESS(1,1,1,) reads as A1 style
    }
    std::string sheet = r.given(4) ? r.text(4) : std::string();
    if (r.failed()) {
        return r.error();
    }
    if (row < 1 || row > 1048576 || col < 1 || col > 16384 || absMode < 1 || absMode > 4) {
        return Value::fail(CellError::Value);
    }
    bool absRow = absMode == 1 || absMode == 2;
    bool absCol = absMode == 1 || absMode == 3;
    auto rowN = static_cast<std::uint32_t>(row), colN = static_cast<std::uint32_t>(col);
    std::string out = r.given(4) ? quotedSheet(sheet) : std::string();
    if (a1) {
        out += (absCol ? "$" : "") + columnLetters(colN - 1) + (absRow ? "$" : "") +
               std::to_string(rowN);
    } else {
        out += absRow ? "R" + std::to_string(rowN) : "R[" + std::to_string(rowN) + "]";
        out += absCol ? "C" + std::to_string(colN) : "C[" + std::to_string(colN) + "]";
    }
    return Value::of(out);
}

constexpr std::array table = {
    FunctionInfo{"ADDRESS", 2, 5, address},
    FunctionInfo{"HLOOKUP", 3, 4, tableLookup<false>, "sbss", 4},
    FunctionInfo{"LOOKUP", 2, 3, lookup, "sbb", 3, flag::ArraysAlways},
    FunctionInfo{"MATCH", 2, 3, match, "sbs", 3},
    FunctionInfo{"VLOOKUP", 3, 4, tableLookup<true>, "sbss", 4},
    FunctionInfo{"XLOOKUP", 3, 6, xlookup, "sbbsss", 6, 0, nullptr, "_xlfn."},
    FunctionInfo{"XMATCH", 2, 4, xmatch, "sbss", 4, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> lookupFunctions() {
    return table;
}

} // namespace engine::formula::functions
