#include "engine/base/Limits.h"
#include "engine/numfmt/NativeDigits.h"
#include "engine/numfmt/NumberFormat.h"
#include "engine/numfmt/Palette.h"

#include <algorithm>
#include <charconv>

namespace engine::numfmt {
namespace {

// Positive, negative, zero and text: the application reads no more parts of a code.
constexpr std::size_t maxSections = 4;

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view lowerWord) {
    if (text.size() - at < lowerWord.size())
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
        if (lower(text[at + i]) != lowerWord[i])
            return false;
    return true;
}

// Length of the UTF-8 sequence starting at `at`, never past the end.
std::size_t codePointLength(std::string_view text, std::size_t at) {
    if (at >= text.size())
        return 0;
    auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 1;
    return std::min(length, text.size() - at);
}

bool isDateKind(TokenKind kind) {
    switch (kind) {
    case TokenKind::Year:
    case TokenKind::Month:
    case TokenKind::Day:
    case TokenKind::Hour:
    case TokenKind::Minute:
    case TokenKind::Second:
    case TokenKind::AmPm:
    case TokenKind::Elapsed:
        return true;
    default:
        return false;
    }
}

// Splits a code on the ';' that are not quoted, escaped or bracketed.
std::vector<std::string_view> splitSections(std::string_view code) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    bool quoted = false, bracketed = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracketed) {
            bracketed = c != ']';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracketed = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == ';') {
            parts.push_back(code.substr(start, i - start));
            start = i + 1;
            if (parts.size() == maxSections - 1)
                break;
        }
    }
    if (start <= code.size()) {
        std::string_view last = code.substr(start);
        // A fourth section ends at the next separator; anything after it is ignored.
        if (parts.size() == maxSections - 1) {
            bool inQuote = false;
            for (std::size_t i = 0; i < last.size(); ++i) {
                if (last[i] == '"')
                    inQuote = !inQuote;
                else if (!inQuote && last[i] == ';') {
                    last = last.substr(0, i);
                    break;
                }
            }
        }
        parts.push_back(last);
    }
    return parts;
}

class SectionParser {
public:
    explicit SectionParser(std::string_view text) : text_(text) {}

    Section parse() {
        tokenize();
        classify();
        return std::move(section_);
    }

private:
    void literal(std::string_view text) {
        auto& tokens = section_.tokens;
        if (!tokens.empty() && tokens.back().kind == TokenKind::Literal &&
            tokens.back().symbol == 0)
            tokens.back().text += text;
        else
            tokens.push_back(
                Token{TokenKind::Literal, 0, 0, DigitPart::Integer, std::string(text)});
    }

    void push(TokenKind kind, char symbol = 0, std::uint8_t width = 0, std::string text = {}) {
        section_.tokens.push_back(Token{kind, symbol, width, DigitPart::Integer, std::move(text)});
    }

    void bracket(std::string_view content) {
        if (content.empty())
            return;
        char first = content[0];
        if (first == '<' || first == '>' || first == '=') {
            condition(content);
            return;
        }
        if (first == '$') {
            // [$€-407]: a currency symbol with a locale; [$-409]: a locale alone.
            std::string_view symbol = content.substr(1);
            const std::size_t dash = symbol.find('-');
            if (dash != std::string_view::npos) {
                std::string_view hex = symbol.substr(dash + 1);
                std::uint32_t locale = 0;
                auto parsed = std::from_chars(
                    hex.data(), hex.data() + std::min<std::size_t>(hex.size(), 8), locale, 16);
                if (parsed.ec == std::errc())
                    section_.nativeZero = nativeZeroFor(locale);
            }
            symbol = symbol.substr(0, dash);
            if (!symbol.empty())
                literal(symbol);
            return;
        }
        char letter = lower(first);
        if ((letter == 'h' || letter == 'm' || letter == 's') &&
            std::all_of(content.begin(), content.end(),
                        [&](char c) { return lower(c) == letter; })) {
            push(TokenKind::Elapsed, letter,
                 static_cast<std::uint8_t>(std::min<std::size_t>(content.size(), 10)));
            return;
        }
        if (auto color = colorByName(content))
            section_.color = *color;
        // Anything else ([DBNum1], calendars ...) changes nothing in an en-US setting.
    }

    void condition(std::string_view content) {
        std::size_t length = 1;
        Compare compare = Compare::Equal;
        if (content.starts_with("<=")) {
            compare = Compare::LessEqual, length = 2;
        } else if (content.starts_with(">=")) {
            compare = Compare::GreaterEqual, length = 2;
        } else if (content.starts_with("<>")) {
            compare = Compare::NotEqual, length = 2;
        } else if (content[0] == '<') {
            compare = Compare::Less;
        } else if (content[0] == '>') {
            compare = Compare::Greater;
        }
        std::string_view number = content.substr(length);
        while (!number.empty() && number.front() == ' ')
            number.remove_prefix(1);
        double operand = 0;
        auto result = std::from_chars(number.data(), number.data() + number.size(), operand);
        if (result.ec != std::errc())
            return;
        section_.compare = compare;
        section_.operand = operand;
    }

    void tokenize() {
        std::size_t i = 0;
        while (i < text_.size()) {
            char c = text_[i];
            switch (c) {
            case '"': {
                std::size_t end = text_.find('"', i + 1);
                if (end == std::string_view::npos)
                    end = text_.size();
                literal(text_.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            case '\\': {
                std::size_t length = codePointLength(text_, i + 1);
                literal(text_.substr(i + 1, length));
                i += 1 + length;
                continue;
            }
            case '_':
                literal(" ");
                i += 1 + codePointLength(text_, i + 1);
                continue;
            case '*': {
                // A repeated fill character: only the writer knows the cell's width, so the
                // text carries a mark where the repetition goes (only the first counts).
                const std::size_t length = codePointLength(text_, i + 1);
                if (!filled_ && length > 0) {
                    filled_ = true;
                    literal(std::string(1, fillMark) + std::string(text_.substr(i + 1, length)));
                }
                i += 1 + length;
                continue;
            }
            case '[': {
                std::size_t end = text_.find(']', i);
                if (end == std::string_view::npos) {
                    literal(text_.substr(i));
                    i = text_.size();
                    continue;
                }
                bracket(text_.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            case '0':
            case '#':
            case '?':
                push(TokenKind::Digit, c);
                break;
            case '.':
                push(TokenKind::Point);
                break;
            case ',':
                push(TokenKind::Literal, ',', 0, ",");
                break;
            case '%':
                push(TokenKind::Percent);
                break;
            case '@':
                push(TokenKind::Text);
                break;
            case '/': {
                push(TokenKind::Slash);
                std::size_t j = i + 1;
                if (j < text_.size() && text_[j] >= '1' && text_[j] <= '9') {
                    while (j < text_.size() && text_[j] >= '0' && text_[j] <= '9' && j - i < 9)
                        ++j;
                    push(TokenKind::Literal, 'd', 0, std::string(text_.substr(i + 1, j - i - 1)));
                    i = j;
                    continue;
                }
                break;
            }
            case 'E':
            case 'e':
                if (i + 1 < text_.size() && (text_[i + 1] == '+' || text_[i + 1] == '-')) {
                    push(TokenKind::Exponent, text_[i + 1]);
                    i += 2;
                    continue;
                }
                // The era year; with the Gregorian calendar the year itself.
                while (i + 1 < text_.size() && lower(text_[i + 1]) == 'e')
                    ++i;
                push(TokenKind::Year, 'y', 4);
                break;
            case 'G':
            case 'g':
                if (startsWithIgnoringCase(text_, i, "general")) {
                    push(TokenKind::General);
                    i += 7;
                    continue;
                }
                // The era name, which the Gregorian calendar does not have.
                while (i + 1 < text_.size() && lower(text_[i + 1]) == 'g')
                    ++i;
                break;
            case 'A':
            case 'a':
                if (startsWithIgnoringCase(text_, i, "am/pm")) {
                    push(TokenKind::AmPm, 0, 0, std::string(text_.substr(i, 5)));
                    i += 5;
                    continue;
                }
                if (startsWithIgnoringCase(text_, i, "a/p")) {
                    push(TokenKind::AmPm, 0, 0, std::string(text_.substr(i, 3)));
                    i += 3;
                    continue;
                }
                literal(text_.substr(i, 1));
                break;
            case 'y':
            case 'Y':
            case 'm':
            case 'M':
            case 'd':
            case 'D':
            case 'h':
            case 'H':
            case 's':
            case 'S': {
                char letter = lower(c);
                std::size_t j = i;
                while (j < text_.size() && lower(text_[j]) == letter)
                    ++j;
                auto width = static_cast<std::uint8_t>(std::min<std::size_t>(j - i, 10));
                TokenKind kind = letter == 'y'   ? TokenKind::Year
                                 : letter == 'm' ? TokenKind::Month
                                 : letter == 'd' ? TokenKind::Day
                                 : letter == 'h' ? TokenKind::Hour
                                                 : TokenKind::Second;
                push(kind, letter, width);
                i = j;
                continue;
            }
            default: {
                std::size_t length = codePointLength(text_, i);
                literal(text_.substr(i, length));
                i += length;
                continue;
            }
            }
            ++i;
        }
    }

    void classify() {
        auto& tokens = section_.tokens;
        bool date = std::any_of(tokens.begin(), tokens.end(),
                                [](const Token& t) { return isDateKind(t.kind); });
        section_.hasText = std::any_of(tokens.begin(), tokens.end(),
                                       [](const Token& t) { return t.kind == TokenKind::Text; });
        if (date)
            classifyDate();
        else
            classifyNumber();
        // Neighbouring literals are merged so that rendering appends once per run.
        std::vector<Token> merged;
        for (auto& token : tokens) {
            if (token.kind == TokenKind::Literal && token.symbol != 'd' && !merged.empty() &&
                merged.back().kind == TokenKind::Literal && merged.back().symbol != 'd') {
                merged.back().text += token.text;
            } else {
                merged.push_back(std::move(token));
                if (merged.back().kind == TokenKind::Literal && merged.back().symbol != 'd')
                    merged.back().symbol = 0;
            }
        }
        tokens.swap(merged);
    }

    static void makeLiteral(Token& token) {
        if (token.kind == TokenKind::Literal)
            return;
        std::string text;
        switch (token.kind) {
        case TokenKind::Digit:
            text = std::string(1, token.symbol);
            break;
        case TokenKind::Point:
            text = ".";
            break;
        case TokenKind::Percent:
            text = "%";
            break;
        case TokenKind::Slash:
            text = "/";
            break;
        case TokenKind::Exponent:
            text = std::string("E") + token.symbol;
            break;
        case TokenKind::General:
            text = "General";
            break;
        default:
            break;
        }
        token = Token{TokenKind::Literal, 0, 0, DigitPart::Integer, std::move(text)};
    }

    void classifyDate() {
        section_.kind = SectionKind::Date;
        auto& tokens = section_.tokens;
        // 'm' next to an hour or before a second counts minutes, elsewhere months.
        std::vector<std::size_t> dateTokens;
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (isDateKind(tokens[i].kind))
                dateTokens.push_back(i);
        auto isHour = [](const Token& t) {
            return t.kind == TokenKind::Hour || (t.kind == TokenKind::Elapsed && t.symbol == 'h');
        };
        auto isSecond = [](const Token& t) {
            return t.kind == TokenKind::Second || (t.kind == TokenKind::Elapsed && t.symbol == 's');
        };
        for (std::size_t k = 0; k < dateTokens.size(); ++k) {
            Token& token = tokens[dateTokens[k]];
            if (token.kind != TokenKind::Month || token.width > 2)
                continue;
            bool afterHour = k > 0 && isHour(tokens[dateTokens[k - 1]]);
            bool beforeSecond = k + 1 < dateTokens.size() && isSecond(tokens[dateTokens[k + 1]]);
            if (afterHour || beforeSecond)
                token.kind = TokenKind::Minute;
        }
        bool secondSeen = false;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            Token& token = tokens[i];
            if (isSecond(token))
                secondSeen = true;
            if (token.kind == TokenKind::AmPm)
                section_.twelveHour = true;
            if (token.kind == TokenKind::Point && secondSeen && i + 1 < tokens.size() &&
                tokens[i + 1].kind == TokenKind::Digit && tokens[i + 1].symbol == '0') {
                std::size_t j = i + 1;
                while (j < tokens.size() && tokens[j].kind == TokenKind::Digit &&
                       tokens[j].symbol == '0')
                    ++j;
                int digits = static_cast<int>(std::min<std::size_t>(j - i - 1, 3));
                token = Token{TokenKind::SubSecond,
                              0,
                              static_cast<std::uint8_t>(digits),
                              DigitPart::Fraction,
                              {}};
                tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 1),
                             tokens.begin() + static_cast<std::ptrdiff_t>(j));
                section_.subSecondDigits = std::max(section_.subSecondDigits, digits);
                continue;
            }
            if (!isDateKind(token.kind) && token.kind != TokenKind::SubSecond &&
                token.kind != TokenKind::Text)
                makeLiteral(token);
        }
    }

    void resolveCommas() {
        auto& tokens = section_.tokens;
        std::vector<Token> kept;
        for (std::size_t i = 0; i < tokens.size();) {
            if (!(tokens[i].kind == TokenKind::Literal && tokens[i].symbol == ',')) {
                kept.push_back(std::move(tokens[i++]));
                continue;
            }
            std::size_t end = i;
            while (end < tokens.size() && tokens[end].kind == TokenKind::Literal &&
                   tokens[end].symbol == ',')
                ++end;
            bool afterDigit = !kept.empty() && kept.back().kind == TokenKind::Digit;
            bool beforeDigit = end < tokens.size() && tokens[end].kind == TokenKind::Digit;
            if (afterDigit && beforeDigit) {
                section_.grouping = true;
            } else if (afterDigit) {
                section_.scaleCommas += static_cast<int>(end - i);
            } else {
                for (std::size_t k = i; k < end; ++k) {
                    tokens[k].symbol = 0;
                    kept.push_back(std::move(tokens[k]));
                }
            }
            i = end;
        }
        tokens.swap(kept);
    }

    void classifyNumber() {
        resolveCommas();
        auto& tokens = section_.tokens;
        std::size_t slash = tokens.size();
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (tokens[i].kind == TokenKind::Slash && i > 0 &&
                tokens[i - 1].kind == TokenKind::Digit) {
                slash = i;
                break;
            }
        if (slash < tokens.size())
            classifyFraction(slash);
        else
            classifyDecimal();
        for (auto& token : tokens) {
            if (token.kind == TokenKind::Digit || token.kind == TokenKind::General)
                section_.hasDigits = true;
            if (token.kind == TokenKind::Percent)
                ++section_.percents;
        }
        section_.percents = std::min(section_.percents, 4);
        section_.scaleCommas = std::min(section_.scaleCommas, 8);
        if (!section_.hasDigits && section_.hasText)
            section_.kind = SectionKind::Text;
    }

    void classifyDecimal() {
        auto& tokens = section_.tokens;
        bool pointSeen = false, exponentSeen = false;
        int integerDigits = 0, fractionDigits = 0;
        for (auto& token : tokens) {
            switch (token.kind) {
            case TokenKind::Point:
                if (pointSeen || exponentSeen)
                    makeLiteral(token);
                pointSeen = true;
                break;
            case TokenKind::Exponent:
                if (exponentSeen)
                    makeLiteral(token);
                exponentSeen = true;
                break;
            case TokenKind::Slash:
                makeLiteral(token);
                break;
            case TokenKind::Digit:
                if (exponentSeen) {
                    token.part = DigitPart::Exponent;
                } else if (pointSeen) {
                    if (fractionDigits == limits::maxFormatDigits) {
                        makeLiteral(token);
                        token.text.clear();
                        break;
                    }
                    token.part = DigitPart::Fraction;
                    ++fractionDigits;
                } else {
                    token.part = DigitPart::Integer;
                    ++integerDigits;
                    if (token.symbol == '#')
                        section_.engineering = true;
                }
                break;
            default:
                break;
            }
        }
        section_.integerDigits = integerDigits;
        section_.fractionDigits = fractionDigits;
        section_.scientific = exponentSeen;
        section_.engineering = exponentSeen && section_.engineering && integerDigits > 1;
    }

    void classifyFraction(std::size_t slash) {
        auto& tokens = section_.tokens;
        section_.fraction = true;
        std::size_t numeratorStart = slash;
        while (numeratorStart > 0 && tokens[numeratorStart - 1].kind == TokenKind::Digit)
            --numeratorStart;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            Token& token = tokens[i];
            if (i == slash)
                continue;
            if (token.kind == TokenKind::Point || token.kind == TokenKind::Exponent ||
                token.kind == TokenKind::Slash) {
                makeLiteral(token);
            } else if (token.kind == TokenKind::Digit) {
                if (i < numeratorStart) {
                    token.part = DigitPart::Integer;
                    ++section_.integerDigits;
                } else if (i < slash) {
                    token.part = DigitPart::Numerator;
                    ++section_.numeratorDigits;
                } else {
                    token.part = DigitPart::Denominator;
                    ++section_.denominatorDigits;
                }
            } else if (token.kind == TokenKind::Literal && token.symbol == 'd' && i == slash + 1) {
                int denominator = 0;
                std::from_chars(token.text.data(), token.text.data() + token.text.size(),
                                denominator);
                section_.fixedDenominator = denominator;
            }
        }
        section_.denominatorDigits = std::min(section_.denominatorDigits, 7);
        if (section_.fixedDenominator == 0 && section_.denominatorDigits == 0)
            section_.denominatorDigits = 1;
    }

    std::string_view text_;
    bool filled_ = false;
    Section section_;
};

} // namespace

NumberFormat NumberFormat::parse(std::string_view code) {
    NumberFormat format;
    if (code.size() > limits::maxFormatCodeBytes)
        code = code.substr(0, limits::maxFormatCodeBytes);
    if (code.empty() || (code.size() == 7 && startsWithIgnoringCase(code, 0, "general"))) {
        format.general_ = true;
        return format;
    }
    for (std::string_view part : splitSections(code))
        format.sections_.push_back(SectionParser(part).parse());
    return format;
}

bool NumberFormat::isDate() const {
    return !sections_.empty() && sections_[0].kind == SectionKind::Date;
}

bool NumberFormat::hasColor() const {
    return std::any_of(sections_.begin(), sections_.end(),
                       [](const Section& s) { return !s.color.automatic; });
}

} // namespace engine::numfmt
