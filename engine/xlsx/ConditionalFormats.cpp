#include "engine/xlsx/ConditionalFormats.h"

#include "engine/base/Limits.h"
#include "engine/package/Colors.h"
#include "engine/package/PartReader.h"
#include "engine/package/XmlValues.h"
#include "engine/xlsx/Fills.h"
#include "engine/xlsx/Fonts.h"
#include "engine/xlsx/StyleNames.h"

#include <array>
#include <charconv>
#include <utility>

namespace engine::xlsx {
namespace {

constexpr std::array<std::pair<std::string_view, ConditionalKind>, 17> ruleKinds = {{
    {"cellIs", ConditionalKind::CellIs},
    {"expression", ConditionalKind::Expression},
    {"colorScale", ConditionalKind::ColorScale},
    {"dataBar", ConditionalKind::DataBar},
    {"iconSet", ConditionalKind::IconSet},
    {"top10", ConditionalKind::Top10},
    {"aboveAverage", ConditionalKind::AboveAverage},
    {"duplicateValues", ConditionalKind::Duplicate},
    {"uniqueValues", ConditionalKind::Unique},
    {"containsText", ConditionalKind::ContainsText},
    {"notContainsText", ConditionalKind::NotContainsText},
    {"beginsWith", ConditionalKind::BeginsWith},
    {"endsWith", ConditionalKind::EndsWith},
    {"containsBlanks", ConditionalKind::Blanks},
    {"notContainsBlanks", ConditionalKind::NotBlanks},
    {"containsErrors", ConditionalKind::Errors},
    {"notContainsErrors", ConditionalKind::NotErrors},
}};

constexpr std::array<std::pair<std::string_view, ConditionalOperator>, 8> operators = {{
    {"between", ConditionalOperator::Between},
    {"notBetween", ConditionalOperator::NotBetween},
    {"equal", ConditionalOperator::Equal},
    {"notEqual", ConditionalOperator::NotEqual},
    {"greaterThan", ConditionalOperator::Greater},
    {"lessThan", ConditionalOperator::Less},
    {"greaterThanOrEqual", ConditionalOperator::GreaterOrEqual},
    {"lessThanOrEqual", ConditionalOperator::LessOrEqual},
}};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '='))
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// <dxfs><dxf><font>…</font><numFmt/><fill><patternFill><bgColor/></patternFill></fill>
// <border><left style=""><color/></left>…</border></dxf></dxfs>
class DxfHandler : public xml::Handler {
public:
    DxfHandler(const package::Colors& colors, Workbook& workbook)
        : colors_(colors), book_(workbook), fills_(colors, FillPattern::Solid) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "dxfs") {
            inDxfs_ = true;
            return;
        }
        if (!inDxfs_)
            return;
        if (local == "dxf") {
            if (book_.differentialStyles.size() < limits::maxConditionalRules)
                book_.differentialStyles.emplace_back();
            part_.clear();
            return;
        }
        if (book_.differentialStyles.empty())
            return;
        DifferentialStyle& style = book_.differentialStyles.back();
        if (local == "font" || local == "fill" || local == "border") {
            part_ = local;
            if (local == "fill") {
                fill_ = Fill{};
                fills_.begin();
            }
        } else if (part_ == "font") {
            // Read as a cell font reads it; only the properties given override the cell's.
            Font font;
            applyFontProperty(font, local, attributes, colors_);
            if (local == "b")
                style.bold = font.bold;
            else if (local == "i")
                style.italic = font.italic;
            else if (local == "strike")
                style.strike = font.strike;
            else if (local == "u")
                style.underline = font.underline;
            else if (local == "color")
                style.fontColor = font.color;
        } else if (part_ == "fill") {
            fills_.startElement(fill_, local, attributes);
        } else if (part_ == "border") {
            if (const auto side = borderEdge(style, local)) {
                BorderSide value;
                value.style =
                    lookUp(borderStyleNames, attributes.value("style")).value_or(BorderStyle::None);
                if (value.style != BorderStyle::None || attributes.get("style"))
                    **side = value;
                side_ = *side;
            } else if (local == "color" && side_ && *side_) {
                (*side_)->color = colors_.resolve(attributes);
            }
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (local == "dxfs") {
            inDxfs_ = false;
        } else if (part_ == "fill" && local == "fill") {
            if (const auto color = differentialFillColor(fill_); color && fills_.given())
                book_.differentialStyles.back().fill = *color;
            part_.clear();
        } else if (part_ == "fill") {
            fills_.endElement(local);
        } else if (local == "font" || local == "border") {
            part_.clear(), side_ = nullptr;
        } else if (local == "left" || local == "right" || local == "top" || local == "bottom" ||
                   local == "start" || local == "end") {
            side_ = nullptr;
        }
    }

private:
    const package::Colors& colors_;
    Workbook& book_;
    FillReader fills_;
    Fill fill_; // the dxf's fill being read
    bool inDxfs_ = false;
    std::string part_;
    std::optional<BorderSide>* side_ = nullptr;
};

ConditionalValue::Kind valueKind(std::string_view type) {
    if (type == "max" || type == "autoMax")
        return ConditionalValue::Kind::Max;
    if (type == "num")
        return ConditionalValue::Kind::Number;
    if (type == "percent")
        return ConditionalValue::Kind::Percent;
    if (type == "percentile")
        return ConditionalValue::Kind::Percentile;
    if (type == "formula")
        return ConditionalValue::Kind::Formula;
    return ConditionalValue::Kind::Min;
}

// "A1>5", "$B2=\"Yes\"", "A1<=$C$1": the cell compared with one operand.
bool parseComparison(std::string_view formula, std::uint32_t anchorRow, std::uint16_t anchorCol,
                     ConditionalRule& rule) {
    formula = trimmed(formula);
    static constexpr std::array<std::pair<std::string_view, ConditionalOperator>, 6> symbols = {{
        {"<=", ConditionalOperator::LessOrEqual},
        {">=", ConditionalOperator::GreaterOrEqual},
        {"<>", ConditionalOperator::NotEqual},
        {"<", ConditionalOperator::Less},
        {">", ConditionalOperator::Greater},
        {"=", ConditionalOperator::Equal},
    }};
    bool quoted = false;
    for (std::size_t i = 0; i < formula.size(); ++i) {
        if (formula[i] == '"')
            quoted = !quoted;
        if (quoted)
            continue;
        for (const auto& [symbol, op] : symbols) {
            if (formula.substr(i, symbol.size()) != symbol)
                continue;
            auto left = parseOperand(formula.substr(0, i), anchorRow, anchorCol);
            auto right = parseOperand(formula.substr(i + symbol.size()), anchorRow, anchorCol);
            if (!left || !right || left->kind != ConditionalOperand::Kind::Cell)
                return false;
            rule.op = op;
            rule.operands = {*left, *right};
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<ConditionalOperand> parseOperand(std::string_view formula, std::uint32_t anchorRow,
                                               std::uint16_t anchorCol) {
    formula = trimmed(formula);
    if (formula.empty())
        return std::nullopt;
    ConditionalOperand operand;
    if (formula.front() == '"') {
        if (formula.size() < 2 || formula.back() != '"')
            return std::nullopt;
        std::string_view inner = formula.substr(1, formula.size() - 2);
        operand.kind = ConditionalOperand::Kind::Text;
        for (std::size_t i = 0; i < inner.size(); ++i) {
            if (inner[i] == '"') {
                if (i + 1 >= inner.size() || inner[i + 1] != '"')
                    return std::nullopt;
                ++i;
            }
            operand.text += inner[i];
        }
        return operand;
    }
    if (auto number = package::parseNumber(formula)) {
        operand.number = *number;
        return operand;
    }
    if (formula == "TRUE" || formula == "FALSE") {
        operand.number = formula == "TRUE" ? 1 : 0;
        return operand;
    }
    package::CellPosition position;
    if (package::parseCellRef(formula, position) != package::RefStatus::Ok)
        return std::nullopt;
    operand.kind = ConditionalOperand::Kind::Cell;
    // "$B$7": the letters and the digits each say whether they move with the cell.
    const std::size_t digits = formula.find_first_of("0123456789");
    operand.absoluteCol = formula.front() == '$';
    operand.absoluteRow =
        digits != std::string_view::npos && digits > 0 && formula[digits - 1] == '$';
    operand.row = position.row;
    operand.col = position.col;
    operand.rowOffset =
        static_cast<std::int32_t>(position.row) - static_cast<std::int32_t>(anchorRow);
    operand.colOffset =
        static_cast<std::int32_t>(position.col) - static_cast<std::int32_t>(anchorCol);
    return operand;
}

void readDifferentialStyles(const zip::ZipArchive& archive, const std::string& part,
                            const package::Colors& colors, Workbook& workbook) {
    DxfHandler handler(colors, workbook);
    package::parsePart(archive, part, handler, limits::maxSmallPartBytes);
}

void ConditionalFormatReader::startElement(std::string_view ns, std::string_view local,
                                           const xml::Attributes& attributes) {
    if (depth_ == 0) {
        // The extension lists' own blocks (x14) name their ranges differently: not read.
        if (local != "conditionalFormatting" || ns.find("2009/9/main") != std::string_view::npos)
            return;
        depth_ = 1;
        ConditionalFormat format;
        std::string_view list = attributes.value("sqref");
        while (!list.empty() && format.ranges.size() < limits::maxConditionalRanges) {
            const std::size_t space = list.find(' ');
            if (auto range = package::parseRange(list.substr(0, space)))
                format.ranges.push_back(*range);
            list = space == std::string_view::npos ? std::string_view() : list.substr(space + 1);
        }
        if (!format.ranges.empty()) {
            anchorRow_ = format.ranges.front().firstRow;
            anchorCol_ = format.ranges.front().firstCol;
        }
        sheet_.conditionalFormats.push_back(std::move(format));
        return;
    }
    ++depth_;
    ConditionalFormat& format = sheet_.conditionalFormats.back();
    if (local == "cfRule") {
        startRule(attributes);
        return;
    }
    if (format.rules.empty())
        return;
    ConditionalRule& rule = format.rules.back();
    if (local == "formula") {
        inFormula_ = true;
        formula_.clear();
    } else if (local == "cfvo") {
        ConditionalValue value;
        value.kind = valueKind(attributes.value("type"));
        value.value = package::parseNumber(attributes.value("val")).value_or(0);
        if (value.kind == ConditionalValue::Kind::Formula) {
            if (auto number = package::parseNumber(trimmed(attributes.value("val"))))
                value.kind = ConditionalValue::Kind::Number, value.value = *number;
            else
                rule.kind = ConditionalKind::Unsupported;
        }
        value.greaterOrEqual = package::parseBool(attributes.value("gte"), true);
        if (rule.thresholds.size() < 5)
            rule.thresholds.push_back(value);
    } else if (local == "color") {
        if (rule.colors.size() < 5)
            rule.colors.push_back(colors_.resolve(attributes));
    } else if (local == "iconSet") {
        rule.iconSet = attributes.value("iconSet", "3TrafficLights1");
        rule.reverseIcons = package::parseBool(attributes.value("reverse"), false);
        rule.showValue = package::parseBool(attributes.value("showValue"), true);
    } else if (local == "dataBar") {
        rule.showValue = package::parseBool(attributes.value("showValue"), true);
    }
}

void ConditionalFormatReader::startRule(const xml::Attributes& attributes) {
    ConditionalFormat& format = sheet_.conditionalFormats.back();
    if (rules_ >= limits::maxConditionalRules)
        return;
    ++rules_;
    ConditionalRule& rule = format.rules.emplace_back();
    rule.kind = lookUp(ruleKinds, attributes.value("type")).value_or(ConditionalKind::Unsupported);
    rule.priority = static_cast<int>(
        package::parseUnsigned(attributes.value("priority"), 0x7FFFFFFF).value_or(0x7FFFFFFF));
    rule.stopIfTrue = package::parseBool(attributes.value("stopIfTrue"), false);
    if (auto style = package::parseUnsigned(attributes.value("dxfId"), 0xFFFFFFFFu))
        rule.style = static_cast<std::uint32_t>(*style);
    rule.op = lookUp(operators, attributes.value("operator")).value_or(ConditionalOperator::Equal);
    rule.text = attributes.value("text");
    rule.rank = static_cast<std::uint32_t>(
        package::parseUnsigned(attributes.value("rank"), 0xFFFFFFFFu).value_or(10));
    rule.percent = package::parseBool(attributes.value("percent"), false);
    rule.bottom = package::parseBool(attributes.value("bottom"), false);
    rule.above = package::parseBool(attributes.value("aboveAverage"), true);
    rule.equalAverage = package::parseBool(attributes.value("equalAverage"), false);
    rule.standardDeviations =
        static_cast<int>(package::parseUnsigned(attributes.value("stdDev"), 3).value_or(0));
}

void ConditionalFormatReader::endFormula() {
    inFormula_ = false;
    ConditionalFormat& format = sheet_.conditionalFormats.back();
    if (format.rules.empty())
        return;
    ConditionalRule& rule = format.rules.back();
    if (rule.kind == ConditionalKind::CellIs) {
        auto operand = parseOperand(formula_, anchorRow_, anchorCol_);
        if (operand && rule.operands.size() < 2)
            rule.operands.push_back(*operand);
        else
            rule.kind = ConditionalKind::Unsupported;
    } else if (rule.kind == ConditionalKind::Expression) {
        if (!rule.operands.empty() || !parseComparison(formula_, anchorRow_, anchorCol_, rule))
            rule.kind = ConditionalKind::Unsupported;
    }
    // The text, blank and error rules carry a formula that says what their type says already.
}

void ConditionalFormatReader::endElement(std::string_view local) {
    if (depth_ == 0)
        return;
    if (local == "formula" && inFormula_)
        endFormula();
    if (--depth_ == 0) {
        ConditionalFormat& format = sheet_.conditionalFormats.back();
        if (format.ranges.empty() || format.rules.empty())
            sheet_.conditionalFormats.pop_back();
    }
}

void ConditionalFormatReader::characters(std::string_view text) {
    if (inFormula_ && formula_.size() + text.size() <= limits::maxFormulaTextBytes)
        formula_.append(text);
}

} // namespace engine::xlsx
