// Text functions. Positions and lengths count UTF-16 code units, as the application does, so
// a character outside the Basic Multilingual Plane counts as two.
#include "engine/util/Text.h"

#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Criteria.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/TextUnits.h"
#include "engine/numfmt/NumberFormat.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace engine::formula::functions {
namespace {

// The last day a date format shows, 31 December 9999, as a serial number of the 1900 system.
constexpr double lastSerialDay = 2958465;

Value textResult(const std::u16string& t) {
    if (t.size() > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    return Value::of(toUtf8(t));
}

// A count or position argument, truncated; negative stays negative for the caller to reject.
double countArg(Reader& r, std::size_t i, double fallback) {
    double n = r.number(i, fallback);
    return std::trunc(n);
}

Value left(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    double n = countArg(r, 1, 1);
    if (r.failed()) {
        return r.error();
    }
    if (n < 0) {
        return Value::fail(CellError::Value);
    }
    return textResult(t.substr(0, static_cast<std::size_t>(std::min<double>(n, t.size()))));
}

Value right(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    double n = countArg(r, 1, 1);
    if (r.failed()) {
        return r.error();
    }
    if (n < 0) {
        return Value::fail(CellError::Value);
    }
    auto k = static_cast<std::size_t>(std::min<double>(n, t.size()));
    return textResult(t.substr(t.size() - k));
}

Value mid(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    double start = countArg(r, 1, 1), n = countArg(r, 2, 0);
    if (r.failed()) {
        return r.error();
    }
    if (start < 1 || n < 0) {
        return Value::fail(CellError::Value);
    }
    if (start > static_cast<double>(t.size())) {
        return Value::of(std::string());
    }
    auto from = static_cast<std::size_t>(start - 1);
    return textResult(t.substr(from, static_cast<std::size_t>(std::min<double>(n, t.size()))));
}

Value len(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    return Value::of(static_cast<double>(t.size()));
}

// FIND (case-sensitive, literal) and SEARCH (any case, wildcards).
template <bool Search> Value find(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string needle = toUtf16(r.text(0));
    std::u16string hay = toUtf16(r.text(1));
    double start = countArg(r, 2, 1);
    if (r.failed()) {
        return r.error();
    }
    if (start < 1 || start > static_cast<double>(hay.size()) + 1) {
        return Value::fail(CellError::Value);
    }
    auto from = static_cast<std::size_t>(start - 1);
    if (needle.empty()) {
        return Value::of(start);
    }
    std::size_t at;
    if (Search) {
        std::size_t length = 0;
        at = wildcardFind(needle, hay, from, length);
    } else {
        at = hay.find(needle, from);
    }
    if (at == std::u16string::npos) {
        return Value::fail(CellError::Value);
    }
    return Value::of(static_cast<double>(at + 1));
}

Value substitute(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    std::u16string from = toUtf16(r.text(1));
    std::u16string to = toUtf16(r.text(2));
    bool one = r.has(3);
    double instance = countArg(r, 3, 0);
    if (r.failed()) {
        return r.error();
    }
    if (one && instance < 1) {
        return Value::fail(CellError::Value);
    }
    if (from.empty()) {
        return textResult(t);
    }
    std::u16string out;
    std::size_t pos = 0, seen = 0;
    while (true) {
        std::size_t at = t.find(from, pos);
        if (at == std::u16string::npos) {
            break;
        }
        ++seen;
        out.append(t, pos, at - pos);
        out += (!one || static_cast<double>(seen) == instance) ? to : from;
        pos = at + from.size();
        if (out.size() > limits::maxTextResultUnits) {
            return Value::fail(CellError::Value);
        }
    }
    out.append(t, pos);
    return textResult(out);
}

Value replace(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    double start = countArg(r, 1, 1), n = countArg(r, 2, 0);
    std::u16string with = toUtf16(r.text(3));
    if (r.failed()) {
        return r.error();
    }
    if (start < 1 || n < 0) {
        return Value::fail(CellError::Value);
    }
    auto from = static_cast<std::size_t>(std::min<double>(start - 1, t.size()));
    auto count = static_cast<std::size_t>(std::min<double>(n, t.size() - from));
    return textResult(t.substr(0, from) + with + t.substr(from + count));
}

Value rept(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    double n = countArg(r, 1, 0);
    if (r.failed()) {
        return r.error();
    }
    if (n < 0 || static_cast<double>(t.size()) * n > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    if (t.empty()) {
        return Value::of(std::string());
    }
    std::u16string out;
    for (int k = 0; k < static_cast<int>(n); ++k) {
        out += t;
    }
    return textResult(out);
}

Value trim(Args args, CallContext& c) {
    Reader r(args, c);
    std::string t = r.text(0);
    if (r.failed()) {
        return r.error();
    }
    std::string out;
    for (char ch : t) {
        if (ch == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out.push_back(ch);
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return Value::of(out);
}

Value clean(Args args, CallContext& c) {
    Reader r(args, c);
    std::string t = r.text(0);
    if (r.failed()) {
        return r.error();
    }
    std::string out;
    for (char ch : t) {
        if (static_cast<unsigned char>(ch) >= 32) {
            out.push_back(ch);
        }
    }
    return Value::of(out);
}

template <std::u16string (*Convert)(std::u16string_view)> Value caseOf(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    return textResult(Convert(t));
}

bool isLetter(char16_t ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || upperOf(ch) != lowerOf(ch) ||
           (ch >= 0xC0 && ch != 0xD7 && ch != 0xF7 && ch < 0x250);
}

// Upper case after anything that is not a letter, lower case elsewhere: "don't" gives
// "Don'T" as the application has it.
Value proper(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    bool afterLetter = false;
    for (char16_t& ch : t) {
        ch = afterLetter ? lowerOf(ch) : upperOf(ch);
        afterLetter = isLetter(ch);
    }
    return textResult(t);
}

Value concatenate(Args args, CallContext& c) {
    Reader r(args, c);
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        out += r.text(i);
        if (r.failed()) {
            return r.error();
        }
    }
    return out.size() > limits::maxTextResultUnits * 3 ? Value::fail(CellError::Value)
                                                       : Value::of(out);
}

// The texts of arguments [from, end), blocks value by value; false at an error or spent budget.
bool texts(Args args, std::size_t from, CallContext& c, std::vector<std::string>& out,
           Value& error) {
    Budget budget(c);
    for (std::size_t i = from; i < args.size(); ++i) {
        const Arg& a = args[i];
        if (a.kind != Arg::Kind::Area || !a.area) {
            Value v = toText(scalarOf(a, c));
            if (v.isError()) {
                error = v;
                return false;
            }
            out.push_back(v.text);
            continue;
        }
        // Blanks stay in as empty texts so that TEXTJOIN can keep or drop them.
        Grid g(a, c);
        std::uint64_t next = 0, cols = g.cols();
        bool failed = false;
        bool ok = g.forEach(budget, [&](std::uint32_t r, std::uint32_t col, const Value& v) {
            if (failed) {
                return;
            }
            std::uint64_t pos = r * cols + col;
            if (pos - next < 100000) {
                out.insert(out.end(), pos - next, std::string());
            }
            next = pos + 1;
            Value t = toText(v);
            if (t.isError()) {
                error = t;
                failed = true;
                return;
            }
            out.push_back(t.text);
        });
        if (!ok) {
            error = Value::fail(CellError::Value);
            return false;
        }
        if (failed) {
            return false;
        }
        if (g.size() - next < 100000) {
            out.insert(out.end(), g.size() - next, std::string());
        }
    }
    return true;
}

Value concat(Args args, CallContext& c) {
    std::vector<std::string> parts;
    Value error;
    if (!texts(args, 0, c, parts, error)) {
        return error;
    }
    std::string out;
    for (const std::string& p : parts) {
        out += p;
        if (out.size() > limits::maxTextResultUnits * 3) {
            return Value::fail(CellError::Value);
        }
    }
    return Value::of(out);
}

Value textJoin(Args args, CallContext& c) {
    std::vector<std::string> delimiters, parts;
    Value error;
    if (!texts(args.first(1), 0, c, delimiters, error)) {
        return error;
    }
    Reader r(args, c);
    bool skipEmpty = r.boolean(1);
    if (r.failed()) {
        return r.error();
    }
    if (!texts(args, 2, c, parts, error)) {
        return error;
    }
    std::string out;
    std::size_t joined = 0;
    for (const std::string& p : parts) {
        if (skipEmpty && p.empty()) {
            continue;
        }
        if (joined > 0 && !delimiters.empty()) {
            out += delimiters[(joined - 1) % delimiters.size()];
        }
        out += p;
        ++joined;
        if (out.size() > limits::maxTextResultUnits * 3) {
            return Value::fail(CellError::Value);
        }
    }
    return textResult(toUtf16(out));
}

// Whether format `code` holds a '#' outside quotes, brackets and escapes.
bool hasBareHash(std::string_view code) {
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] == '\\') {
            ++i;
        } else if (code[i] == '"') {
            i = std::min(code.find('"', i + 1), code.size());
        } else if (code[i] == '[') {
            i = std::min(code.find(']', i + 1), code.size());
        } else if (code[i] == '#') {
            return true;
        }
    }
    return false;
}

Value text(Args args, CallContext& c) {
    Reader r(args, c);
    Value v = r.value(0);
    std::string code = r.text(1);
    if (r.failed()) {
        return r.error();
    }
    if (v.kind == ValueKind::Boolean) {
        return toText(v);
    }
    Value n = toNumber(v, c.dateSystem());
    if (n.isError()) {
        return v; // text that is no number comes back as it stands
    }
    const numfmt::NumberFormat format = numfmt::NumberFormat::parse(code);
    bool dates = false;
    for (const numfmt::Section& section : format.sections()) {
        dates = dates || section.kind == numfmt::SectionKind::Date;
    }
    // A code mixing date parts with digit placeholders ("mm###") is no format at all.
    if (dates && hasBareHash(code)) {
        return Value::fail(CellError::Value);
    }
    // A cell shows ##### for a date before the first day or after the last; TEXT has no
    // width to fill and says #VALUE!.
    if (dates && (n.number < 0 || n.number >= lastSerialDay + 1)) {
        return Value::fail(CellError::Value);
    }
    // Where one section serves every sign, a negative number that shows only zeros shows no
    // minus sign either: TEXT(-0.2, "0") is "0", never "-0".
    if (n.number < 0 && format.sections().size() == 1 && !dates) {
        std::string positive = c.formatNumber(-n.number, code);
        if (positive.find_first_of("123456789") == std::string::npos) {
            return Value::of(positive);
        }
    }
    return Value::of(c.formatNumber(n.number, code));
}

std::string digitsCode(int decimals, bool grouping) {
    std::string code = grouping ? "#,##0" : "0";
    if (decimals > 0) {
        code += '.';
        code.append(static_cast<std::size_t>(decimals), '0');
    }
    return code;
}

Value fixed(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double d = std::trunc(r.number(1, 2));
    bool noCommas = r.boolean(2, false);
    if (r.failed()) {
        return r.error();
    }
    if (d > 127) {
        return Value::fail(CellError::Value);
    }
    int decimals = static_cast<int>(std::max(d, -308.0));
    x = roundDigits(x, decimals, [](double v) { return std::round(v); });
    return Value::of(c.formatNumber(x, digitsCode(std::max(decimals, 0), !noCommas)));
}

Value dollar(Args args, CallContext& c) {
    Reader r(args, c);
    double x = r.number(0);
    double d = std::trunc(r.number(1, 2));
    if (r.failed()) {
        return r.error();
    }
    if (d > 127) {
        return Value::fail(CellError::Value);
    }
    int decimals = static_cast<int>(std::max(d, -308.0));
    x = roundDigits(x, decimals, [](double v) { return std::round(v); });
    std::string digits = digitsCode(std::max(decimals, 0), true);
    return Value::of(c.formatNumber(x, "$" + digits + ";($" + digits + ")"));
}

Value value(Args args, CallContext& c) {
    Reader r(args, c);
    Value v = r.value(0);
    if (r.failed()) {
        return r.error();
    }
    if (v.kind == ValueKind::Boolean) {
        return Value::fail(CellError::Value);
    }
    return toNumber(v, c.dateSystem());
}

// NUMBERVALUE(text, [decimal], [group]): group separators anywhere before the decimal
// separator are ignored, spaces too, and trailing percent signs divide by 100.
Value numberValue(Args args, CallContext& c) {
    Reader r(args, c);
    std::string t = r.text(0);
    std::string dec = r.text(1, ".");
    std::string group = r.text(2, ",");
    if (r.failed()) {
        return r.error();
    }
    if (dec.empty() || group.empty() || dec[0] == group[0]) {
        return Value::fail(CellError::Value);
    }
    std::string plain;
    bool seenDecimal = false;
    int percents = 0;
    for (char ch : t) {
        if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
            continue;
        }
        if (ch == '%') {
            ++percents;
            continue;
        }
        if (percents > 0) {
            return Value::fail(CellError::Value);
        }
        if (ch == dec[0]) {
            if (seenDecimal) {
                return Value::fail(CellError::Value);
            }
            seenDecimal = true;
            plain.push_back('.');
        } else if (ch == group[0]) {
            if (seenDecimal) {
                return Value::fail(CellError::Value);
            }
        } else {
            plain.push_back(ch);
        }
    }
    if (plain.empty()) {
        return Value::of(0.0);
    }
    bool ok = true;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        char ch = plain[i];
        bool digit = ch >= '0' && ch <= '9';
        bool sign =
            (ch == '-' || ch == '+') && (i == 0 || plain[i - 1] == 'e' || plain[i - 1] == 'E');
        if (!digit && !sign && ch != '.' && ch != 'e' && ch != 'E') {
            ok = false;
        }
    }
    char* end = nullptr;
    double v = ok ? std::strtod(plain.c_str(), &end) : 0;
    if (!ok || !end || *end != '\0' || !std::isfinite(v)) {
        return Value::fail(CellError::Value);
    }
    for (int k = 0; k < percents; ++k) {
        v /= 100;
    }
    return Value::of(v);
}

Value charOf(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    if (n < 1 || n > 255) {
        return Value::fail(CellError::Value);
    }
    return textResult(std::u16string(1, fromCodePage1252(static_cast<unsigned char>(n))));
}

Value code(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    if (t.empty()) {
        return Value::fail(CellError::Value);
    }
    unsigned char b = toCodePage1252(t[0]);
    return Value::of(static_cast<double>(b ? b : '?'));
}

Value unichar(Args args, CallContext& c) {
    Reader r(args, c);
    double n = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    if (n < 1 || n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF)) {
        return Value::fail(CellError::Value);
    }
    std::string out;
    util::appendUtf8(out, static_cast<char32_t>(n));
    return Value::of(out);
}

Value unicode(Args args, CallContext& c) {
    Reader r(args, c);
    std::u16string t = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    if (t.empty()) {
        return Value::fail(CellError::Value);
    }
    char32_t cp = t[0];
    if (cp >= 0xD800 && cp < 0xDC00 && t.size() > 1 && t[1] >= 0xDC00 && t[1] < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (t[1] - 0xDC00);
    }
    return Value::of(static_cast<double>(cp));
}

Value exact(Args args, CallContext& c) {
    Reader r(args, c);
    std::string a = r.text(0), b = r.text(1);
    if (r.failed()) {
        return r.error();
    }
    return Value::of(a == b);
}

constexpr std::array table = {
    FunctionInfo{"CHAR", 1, 1, charOf},
    FunctionInfo{"CLEAN", 1, 1, clean},
    FunctionInfo{"CODE", 1, 1, code},
    FunctionInfo{"CONCAT", 1, 255, concat, "b", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"CONCATENATE", 1, 255, concatenate},
    FunctionInfo{"DOLLAR", 1, 2, dollar},
    FunctionInfo{"USDOLLAR", 1, 2, dollar},
    FunctionInfo{"EXACT", 2, 2, exact},
    FunctionInfo{"FIND", 2, 3, find<false>},
    // The byte forms count as their plain forms do where the default language is not a
    // double-byte one, as the application documents.
    FunctionInfo{"FINDB", 2, 3, find<false>},
    FunctionInfo{"FIXED", 1, 3, fixed},
    FunctionInfo{"LEFT", 1, 2, left},
    FunctionInfo{"LEFTB", 1, 2, left},
    FunctionInfo{"LEN", 1, 1, len},
    FunctionInfo{"LENB", 1, 1, len},
    FunctionInfo{"LOWER", 1, 1, caseOf<lower>},
    FunctionInfo{"MID", 3, 3, mid},
    FunctionInfo{"MIDB", 3, 3, mid},
    FunctionInfo{"NUMBERVALUE", 1, 3, numberValue, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"PROPER", 1, 1, proper},
    FunctionInfo{"REPLACE", 4, 4, replace},
    FunctionInfo{"REPLACEB", 4, 4, replace},
    FunctionInfo{"REPT", 2, 2, rept},
    FunctionInfo{"RIGHT", 1, 2, right},
    FunctionInfo{"RIGHTB", 1, 2, right},
    FunctionInfo{"SEARCH", 2, 3, find<true>},
    FunctionInfo{"SEARCHB", 2, 3, find<true>},
    FunctionInfo{"SUBSTITUTE", 3, 4, substitute},
    FunctionInfo{"TEXT", 2, 2, text},
    FunctionInfo{"TEXTJOIN", 3, 255, textJoin, "ssb", 2, 0, nullptr, "_xlfn."},
    FunctionInfo{"TRIM", 1, 1, trim},
    FunctionInfo{"UNICHAR", 1, 1, unichar, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"UNICODE", 1, 1, unicode, {}, 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"UPPER", 1, 1, caseOf<upper>},
    FunctionInfo{"VALUE", 1, 1, value},
};

} // namespace

std::span<const FunctionInfo> textFunctions() {
    return table;
}

} // namespace engine::formula::functions
