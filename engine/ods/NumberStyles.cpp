#include "engine/ods/NumberStyles.h"

#include "engine/base/Limits.h"
#include "engine/ods/Names.h"
#include "engine/ods/Values.h"

#include <algorithm>

namespace engine::ods {
namespace {

std::string repeat(char c, std::uint64_t count) {
    return std::string(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, limits::maxFormatDigits)), c);
}

std::uint64_t countOf(const xml::Attributes& attributes, std::string_view name,
                      std::uint64_t fallback) {
    const char* value = attributes.get(name);
    if (!value)
        return fallback;
    if (std::string_view(value) == "0")
        return 0;
    return parseCount(value, limits::maxFormatDigits).value_or(fallback);
}

bool isLong(const xml::Attributes& attributes) {
    return attributes.value("style") == "long";
}

// The colour of a section as the formatter names it; only the eight named colours exist there.
std::string colorSection(std::string_view color) {
    static constexpr std::pair<std::uint32_t, std::string_view> named[] = {
        {0x000000, "[Black]"},   {0xFFFFFF, "[White]"}, {0xFF0000, "[Red]"},
        {0x00FF00, "[Green]"},   {0x0000FF, "[Blue]"},  {0xFFFF00, "[Yellow]"},
        {0xFF00FF, "[Magenta]"}, {0x00FFFF, "[Cyan]"}};
    const auto rgb = parseColor(color);
    if (!rgb)
        return {};
    for (const auto& [value, name] : named)
        if (value == *rgb)
            return std::string(name);
    // The suite writes its "red" negatives as #ff0000, but some producers use a darker red.
    if ((*rgb >> 16) >= 0xC0 && ((*rgb >> 8) & 0xFF) < 0x40 && (*rgb & 0xFF) < 0x40)
        return "[Red]";
    return {};
}

// "value()>=0" as the formatter's "[>=0]"; empty when the condition has another form.
std::string conditionSection(std::string_view condition) {
    constexpr std::string_view prefix = "value()";
    if (!condition.starts_with(prefix))
        return {};
    condition.remove_prefix(prefix.size());
    std::size_t opLength = 0;
    while (opLength < condition.size() &&
           (condition[opLength] == '<' || condition[opLength] == '>' ||
            condition[opLength] == '=' || condition[opLength] == '!'))
        ++opLength;
    std::string op(condition.substr(0, opLength));
    if (op == "!=")
        op = "<>";
    if (op == "==")
        op = "=";
    const auto operand = parseNumber(condition.substr(opLength));
    if (op.empty() || !operand)
        return {};
    return "[" + op + std::string(condition.substr(opLength)) + "]";
}

} // namespace

bool NumberStyles::isDataStyle(std::string_view local) {
    return local == "number-style" || local == "percentage-style" || local == "currency-style" ||
           local == "date-style" || local == "time-style" || local == "boolean-style" ||
           local == "text-style";
}

void NumberStyles::begin(std::string_view local, const xml::Attributes& attributes) {
    current_ = Style{};
    currentName_ = attributes.value("name");
    kind_ = local;
    pending_.clear();
    inText_ = false;
    elapsed_ = attributes.value("truncate-on-overflow") == "false";
    if (local == "boolean-style")
        current_.code = "General";
}

void NumberStyles::literal(std::string_view text) {
    // Quoted runs keep multi-byte characters whole; a quote itself is escaped, and a
    // percentage style's "%" stays bare, since that is what multiplies the value by a hundred.
    std::string run;
    auto flush = [&] {
        if (!run.empty())
            current_.code += '"' + run + '"';
        run.clear();
    };
    for (char c : text) {
        if (c == '%' && kind_ == "percentage-style") {
            flush();
            current_.code += '%';
        } else if (c == '"') {
            flush();
            current_.code += "\\\"";
        } else {
            run += c;
        }
    }
    flush();
}

void NumberStyles::numberPart(const xml::Attributes& attributes) {
    if (const char* factor = attributes.get("display-factor"); factor && parseNumber(factor) != 1.0)
        current_.exact = false;
    const char* places = attributes.get("decimal-places");
    const std::uint64_t integers = countOf(attributes, "min-integer-digits", 1);
    // Without a number of decimals the number is shown as the General format shows it.
    if (!places) {
        current_.code += "General";
        return;
    }
    const std::uint64_t decimals = countOf(attributes, "decimal-places", 0);
    const std::uint64_t required =
        std::min(decimals, countOf(attributes, "min-decimal-places", decimals));
    if (attributes.value("grouping") == "true")
        current_.code += integers > 0 ? "#,##0" : "#,###";
    else
        current_.code += integers > 0 ? repeat('0', integers) : "#";
    if (decimals > 0)
        current_.code += "." + repeat('0', required) + repeat('#', decimals - required);
}

void NumberStyles::start(std::string_view ns, std::string_view local,
                         const xml::Attributes& attributes) {
    if (ns == names::style) {
        if (local == "map")
            current_.maps.push_back({std::string(attributes.value("condition")),
                                     std::string(attributes.value("apply-style-name"))});
        else if (local == "text-properties")
            current_.color = colorSection(attributes.value("color"));
        return;
    }
    if (ns != names::number)
        return;
    if (local == "text" || local == "currency-symbol") {
        inText_ = true;
        pending_.clear();
    } else if (local == "number") {
        numberPart(attributes);
    } else if (local == "scientific-number") {
        current_.code +=
            repeat('0', std::max<std::uint64_t>(countOf(attributes, "min-integer-digits", 1), 1));
        const std::uint64_t decimals = countOf(attributes, "decimal-places", 2);
        if (decimals > 0)
            current_.code += "." + repeat('0', decimals);
        current_.code +=
            "E+" +
            repeat('0', std::max<std::uint64_t>(countOf(attributes, "min-exponent-digits", 2), 1));
    } else if (local == "fraction") {
        // The attribute's presence, not its value, makes the fraction mixed: "# ?/?" is
        // written with zero required digits, "?/?" without the attribute.
        if (attributes.get("min-integer-digits")) {
            const std::uint64_t digits = countOf(attributes, "min-integer-digits", 0);
            current_.code += (digits == 0 ? "#" : repeat('0', digits)) + " ";
        }
        current_.code +=
            repeat('?',
                   std::max<std::uint64_t>(countOf(attributes, "min-numerator-digits", 1), 1)) +
            "/";
        const char* fixed = attributes.get("denominator-value");
        if (const auto denominator =
                fixed ? parseCount(fixed, limits::maxFixedDenominatorParts) : std::nullopt)
            current_.code += std::to_string(*denominator);
        else
            current_.code += repeat(
                '?', std::max<std::uint64_t>(countOf(attributes, "min-denominator-digits", 1), 1));
    } else if (local == "text-content") {
        current_.code += "@";
    } else if (local == "day") {
        current_.code += isLong(attributes) ? "dd" : "d";
    } else if (local == "month") {
        if (attributes.value("textual") == "true")
            current_.code += isLong(attributes) ? "mmmm" : "mmm";
        else
            current_.code += isLong(attributes) ? "mm" : "m";
    } else if (local == "year") {
        current_.code += isLong(attributes) ? "yyyy" : "yy";
    } else if (local == "day-of-week") {
        current_.code += isLong(attributes) ? "dddd" : "ddd";
    } else if (local == "hours") {
        const std::string hours = isLong(attributes) ? "hh" : "h";
        current_.code += elapsed_ ? "[" + hours + "]" : hours;
        elapsed_ = false;
    } else if (local == "minutes") {
        current_.code += isLong(attributes) ? "mm" : "m";
    } else if (local == "seconds") {
        current_.code += isLong(attributes) ? "ss" : "s";
        const std::uint64_t decimals = countOf(attributes, "decimal-places", 0);
        if (decimals > 0)
            current_.code += "." + repeat('0', std::min<std::uint64_t>(decimals, 3));
    } else if (local == "am-pm") {
        current_.code += "AM/PM";
    } else if (local == "boolean") {
        current_.code = "General";
    } else if (local == "era" || local == "quarter" || local == "week-of-year" ||
               local == "embedded-text") {
        current_.exact = false;
    }
}

void NumberStyles::end(std::string_view ns, std::string_view local) {
    if (ns == names::number && inText_ && (local == "text" || local == "currency-symbol")) {
        inText_ = false;
        literal(pending_);
        pending_.clear();
    }
}

void NumberStyles::characters(std::string_view text) {
    if (inText_ && pending_.size() < limits::maxFormatCodeBytes)
        pending_.append(text.substr(0, limits::maxFormatCodeBytes - pending_.size()));
}

void NumberStyles::finishStyle() {
    if (current_.code.size() > limits::maxFormatCodeBytes)
        current_.code.resize(limits::maxFormatCodeBytes);
    if (!currentName_.empty() && styles_.size() < 100'000)
        styles_[currentName_] = std::move(current_);
    current_ = Style{};
    currentName_.clear();
}

std::string NumberStyles::sectionOf(const std::string& name) const {
    const auto found = styles_.find(name);
    if (found == styles_.end())
        return "General";
    const std::string& code = found->second.code;
    return found->second.color + (code.empty() ? std::string("General") : code);
}

std::string NumberStyles::formatCode(const std::string& name) const {
    const auto found = styles_.find(name);
    if (found == styles_.end())
        return {};
    const Style& style = found->second;
    const std::string main = sectionOf(name);
    if (style.maps.empty())
        return main;
    // The formatter's plain sections mean ">=0 (or >0); <0; =0" and show negatives without
    // their sign, which is how the suite's maps are written: the style itself, the last
    // section, carries its own "-".
    std::vector<std::string> conditions;
    for (const Map& map : style.maps)
        conditions.push_back(map.condition);
    if (conditions == std::vector<std::string>{"value()>=0"})
        return sectionOf(style.maps[0].style) + ";" + main;
    if (conditions == std::vector<std::string>{"value()>0", "value()<0"})
        return sectionOf(style.maps[0].style) + ";" + sectionOf(style.maps[1].style) + ";" + main;
    std::string code;
    for (const Map& map : style.maps) {
        const std::string condition = conditionSection(map.condition);
        if (condition.empty())
            continue;
        code += condition + sectionOf(map.style) + ";";
    }
    return code + main;
}

bool NumberStyles::isExact(const std::string& name) const {
    const auto found = styles_.find(name);
    if (found == styles_.end())
        return true;
    if (!found->second.exact)
        return false;
    for (const Map& map : found->second.maps)
        if (const auto applied = styles_.find(map.style);
            applied != styles_.end() && !applied->second.exact)
            return false;
    return true;
}

} // namespace engine::ods
