// NUMBERSTRING and DATESTRING, which write numbers and dates in Chinese characters, and PHONETIC,
// the reading guide of Japanese text.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/TextUnits.h"
#include "engine/util/CivilDate.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace engine::formula::functions {
namespace {

struct Numerals {
    std::array<const char*, 10> digits;
    const char* zero;                  // marks a run of zeros between two written digits
    std::array<const char*, 4> places; // units, tens, hundreds, thousands
};

// 1: ordinary numerals; 2: the financial ones, which cannot be altered by a stroke.
constexpr Numerals ordinary = {
    {"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"}, "〇", {"", "十", "百", "千"}};
constexpr Numerals financial = {
    {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"}, "零", {"", "拾", "佰", "仟"}};

// Below 10,000: digits with their places, a run of zeros before a later digit written once.
std::string spellFour(std::int64_t n, const Numerals& numerals) {
    static constexpr std::array<std::int64_t, 4> tens = {1, 10, 100, 1000};
    std::string out;
    bool zeros = false;
    for (int place = 3; place >= 0; --place) {
        const auto digit = static_cast<std::size_t>(n / tens[static_cast<std::size_t>(place)] % 10);
        if (digit == 0) {
            zeros = !out.empty();
            continue;
        }
        if (zeros) {
            out += numerals.zero;
            zeros = false;
        }
        out += numerals.digits[digit];
        out += numerals.places[static_cast<std::size_t>(place)];
    }
    return out;
}

// Groups of four digits under 万 (10^4) and 亿 (10^8); a gap of zeros between two written
// groups is written as one zero.
std::string spellGrouped(std::int64_t n, const Numerals& numerals) {
    constexpr std::int64_t wan = 10'000, yi = 100'000'000;
    std::string out;
    const std::int64_t high = n / yi, low = n % yi;
    if (high > 0) {
        out += spellGrouped(high, numerals) + "亿";
        if (low > 0 && low < yi / 10) {
            out += numerals.zero;
        }
    }
    const std::int64_t wans = low / wan, units = low % wan;
    if (wans > 0) {
        out += spellFour(wans, numerals) + "万";
        if (units > 0 && units < 1000) {
            out += numerals.zero;
        }
    }
    if (units > 0) {
        out += spellFour(units, numerals);
    }
    return out;
}

Value numberString(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = r.number(0);
    const double type = std::trunc(r.number(1));
    if (r.failed()) {
        return r.error();
    }
    if (type < 1 || type > 3) {
        return Value::fail(CellError::Value);
    }
    // Whole numbers only: the fraction is rounded away, half away from zero.
    const double whole = std::round(roundTo15Digits(std::fabs(n)));
    if (!(whole < 1e15)) {
        return Value::fail(CellError::Num);
    }
    const auto value = static_cast<std::int64_t>(whole);
    std::string out = n < 0 && value > 0 ? "负" : "";
    if (type == 3) {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
        for (const char* p = buffer; *p; ++p) {
            out += ordinary.digits[static_cast<std::size_t>(*p - '0')];
        }
        return Value::of(out);
    }
    const Numerals& numerals = type == 1 ? ordinary : financial;
    out += value == 0 ? numerals.digits[0] : spellGrouped(value, numerals);
    return Value::of(out);
}

// The date as "yy年mm月dd日", its year in two digits.
Value dateString(Args args, CallContext& c) {
    Reader r(args, c);
    const double v = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    const DateSystem dates = c.dateSystem();
    if (v < 0 || v >= static_cast<double>(util::serialFromCivil({9999, 12, 31}, dates)) + 1) {
        return Value::fail(CellError::Num);
    }
    const util::CivilDate date =
        util::civilFromSerial(static_cast<std::int64_t>(std::floor(v)), dates);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d年%02d月%02d日", date.year % 100, date.month,
                  date.day);
    return Value::of(std::string(buffer));
}

// The reading guide of the text of the cells, joined. Workbooks' phonetic runs are not kept, so
// a cell's guide is its own text, as for text typed without one; cells that hold no text add
// nothing.
Value phonetic(Args args, CallContext& c) {
    if (args[0].kind != Arg::Kind::Area) {
        Reader r(args, c);
        const std::string text = r.text(0);
        return r.failed() ? r.error() : Value::of(text);
    }
    const Grid grid(args[0], c);
    Budget budget(c);
    std::string out;
    const bool complete = grid.forEach(budget, [&](std::uint32_t, std::uint32_t, const Value& v) {
        if (v.kind == ValueKind::Text && out.size() <= 4 * limits::maxTextResultUnits) {
            out += v.text;
        }
    });
    if (!complete || toUtf16(out).size() > limits::maxTextResultUnits) {
        return Value::fail(CellError::Value);
    }
    return Value::of(out);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"DATESTRING", 1, 1, dateString, {}, 0, 0, nullptr, {}, 352},
    FunctionInfo{"NUMBERSTRING", 2, 2, numberString, {}, 0, 0, nullptr, {}, 353},
    FunctionInfo{"PHONETIC", 1, 1, phonetic, "b", 0, 0, nullptr, {}, 360},
};

} // namespace

std::span<const FunctionInfo> eastAsianTextFunctions() {
    return table;
}

} // namespace engine::formula::functions
