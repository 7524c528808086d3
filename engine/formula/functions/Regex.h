#pragma once
// A regular expression a formula gives (REGEXTEST, REGEXEXTRACT, REGEXREPLACE, the regex match
// mode of XMATCH and XLOOKUP), in the application's dialect, PCRE2. Every search is bounded in
// steps and memory, so a pattern written to backtrack for ever only answers an error.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine::formula::functions {

class Regex {
public:
    enum class Outcome { Match, NoMatch, Exhausted };
    // A byte range of the subject; `start == npos` for a group that took no part in the match.
    struct Span {
        std::size_t start = std::string::npos, end = std::string::npos;
    };

    // Compiles `pattern` (UTF-8); valid() is false when it does not compile or is too long.
    Regex(std::string_view pattern, bool ignoreCase);
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    bool valid() const { return code_ != nullptr; }
    // The first match starting at or after byte `from` of `subject`; on Match, `groups` holds
    // the whole match and then each capturing group.
    Outcome find(std::string_view subject, std::size_t from, std::vector<Span>& groups) const;
    // `subject` with the first match at or after byte `from` (every match when `all`) replaced
    // by `replacement`, whose $n and ${n} name groups; NoMatch leaves `out` as the subject.
    Outcome replace(std::string_view subject, std::size_t from, bool all,
                    std::string_view replacement, std::string& out) const;
    // How many steps the last search may have cost, to charge to the workbook's budget.
    std::size_t lastCost() const { return lastCost_; }

private:
    void* code_ = nullptr;    // pcre2_code_8
    void* context_ = nullptr; // pcre2_match_context_8
    mutable std::size_t lastCost_ = 0;
};

} // namespace engine::formula::functions
