#pragma once
// A value as formulas compute it: what a cell holds, or what an operator or function gives.

#include "engine/model/Cell.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine::formula {

enum class ValueKind : std::uint8_t { Blank, Number, Text, Boolean, Error };

struct Value {
    ValueKind kind = ValueKind::Blank;
    double number = 0;                  // Number; 0 or 1 for Boolean
    CellError error = CellError::Value; // Error
    std::string text;                   // Text, UTF-8

    static Value blank() { return {}; }
    static Value of(double n) { return {ValueKind::Number, n, CellError::Value, {}}; }
    static Value of(bool b) { return {ValueKind::Boolean, b ? 1.0 : 0.0, CellError::Value, {}}; }
    static Value of(std::string s) { return {ValueKind::Text, 0, CellError::Value, std::move(s)}; }
    static Value fail(CellError e) { return {ValueKind::Error, 0, e, {}}; }

    bool isError() const { return kind == ValueKind::Error; }
    bool operator==(const Value&) const = default;
};

// The application's implicit conversions of a single value (not of a range: functions that
// take ranges skip text and blanks there themselves).
//   number:  blank 0, TRUE 1, text read as a number, percentage, currency or date/time
//            ("3" 3, " 1,000 " 1000, "50%" 0.5, "1/2/2020" a serial, but not " 1/2/2020"),
//            else #VALUE!
//   text:    numbers as the General format shows them with up to 15 significant digits,
//            TRUE/FALSE, blank ""
//   boolean: numbers non-zero, text "TRUE"/"FALSE" in any case, else #VALUE!
// An error converts to itself.
Value toNumber(const Value& v, DateSystem dates);
Value toText(const Value& v);
Value toBoolean(const Value& v);

// Text read as a number the way a cell entry is ("1e3", "-1,234.5", "(12)", "$5", "25%",
// "2020-01-31", "13:30"); nullopt when it is none of those.
std::optional<double> parseNumberText(std::string_view text, DateSystem dates);

// A number rounded to the 15 significant digits the application keeps when it shows or
// compares a result (0.1+0.2 == 0.3).
double roundTo15Digits(double value);

// The application's order for sorting and comparing values of mixed kinds: numbers < text <
// FALSE < TRUE; text compared ignoring letter case. Negative, 0 or positive. Blank compares as
// 0 against numbers, "" against text and FALSE against booleans. Errors are not ordered: the
// caller handles them first.
int compareValues(const Value& a, const Value& b);

} // namespace engine::formula
