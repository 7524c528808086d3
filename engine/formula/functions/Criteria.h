#pragma once
// The criteria of SUMIF, COUNTIF and their kin ("<>5", ">=x", "a*", 7), and the wildcard
// matching they share with MATCH, VLOOKUP and SEARCH.

#include "engine/formula/Value.h"

#include <string>
#include <string_view>

namespace engine::formula::functions {

// True when `text` matches `pattern` in full, ignoring letter case: '*' any run, '?' one
// character, '~' takes the next character literally.
bool wildcardMatch(std::u16string_view pattern, std::u16string_view text);
// Where `pattern` first matches a part of `text` from `start` on, or npos; `length` receives
// the matched length. SEARCH's rule.
std::size_t wildcardFind(std::u16string_view pattern, std::u16string_view text, std::size_t start,
                         std::size_t& length);
// True when `pattern` holds a '*', '?' or '~' that makes matching differ from equality.
bool hasWildcards(std::string_view pattern);

class Criterion {
public:
    // A criterion as written: a number, boolean or error matches equal values, a blank one
    // zeros; text may start with = <> < <= > >=, and what follows is a number, a date,
    // TRUE/FALSE, an error's name or text (with wildcards for = and <>). Empty text matches
    // blank cells and empty text; "<>" every cell that is not blank.
    static Criterion parse(const Value& criterion, DateSystem dates);

    bool matches(const Value& cell) const;
    bool matchesBlank() const { return matches(Value::blank()); }

private:
    enum class Op : std::uint8_t { Eq, Ne, Lt, Le, Gt, Ge };
    bool equals(const Value& cell) const;

    Op op_ = Op::Eq;
    Value operand_;
    std::u16string pattern_; // folded text operand
    bool wildcards_ = false;
    bool emptyOperand_ = false;
};

} // namespace engine::formula::functions
