#include "engine/web/ConditionalLooks.h"

#include "engine/base/Limits.h"
#include "engine/util/AsciiCase.h"
#include "engine/web/Css.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_set>

namespace engine::web {
namespace {

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
                value.text = util::asciiLowered(workbook_.strings[cell->text].text);
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
        return sheet_.cellAt(static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(col));
    }

    Value operand(const ConditionalOperand& op, const Cell& cell) const {
        Value value;
        switch (op.kind) {
        case ConditionalOperand::Kind::Number:
            value.kind = Value::Number, value.number = op.number;
            return value;
        case ConditionalOperand::Kind::Text:
            value.kind = Value::Text, value.text = util::asciiLowered(op.text);
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
            return cell.text < workbook_.strings.size()
                       ? util::asciiLowered(workbook_.strings[cell.text].text)
                       : std::string();
        formatter_.format(cell, shown_);
        return util::asciiLowered(shown_.text);
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

struct Entry {
    const ConditionalFormat* format;
    const ConditionalRule* rule;
};

// The sheet's rules, highest priority first; rules of one priority keep the file's order.
std::vector<Entry> rulesByPriority(const Sheet& sheet) {
    std::vector<Entry> entries;
    for (const ConditionalFormat& format : sheet.conditionalFormats)
        for (const ConditionalRule& rule : format.rules)
            entries.push_back(Entry{&format, &rule});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.rule->priority < b.rule->priority;
    });
    return entries;
}

// The cells of `ranges`, each once, into `cells`. False when the budget runs out on the way:
// a range over a long column of cells can cost all of it alone, so it is counted per cell.
bool cellsIn(const Sheet& sheet, const std::vector<Range>& ranges, std::uint64_t& visits,
             std::vector<const Cell*>& cells) {
    cells.clear();
    if (visits > limits::maxConditionalVisitsPerSheet)
        return false;
    for (const Range& range : ranges) {
        auto it = sheet.firstCellFrom(range.firstRow, range.firstCol);
        for (; it != sheet.cells.end() && it->row <= range.lastRow; ++it) {
            if (++visits > limits::maxConditionalVisitsPerSheet)
                return false;
            if (range.contains(it->row, it->col))
                cells.push_back(&*it);
        }
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    return true;
}

using CountKey = std::pair<int, std::string>;

// A value as the duplicate and unique rules tell values apart.
CountKey countKey(const Evaluator& eval, const Cell& cell) {
    const Value v = eval.valueOf(&cell);
    std::string text = v.kind == Value::Text ? v.text : std::string();
    if (v.kind == Value::Number) {
        char buffer[32];
        auto printed = std::to_chars(buffer, buffer + sizeof buffer, v.number);
        text.assign(buffer, printed.ptr);
    }
    return {static_cast<int>(v.kind), text};
}

// What a rule must know of its cells as a whole before it can judge one of them.
struct RangeSummary {
    std::vector<double> numbers; // sorted
    std::map<CountKey, int> counts;
    double cutoff = 0, mean = 0, deviation = 0;
    std::vector<double> bands; // the thresholds' values
};

RangeSummary summarise(const ConditionalRule& rule, const std::vector<const Cell*>& cells,
                       const Evaluator& eval) {
    RangeSummary s;
    for (const Cell* cell : cells)
        if (cell->type == CellType::Number)
            s.numbers.push_back(cell->number);
    std::sort(s.numbers.begin(), s.numbers.end());
    if (rule.kind == ConditionalKind::Duplicate || rule.kind == ConditionalKind::Unique)
        for (const Cell* cell : cells)
            if (cell->type != CellType::Empty)
                ++s.counts[countKey(eval, *cell)];
    if (rule.kind == ConditionalKind::Top10 && !s.numbers.empty()) {
        std::size_t count = rule.rank;
        if (rule.percent)
            count = static_cast<std::size_t>(std::floor(static_cast<double>(s.numbers.size()) *
                                                        std::min(rule.rank, 100u) / 100));
        count = std::clamp<std::size_t>(count, 1, s.numbers.size());
        s.cutoff = rule.bottom ? s.numbers[count - 1] : s.numbers[s.numbers.size() - count];
    }
    if (rule.kind == ConditionalKind::AboveAverage && !s.numbers.empty()) {
        for (double n : s.numbers)
            s.mean += n;
        s.mean /= static_cast<double>(s.numbers.size());
        if (s.numbers.size() > 1) {
            for (double n : s.numbers)
                s.deviation += (n - s.mean) * (n - s.mean);
            s.deviation = std::sqrt(s.deviation / static_cast<double>(s.numbers.size() - 1));
        }
    }
    for (const ConditionalValue& value : rule.thresholds)
        s.bands.push_back(threshold(value, s.numbers));
    return s;
}

// Whether a rule that gives a cell its differential style holds for `cell`.
bool holdsFor(const ConditionalRule& rule, const Cell& cell, const Value& value,
              const RangeSummary& s, Evaluator& eval) {
    const bool isNumber = cell.type == CellType::Number;
    switch (rule.kind) {
    case ConditionalKind::CellIs: {
        const bool ranged =
            rule.op == ConditionalOperator::Between || rule.op == ConditionalOperator::NotBetween;
        if (rule.operands.empty() || value.kind == Value::Error ||
            (ranged && rule.operands.size() < 2))
            return false;
        const int first = compare(value, eval.operand(rule.operands[0], cell));
        const int second =
            rule.operands.size() > 1 ? compare(value, eval.operand(rule.operands[1], cell)) : first;
        return holds(rule.op, first, second);
    }
    case ConditionalKind::Expression: {
        if (rule.operands.size() != 2)
            return false;
        const Value left = eval.operand(rule.operands[0], cell);
        const Value right = eval.operand(rule.operands[1], cell);
        if (left.kind == Value::Error || right.kind == Value::Error)
            return false;
        const int order = compare(left, right);
        return holds(rule.op, order, order);
    }
    case ConditionalKind::Top10:
        return isNumber && !s.numbers.empty() &&
               (rule.bottom ? value.number <= s.cutoff : value.number >= s.cutoff);
    case ConditionalKind::AboveAverage: {
        if (!isNumber || s.numbers.empty())
            return false;
        const double margin = s.deviation * rule.standardDeviations;
        return rule.above ? (rule.equalAverage ? value.number >= s.mean + margin
                                               : value.number > s.mean + margin)
                          : (rule.equalAverage ? value.number <= s.mean - margin
                                               : value.number < s.mean - margin);
    }
    case ConditionalKind::Duplicate:
    case ConditionalKind::Unique: {
        if (cell.type == CellType::Empty)
            return false;
        const auto found = s.counts.find(countKey(eval, cell));
        const int seen = found == s.counts.end() ? 0 : found->second;
        return (rule.kind == ConditionalKind::Duplicate) == (seen > 1);
    }
    case ConditionalKind::ContainsText:
    case ConditionalKind::NotContainsText:
    case ConditionalKind::BeginsWith:
    case ConditionalKind::EndsWith: {
        if (cell.type == CellType::Error)
            return false;
        const std::string text = eval.textOf(cell);
        const std::string wanted = util::asciiLowered(rule.text);
        if (rule.kind == ConditionalKind::ContainsText)
            return text.find(wanted) != std::string::npos;
        if (rule.kind == ConditionalKind::NotContainsText)
            return text.find(wanted) == std::string::npos;
        if (rule.kind == ConditionalKind::BeginsWith)
            return text.starts_with(wanted);
        return text.ends_with(wanted);
    }
    case ConditionalKind::Blanks:
    case ConditionalKind::NotBlanks: {
        const bool blank =
            cell.type == CellType::Empty ||
            (value.kind == Value::Text && value.text.find_first_not_of(' ') == std::string::npos);
        return blank == (rule.kind == ConditionalKind::Blanks);
    }
    case ConditionalKind::Errors:
    case ConditionalKind::NotErrors:
        return (cell.type == CellType::Error) == (rule.kind == ConditionalKind::Errors);
    case ConditionalKind::ColorScale:
    case ConditionalKind::DataBar:
    case ConditionalKind::IconSet:
    case ConditionalKind::Unsupported:
        break;
    }
    return false;
}

// The colour scales, data bars and icon sets paint a number's cell themselves. Whether the rule
// can paint at all with what its cells gave.
bool paints(const ConditionalRule& rule, const RangeSummary& s) {
    switch (rule.kind) {
    case ConditionalKind::ColorScale:
        return s.bands.size() >= 2 && rule.colors.size() >= s.bands.size();
    case ConditionalKind::DataBar:
        return s.bands.size() >= 2;
    case ConditionalKind::IconSet:
        return !s.bands.empty();
    default:
        return false;
    }
}

// Paints `look` unless a rule of higher priority painted it the same way already.
void paint(const ConditionalRule& rule, double number, const RangeSummary& s, CellLook& look) {
    const std::vector<double>& bands = s.bands;
    if (rule.kind == ConditionalKind::ColorScale) {
        if (look.fill)
            return;
        const std::size_t segment = bands.size() == 3 && number > bands[1] ? 1 : 0;
        const double low = bands[segment], high = bands[segment + 1];
        const double share = high > low ? std::clamp((number - low) / (high - low), 0.0, 1.0)
                                        : (number >= high ? 1.0 : 0.0);
        look.fill =
            Color::fromRgb(mixColor(rule.colors[segment].rgb, rule.colors[segment + 1].rgb, share));
    } else if (rule.kind == ConditionalKind::DataBar) {
        if (look.barPercent >= 0)
            return;
        const double share = bands[1] > bands[0]
                                 ? std::clamp((number - bands[0]) / (bands[1] - bands[0]), 0.0, 1.0)
                                 : 1.0;
        // The application's bars run from a tenth to nine tenths of the cell.
        look.barPercent = static_cast<int>(std::lround(10 + 80 * share));
        look.barColor = rule.colors.empty() ? Color::fromRgb(0x638EC6) : rule.colors[0];
        look.hideValue = look.hideValue || !rule.showValue;
    } else if (rule.kind == ConditionalKind::IconSet) {
        if (look.icon >= 0)
            return;
        const int count = std::min<int>(iconCount(rule.iconSet), static_cast<int>(bands.size()));
        int icon = 0;
        for (int i = 1; i < count; ++i) {
            const bool reached =
                rule.thresholds[i].greaterOrEqual ? number >= bands[i] : number > bands[i];
            if (reached)
                icon = i;
        }
        look.icon = rule.reverseIcons ? count - 1 - icon : icon;
        look.iconCount = count;
        look.iconSet = rule.iconSet;
        look.hideValue = look.hideValue || !rule.showValue;
    }
}

bool changesNothing(const CellLook& look) {
    return !look.fontColor && !look.fill && !look.bold && !look.italic && !look.strike &&
           !look.underline && !look.left && !look.right && !look.top && !look.bottom &&
           look.barPercent < 0 && look.icon < 0;
}

} // namespace

ConditionalLooks::ConditionalLooks(const Workbook& workbook, const Sheet& sheet,
                                   numfmt::CellTextFormatter& formatter) {
    Evaluator eval(workbook, sheet, formatter);
    std::unordered_set<std::uint64_t> stopped;
    std::uint64_t visits = 0;
    std::vector<const Cell*> cells;
    for (const Entry& entry : rulesByPriority(sheet)) {
        const ConditionalRule& rule = *entry.rule;
        if (rule.kind == ConditionalKind::Unsupported ||
            !cellsIn(sheet, entry.format->ranges, visits, cells)) {
            ++leftOut_;
            continue;
        }
        const RangeSummary summary = summarise(rule, cells, eval);
        const bool painting = paints(rule, summary);
        const DifferentialStyle* style =
            rule.style && *rule.style < workbook.differentialStyles.size()
                ? &workbook.differentialStyles[*rule.style]
                : nullptr;
        for (const Cell* cell : cells) {
            const std::uint64_t at = cellKey(cell->row, cell->col);
            if (stopped.count(at))
                continue;
            if (painting) {
                if (cell->type == CellType::Number)
                    paint(rule, cell->number, summary, looks_[at]);
                continue;
            }
            if (!holdsFor(rule, *cell, eval.valueOf(cell), summary, eval))
                continue;
            CellLook& look = looks_[at];
            if (style)
                merge(look, *style);
            if (rule.stopIfTrue)
                stopped.insert(at);
        }
    }
    // A cell whose rules held but changed nothing needs no look.
    std::erase_if(looks_, [](const auto& entry) { return changesNothing(entry.second); });
}

const CellLook* ConditionalLooks::at(std::uint32_t row, std::uint16_t col) const {
    if (looks_.empty())
        return nullptr;
    auto it = looks_.find(cellKey(row, col));
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
