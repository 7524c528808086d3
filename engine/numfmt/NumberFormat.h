#pragma once
// A number format code, parsed once into up to four sections, and the text it gives a value.

#include "engine/model/Style.h"
#include "engine/model/Workbook.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::numfmt {

enum class TokenKind : std::uint8_t {
    Literal,   // `text` as it stands
    Digit,     // a placeholder: `symbol` is '0', '#' or '?'
    Point,     // the decimal point
    Percent,   // '%': shown, and the value is multiplied by 100
    Exponent,  // E+ or E-: `symbol` is '+' or '-'
    Slash,     // the bar of a fraction
    Text,      // '@': the cell's text
    General,   // "General" inside a code
    Year,      // `width` letters: 1-2 two digits, more four
    Month,     // 1-2 digits, 3 short name, 4 full name, 5 initial
    Day,       // 1-2 digits, 3 short weekday, 4 full weekday
    Hour,      // 1-2 digits
    Minute,    // 1-2 digits
    Second,    // 1-2 digits
    SubSecond, // `width` digits of a second's fraction
    AmPm,      // `text` holds "AM/PM" or "A/P" as written
    Elapsed,   // [h] [m] [s]: `symbol` is 'h', 'm' or 's', `width` the minimum digits
};

// Which number a digit placeholder belongs to.
enum class DigitPart : std::uint8_t { Integer, Fraction, Exponent, Numerator, Denominator };

struct Token {
    TokenKind kind = TokenKind::Literal;
    char symbol = 0;
    std::uint8_t width = 0;
    DigitPart part = DigitPart::Integer;
    std::string text;
};

enum class Compare : std::uint8_t { None, Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };

enum class SectionKind : std::uint8_t { Number, Date, Text };

// One ';'-separated part of a code, with what the renderer needs to know about its layout.
struct Section {
    std::vector<Token> tokens;
    SectionKind kind = SectionKind::Number;
    Color color;                     // automatic: no colour named
    Compare compare = Compare::None; // the bracketed condition, if any
    double operand = 0;
    bool grouping = false; // thousands separators
    int scaleCommas = 0;   // each divides the value by 1000
    int percents = 0;
    int integerDigits = 0;  // placeholders before the point (or the numerator)
    int fractionDigits = 0; // placeholders after the point
    bool scientific = false;
    bool engineering = false; // '#' among the mantissa's integer placeholders
    bool fraction = false;
    int numeratorDigits = 0;
    int denominatorDigits = 0;
    int fixedDenominator = 0; // e.g. 16 in "# ??/16"; 0 when placeholders are used
    int subSecondDigits = 0;
    bool twelveHour = false;
    bool hasText = false;    // holds '@'
    bool hasDigits = false;  // holds any digit placeholder or General
    char32_t nativeZero = 0; // the zero of the numeral system its locale code names; 0: ASCII
};

// Marks, in rendered text, where a repeated fill character goes (the character follows it).
inline constexpr char fillMark = '\x1F';

// The result of formatting: the text and the colour a section names (automatic when none).
struct Shown {
    std::string text;
    Color color;
    // A character the format repeats to fill the cell's width ("* " pushes what follows it to
    // the cell's right edge), as UTF-8, and where in `text` the repetition goes; empty for none.
    std::string fill;
    std::size_t fillAt = 0;
};

class NumberFormat {
public:
    // Parses `code`; never fails: what cannot be understood is shown literally, an empty code
    // behaves like "General".
    static NumberFormat parse(std::string_view code);

    // Appends the text `value` shows to `out.text` and sets `out.color`.
    void formatNumber(double value, DateSystem dates, Shown& out) const;
    // The same for a text cell: the text section, or the text as it stands when there is none.
    void formatText(std::string_view text, Shown& out) const;

    bool isGeneral() const { return general_; }
    bool isDate() const;
    bool hasColor() const;
    const std::vector<Section>& sections() const { return sections_; }

private:
    // formatNumber's work; `used` is the section that was applied (nullptr for none).
    void renderNumber(double value, DateSystem dates, Shown& out, const Section*& used) const;
    // Takes the repeated fill character out of what one call appended from `start` on, and puts
    // the digits into the section's numeral system.
    static void finishShown(const Section* used, std::size_t start, Shown& out);
    void formatTextSection(std::string_view text, Shown& out) const;

    std::vector<Section> sections_;
    bool general_ = false;
};

// Digits of `value` (>= 0) rounded to `decimals`: the integer part ("" for zero) and exactly
// `decimals` fraction digits. Like the application, the value is first taken to 15 significant
// digits and then rounded half away from zero, so 1.005 shows as 1.01.
void splitDigits(double value, int decimals, std::string& integer, std::string& fraction);

// Renders one section (value already chosen for it; `negativeSign` asks for a leading '-').
void renderNumberSection(const Section& section, double value, bool negativeSign, std::string& out);
void renderDateSection(const Section& section, double value, DateSystem dates, std::string& out);

} // namespace engine::numfmt
