#include "engine/formula/ArrayParameters.h"

#include <algorithm>
#include <array>

namespace engine::formula {
namespace {

// One letter a parameter: 'b' takes a block, 's' a single value. Parameters past the pattern
// repeat it from `repeatFrom` on (SUMIFS: a sum range, then range and criterion pairs).
struct Pattern {
    std::string_view name;
    std::string_view params;
    std::size_t repeatFrom = 0;
};

// Sorted by name. Functions not listed take single values only.
constexpr std::array patterns = {
    Pattern{"AND", "b"},
    Pattern{"AVEDEV", "b"},
    Pattern{"AVERAGE", "b"},
    Pattern{"AVERAGEA", "b"},
    Pattern{"AVERAGEIF", "bsb", 3},
    Pattern{"AVERAGEIFS", "bbs", 1},
    Pattern{"CONCAT", "b"},
    Pattern{"CORREL", "b"},
    Pattern{"COUNT", "b"},
    Pattern{"COUNTA", "b"},
    Pattern{"COUNTBLANK", "b"},
    Pattern{"COUNTIF", "bs"},
    Pattern{"COUNTIFS", "bs"},
    Pattern{"COVAR", "b"},
    Pattern{"COVARIANCE.P", "b"},
    Pattern{"COVARIANCE.S", "b"},
    Pattern{"DEVSQ", "b"},
    Pattern{"FORECAST", "sbb", 3},
    Pattern{"FORECAST.LINEAR", "sbb", 3},
    Pattern{"GCD", "b"},
    Pattern{"GEOMEAN", "b"},
    Pattern{"HARMEAN", "b"},
    Pattern{"HLOOKUP", "sbss", 4},
    Pattern{"INTERCEPT", "b"},
    Pattern{"IRR", "bs", 2},
    Pattern{"ISREF", "b"},
    Pattern{"LARGE", "bs", 2},
    Pattern{"LCM", "b"},
    Pattern{"LOOKUP", "sbb", 3},
    Pattern{"MATCH", "sbs", 3},
    Pattern{"MAX", "b"},
    Pattern{"MAXA", "b"},
    Pattern{"MAXIFS", "bbs", 1},
    Pattern{"MEDIAN", "b"},
    Pattern{"MIN", "b"},
    Pattern{"MINA", "b"},
    Pattern{"MINIFS", "bbs", 1},
    Pattern{"MODE", "b"},
    Pattern{"MODE.SNGL", "b"},
    Pattern{"NETWORKDAYS", "ssb", 3},
    Pattern{"NETWORKDAYS.INTL", "sssb", 4},
    Pattern{"NPV", "sb", 1},
    Pattern{"PEARSON", "b"},
    Pattern{"PERCENTILE", "bs", 2},
    Pattern{"PERCENTILE.EXC", "bs", 2},
    Pattern{"PERCENTILE.INC", "bs", 2},
    Pattern{"PERCENTRANK", "bss", 3},
    Pattern{"PERCENTRANK.INC", "bss", 3},
    Pattern{"PRODUCT", "b"},
    Pattern{"QUARTILE", "bs", 2},
    Pattern{"QUARTILE.EXC", "bs", 2},
    Pattern{"QUARTILE.INC", "bs", 2},
    Pattern{"RANK", "sbs", 3},
    Pattern{"RANK.AVG", "sbs", 3},
    Pattern{"RANK.EQ", "sbs", 3},
    Pattern{"RSQ", "b"},
    Pattern{"SLOPE", "b"},
    Pattern{"SMALL", "bs", 2},
    Pattern{"STDEV", "b"},
    Pattern{"STDEV.P", "b"},
    Pattern{"STDEV.S", "b"},
    Pattern{"STDEVA", "b"},
    Pattern{"STDEVP", "b"},
    Pattern{"STDEVPA", "b"},
    Pattern{"STEYX", "b"},
    Pattern{"SUBTOTAL", "sb", 1},
    Pattern{"SUM", "b"},
    Pattern{"SUMIF", "bsb", 3},
    Pattern{"SUMIFS", "bbs", 1},
    Pattern{"SUMPRODUCT", "b"},
    Pattern{"SUMSQ", "b"},
    Pattern{"TEXTJOIN", "ssb", 2},
    Pattern{"TYPE", "b"},
    Pattern{"VAR", "b"},
    Pattern{"VAR.P", "b"},
    Pattern{"VAR.S", "b"},
    Pattern{"VARA", "b"},
    Pattern{"VARP", "b"},
    Pattern{"VARPA", "b"},
    Pattern{"VLOOKUP", "sbss", 4},
    Pattern{"WORKDAY", "ssb", 3},
    Pattern{"WORKDAY.INTL", "sssb", 4},
    Pattern{"XIRR", "bbs", 3},
    Pattern{"XLOOKUP", "sbbsss", 6},
    Pattern{"XMATCH", "sbss", 4},
    Pattern{"XNPV", "sbb", 3},
};

static_assert(std::is_sorted(patterns.begin(), patterns.end(),
                             [](const Pattern& a, const Pattern& b) { return a.name < b.name; }));

} // namespace

bool takesBlockAt(std::string_view upperName, std::size_t index) {
    const auto it =
        std::lower_bound(patterns.begin(), patterns.end(), upperName,
                         [](const Pattern& p, std::string_view name) { return p.name < name; });
    if (it == patterns.end() || it->name != upperName)
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

} // namespace engine::formula
