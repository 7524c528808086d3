#include "engine/formula/functions/Criteria.h"

#include "engine/formula/functions/TextUnits.h"

#include <vector>

namespace engine::formula::functions {
namespace {

bool sameChar(char16_t a, char16_t b) {
    return a == b || lowerOf(a) == lowerOf(b);
}

struct Piece {
    char16_t ch;
    bool any; // '*'
    bool one; // '?'
};

std::vector<Piece> compile(std::u16string_view p) {
    std::vector<Piece> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i] == u'~') {
            // A tilde makes the next character literal, whatever it is; a last tilde stands
            // for nothing.
            if (i + 1 < p.size()) {
                out.push_back({p[++i], false, false});
            }
        } else if (p[i] == u'*') {
            if (out.empty() || !out.back().any) {
                out.push_back({0, true, false});
            }
        } else if (p[i] == u'?') {
            out.push_back({0, false, true});
        } else {
            out.push_back({p[i], false, false});
        }
    }
    return out;
}

// Greedy matching with one backtrack point per star: linear for the patterns met in practice
// and never exponential.
bool matchFrom(const std::vector<Piece>& pat, std::u16string_view text, std::size_t t,
               bool anchoredEnd, std::size_t& end) {
    std::size_t p = 0;
    std::size_t starP = std::u16string_view::npos, starT = 0;
    while (true) {
        if (p == pat.size()) {
            if (!anchoredEnd || t == text.size()) {
                end = t;
                return true;
            }
        } else if (pat[p].any) {
            starP = p++;
            starT = t;
            if (!anchoredEnd && p == pat.size()) {
                end = t;
                return true;
            }
            continue;
        } else if (t < text.size() && (pat[p].one || sameChar(pat[p].ch, text[t]))) {
            ++p;
            ++t;
            continue;
        }
        if (starP == std::u16string_view::npos || starT >= text.size()) {
            return false;
        }
        p = starP + 1;
        t = ++starT;
    }
}

} // namespace

bool wildcardMatch(std::u16string_view pattern, std::u16string_view text) {
    std::size_t end = 0;
    return matchFrom(compile(pattern), text, 0, true, end);
}

std::size_t wildcardFind(std::u16string_view pattern, std::u16string_view text, std::size_t start,
                         std::size_t& length) {
    auto pat = compile(pattern);
    for (std::size_t s = start; s <= text.size(); ++s) {
        std::size_t end = 0;
        if (matchFrom(pat, text, s, false, end)) {
            length = end - s;
            return s;
        }
    }
    return std::u16string_view::npos;
}

bool hasWildcards(std::string_view pattern) {
    return pattern.find_first_of("*?~") != std::string_view::npos;
}

Criterion Criterion::parse(const Value& criterion, DateSystem dates) {
    Criterion c;
    if (criterion.kind != ValueKind::Text) {
        // An empty cell given as the criterion asks for zeros, not for empty cells; an error
        // asks for cells holding that error.
        c.operand_ = criterion.kind == ValueKind::Blank ? Value::of(0.0) : criterion;
        return c;
    }
    std::string_view s = criterion.text;
    if (s.starts_with("<=")) {
        c.op_ = Op::Le, s.remove_prefix(2);
    } else if (s.starts_with(">=")) {
        c.op_ = Op::Ge, s.remove_prefix(2);
    } else if (s.starts_with("<>")) {
        c.op_ = Op::Ne, s.remove_prefix(2);
    } else if (s.starts_with("<")) {
        c.op_ = Op::Lt, s.remove_prefix(1);
    } else if (s.starts_with(">")) {
        c.op_ = Op::Gt, s.remove_prefix(1);
    } else if (s.starts_with("=")) {
        c.op_ = Op::Eq, s.remove_prefix(1);
    }
    c.emptyOperand_ = s.empty();
    if (auto n = parseNumberText(s, dates)) {
        c.operand_ = Value::of(*n);
    } else if (compareFolded(s, "TRUE") == 0 || compareFolded(s, "FALSE") == 0) {
        c.operand_ = Value::of(compareFolded(s, "TRUE") == 0);
    } else {
        c.operand_ = Value::of(std::string(s));
        for (CellError e : {CellError::Null, CellError::Div0, CellError::Value, CellError::Ref,
                            CellError::Name, CellError::Num, CellError::NA}) {
            if (s == errorText(e)) {
                c.operand_ = Value::fail(e);
            }
        }
        if (c.operand_.kind == ValueKind::Text) {
            c.pattern_ = lower(toUtf16(s));
            c.wildcards_ = (c.op_ == Op::Eq || c.op_ == Op::Ne) && hasWildcards(s);
        }
    }
    return c;
}

bool Criterion::equals(const Value& cell) const {
    if (emptyOperand_) {
        // "=" and "" ask for empty cells; "<>" (handled by the caller's negation) for the rest.
        return cell.kind == ValueKind::Blank || (cell.kind == ValueKind::Text && cell.text.empty());
    }
    switch (operand_.kind) {
    case ValueKind::Number:
        if (cell.kind == ValueKind::Number) {
            return compareValues(cell, operand_) == 0;
        }
        if (cell.kind == ValueKind::Text) {
            auto n = parseNumberText(cell.text, DateSystem::Date1900);
            return n && compareValues(Value::of(*n), operand_) == 0;
        }
        return false;
    case ValueKind::Boolean:
        return cell.kind == ValueKind::Boolean && cell.number == operand_.number;
    case ValueKind::Error:
        return cell.kind == ValueKind::Error && cell.error == operand_.error;
    case ValueKind::Text:
        if (cell.kind != ValueKind::Text) {
            return false;
        }
        if (wildcards_) {
            return wildcardMatch(pattern_, toUtf16(cell.text));
        }
        return compareFolded(cell.text, operand_.text) == 0;
    case ValueKind::Blank:
        return cell.kind == ValueKind::Blank;
    }
    return false;
}

bool Criterion::matches(const Value& cell) const {
    switch (op_) {
    case Op::Eq:
        return equals(cell);
    case Op::Ne:
        // "<>" alone asks for every cell holding something, an empty text included; "<>5"
        // excludes only the number 5, not a text that reads as 5.
        if (emptyOperand_) {
            return cell.kind != ValueKind::Blank;
        }
        if (operand_.kind == ValueKind::Number) {
            return cell.kind != ValueKind::Number || compareValues(cell, operand_) != 0;
        }
        return !equals(cell);
    default:
        break;
    }
    // Ordering compares like kinds only: numbers with numbers, text with text.
    if (emptyOperand_ || cell.kind != operand_.kind ||
        (cell.kind != ValueKind::Number && cell.kind != ValueKind::Text)) {
        return false;
    }
    int c = compareValues(cell, operand_);
    switch (op_) {
    case Op::Lt:
        return c < 0;
    case Op::Le:
        return c <= 0;
    case Op::Gt:
        return c > 0;
    case Op::Ge:
        return c >= 0;
    default:
        return false;
    }
}

} // namespace engine::formula::functions
