#include "engine/formula/ArrayParameters.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace engine::formula {
namespace {

// One letter a parameter: 'b' takes a block, 's' a single value. Parameters past the pattern
// repeat it from `repeatFrom` on (SUMIFS: a sum range, then range and criterion pairs).
// `arrays`: the arguments are computed as arrays in any formula, not only in an array one.
struct Pattern {
    std::string_view name;
    std::string_view params;
    std::size_t repeatFrom = 0;
    bool arrays = false;
};

// Functions every parameter of which takes a block (SUM, AND, CORREL ...), sorted.
constexpr std::array<std::string_view, 48> everyBlock = {
    "AND",     "AVEDEV",     "AVERAGE",   "AVERAGEA",     "CONCAT",       "CORREL",  "COUNT",
    "COUNTA",  "COUNTBLANK", "COVAR",     "COVARIANCE.P", "COVARIANCE.S", "DEVSQ",   "GCD",
    "GEOMEAN", "HARMEAN",    "INTERCEPT", "ISREF",        "LCM",          "MAX",     "MAXA",
    "MEDIAN",  "MIN",        "MINA",      "MODE",         "MODE.SNGL",    "OR",      "PEARSON",
    "PRODUCT", "RSQ",        "SLOPE",     "STDEV",        "STDEV.P",      "STDEV.S", "STDEVA",
    "STDEVP",  "STDEVPA",    "STEYX",     "SUM",          "SUMSQ",        "TYPE",    "VAR",
    "VAR.P",   "VAR.S",      "VARA",      "VARP",         "VARPA",        "XOR",
};

// The others that take a block somewhere, sorted. Functions listed in neither take single
// values only.
constexpr std::array patterns = {
    Pattern{"AVERAGEIF", "bsb", 3},
    Pattern{"AVERAGEIFS", "bbs", 1},
    Pattern{"COUNTIF", "bs", 0},
    Pattern{"COUNTIFS", "bs", 0},
    Pattern{"FORECAST", "sbb", 3},
    Pattern{"FORECAST.LINEAR", "sbb", 3},
    Pattern{"FREQUENCY", "bb", 2, true},
    Pattern{"HLOOKUP", "sbss", 4},
    Pattern{"IRR", "bs", 2},
    Pattern{"LARGE", "bs", 2},
    Pattern{"LOOKUP", "sbb", 3, true},
    Pattern{"MATCH", "sbs", 3},
    Pattern{"MAXIFS", "bbs", 1},
    Pattern{"MINIFS", "bbs", 1},
    Pattern{"MMULT", "bb", 2, true},
    Pattern{"NETWORKDAYS", "ssb", 3},
    Pattern{"NETWORKDAYS.INTL", "sssb", 4},
    Pattern{"NPV", "sb", 1},
    Pattern{"PERCENTILE", "bs", 2},
    Pattern{"PERCENTILE.EXC", "bs", 2},
    Pattern{"PERCENTILE.INC", "bs", 2},
    Pattern{"PERCENTRANK", "bss", 3},
    Pattern{"PERCENTRANK.INC", "bss", 3},
    Pattern{"QUARTILE", "bs", 2},
    Pattern{"QUARTILE.EXC", "bs", 2},
    Pattern{"QUARTILE.INC", "bs", 2},
    Pattern{"RANK", "sbs", 3},
    Pattern{"RANK.AVG", "sbs", 3},
    Pattern{"RANK.EQ", "sbs", 3},
    Pattern{"SMALL", "bs", 2},
    Pattern{"SUBTOTAL", "sb", 1},
    Pattern{"SUMIF", "bsb", 3},
    Pattern{"SUMIFS", "bbs", 1},
    Pattern{"SUMPRODUCT", "b", 0, true},
    Pattern{"TEXTJOIN", "ssb", 2},
    Pattern{"TRANSPOSE", "b", 1, true},
    Pattern{"VLOOKUP", "sbss", 4},
    Pattern{"WORKDAY", "ssb", 3},
    Pattern{"WORKDAY.INTL", "sssb", 4},
    Pattern{"XIRR", "bbs", 3},
    Pattern{"XLOOKUP", "sbbsss", 6},
    Pattern{"XMATCH", "sbss", 4},
    Pattern{"XNPV", "sbb", 3},
};

static_assert(std::is_sorted(everyBlock.begin(), everyBlock.end()));
static_assert(std::is_sorted(patterns.begin(), patterns.end(),
                             [](const Pattern& a, const Pattern& b) { return a.name < b.name; }));

const Pattern* patternOf(std::string_view upperName) {
    const auto it =
        std::lower_bound(patterns.begin(), patterns.end(), upperName,
                         [](const Pattern& p, std::string_view name) { return p.name < name; });
    return it == patterns.end() || it->name != upperName ? nullptr : &*it;
}

} // namespace

bool takesBlockAt(std::string_view upperName, std::size_t index) {
    if (std::binary_search(everyBlock.begin(), everyBlock.end(), upperName))
        return true;
    const Pattern* it = patternOf(upperName);
    if (!it)
        return false;
    const std::string_view params = it->params;
    if (index >= params.size()) {
        // A pattern whose repeat starts past its end has no further parameters: the function's
        // own argument count rejects the call, so lifting never matters there.
        if (it->repeatFrom >= params.size())
            return false;
        index = it->repeatFrom + (index - it->repeatFrom) % (params.size() - it->repeatFrom);
    }
    return params[index] == 'b';
}

bool takesArrays(std::string_view upperName) {
    const Pattern* pattern = patternOf(upperName);
    return pattern && pattern->arrays;
}

} // namespace engine::formula
