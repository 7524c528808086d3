#include "engine/web/ConditionalLooks.h"

#include "engine/web/Css.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

namespace engine::web {
namespace {

// Cells looked at over all rules of a sheet; rules past it are left out (and counted), so
// that a sheet of whole-column rules over a million cells stays quick.
constexpr std::uint64_t visitBudget = 20'000'000;

std::uint64_t key(std::uint32_t row, std::uint16_t col) {
    return (static_cast<std::uint64_t>(row) << 16) | col;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A value as the rules compare it: numbers (booleans as 1 and 0) before texts, blank as 0 or "".
struct Value {
    enum Kind { Blank, Number, Text, Error } kind = Blank;
    double number = 0;
    std::string text; // lower case
};

// -1, 0, 1; numbers sort before texts, as the application sorts them.
int compare(const Value& a, const Value& b) {
    const bool aText = a.kind == Value::Text, bText = b.kind == Value::Text;
    if (a.kind == Value::Blank && bText)
        return a.text < b.text ? -1 : (a.text == b.text ? 0 : 1);
    if (aText && b.kind == Value::Blank)
        return a.text.empty() ? 0 : 1;
    if (aText != bText)
        return aText ? 1 : -1;
    if (aText)
        return a.text < b.text ? -1 : (a.text == b.text ? 0 : 1);
    return a.number < b.number ? -1 : (a.number == b.number ? 0 : 1);
}

bool holds(ConditionalOperator op, int order, int second) {
    switch (op) {
    case ConditionalOperator::Between:
        return order >= 0 && second <= 0;
    case ConditionalOperator::NotBetween:
        return order < 0 || second > 0;
    case ConditionalOperator::Equal:
        return order == 0;
    case ConditionalOperator::NotEqual:
        return order != 0;
    case ConditionalOperator::Greater:
        return order > 0;
    case ConditionalOperator::Less:
        return order < 0;
    case ConditionalOperator::GreaterOrEqual:
        return order >= 0;
    case ConditionalOperator::LessOrEqual:
        return order <= 0;
    }
    return false;
}

std::uint32_t mixColor(std::uint32_t a, std::uint32_t b, double share) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(ca + (cb - ca) * share)) << shift;
    }
    return out;
}

class Evaluator {
public:
    Evaluator(const Workbook& workbook, const Sheet& sheet, numfmt::CellTextFormatter& formatter)
        : workbook_(workbook), sheet_(sheet), formatter_(formatter) {}

    Value valueOf(const Cell* cell) const {
        Value value;
        if (!cell)
            return value;
        switch (cell->type) {
        case CellType::Number:
            value.kind = Value::Number, value.number = cell->number;
            break;
        case CellType::Boolean:
            value.kind = Value::Number, value.number = cell->boolean ? 1 : 0;
            break;
        case CellType::Text:
            value.kind = Value::Text;
            if (cell->text < workbook_.strings.size())
                value.text = lowered(workbook_.strings[cell->text].text);
            break;
        case CellType::Error:
            value.kind = Value::Error;
            break;
        case CellType::Empty:
            break;
        }
        return value;
    }

    const Cell* find(std::int64_t row, std::int64_t col) const {
        if (row < 0 || col < 0 || row > 0xFFFFFFFF || col > 0xFFFF)
            return nullptr;
        const std::uint64_t k =
            key(static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(col));
        auto it = std::lower_bound(
            sheet_.cells.begin(), sheet_.cells.end(), k,
            [](const Cell& c, std::uint64_t want) { return key(c.row, c.col) < want; });
        return it != sheet_.cells.end() && key(it->row, it->col) == k ? &*it : nullptr;
    }

    Value operand(const ConditionalOperand& op, const Cell& cell) const {
        Value value;
        switch (op.kind) {
        case ConditionalOperand::Kind::Number:
            value.kind = Value::Number, value.number = op.number;
            return value;
        case ConditionalOperand::Kind::Text:
            value.kind = Value::Text, value.text = lowered(op.text);
            return value;
        case ConditionalOperand::Kind::Cell: {
            const std::int64_t row =
                op.absoluteRow ? op.row : std::int64_t(cell.row) + op.rowOffset;
            const std::int64_t col =
                op.absoluteCol ? op.col : std::int64_t(cell.col) + op.colOffset;
            return valueOf(find(row, col));
        }
        }
        return value;
    }

    // The text a text rule looks into: the text itself, or a number as it is shown.
    std::string textOf(const Cell& cell) {
        if (cell.type == CellType::Text)
            return cell.text < workbook_.strings.size() ? lowered(workbook_.strings[cell.text].text)
                                                        : std::string();
        formatter_.format(cell, shown_);
        return lowered(shown_.text);
    }

    const Workbook& workbook_;
    const Sheet& sheet_;
    numfmt::CellTextFormatter& formatter_;
    numfmt::Shown shown_;
};

double percentile(std::vector<double> sorted, double share) {
    if (sorted.empty())
        return 0;
    share = std::clamp(share, 0.0, 1.0);
    const double at = share * static_cast<double>(sorted.size() - 1);
    const auto low = static_cast<std::size_t>(std::floor(at));
    const std::size_t high = std::min(low + 1, sorted.size() - 1);
    return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}

double threshold(const ConditionalValue& value, const std::vector<double>& sorted) {
    if (sorted.empty())
        return 0;
    const double low = sorted.front(), high = sorted.back();
    switch (value.kind) {
    case ConditionalValue::Kind::Min:
        return low;
    case ConditionalValue::Kind::Max:
        return high;
    case ConditionalValue::Kind::Percent:
        return low + (high - low) * std::clamp(value.value, 0.0, 100.0) / 100;
    case ConditionalValue::Kind::Percentile:
        return percentile(sorted, value.value / 100);
    case ConditionalValue::Kind::Number:
    case ConditionalValue::Kind::Formula:
        return value.value;
    }
    return low;
}

int iconCount(const std::string& name) {
    return !name.empty() && name[0] >= '3' && name[0] <= '5' ? name[0] - '0' : 3;
}

void merge(CellLook& look, const DifferentialStyle& style) {
    // The rule of higher priority came first and keeps what it set.
    if (!look.fontColor && style.fontColor && !style.fontColor->automatic)
        look.fontColor = style.fontColor;
    if (!look.fill && style.fill)
        look.fill = style.fill;
    if (!look.bold && style.bold)
        look.bold = style.bold;
    if (!look.italic && style.italic)
        look.italic = style.italic;
    if (!look.strike && style.strike)
        look.strike = style.strike;
    if (!look.underline && style.underline)
        look.underline = style.underline;
    if (!look.left && style.left)
        look.left = style.left;
    if (!look.right && style.right)
        look.right = style.right;
    if (!look.top && style.top)
        look.top = style.top;
    if (!look.bottom && style.bottom)
        look.bottom = style.bottom;
}

void appendInt(std::string& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

ConditionalLooks::ConditionalLooks(const Workbook& workbook, const Sheet& sheet,
                                   numfmt::CellTextFormatter& formatter) {
    struct Entry {
        const ConditionalFormat* format;
        const ConditionalRule* rule;
    };
    std::vector<Entry> entries;
    for (const ConditionalFormat& format : sheet.conditionalFormats)
        for (const ConditionalRule& rule : format.rules)
            entries.push_back(Entry{&format, &rule});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.rule->priority < b.rule->priority;
    });
    Evaluator eval(workbook, sheet, formatter);
    std::unordered_map<std::uint64_t, bool> stopped;
    std::uint64_t visits = 0;
    std::vector<const Cell*> cells;
    for (const Entry& entry : entries) {
        const ConditionalRule& rule = *entry.rule;
        if (rule.kind == ConditionalKind::Unsupported || visits > visitBudget) {
            ++leftOut_;
            continue;
        }
        // The cells of the rule's ranges, each once.
        cells.clear();
        for (const Range& range : entry.format->ranges) {
            auto it = std::lower_bound(
                sheet.cells.begin(), sheet.cells.end(), key(range.firstRow, range.firstCol),
                [](const Cell& c, std::uint64_t want) { return key(c.row, c.col) < want; });
            for (; it != sheet.cells.end() && it->row <= range.lastRow; ++it) {
                ++visits;
                if (range.contains(it->row, it->col))
                    cells.push_back(&*it);
            }
        }
        std::sort(cells.begin(), cells.end());
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        std::vector<double> numbers;
        for (const Cell* cell : cells)
            if (cell->type == CellType::Number)
                numbers.push_back(cell->number);
        std::sort(numbers.begin(), numbers.end());

        const DifferentialStyle* style =
            rule.style && *rule.style < workbook.differentialStyles.size()
                ? &workbook.differentialStyles[*rule.style]
                : nullptr;
        auto apply = [&](const Cell& cell) -> CellLook& {
            CellLook& look = looks_[key(cell.row, cell.col)];
            if (style)
                merge(look, *style);
            if (rule.stopIfTrue)
                stopped[key(cell.row, cell.col)] = true;
            return look;
        };

        // Values met in the range, for the duplicate and unique rules.
        std::map<std::pair<int, std::string>, int> counts;
        auto countKey = [&](const Cell& cell) {
            const Value v = eval.valueOf(&cell);
            std::string text = v.kind == Value::Text ? v.text : std::string();
            if (v.kind == Value::Number) {
                char buffer[32];
                auto printed = std::to_chars(buffer, buffer + sizeof buffer, v.number);
                text.assign(buffer, printed.ptr);
            }
            return std::make_pair(static_cast<int>(v.kind), text);
        };
        if (rule.kind == ConditionalKind::Duplicate || rule.kind == ConditionalKind::Unique)
            for (const Cell* cell : cells)
                if (cell->type != CellType::Empty)
                    ++counts[countKey(*cell)];

        double cutoff = 0, mean = 0, deviation = 0;
        if (rule.kind == ConditionalKind::Top10 && !numbers.empty()) {
            std::size_t count = rule.rank;
            if (rule.percent)
                count = static_cast<std::size_t>(std::floor(static_cast<double>(numbers.size()) *
                                                            std::min(rule.rank, 100u) / 100));
            count = std::clamp<std::size_t>(count, 1, numbers.size());
            cutoff = rule.bottom ? numbers[count - 1] : numbers[numbers.size() - count];
        }
        if (rule.kind == ConditionalKind::AboveAverage && !numbers.empty()) {
            for (double n : numbers)
                mean += n;
            mean /= static_cast<double>(numbers.size());
            if (numbers.size() > 1) {
                for (double n : numbers)
                    deviation += (n - mean) * (n - mean);
                deviation = std::sqrt(deviation / static_cast<double>(numbers.size() - 1));
            }
        }
        std::vector<double> bands;
        for (const ConditionalValue& value : rule.thresholds)
            bands.push_back(threshold(value, numbers));

        for (const Cell* cellPointer : cells) {
            const Cell& cell = *cellPointer;
            if (stopped.count(key(cell.row, cell.col)))
                continue;
            const Value value = eval.valueOf(&cell);
            const bool isNumber = cell.type == CellType::Number;
            switch (rule.kind) {
            case ConditionalKind::CellIs: {
                if (rule.operands.empty() || value.kind == Value::Error)
                    break;
                const int first = compare(value, eval.operand(rule.operands[0], cell));
                const int second = rule.operands.size() > 1
                                       ? compare(value, eval.operand(rule.operands[1], cell))
                                       : first;
                const bool ranged = rule.op == ConditionalOperator::Between ||
                                    rule.op == ConditionalOperator::NotBetween;
                if (ranged && rule.operands.size() < 2)
                    break;
                if (holds(rule.op, first, second))
                    apply(cell);
                break;
            }
            case ConditionalKind::Expression: {
                if (rule.operands.size() != 2)
                    break;
                const Value left = eval.operand(rule.operands[0], cell);
                const Value right = eval.operand(rule.operands[1], cell);
                if (left.kind == Value::Error || right.kind == Value::Error)
                    break;
                const int order = compare(left, right);
                if (holds(rule.op, order, order))
                    apply(cell);
                break;
            }
            case ConditionalKind::ColorScale: {
                if (!isNumber || bands.size() < 2 || rule.colors.size() < bands.size())
                    break;
                CellLook& look = looks_[key(cell.row, cell.col)];
                if (look.fill)
                    break;
                std::size_t segment = bands.size() == 3 && value.number > bands[1] ? 1 : 0;
                const double low = bands[segment], high = bands[segment + 1];
                const double share = high > low
                                         ? std::clamp((value.number - low) / (high - low), 0.0, 1.0)
                                         : (value.number >= high ? 1.0 : 0.0);
                look.fill = Color::fromRgb(
                    mixColor(rule.colors[segment].rgb, rule.colors[segment + 1].rgb, share));
                break;
            }
            case ConditionalKind::DataBar: {
                if (!isNumber || bands.size() < 2)
                    break;
                CellLook& look = looks_[key(cell.row, cell.col)];
                if (look.barPercent >= 0)
                    break;
                const double share =
                    bands[1] > bands[0]
                        ? std::clamp((value.number - bands[0]) / (bands[1] - bands[0]), 0.0, 1.0)
                        : 1.0;
                // The application's bars run from a tenth to nine tenths of the cell.
                look.barPercent = static_cast<int>(std::lround(10 + 80 * share));
                look.barColor = rule.colors.empty() ? Color::fromRgb(0x638EC6) : rule.colors[0];
                look.hideValue = look.hideValue || !rule.showValue;
                break;
            }
            case ConditionalKind::IconSet: {
                if (!isNumber || bands.empty())
                    break;
                CellLook& look = looks_[key(cell.row, cell.col)];
                if (look.icon >= 0)
                    break;
                const int count =
                    std::min<int>(iconCount(rule.iconSet), static_cast<int>(bands.size()));
                int icon = 0;
                for (int i = 1; i < count; ++i) {
                    const bool reached = rule.thresholds[i].greaterOrEqual
                                             ? value.number >= bands[i]
                                             : value.number > bands[i];
                    if (reached)
                        icon = i;
                }
                look.icon = rule.reverseIcons ? count - 1 - icon : icon;
                look.iconCount = count;
                look.iconSet = rule.iconSet;
                look.hideValue = look.hideValue || !rule.showValue;
                break;
            }
            case ConditionalKind::Top10:
                if (isNumber && !numbers.empty() &&
                    (rule.bottom ? value.number <= cutoff : value.number >= cutoff))
                    apply(cell);
                break;
            case ConditionalKind::AboveAverage: {
                if (!isNumber || numbers.empty())
                    break;
                const double margin = deviation * rule.standardDeviations;
                const bool hit = rule.above ? (rule.equalAverage ? value.number >= mean + margin
                                                                 : value.number > mean + margin)
                                            : (rule.equalAverage ? value.number <= mean - margin
                                                                 : value.number < mean - margin);
                if (hit)
                    apply(cell);
                break;
            }
            case ConditionalKind::Duplicate:
            case ConditionalKind::Unique: {
                if (cell.type == CellType::Empty)
                    break;
                const int seen = counts[countKey(cell)];
                if ((rule.kind == ConditionalKind::Duplicate) == (seen > 1))
                    apply(cell);
                break;
            }
            case ConditionalKind::ContainsText:
            case ConditionalKind::NotContainsText:
            case ConditionalKind::BeginsWith:
            case ConditionalKind::EndsWith: {
                if (cell.type == CellType::Error)
                    break;
                const std::string text = eval.textOf(cell);
                const std::string wanted = lowered(rule.text);
                bool hit = false;
                if (rule.kind == ConditionalKind::ContainsText)
                    hit = text.find(wanted) != std::string::npos;
                else if (rule.kind == ConditionalKind::NotContainsText)
                    hit = text.find(wanted) == std::string::npos;
                else if (rule.kind == ConditionalKind::BeginsWith)
                    hit = text.starts_with(wanted);
                else
                    hit = text.ends_with(wanted);
                if (hit)
                    apply(cell);
                break;
            }
            case ConditionalKind::Blanks:
            case ConditionalKind::NotBlanks: {
                const bool blank = cell.type == CellType::Empty ||
                                   (value.kind == Value::Text &&
                                    value.text.find_first_not_of(' ') == std::string::npos);
                if (blank == (rule.kind == ConditionalKind::Blanks))
                    apply(cell);
                break;
            }
            case ConditionalKind::Errors:
            case ConditionalKind::NotErrors:
                if ((cell.type == CellType::Error) == (rule.kind == ConditionalKind::Errors))
                    apply(cell);
                break;
            case ConditionalKind::Unsupported:
                break;
            }
        }
    }
    // A cell whose rules held but changed nothing needs no look.
    for (auto it = looks_.begin(); it != looks_.end();) {
        const CellLook& look = it->second;
        const bool nothing = !look.fontColor && !look.fill && !look.bold && !look.italic &&
                             !look.strike && !look.underline && !look.left && !look.right &&
                             !look.top && !look.bottom && look.barPercent < 0 && look.icon < 0;
        it = nothing ? looks_.erase(it) : std::next(it);
    }
}

const CellLook* ConditionalLooks::at(std::uint32_t row, std::uint16_t col) const {
    if (looks_.empty())
        return nullptr;
    auto it = looks_.find(key(row, col));
    return it == looks_.end() ? nullptr : &it->second;
}

void appendLookCss(std::string& out, const CellLook& look) {
    if (look.fontColor)
        out += "color:" + cssColor(look.fontColor->rgb) + ";";
    if (look.fill) {
        out += look.fill->automatic ? std::string("background-color:transparent;")
                                    : "background-color:" + cssColor(look.fill->rgb) + ";";
    }
    if (look.bold)
        out += *look.bold ? "font-weight:700;" : "font-weight:400;";
    if (look.italic)
        out += *look.italic ? "font-style:italic;" : "font-style:normal;";
    if (look.strike || look.underline) {
        const bool under = look.underline && *look.underline != Underline::None;
        const bool strike = look.strike && *look.strike;
        out += under && strike ? "text-decoration:underline line-through;"
               : under         ? "text-decoration:underline;"
               : strike        ? "text-decoration:line-through;"
                               : "text-decoration:none;";
    }
    Border border;
    if (look.left)
        border.left = *look.left;
    if (look.right)
        border.right = *look.right;
    if (look.top)
        border.top = *look.top;
    if (look.bottom)
        border.bottom = *look.bottom;
    appendBorderCss(out, border);
    if (look.barPercent >= 0) {
        // Bars fade from their colour at the start to almost white at their end, as the
        // application draws data bars by default.
        const std::uint32_t rgb = look.barColor.automatic ? 0x638EC6 : look.barColor.rgb;
        const auto fade = [](std::uint32_t c, int shift) {
            const std::uint32_t channel = (c >> shift) & 0xFF;
            return (channel + (255 - channel) * 85 / 100) << shift;
        };
        const std::string color = cssColor(rgb);
        const std::string faded = cssColor(fade(rgb, 16) | fade(rgb, 8) | fade(rgb, 0));
        out += "background-image:linear-gradient(90deg," + color + " 0," + faded + " ";
        appendInt(out, look.barPercent);
        out += "%,transparent ";
        appendInt(out, look.barPercent);
        out += "%);";
    }
}

void appendLookIcon(std::string& out, const CellLook& look) {
    if (look.icon < 0)
        return;
    // From the lowest band to the highest: red to green, arrows down to up.
    static constexpr const char* ramp3[] = {"#FF0000", "#FFC000", "#00B050"};
    static constexpr const char* ramp4[] = {"#FF0000", "#FFC000", "#92D050", "#00B050"};
    static constexpr const char* ramp5[] = {"#FF0000", "#FF7F00", "#FFC000", "#92D050", "#00B050"};
    static constexpr const char* arrows3[] = {"&#x25BC;", "&#x25B6;", "&#x25B2;"};
    static constexpr const char* arrows4[] = {"&#x25BC;", "&#x2198;", "&#x2197;", "&#x25B2;"};
    static constexpr const char* arrows5[] = {"&#x25BC;", "&#x2198;", "&#x25B6;", "&#x2197;",
                                              "&#x25B2;"};
    const int count = std::clamp(look.iconCount, 1, 5);
    const int icon = std::clamp(look.icon, 0, count - 1);
    const char* color = count <= 3   ? ramp3[std::min(icon, 2)]
                        : count == 4 ? ramp4[icon]
                                     : ramp5[icon];
    const bool arrows = look.iconSet.find("Arrows") != std::string::npos ||
                        look.iconSet.find("Triangles") != std::string::npos;
    const char* glyph = "&#x25CF;";
    if (arrows)
        glyph = count <= 3   ? arrows3[std::min(icon, 2)]
                : count == 4 ? arrows4[icon]
                             : arrows5[icon];
    const std::string_view set = look.iconSet;
    const auto named = [&](std::string_view part) { return set.find(part) != std::string::npos; };
    if (named("Gray"))
        color = "#808080";
    // The other sets' shapes, from the lowest band up; ratings and boxes fill bars or quarters.
    static constexpr const char* flags = "&#x2691;";
    static constexpr const char* stars[] = {"&#x2606;", "&#x2BEA;", "&#x2605;"};
    static constexpr const char* quarters[] = {"&#x25CB;", "&#x25D4;", "&#x25D1;", "&#x25D5;",
                                               "&#x25CF;"};
    static constexpr const char* boxes[] = {"&#x25A1;", "&#x2596;", "&#x259A;", "&#x2599;",
                                            "&#x25A0;"};
    static constexpr const char* symbols[] = {"&#x2716;", "!", "&#x2714;"};
    static constexpr const char* signs[] = {"&#x25C6;", "&#x25B2;", "&#x25CF;"};
    static constexpr const char* redToBlack[] = {"#000000", "#808080", "#FF9999", "#FF0000"};
    if (named("Rating")) {
        // Four bars, as many of them filled as the band is high.
        static constexpr const char* bars[] = {"&#x2582;", "&#x2584;", "&#x2586;", "&#x2588;"};
        const int filled = count == 5 ? icon : icon + 1;
        out += "<span class=\"ci\">";
        for (int i = 0; i < 4; ++i) {
            out += i < filled ? "<span style=\"color:#4472C4\">" : "<span style=\"color:#D9D9D9\">";
            out += bars[i];
            out += "</span>";
        }
        out += "</span>";
        return;
    }
    if (named("Flags")) {
        glyph = flags;
    } else if (named("Stars")) {
        glyph = stars[std::min(icon, 2)];
        color = "#FFC000";
    } else if (named("Quarters")) {
        glyph = quarters[std::min(icon, 4)];
        color = "#595959";
    } else if (named("Boxes")) {
        glyph = boxes[std::min(icon, 4)];
        color = "#4472C4";
    } else if (named("Symbols")) {
        glyph = symbols[std::min(icon, 2)];
    } else if (named("Signs")) {
        glyph = signs[std::min(icon, 2)];
    } else if (named("RedToBlack")) {
        color = redToBlack[std::min(icon, 3)];
    }
    out += "<span class=\"ci\" style=\"color:";
    out += color;
    out += "\">";
    out += glyph;
    out += "</span>";
}

} // namespace engine::web
