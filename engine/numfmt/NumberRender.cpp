#include "engine/numfmt/DecimalDigits.h"
#include "engine/numfmt/General.h"
#include "engine/numfmt/NativeDigits.h"
#include "engine/numfmt/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace engine::numfmt {
namespace {

constexpr const char* overflowText = "########";

std::string wholeNumber(double value) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0);
    return std::string(buffer, result.ptr);
}

// Lays the digits of an integer over the section's integer placeholders, left to right.
class IntegerDigits {
public:
    IntegerDigits(const std::string& digits, int placeholders, bool grouping)
        : digits_(digits), placeholders_(placeholders), grouping_(grouping) {}

    void emit(const Token& token, std::string& out) {
        int length = static_cast<int>(digits_.size());
        int k = index_++;
        if (k == 0)
            for (int p = std::max(length, placeholders_) - 1; p > placeholders_ - 1; --p)
                position(p, token.symbol, out);
        position(placeholders_ - 1 - k, token.symbol, out);
    }

private:
    void position(int p, char symbol, std::string& out) {
        int length = static_cast<int>(digits_.size());
        bool shown = true;
        if (p < length && p >= 0)
            out += digits_[static_cast<std::size_t>(length - 1 - p)];
        else if (symbol == '0')
            out += '0';
        else if (symbol == '?')
            out += ' ', shown = false;
        else
            shown = false;
        if (shown && grouping_ && p > 0 && p % 3 == 0)
            out += ',';
    }

    const std::string& digits_;
    int placeholders_;
    bool grouping_;
    int index_ = 0;
};

void emitFractionDigit(const Token& token, const std::string& fraction, std::size_t index,
                       std::size_t lastNonZero, std::string& out) {
    char digit = index < fraction.size() ? fraction[index] : '0';
    bool trailingZero = lastNonZero == std::string::npos || index > lastNonZero;
    if (token.symbol == '0' || !trailingZero)
        out += digit;
    else if (token.symbol == '?')
        out += ' ';
}

void renderLiteralish(const Token& token, double value, std::string& out) {
    switch (token.kind) {
    case TokenKind::Literal:
        out += token.text;
        break;
    case TokenKind::Percent:
        out += '%';
        break;
    case TokenKind::Point:
        out += '.';
        break;
    case TokenKind::Slash:
        out += '/';
        break;
    case TokenKind::General:
    case TokenKind::Text:
        appendGeneral(out, value);
        break;
    default:
        break;
    }
}

void renderDecimal(const Section& section, double value, std::string& out) {
    std::string integer, fraction;
    splitDigits(value, section.fractionDigits, integer, fraction);
    std::size_t lastNonZero = fraction.find_last_not_of('0');
    IntegerDigits integerDigits(integer, section.integerDigits, section.grouping);
    std::size_t fractionIndex = 0;
    for (const Token& token : section.tokens) {
        if (token.kind == TokenKind::Digit && token.part == DigitPart::Integer)
            integerDigits.emit(token, out);
        else if (token.kind == TokenKind::Digit && token.part == DigitPart::Fraction)
            emitFractionDigit(token, fraction, fractionIndex++, lastNonZero, out);
        else
            renderLiteralish(token, value, out);
    }
}

double powerOfTen(int exponent) {
    return std::pow(10.0, exponent);
}

double scaleDown(double value, int exponent) {
    double scaled = value / powerOfTen(exponent);
    if (!std::isfinite(scaled) || scaled == 0)
        scaled = (value * 1e300) / powerOfTen(exponent + 300);
    return scaled;
}

void renderScientific(const Section& section, double value, std::string& out) {
    int places = std::max(section.integerDigits, 1);
    int period = section.engineering ? places : 1;
    int exponent = 0;
    double mantissa = 0;
    std::string integer, fraction;
    if (value > 0) {
        int magnitude = static_cast<int>(std::floor(std::log10(value)));
        if (section.engineering)
            exponent =
                static_cast<int>(std::floor(static_cast<double>(magnitude) / period)) * period;
        else
            exponent = magnitude - (places - 1);
        mantissa = scaleDown(value, exponent);
        splitDigits(mantissa, section.fractionDigits, integer, fraction);
        int allowed = section.engineering ? period : places;
        if (static_cast<int>(integer.size()) > allowed) {
            exponent += period;
            mantissa = scaleDown(value, exponent);
            splitDigits(mantissa, section.fractionDigits, integer, fraction);
        }
    } else {
        splitDigits(0, section.fractionDigits, integer, fraction);
    }
    std::size_t lastNonZero = fraction.find_last_not_of('0');
    IntegerDigits integerDigits(integer, section.integerDigits, section.grouping);
    std::size_t fractionIndex = 0;
    int exponentDigits = 0;
    for (const Token& token : section.tokens)
        if (token.kind == TokenKind::Digit && token.part == DigitPart::Exponent)
            ++exponentDigits;
    bool exponentWritten = false;
    for (const Token& token : section.tokens) {
        if (token.kind == TokenKind::Digit && token.part == DigitPart::Integer) {
            integerDigits.emit(token, out);
        } else if (token.kind == TokenKind::Digit && token.part == DigitPart::Fraction) {
            emitFractionDigit(token, fraction, fractionIndex++, lastNonZero, out);
        } else if (token.kind == TokenKind::Exponent) {
            out += 'E';
            if (exponent < 0)
                out += '-';
            else if (token.symbol == '+')
                out += '+';
        } else if (token.kind == TokenKind::Digit && token.part == DigitPart::Exponent) {
            if (exponentWritten)
                continue;
            exponentWritten = true;
            std::string digits = std::to_string(std::abs(exponent));
            if (static_cast<int>(digits.size()) < exponentDigits)
                digits.insert(0, static_cast<std::size_t>(exponentDigits) - digits.size(), '0');
            out += digits;
        } else {
            renderLiteralish(token, value, out);
        }
    }
}

// The best approximation numerator/denominator of `value` (0 <= value < 1) with a denominator
// of at most `maxDenominator`, by continued fractions.
void approximate(double value, std::int64_t maxDenominator, std::int64_t& numerator,
                 std::int64_t& denominator) {
    std::int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double rest = value;
    for (int step = 0; step < 64; ++step) {
        double whole = std::floor(rest);
        if (whole > 1e15)
            break;
        auto a = static_cast<std::int64_t>(whole);
        // A partial quotient beyond the limit ends the expansion; checking first keeps the
        // products below in range.
        std::int64_t q2 = (q1 != 0 && a > maxDenominator) ? maxDenominator + 1 : a * q1 + q0;
        if (q2 > maxDenominator) {
            if (q1 == 0)
                break;
            std::int64_t k = (maxDenominator - q0) / q1;
            std::int64_t pk = p0 + k * p1, qk = q0 + k * q1;
            if (qk > 0 && std::fabs(value - static_cast<double>(pk) / static_cast<double>(qk)) <
                              std::fabs(value - static_cast<double>(p1) / static_cast<double>(q1)))
                p1 = pk, q1 = qk;
            break;
        }
        std::int64_t p2 = a * p1 + p0;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        double remainder = rest - whole;
        if (remainder < 1e-12)
            break;
        rest = 1.0 / remainder;
    }
    if (q1 == 0) {
        numerator = static_cast<std::int64_t>(std::llround(value));
        denominator = 1;
        return;
    }
    numerator = p1;
    denominator = q1;
}

void padded(std::string digits, int width, char symbol, bool left, std::string& out) {
    char pad = symbol == '0' ? '0' : symbol == '?' ? ' ' : 0;
    int missing = width - static_cast<int>(digits.size());
    if (pad && missing > 0) {
        if (left)
            digits.insert(0, static_cast<std::size_t>(missing), pad);
        else
            digits.append(static_cast<std::size_t>(missing), pad == '0' && !left ? ' ' : pad);
    }
    out += digits;
}

void renderFraction(const Section& section, double value, std::string& out) {
    bool hasInteger = section.integerDigits > 0;
    if (!hasInteger && value > 1e15) {
        out += wholeNumber(value);
        return;
    }
    double whole = std::floor(value);
    double part = value - whole;
    std::int64_t fractionNumerator = 0, denominator = 1;
    if (section.fixedDenominator > 0) {
        denominator = section.fixedDenominator;
        fractionNumerator = std::llround(part * static_cast<double>(denominator));
    } else {
        std::int64_t maxDenominator = 1;
        for (int i = 0; i < section.denominatorDigits; ++i)
            maxDenominator *= 10;
        approximate(part, maxDenominator - 1, fractionNumerator, denominator);
    }
    // Without an integer part the whole number goes into the numerator (3/2); the sum is kept
    // in floating point, as it may exceed any integer type for a large value.
    double numerator = static_cast<double>(fractionNumerator);
    if (!hasInteger) {
        numerator += whole * static_cast<double>(denominator);
        whole = 0;
    }
    if (hasInteger && numerator == static_cast<double>(denominator)) {
        whole += 1;
        numerator = 0;
    }
    std::string integer;
    if (whole != 0)
        integer = wholeNumber(whole);
    else if (numerator == 0)
        integer.push_back('0');
    bool blankFraction = numerator == 0 && hasInteger;
    int fractionWidth = section.numeratorDigits + 1 +
                        (section.fixedDenominator > 0
                             ? static_cast<int>(std::to_string(section.fixedDenominator).size())
                             : section.denominatorDigits);
    IntegerDigits integerDigits(integer, section.integerDigits, section.grouping);
    bool numeratorWritten = false, denominatorWritten = false;
    for (std::size_t i = 0; i < section.tokens.size(); ++i) {
        const Token& token = section.tokens[i];
        if (token.kind == TokenKind::Digit && token.part == DigitPart::Integer) {
            integerDigits.emit(token, out);
        } else if (token.kind == TokenKind::Digit && token.part == DigitPart::Numerator) {
            if (numeratorWritten)
                continue;
            numeratorWritten = true;
            if (blankFraction)
                out.append(static_cast<std::size_t>(fractionWidth), ' ');
            else
                padded(wholeNumber(numerator), section.numeratorDigits, token.symbol, true, out);
        } else if (token.kind == TokenKind::Slash ||
                   (token.kind == TokenKind::Literal && token.symbol == 'd')) {
            if (!blankFraction)
                out += token.kind == TokenKind::Slash ? std::string("/") : token.text;
        } else if (token.kind == TokenKind::Digit && token.part == DigitPart::Denominator) {
            if (denominatorWritten || blankFraction)
                continue;
            denominatorWritten = true;
            padded(std::to_string(denominator), section.denominatorDigits, token.symbol, false,
                   out);
        } else {
            renderLiteralish(token, value, out);
        }
    }
}

bool matches(Compare compare, double operand, double value) {
    switch (compare) {
    case Compare::None:
        return true;
    case Compare::Less:
        return value < operand;
    case Compare::LessEqual:
        return value <= operand;
    case Compare::Greater:
        return value > operand;
    case Compare::GreaterEqual:
        return value >= operand;
    case Compare::Equal:
        return value == operand;
    case Compare::NotEqual:
        return value != operand;
    }
    return false;
}

// A condition that only negative numbers meet implies the sign, as the default "<0" does.
bool impliesNegative(const Section& section) {
    return (section.compare == Compare::Less && section.operand <= 0) ||
           (section.compare == Compare::LessEqual && section.operand < 0);
}

} // namespace

void splitDigits(double value, int decimals, std::string& integer, std::string& fraction) {
    integer.clear();
    fraction.assign(static_cast<std::size_t>(decimals), '0');
    if (!(value > 0) || !std::isfinite(value))
        return;
    const DecimalDigits significant = significantDigits(value);
    const RoundedDigits rounded = roundedDigits(significant, decimals);
    if (rounded.keep < 0)
        return;
    const int integerLength = rounded.exponent + 1;
    if (integerLength > 0) {
        integer.resize(static_cast<std::size_t>(integerLength));
        for (int i = 0; i < integerLength; ++i)
            integer[static_cast<std::size_t>(i)] = rounded.at(i);
    }
    for (int i = 0; i < decimals; ++i)
        fraction[static_cast<std::size_t>(i)] = rounded.at(integerLength + i);
    if (integer.find_first_not_of('0') == std::string::npos)
        integer.clear();
}

void renderNumberSection(const Section& section, double value, bool negativeSign,
                         std::string& out) {
    if (negativeSign)
        out += '-';
    double scaled = value;
    for (int i = 0; i < section.percents; ++i)
        scaled *= 100;
    for (int i = 0; i < section.scaleCommas; ++i)
        scaled /= 1000;
    if (!std::isfinite(scaled)) {
        out += overflowText;
        return;
    }
    if (section.fraction)
        renderFraction(section, scaled, out);
    else if (section.scientific)
        renderScientific(section, scaled, out);
    else
        renderDecimal(section, scaled, out);
}

void NumberFormat::formatNumber(double value, DateSystem dates, Shown& out) const {
    const std::size_t start = out.text.size();
    const Section* used = nullptr;
    renderNumber(value, dates, out, used);
    finishShown(used, start, out);
}

void NumberFormat::renderNumber(double value, DateSystem dates, Shown& out,
                                const Section*& used) const {
    out.color = Color{};
    if (general_ || sections_.empty() || !std::isfinite(value)) {
        appendGeneral(out.text, value);
        return;
    }
    std::size_t numeric = std::min<std::size_t>(sections_.size(), 3);
    const Section* chosen = nullptr;
    bool absolute = false;
    bool conditional = sections_[0].compare != Compare::None ||
                       (numeric > 1 && sections_[1].compare != Compare::None);
    if (!conditional) {
        if (numeric == 1 || (numeric == 2 && value >= 0) || (numeric == 3 && value > 0)) {
            chosen = &sections_[0];
        } else if (value < 0) {
            chosen = &sections_[1];
            absolute = true;
        } else {
            chosen = &sections_[2];
        }
    } else {
        if (matches(sections_[0].compare, sections_[0].operand, value))
            chosen = &sections_[0];
        else if (numeric >= 2 && sections_[1].compare == Compare::None)
            chosen = &sections_[1];
        else if (numeric >= 2 && matches(sections_[1].compare, sections_[1].operand, value))
            chosen = &sections_[1];
        else if (numeric >= 3)
            chosen = &sections_[2];
        if (!chosen) {
            out.text += overflowText;
            return;
        }
        absolute = impliesNegative(*chosen);
    }
    out.color = chosen->color;
    used = chosen;
    if (chosen->kind == SectionKind::Date) {
        renderDateSection(*chosen, absolute ? std::fabs(value) : value, dates, out.text);
        return;
    }
    if (chosen->kind == SectionKind::Text) {
        for (const Token& token : chosen->tokens)
            if (token.kind == TokenKind::Literal)
                out.text += token.text;
            else if (token.kind == TokenKind::Text)
                appendGeneral(out.text, absolute ? std::fabs(value) : value);
        return;
    }
    renderNumberSection(*chosen, std::fabs(value), value < 0 && !absolute, out.text);
}

void NumberFormat::finishShown(const Section* used, std::size_t start, Shown& out) {
    std::string& text = out.text;
    // Digits first: the mark is no digit, and byte offsets found after this stay true.
    if (used && used->nativeZero)
        substituteDigits(text, start, used->nativeZero);
    for (std::size_t at = text.find(fillMark, start); at != std::string::npos;
         at = text.find(fillMark, at)) {
        // The character after the mark, however many bytes it takes.
        std::size_t length = 0;
        if (at + 1 < text.size()) {
            length = 1;
            while (at + 1 + length < text.size() &&
                   (static_cast<unsigned char>(text[at + 1 + length]) & 0xC0) == 0x80)
                ++length;
        }
        if (out.fill.empty() && length > 0) {
            out.fill = text.substr(at + 1, length);
            out.fillAt = at;
        }
        text.erase(at, 1 + length);
    }
}

void NumberFormat::formatText(std::string_view text, Shown& out) const {
    const std::size_t start = out.text.size();
    formatTextSection(text, out);
    // Digit substitution applies to numbers, not to the cell's own text.
    finishShown(nullptr, start, out);
}

void NumberFormat::formatTextSection(std::string_view text, Shown& out) const {
    out.color = Color{};
    const Section* section = nullptr;
    if (sections_.size() >= 4)
        section = &sections_[3];
    else if (!sections_.empty() && sections_[0].hasText)
        section = &sections_[0];
    if (!section) {
        out.text += text;
        return;
    }
    out.color = section->color;
    for (const Token& token : section->tokens) {
        if (token.kind == TokenKind::Text)
            out.text += text;
        else if (token.kind == TokenKind::Literal)
            out.text += token.text;
    }
}

} // namespace engine::numfmt
