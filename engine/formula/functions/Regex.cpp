#include "engine/formula/functions/Regex.h"

#include "engine/base/Limits.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace engine::formula::functions {
namespace {

pcre2_code* codeOf(void* p) {
    return static_cast<pcre2_code*>(p);
}
pcre2_match_context* contextOf(void* p) {
    return static_cast<pcre2_match_context*>(p);
}

// A search that ran into its limits costs its whole allowance: a workbook full of hostile
// patterns then spends its budget instead of the user's time.
std::size_t costOf(int rc, std::string_view subject) {
    return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
                   rc == PCRE2_ERROR_HEAPLIMIT
               ? limits::maxRegexMatchSteps
               : subject.size() + 1;
}

} // namespace

Regex::Regex(std::string_view pattern, bool ignoreCase) {
    if (pattern.size() > limits::maxRegexPatternBytes) {
        return;
    }
    int error = 0;
    PCRE2_SIZE offset = 0;
    // UCP makes \w, \d and [[:alpha:]] know letters of every script, as the application's do.
    const std::uint32_t options =
        PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | (ignoreCase ? PCRE2_CASELESS : 0u);
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                          &error, &offset, nullptr);
    if (!code_) {
        return;
    }
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    if (!context) {
        pcre2_code_free(codeOf(code_));
        code_ = nullptr;
        return;
    }
    pcre2_set_match_limit(context, limits::maxRegexMatchSteps);
    pcre2_set_depth_limit(context, limits::maxRegexMatchSteps);
    pcre2_set_heap_limit(context, limits::maxRegexHeapKib);
    context_ = context;
}

Regex::~Regex() {
    pcre2_match_context_free(contextOf(context_));
    pcre2_code_free(codeOf(code_));
}

Regex::Outcome Regex::find(std::string_view subject, std::size_t from,
                           std::vector<Span>& groups) const {
    groups.clear();
    lastCost_ = 0;
    if (!code_ || from > subject.size()) {
        return Outcome::NoMatch;
    }
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(codeOf(code_), nullptr);
    if (!data) {
        return Outcome::Exhausted;
    }
    const int rc = pcre2_match(codeOf(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                               subject.size(), from, 0, data, contextOf(context_));
    lastCost_ = costOf(rc, subject);
    Outcome outcome = rc >= 0                     ? Outcome::Match
                      : rc == PCRE2_ERROR_NOMATCH ? Outcome::NoMatch
                                                  : Outcome::Exhausted;
    if (outcome == Outcome::Match) {
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
        const std::uint32_t pairs = pcre2_get_ovector_count(data);
        for (std::uint32_t i = 0; i < pairs; ++i) {
            Span s;
            if (i < static_cast<std::uint32_t>(rc) || rc == 0) {
                if (vector[2 * i] != PCRE2_UNSET) {
                    s = {vector[2 * i], vector[2 * i + 1]};
                }
            }
            groups.push_back(s);
        }
        // A \K in a lookahead can put the end before the start; such a match is unusable.
        if (groups[0].start > groups[0].end) {
            outcome = Outcome::Exhausted;
        }
    }
    pcre2_match_data_free(data);
    return outcome;
}

Regex::Outcome Regex::replace(std::string_view subject, std::size_t from, bool all,
                              std::string_view replacement, std::string& out) const {
    out.assign(subject);
    lastCost_ = 0;
    if (!code_ || from > subject.size()) {
        return Outcome::NoMatch;
    }
    const std::uint32_t options =
        PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | (all ? PCRE2_SUBSTITUTE_GLOBAL : 0u);
    std::string buffer(subject.size() + replacement.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = buffer.size();
        const int rc = pcre2_substitute(
            codeOf(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), from,
            options, nullptr, contextOf(context_), reinterpret_cast<PCRE2_SPTR>(replacement.data()),
            replacement.size(), reinterpret_cast<PCRE2_UCHAR*>(buffer.data()), &length);
        lastCost_ += costOf(rc, subject);
        if (rc == PCRE2_ERROR_NOMEMORY && attempt == 0 &&
            length <= limits::maxTextResultUnits * 3 + 1) {
            buffer.assign(length, '\0');
            continue;
        }
        if (rc == 0) {
            return Outcome::NoMatch;
        }
        if (rc < 0) {
            return Outcome::Exhausted;
        }
        buffer.resize(length);
        out = std::move(buffer);
        return Outcome::Match;
    }
    return Outcome::Exhausted;
}

} // namespace engine::formula::functions
