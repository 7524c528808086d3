#include "engine/xlsx/SparklineGroups.h"

#include "engine/base/Limits.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/Colors.h"
#include "engine/package/XmlValues.h"

#include <utility>

namespace engine::xlsx {
namespace {

// The value `text` names in `names`; `fallback`, the format's default, for any other text.
template <typename Value, std::size_t N>
Value valueOf(std::string_view text, const std::pair<std::string_view, Value> (&names)[N],
              Value fallback) {
    for (const auto& [name, value] : names)
        if (name == text)
            return value;
    return fallback;
}

constexpr std::pair<std::string_view, SparklineType> types[] = {
    {"column", SparklineType::Column}, {"stacked", SparklineType::WinLoss}};
constexpr std::pair<std::string_view, SparklineEmpty> empties[] = {{"gap", SparklineEmpty::Gap},
                                                                   {"span", SparklineEmpty::Span}};
constexpr std::pair<std::string_view, SparklineScale> scales[] = {
    {"group", SparklineScale::Group}, {"custom", SparklineScale::Custom}};

} // namespace

void SparklineGroupReader::startElement(std::string_view local, const xml::Attributes& attributes) {
    if (depth_ == 0) {
        if (local != "sparklineGroups")
            return;
        depth_ = 1;
        return;
    }
    ++depth_;
    if (local == "sparklineGroup" && depth_ == 2) {
        startGroup(attributes);
        return;
    }
    if (!inGroup_)
        return;
    SparklineGroup& group = sheet_.sparklines.back();
    if (inSparkline_) {
        if (local == "f")
            text_ = Text::Data;
        else if (local == "sqref")
            text_ = Text::Cell;
        return;
    }
    if (local == "sparkline") {
        inSparkline_ = true;
        data_.clear();
        cell_.clear();
        return;
    }
    static constexpr std::pair<std::string_view, Color SparklineGroup::*> colors[] = {
        {"colorSeries", &SparklineGroup::series}, {"colorNegative", &SparklineGroup::negative},
        {"colorAxis", &SparklineGroup::axis},     {"colorMarkers", &SparklineGroup::markers},
        {"colorFirst", &SparklineGroup::first},   {"colorLast", &SparklineGroup::last},
        {"colorHigh", &SparklineGroup::high},     {"colorLow", &SparklineGroup::low}};
    for (const auto& [name, member] : colors)
        if (local == name)
            group.*member = colors_.resolve(attributes);
}

void SparklineGroupReader::startGroup(const xml::Attributes& attributes) {
    inGroup_ = true;
    SparklineGroup group;
    group.type = valueOf(attributes.value("type"), types, SparklineType::Line);
    if (const auto weight = package::parseNumber(attributes.value("lineWeight"));
        weight && *weight >= 0 && *weight <= 1584)
        group.lineWeightPt = *weight;
    group.showMarkers = package::parseBool(attributes.value("markers"), false);
    group.showFirst = package::parseBool(attributes.value("first"), false);
    group.showLast = package::parseBool(attributes.value("last"), false);
    group.showHigh = package::parseBool(attributes.value("high"), false);
    group.showLow = package::parseBool(attributes.value("low"), false);
    group.showNegative = package::parseBool(attributes.value("negative"), false);
    group.showAxis = package::parseBool(attributes.value("displayXAxis"), false);
    group.includeHidden = package::parseBool(attributes.value("displayHidden"), false);
    group.rightToLeft = package::parseBool(attributes.value("rightToLeft"), false);
    group.empty = valueOf(attributes.value("displayEmptyCellsAs"), empties, SparklineEmpty::Zero);
    group.minScale = valueOf(attributes.value("minAxisType"), scales, SparklineScale::Individual);
    group.maxScale = valueOf(attributes.value("maxAxisType"), scales, SparklineScale::Individual);
    auto finite = [](std::optional<double> value) {
        return value && *value > -1e307 && *value < 1e307 ? value : std::nullopt;
    };
    group.manualMin = finite(package::parseNumber(attributes.value("manualMin")));
    group.manualMax = finite(package::parseNumber(attributes.value("manualMax")));
    sheet_.sparklines.push_back(std::move(group));
}

void SparklineGroupReader::endSparkline() {
    inSparkline_ = false;
    if (count_ >= limits::maxSparklines)
        return;
    const auto range = package::parseRange(package::trimBlanks(cell_));
    if (!range)
        return;
    Sparkline one;
    one.row = range->firstRow;
    one.col = range->firstCol;
    const std::string_view data = package::trimBlanks(data_);
    if (data.size() <= limits::maxSparklineReferenceBytes)
        one.data = data;
    sheet_.sparklines.back().sparklines.push_back(std::move(one));
    ++count_;
}

void SparklineGroupReader::endElement(std::string_view local) {
    if (depth_ == 0)
        return;
    --depth_;
    if (!inGroup_)
        return;
    if (inSparkline_) {
        if (local == "sparkline")
            endSparkline();
        else
            text_ = Text::None;
        return;
    }
    if (local == "sparklineGroup" && depth_ == 1) {
        inGroup_ = false;
        if (sheet_.sparklines.back().sparklines.empty())
            sheet_.sparklines.pop_back();
    }
}

void SparklineGroupReader::characters(std::string_view text) {
    std::string* target = text_ == Text::Data ? &data_ : text_ == Text::Cell ? &cell_ : nullptr;
    // One byte past the bound is enough to know the text is too long.
    if (target && target->size() <= limits::maxSparklineReferenceBytes)
        target->append(text.substr(0, limits::maxSparklineReferenceBytes + 1 - target->size()));
}

} // namespace engine::xlsx
