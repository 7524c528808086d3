#pragma once
// Conditional formats of a worksheet as the readers take them from the file, applied by the
// page writer to the cells' cached values.

#include "engine/model/Range.h"
#include "engine/model/Style.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// What a rule changes in a cell's look (a "dxf"); unset parts keep the cell's own.
struct DifferentialStyle {
    std::optional<Color> fontColor;
    std::optional<bool> bold, italic, strike;
    std::optional<Underline> underline;
    std::optional<Color> fill; // the colour a solid fill shows
    std::optional<BorderSide> left, right, top, bottom;
};

// A threshold of a colour scale, data bar or icon set.
struct ConditionalValue {
    enum class Kind : std::uint8_t { Min, Max, Number, Percent, Percentile, Formula };
    Kind kind = Kind::Min;
    double value = 0;           // for Number, Percent, Percentile and a Formula that is a constant
    bool greaterOrEqual = true; // icon sets: the value must reach the threshold ("gte")
};

// One operand of a rule: a constant, or another cell's value relative to the rule's first cell.
struct ConditionalOperand {
    enum class Kind : std::uint8_t { Number, Text, Cell } kind = Kind::Number;
    double number = 0;
    std::string text;
    std::int32_t rowOffset = 0, colOffset = 0; // Cell: from the cell being tested
    bool absoluteRow = false, absoluteCol = false;
    std::uint32_t row = 0; // Cell with an absolute row or column: the row or column itself
    std::uint16_t col = 0;
};

enum class ConditionalKind : std::uint8_t {
    CellIs,       // compare the value with one or two operands
    Expression,   // a formula; kept only in the shape "cell op operand"
    ColorScale,   // two or three thresholds with colours
    DataBar,      // a bar as long as the value's share of the range
    IconSet,      // an icon by the value's band
    Top10,        // the `rank` highest (or lowest) values, or percent of them
    AboveAverage, // above (or below) the range's mean, optionally by standard deviations
    Duplicate,    // values met more than once in the range
    Unique,       // values met once
    ContainsText, // text tests against `text`, letter case ignored
    NotContainsText,
    BeginsWith,
    EndsWith,
    Blanks, // empty or blanks only
    NotBlanks,
    Errors,
    NotErrors,
    Unsupported // needs a formula evaluated: left out, and counted
};

enum class ConditionalOperator : std::uint8_t {
    Between,
    NotBetween,
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterOrEqual,
    LessOrEqual
};

struct ConditionalRule {
    ConditionalKind kind = ConditionalKind::Unsupported;
    int priority = 0; // lower applies first
    bool stopIfTrue = false;
    std::optional<std::uint32_t> style; // index into Workbook::differentialStyles
    ConditionalOperator op = ConditionalOperator::Equal;
    std::vector<ConditionalOperand> operands;
    std::string text; // the text rules' text
    // Top10 and AboveAverage.
    std::uint32_t rank = 10;
    bool percent = false, bottom = false;
    bool above = true, equalAverage = false;
    int standardDeviations = 0;
    // ColorScale, DataBar, IconSet.
    std::vector<ConditionalValue> thresholds;
    std::vector<Color> colors; // one per threshold (scales) or the bar's colour
    std::string iconSet = "3TrafficLights1";
    bool reverseIcons = false, showValue = true;
};

struct ConditionalFormat {
    std::vector<Range> ranges; // the first range's top-left cell anchors relative operands
    std::vector<ConditionalRule> rules;
};

} // namespace engine
