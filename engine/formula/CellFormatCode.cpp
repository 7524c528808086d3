#include "engine/formula/CellFormatCode.h"

#include "engine/numfmt/NumberFormat.h"

#include <algorithm>

namespace engine::formula {
namespace {

using numfmt::Section;
using numfmt::TokenKind;

constexpr std::string_view currencySigns[] = {"$", "\u20AC", "\u00A3", "\u00A5"}; // $ € £ ¥

bool has(const Section& section, TokenKind kind) {
    return std::any_of(section.tokens.begin(), section.tokens.end(),
                       [&](const numfmt::Token& t) { return t.kind == kind; });
}

bool literalHolds(const Section& section, std::string_view what) {
    return std::any_of(section.tokens.begin(), section.tokens.end(), [&](const numfmt::Token& t) {
        return t.kind == TokenKind::Literal && t.text.find(what) != std::string::npos;
    });
}

bool currency(const Section& section, std::string_view code) {
    return code.find("[$") != std::string_view::npos ||
           std::any_of(std::begin(currencySigns), std::end(currencySigns),
                       [&](std::string_view sign) { return literalHolds(section, sign); });
}

// D1 d-mmm-yy, D2 d-mmm, D3 mmm-yy, D4 m/d/yy, D5 mm/dd, D6 h:mm:ss AM/PM, D7 h:mm AM/PM,
// D8 h:mm:ss, D9 h:mm.
std::string dateCode(const Section& s) {
    const bool hour = has(s, TokenKind::Hour) || has(s, TokenKind::Elapsed);
    const bool day = has(s, TokenKind::Day), month = has(s, TokenKind::Month);
    const bool year = has(s, TokenKind::Year);
    if (hour && !day && !year) {
        const bool seconds = has(s, TokenKind::Second);
        const bool twelve = has(s, TokenKind::AmPm);
        return seconds ? (twelve ? "D6" : "D8") : (twelve ? "D7" : "D9");
    }
    bool monthName = false;
    for (const numfmt::Token& t : s.tokens) {
        monthName = monthName || (t.kind == TokenKind::Month && t.width >= 3);
    }
    if (day && month && !year) {
        return monthName ? "D2" : "D5";
    }
    if (month && year && !day) {
        return "D3";
    }
    return monthName ? "D1" : "D4";
}

} // namespace

FormatFacts formatFacts(std::string_view formatCode) {
    const numfmt::NumberFormat format = numfmt::NumberFormat::parse(formatCode);
    FormatFacts facts;
    const auto& sections = format.sections();
    if (format.isGeneral() || sections.empty()) {
        facts.code = "G";
        return facts;
    }
    const Section& first = sections.front();
    facts.negativeColor = sections.size() > 1 && !sections[1].color.automatic;
    facts.parentheses = literalHolds(first, "(");
    const std::string decimals = std::to_string(std::min(first.fractionDigits, 15));
    if (first.kind == numfmt::SectionKind::Date) {
        facts.code = dateCode(first);
    } else if (first.kind == numfmt::SectionKind::Text) {
        facts.code = "@";
    } else if (first.fraction || !first.hasDigits) {
        facts.code = "G";
    } else if (first.scientific) {
        facts.code = "S" + decimals;
    } else if (first.percents > 0) {
        facts.code = "P" + decimals;
    } else if (currency(first, formatCode)) {
        facts.code = "C" + decimals;
    } else {
        facts.code = (first.grouping ? "," : "F") + decimals;
    }
    if (facts.negativeColor) {
        facts.code += '-';
    }
    if (facts.parentheses) {
        facts.code += "()";
    }
    return facts;
}

} // namespace engine::formula
