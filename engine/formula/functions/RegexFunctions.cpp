// REGEXTEST, REGEXEXTRACT and REGEXREPLACE.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Regex.h"
#include "engine/formula/functions/TextUnits.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace engine::formula::functions {
namespace {

// The case_sensitivity argument: 0 (the default) tells letter case apart, 1 ignores it.
std::optional<bool> ignoreCaseArg(Reader& r, std::size_t i) {
    const double v = r.given(i) ? std::trunc(r.number(i)) : 0;
    if (r.failed()) {
        return std::nullopt;
    }
    if (v != 0 && v != 1) {
        r.fail(CellError::Value);
        return std::nullopt;
    }
    return v == 1;
}

// Charges a search's cost; false when the workbook's budget is spent.
bool charged(const Regex& regex, CallContext& c) {
    return c.chargeWork(regex.lastCost() + 1);
}

// The bytes of the character starting at byte `at` of UTF-8 `text`, at least 1.
std::size_t characterLength(std::string_view text, std::size_t at) {
    std::size_t n = 1;
    while (at + n < text.size() && (static_cast<unsigned char>(text[at + n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

Value regexTest(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string text = r.text(0), pattern = r.text(1);
    const auto ignoreCase = ignoreCaseArg(r, 2);
    if (r.failed()) {
        return r.error();
    }
    const Regex regex(pattern, *ignoreCase);
    if (!regex.valid()) {
        return Value::fail(CellError::Value);
    }
    std::vector<Regex::Span> groups;
    const Regex::Outcome outcome = regex.find(text, 0, groups);
    if (!charged(regex, c) || outcome == Regex::Outcome::Exhausted) {
        return Value::fail(CellError::Value);
    }
    return Value::of(outcome == Regex::Outcome::Match);
}

ArrayValue one(Value v) {
    ArrayValue out;
    out.values.push_back(std::move(v));
    return out;
}

ArrayValue row(std::vector<Value> values) {
    ArrayValue out;
    out.cols = static_cast<std::uint32_t>(values.size());
    out.values = std::move(values);
    return out;
}

Value part(std::string_view text, const Regex::Span& s) {
    return Value::of(s.start == std::string::npos
                         ? std::string()
                         : std::string(text.substr(s.start, s.end - s.start)));
}

// return_mode 0: the first match; 1: every match, in a row; 2: the first match's capturing
// groups, in a row. No match at all is #N/A.
ArrayValue regexExtract(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string text = r.text(0), pattern = r.text(1);
    const double mode = r.given(2) ? std::trunc(r.number(2)) : 0;
    const auto ignoreCase = ignoreCaseArg(r, 3);
    if (r.failed()) {
        return one(r.error());
    }
    if (mode < 0 || mode > 2) {
        return one(Value::fail(CellError::Value));
    }
    const Regex regex(pattern, *ignoreCase);
    if (!regex.valid()) {
        return one(Value::fail(CellError::Value));
    }
    std::vector<Value> found;
    std::vector<Regex::Span> groups;
    for (std::size_t from = 0; from <= text.size();) {
        const Regex::Outcome outcome = regex.find(text, from, groups);
        if (!charged(regex, c) || outcome == Regex::Outcome::Exhausted) {
            return one(Value::fail(CellError::Value));
        }
        if (outcome == Regex::Outcome::NoMatch) {
            break;
        }
        if (mode == 2) {
            for (std::size_t i = 1; i < groups.size(); ++i) {
                found.push_back(part(text, groups[i]));
            }
            if (found.empty()) { // a pattern without groups gives its whole match
                found.push_back(part(text, groups[0]));
            }
            break;
        }
        found.push_back(part(text, groups[0]));
        if (mode == 0) {
            break;
        }
        // An empty match moves on by one character, so the search always advances.
        from = groups[0].end > groups[0].start
                   ? groups[0].end
                   : groups[0].end + characterLength(text, groups[0].end);
    }
    if (found.empty()) {
        return one(Value::fail(CellError::NA));
    }
    return row(std::move(found));
}

// occurrence 0 replaces every match, n > 0 the n-th, n < 0 the n-th from the end.
Value regexReplace(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string text = r.text(0), pattern = r.text(1), replacement = r.text(2);
    const double occurrence = r.given(3) ? std::trunc(r.number(3)) : 0;
    const auto ignoreCase = ignoreCaseArg(r, 4);
    if (r.failed()) {
        return r.error();
    }
    const Regex regex(pattern, *ignoreCase);
    if (!regex.valid()) {
        return Value::fail(CellError::Value);
    }
    std::string out;
    std::size_t from = 0;
    if (occurrence != 0) {
        // Where each match starts, up to the one wanted.
        std::vector<std::size_t> starts;
        std::vector<Regex::Span> groups;
        for (std::size_t at = 0; at <= text.size();) {
            const Regex::Outcome outcome = regex.find(text, at, groups);
            if (!charged(regex, c) || outcome == Regex::Outcome::Exhausted) {
                return Value::fail(CellError::Value);
            }
            if (outcome == Regex::Outcome::NoMatch) {
                break;
            }
            starts.push_back(groups[0].start);
            if (occurrence > 0 && starts.size() == static_cast<std::size_t>(occurrence)) {
                break;
            }
            at = groups[0].end > groups[0].start
                     ? groups[0].end
                     : groups[0].end + characterLength(text, groups[0].end);
        }
        const double count = static_cast<double>(starts.size());
        if (std::fabs(occurrence) > count) {
            return Value::of(text);
        }
        from =
            starts[static_cast<std::size_t>(occurrence > 0 ? occurrence - 1 : count + occurrence)];
    }
    const Regex::Outcome outcome = regex.replace(text, from, occurrence == 0, replacement, out);
    if (!charged(regex, c) || outcome == Regex::Outcome::Exhausted) {
        return Value::fail(CellError::Value);
    }
    if (toUtf16(out).size() > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    return Value::of(out);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"REGEXEXTRACT", 2, 4, nullptr, {}, 0, 0, regexExtract, "_xlfn."},
    FunctionInfo{"REGEXREPLACE", 3, 5, regexReplace, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"REGEXTEST", 2, 3, regexTest, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> regexFunctions() {
    return table;
}

} // namespace engine::formula::functions
