// The Thai functions beside BAHTTEXT: Thai digits, day and month names, numbers read aloud, the
// Buddhist-era year, the length of Thai text as it is displayed and rounding to the quarter
// baht that the smallest coins allow.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/TextUnits.h"
#include "engine/formula/functions/ThaiWords.h"
#include "engine/util/CivilDate.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace engine::formula::functions {
namespace {

constexpr char16_t thaiZero = u'\u0E50';

bool isThaiDigitUnit(char16_t c) {
    return c >= thaiZero && c <= thaiZero + 9;
}

// Vowel signs above and below and tone marks: they sit on the consonant before them and take no
// place of their own on a line.
bool isThaiMark(char16_t c) {
    return c == u'\u0E31' || (c >= u'\u0E34' && c <= u'\u0E3A') ||
           (c >= u'\u0E47' && c <= u'\u0E4E');
}

std::string withThaiDigits(std::string_view text) {
    std::u16string units = toUtf16(text);
    for (char16_t& c : units) {
        if (c >= u'0' && c <= u'9') {
            c = static_cast<char16_t>(thaiZero + (c - u'0'));
        }
    }
    return toUtf8(units);
}

// A day serial of the workbook's date system: whole days from 0 to 31 December 9999.
bool daySerial(Reader& r, std::size_t i, std::int64_t& day) {
    const double v = r.number(i);
    if (r.failed()) {
        return false;
    }
    const DateSystem dates = r.context().dateSystem();
    if (v < 0 || v >= static_cast<double>(util::serialFromCivil({9999, 12, 31}, dates)) + 1) {
        r.fail(CellError::Num);
        return false;
    }
    day = static_cast<std::int64_t>(std::floor(v));
    return true;
}

Value thaiDigit(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string text = r.text(0);
    return r.failed() ? r.error() : Value::of(withThaiDigits(text));
}

Value isThaiDigit(Args args, CallContext& c) {
    Reader r(args, c);
    const std::u16string units = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    bool all = !units.empty();
    for (char16_t unit : units) {
        all = all && isThaiDigitUnit(unit);
    }
    return Value::of(all);
}

Value thaiStringLength(Args args, CallContext& c) {
    Reader r(args, c);
    const std::u16string units = toUtf16(r.text(0));
    if (r.failed()) {
        return r.error();
    }
    double length = 0;
    for (char16_t unit : units) {
        length += isThaiMark(unit) ? 0 : 1;
    }
    return Value::of(length);
}

Value thaiDayOfWeek(Args args, CallContext& c) {
    static constexpr std::array<const char*, 7> days = {"อาทิตย์",  "จันทร์", "อังคาร", "พุธ",
                                                        "พฤหัสบดี", "ศุกร์",  "เสาร์"};
    Reader r(args, c);
    std::int64_t day = 0;
    if (!daySerial(r, 0, day)) {
        return r.error();
    }
    const int weekday = util::weekdayOfSerial(day, c.dateSystem());
    return Value::of(std::string(days[static_cast<std::size_t>(weekday)]));
}

Value thaiMonthOfYear(Args args, CallContext& c) {
    static constexpr std::array<const char*, 12> months = {
        "มกราคม",  "กุมภาพันธ์", "มีนาคม",  "เมษายน", "พฤษภาคม",  "มิถุนายน",
        "กรกฎาคม", "สิงหาคม",  "กันยายน", "ตุลาคม",  "พฤศจิกายน", "ธันวาคม"};
    Reader r(args, c);
    const double month = std::trunc(r.number(0));
    if (r.failed()) {
        return r.error();
    }
    if (!(month >= 1 && month <= 12)) {
        return Value::fail(CellError::Value);
    }
    return Value::of(std::string(months[static_cast<std::size_t>(month) - 1]));
}

Value thaiYear(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t day = 0;
    if (!daySerial(r, 0, day)) {
        return r.error();
    }
    return Value::of(util::civilFromSerial(day, c.dateSystem()).year + 543.0);
}

// The number as Thai words: the whole part as BAHTTEXT says it, then "จุด" and each decimal
// digit of the number as the General format shows it.
Value thaiNumSound(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if (!std::isfinite(n) || std::fabs(n) >= 1e15) {
        return Value::fail(CellError::Num);
    }
    const double magnitude = roundTo15Digits(std::fabs(n));
    char whole[32];
    std::snprintf(whole, sizeof whole, "%.0f", std::trunc(magnitude));
    std::string out = n < 0 && magnitude > 0 ? "ลบ" : "";
    const std::string spelled = thaiWholeNumber(whole);
    out += spelled.empty() ? std::string(thaiDigitName(0)) : spelled;
    const std::string shown = toText(Value::of(magnitude)).text;
    const std::size_t point = shown.find('.');
    if (point != std::string::npos && shown.find('E') == std::string::npos) {
        out += "จุด";
        for (std::size_t i = point + 1; i < shown.size(); ++i) {
            out += thaiDigitName(shown[i] - '0');
        }
    }
    return Value::of(out);
}

Value thaiNumString(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    return Value::of(withThaiDigits(toText(Value::of(n)).text));
}

// To a whole number of quarter baht (25 satang), towards zero or away from it as ROUNDDOWN and
// ROUNDUP round.
template <bool Up> Value roundBaht(Args args, CallContext& c) {
    Reader r(args, c);
    const double n = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    const double quarters = roundTo15Digits(std::fabs(n) * 4);
    const double rounded = (Up ? std::ceil(quarters) : std::floor(quarters)) / 4;
    return numberOrNum(n < 0 ? -rounded : rounded);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ISTHAIDIGIT", 1, 1, isThaiDigit, {}, 0, 0, nullptr, {}, 375},
    FunctionInfo{"ROUNDBAHTDOWN", 1, 1, roundBaht<false>, {}, 0, 0, nullptr, {}, 376},
    FunctionInfo{"ROUNDBAHTUP", 1, 1, roundBaht<true>, {}, 0, 0, nullptr, {}, 377},
    FunctionInfo{"THAIDAYOFWEEK", 1, 1, thaiDayOfWeek, {}, 0, 0, nullptr, {}, 369},
    FunctionInfo{"THAIDIGIT", 1, 1, thaiDigit, {}, 0, 0, nullptr, {}, 370},
    FunctionInfo{"THAIMONTHOFYEAR", 1, 1, thaiMonthOfYear, {}, 0, 0, nullptr, {}, 371},
    FunctionInfo{"THAINUMSOUND", 1, 1, thaiNumSound, {}, 0, 0, nullptr, {}, 372},
    FunctionInfo{"THAINUMSTRING", 1, 1, thaiNumString, {}, 0, 0, nullptr, {}, 373},
    FunctionInfo{"THAISTRINGLENGTH", 1, 1, thaiStringLength, {}, 0, 0, nullptr, {}, 374},
    FunctionInfo{"THAIYEAR", 1, 1, thaiYear, {}, 0, 0, nullptr, {}, 378},
};

} // namespace

std::span<const FunctionInfo> thaiFunctions() {
    return table;
}

} // namespace engine::formula::functions
