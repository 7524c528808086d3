// Text that changes form rather than content: full- and half-width characters (ASC, DBCS) and
// any value or block written out as text (VALUETOTEXT, ARRAYTOTEXT).
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/TextUnits.h"

#include <array>
#include <cmath>
#include <string>

namespace engine::formula::functions {
namespace {

// The full-width form of each half-width katakana and its punctuation, U+FF61 to U+FF9F.
constexpr std::array<char16_t, 63> wideKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};
constexpr char16_t firstNarrowKana = 0xFF61;
constexpr char16_t narrowVoiced = 0xFF9E, narrowSemiVoiced = 0xFF9F;

// Full-width signs outside the ASCII block and their narrow forms.
constexpr std::array<std::pair<char16_t, char16_t>, 7> wideSigns = {{{0xFFE0, 0x00A2},
                                                                     {0xFFE1, 0x00A3},
                                                                     {0xFFE2, 0x00AC},
                                                                     {0xFFE3, 0x00AF},
                                                                     {0xFFE4, 0x00A6},
                                                                     {0xFFE5, 0x00A5},
                                                                     {0xFFE6, 0x20A9}}};

// The half-width katakana of full-width `c`, or 0.
char16_t narrowKanaOf(char16_t c) {
    for (std::size_t i = 0; i < wideKana.size(); ++i) {
        if (wideKana[i] == c) {
            return static_cast<char16_t>(firstNarrowKana + i);
        }
    }
    return 0;
}

// Whether full-width kana `base` takes the voiced mark (カ→ガ) and the semi-voiced one (ハ→パ):
// the voiced form is the next code point, the semi-voiced the one after.
bool takesVoicedMark(char16_t base) {
    return (base >= 0x30AB && base <= 0x30C8 && (base <= 0x30C1 ? base % 2 == 1 : base % 2 == 0)) ||
           (base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0);
}
bool takesSemiVoicedMark(char16_t base) {
    return base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0;
}

std::u16string toNarrow(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out += static_cast<char16_t>(c - 0xFF01 + 0x21);
        } else if (c == 0x3000) {
            out += u' ';
        } else if (char16_t k = narrowKanaOf(c)) {
            out += k;
        } else if (c == 0x30F4) { // ヴ
            out += {narrowKanaOf(0x30A6), narrowVoiced};
        } else if (takesVoicedMark(static_cast<char16_t>(c - 1)) && narrowKanaOf(c - 1)) {
            out += {narrowKanaOf(static_cast<char16_t>(c - 1)), narrowVoiced};
        } else if (takesSemiVoicedMark(static_cast<char16_t>(c - 2)) && narrowKanaOf(c - 2)) {
            out += {narrowKanaOf(static_cast<char16_t>(c - 2)), narrowSemiVoiced};
        } else {
            char16_t sign = c;
            for (const auto& [wide, narrow] : wideSigns) {
                if (wide == c) {
                    sign = narrow;
                }
            }
            out += sign;
        }
    }
    return out;
}

std::u16string toWide(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0x21 && c <= 0x7E) {
            out += static_cast<char16_t>(c - 0x21 + 0xFF01);
        } else if (c == u' ') {
            out += char16_t{0x3000};
        } else if (c >= firstNarrowKana && c < firstNarrowKana + wideKana.size()) {
            char16_t wide = wideKana[c - firstNarrowKana];
            // A narrow kana and the narrow mark after it make one wide voiced kana.
            const char16_t mark = i + 1 < text.size() ? text[i + 1] : 0;
            if (mark == narrowVoiced && wide == 0x30A6) {
                wide = 0x30F4;
                ++i;
            } else if (mark == narrowVoiced && takesVoicedMark(wide)) {
                wide = static_cast<char16_t>(wide + 1);
                ++i;
            } else if (mark == narrowSemiVoiced && takesSemiVoicedMark(wide)) {
                wide = static_cast<char16_t>(wide + 2);
                ++i;
            }
            out += wide;
        } else {
            char16_t sign = c;
            for (const auto& [wide, narrow] : wideSigns) {
                if (narrow == c) {
                    sign = wide;
                }
            }
            out += sign;
        }
    }
    return out;
}

template <std::u16string (*Convert)(std::u16string_view)> Value width(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string t = r.text(0);
    if (r.failed()) {
        return r.error();
    }
    return Value::of(toUtf8(Convert(toUtf16(t))));
}

// The format argument of VALUETOTEXT and ARRAYTOTEXT: false concise, true strict.
bool strictFormat(Reader& r, std::size_t i) {
    const double f = r.number(i, 0);
    if (!r.failed() && f != 0 && f != 1) {
        r.fail(CellError::Value);
    }
    return f == 1;
}

// One value as the two formats write it: concise as a General-format cell shows it, strict as
// a formula would spell it (text quoted, its quotes doubled).
std::string written(const Value& v, bool strict) {
    if (v.isError()) {
        return errorText(v.error);
    }
    if (v.kind != ValueKind::Text || !strict) {
        return toText(v).text;
    }
    std::string out = "\"";
    for (char ch : v.text) {
        out += ch;
        if (ch == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

Value valueToText(Args args, CallContext& c) {
    Reader r(args, c);
    const bool strict = strictFormat(r, 1);
    if (r.failed()) {
        return r.error();
    }
    return Value::of(written(scalarOf(args[0], c), strict));
}

Value arrayToText(Args args, CallContext& c) {
    Reader r(args, c);
    const bool strict = strictFormat(r, 1);
    if (r.failed()) {
        return r.error();
    }
    const Grid grid(args[0], c);
    Budget budget(c);
    std::string out = strict ? "{" : "";
    for (std::uint32_t row = 0; row < grid.rows(); ++row) {
        for (std::uint32_t col = 0; col < grid.cols(); ++col) {
            if (!budget.take()) {
                return Value::fail(CellError::Value);
            }
            if (row > 0 || col > 0) {
                out += !strict ? ", " : col == 0 ? ";" : ",";
            }
            out += written(grid.at(row, col), strict);
            if (out.size() > limits::maxTextResultUnits * 3) {
                return Value::fail(CellError::Value);
            }
        }
    }
    if (strict) {
        out += '}';
    }
    if (toUtf16(out).size() > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    return Value::of(out);
}

constexpr std::array table = {
    FunctionInfo{"ARRAYTOTEXT", 1, 2, arrayToText, "bs", 0, 0, nullptr, "_xlfn."},
    FunctionInfo{"ASC", 1, 1, width<toNarrow>, {}, 0, 0, nullptr, {}, 214},
    FunctionInfo{"DBCS", 1, 1, width<toWide>, {}, 0, 0, nullptr, {}, 215},
    // The name Japanese versions give DBCS.
    FunctionInfo{"JIS", 1, 1, width<toWide>},
    FunctionInfo{"VALUETOTEXT", 1, 2, valueToText, {}, 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> textFormFunctions() {
    return table;
}

} // namespace engine::formula::functions
