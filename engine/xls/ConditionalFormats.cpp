#include "engine/xls/ConditionalFormats.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"

#include <optional>

namespace engine::xls {
namespace {

// Parsed-expression tokens a constant operand is made of (MS-XLS 2.5.198).
constexpr std::uint8_t ptgUMinus = 0x13, ptgStr = 0x17, ptgBool = 0x1D, ptgInt = 0x1E,
                       ptgNum = 0x1F;

// Border line styles of a DXFN border block, by their number (MS-XLS 2.5.11).
BorderStyle lineStyle(unsigned code) {
    static constexpr BorderStyle styles[] = {BorderStyle::None,
                                             BorderStyle::Thin,
                                             BorderStyle::Medium,
                                             BorderStyle::Dashed,
                                             BorderStyle::Dotted,
                                             BorderStyle::Thick,
                                             BorderStyle::Double,
                                             BorderStyle::Hair,
                                             BorderStyle::MediumDashed,
                                             BorderStyle::DashDot,
                                             BorderStyle::MediumDashDot,
                                             BorderStyle::DashDotDot,
                                             BorderStyle::MediumDashDotDot,
                                             BorderStyle::SlantDashDot};
    return code < std::size(styles) ? styles[code] : BorderStyle::None;
}

// A formula that is one constant: a number, possibly negated, a string or a Boolean.
std::optional<ConditionalOperand> constantOf(std::span<const std::uint8_t> formula,
                                             std::size_t offset) {
    if (formula.empty())
        return std::nullopt;
    util::ByteCursor in(formula, "CF formula", offset);
    ConditionalOperand operand;
    const std::uint8_t token = in.u8();
    if (token == ptgInt)
        operand.number = in.u16();
    else if (token == ptgNum)
        operand.number = in.f64();
    else if (token == ptgBool)
        operand.number = in.u8() ? 1 : 0;
    else if (token == ptgStr) {
        const std::uint8_t count = in.u8();
        const bool wide = in.u8() & 0x01;
        operand.kind = ConditionalOperand::Kind::Text;
        if (wide)
            util::appendUtf16le(operand.text, in.bytes(2u * count));
        else
            util::appendLatin1(operand.text, in.bytes(count));
    } else
        return std::nullopt;
    if (!in.atEnd()) {
        if (operand.kind != ConditionalOperand::Kind::Number || in.u8() != ptgUMinus || !in.atEnd())
            return std::nullopt;
        operand.number = -operand.number;
    }
    return operand;
}

// The look of a DXFN (MS-XLS 2.5.42): which blocks follow is said by the flag words.
DifferentialStyle readLook(util::ByteCursor& in, const Palette& palette) {
    DifferentialStyle style;
    const std::uint32_t flags = in.u32();
    const std::uint16_t more = in.u16();
    const bool hasNumber = flags & (1u << 25), hasFont = flags & (1u << 26),
               hasAlignment = flags & (1u << 27), hasBorder = flags & (1u << 28),
               hasPattern = flags & (1u << 29);
    if (hasNumber) {
        if (more & 0x0001) {
            const std::uint16_t bytes = in.u16();
            in.skip(bytes >= 2 ? bytes - 2u : 0u);
        } else {
            in.skip(2);
        }
    }
    if (hasFont) {
        in.skip(64); // the font's name
        in.skip(4);  // height
        const std::uint32_t ts = in.u32();
        const std::uint16_t weight = in.u16();
        in.skip(2); // script
        const std::uint8_t underline = in.u8();
        in.skip(3);
        const std::uint32_t color = in.u32();
        in.skip(4);
        const std::uint32_t tsNinch = in.u32();
        in.skip(4); // script not changed
        const std::uint32_t underlineNinch = in.u32();
        const std::uint32_t weightNinch = in.u32();
        in.skip(14);
        if (!(tsNinch & 0x02))
            style.italic = (ts & 0x02) != 0;
        if (!(tsNinch & 0x80))
            style.strike = (ts & 0x80) != 0;
        if (!weightNinch && weight >= 100)
            style.bold = weight >= 600;
        if (!underlineNinch && underline != 0xFF)
            style.underline = underline == 0   ? Underline::None
                              : underline == 2 ? Underline::Double
                                               : Underline::Single;
        if (color != 0xFFFFFFFFu && color < 0x7FFF) {
            const Color resolved = palette.resolve(static_cast<std::uint16_t>(color));
            if (!resolved.automatic)
                style.fontColor = resolved;
        }
    }
    if (hasAlignment)
        in.skip(8);
    if (hasBorder) {
        const std::uint32_t first = in.u32();
        const std::uint32_t second = in.u32();
        auto side = [&](bool unchanged, unsigned code, unsigned color) {
            std::optional<BorderSide> result;
            if (!unchanged) {
                BorderSide value;
                value.style = lineStyle(code);
                value.color = palette.resolve(static_cast<std::uint16_t>(color));
                result = value;
            }
            return result;
        };
        style.left = side(flags & (1u << 10), first & 0xF, (first >> 16) & 0x7F);
        style.right = side(flags & (1u << 11), (first >> 4) & 0xF, (first >> 23) & 0x7F);
        style.top = side(flags & (1u << 12), (first >> 8) & 0xF, second & 0x7F);
        style.bottom = side(flags & (1u << 13), (first >> 12) & 0xF, (second >> 7) & 0x7F);
    }
    if (hasPattern) {
        const std::uint16_t pattern = in.u16();
        const std::uint16_t colors = in.u16();
        const unsigned fill = (pattern >> 10) & 0x3F;
        const bool foregroundSet = !(flags & (1u << 17)), backgroundSet = !(flags & (1u << 18));
        // A solid look shows its background colour; a look of no pattern clears the fill.
        if (!(flags & (1u << 16)) && fill == 0)
            style.fill = Color{};
        else if (backgroundSet)
            style.fill = palette.resolve(static_cast<std::uint16_t>((colors >> 7) & 0x7F));
        else if (foregroundSet)
            style.fill = palette.resolve(static_cast<std::uint16_t>(colors & 0x7F));
        if (style.fill && style.fill->automatic && fill != 0)
            style.fill.reset();
    }
    return style;
}

} // namespace

void ConditionalFormatCollector::format(const Record& record, Sheet& sheet) {
    open_ = false;
    try {
        util::ByteCursor in(record.body, "CONDFMT record", record.offset + 4);
        in.skip(2 + 2 + 8); // rule count, flags and the bounding range
        const std::uint16_t count = in.u16();
        ConditionalFormat format;
        for (std::uint16_t i = 0; i < count && i < limits::maxConditionalRanges; ++i) {
            Range range;
            range.firstRow = in.u16();
            range.lastRow = in.u16();
            range.firstCol = in.u16();
            range.lastCol = in.u16();
            if (range.lastRow >= range.firstRow && range.lastCol >= range.firstCol &&
                range.lastCol < limits::maxColumns)
                format.ranges.push_back(range);
        }
        if (format.ranges.empty())
            return;
        sheet.conditionalFormats.push_back(std::move(format));
        open_ = true;
    } catch (const ReadError&) {
        // A damaged record costs its format only.
    }
}

void ConditionalFormatCollector::rule(const Record& record, Sheet& sheet) {
    if (!open_ || sheet.conditionalFormats.empty() || rules_ >= limits::maxConditionalRules)
        return;
    ConditionalRule rule;
    rule.priority = static_cast<int>(rules_);
    try {
        util::ByteCursor in(record.body, "CF record", record.offset + 4);
        const std::uint8_t type = in.u8();
        const std::uint8_t op = in.u8();
        const std::uint16_t firstBytes = in.u16();
        const std::uint16_t secondBytes = in.u16();
        const DifferentialStyle look = readLook(in, palette_);
        const std::size_t at = in.position();
        const auto first = in.bytes(firstBytes);
        const auto second = in.bytes(secondBytes);
        static constexpr ConditionalOperator operators[] = {
            ConditionalOperator::Between,        ConditionalOperator::NotBetween,
            ConditionalOperator::Equal,          ConditionalOperator::NotEqual,
            ConditionalOperator::Greater,        ConditionalOperator::Less,
            ConditionalOperator::GreaterOrEqual, ConditionalOperator::LessOrEqual};
        if (type == 1 && op >= 1 && op <= 8) {
            rule.kind = ConditionalKind::CellIs;
            rule.op = operators[op - 1];
            auto a = constantOf(first, record.offset + 4 + at);
            auto b = constantOf(second, record.offset + 4 + at + firstBytes);
            const bool ranged = op <= 2;
            if (a && (!ranged || b)) {
                rule.operands.push_back(*a);
                if (ranged)
                    rule.operands.push_back(*b);
            } else {
                rule.kind = ConditionalKind::Unsupported;
            }
        }
        if (rule.kind != ConditionalKind::Unsupported &&
            workbook_.differentialStyles.size() < limits::maxConditionalRules) {
            rule.style = static_cast<std::uint32_t>(workbook_.differentialStyles.size());
            workbook_.differentialStyles.push_back(look);
        }
    } catch (const ReadError&) {
        rule = ConditionalRule{};
    }
    ++rules_;
    sheet.conditionalFormats.back().rules.push_back(std::move(rule));
}

} // namespace engine::xls
