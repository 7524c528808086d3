// TEXTBEFORE and TEXTAFTER: the text on one side of the n-th delimiter.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/TextUnits.h"

#include <cmath>
#include <string>
#include <vector>

namespace engine::formula::fn {
namespace {

// (text, delimiter, [instance], [match_mode], [match_end], [if_not_found])
template <bool After> Value textAround(Args args, CallContext& c) {
    Reader r(args, c);
    const std::u16string text = toUtf16(r.text(0));
    const std::u16string delimiter = toUtf16(r.text(1));
    // The instance is rounded down, so -1.2 counts two from the end.
    const double instance = r.given(2) ? std::floor(r.number(2)) : 1;
    const double matchMode = r.given(3) ? std::trunc(r.number(3)) : 0;
    const double matchEnd = r.given(4) ? std::trunc(r.number(4)) : 0;
    if (r.failed()) {
        return r.error();
    }
    const bool folded = matchMode == 1, endCounts = matchEnd == 1;
    // An instance given that the text has no room for, even delimiters overlapping, is
    // #VALUE!; one left out merely finds nothing.
    const double room =
        static_cast<double>(text.size()) - static_cast<double>(delimiter.size()) + 1;
    if (instance == 0 || (r.given(2) && std::fabs(instance) > room) ||
        (matchMode != 0 && matchMode != 1) || (matchEnd != 0 && matchEnd != 1)) {
        return Value::fail(CellError::Value);
    }
    const std::u16string hay = folded ? lower(text) : text;
    const std::u16string needle = folded ? lower(delimiter) : delimiter;
    // Where each delimiter starts, counted from the end for a negative instance.
    std::vector<std::size_t> starts;
    const std::size_t wanted = static_cast<std::size_t>(std::fabs(instance));
    if (instance > 0) {
        for (std::size_t at = 0; starts.size() < wanted && at <= hay.size();) {
            const std::size_t found = hay.find(needle, at);
            if (found == std::u16string::npos) {
                break;
            }
            starts.push_back(found);
            at = found + std::max<std::size_t>(needle.size(), 1);
        }
    } else {
        for (std::size_t end = hay.size(); starts.size() < wanted;) {
            if (end < needle.size()) {
                break;
            }
            const std::size_t found = hay.rfind(needle, end - needle.size());
            if (found == std::u16string::npos) {
                break;
            }
            starts.push_back(found);
            if (found == 0) {
                break;
            }
            end = needle.empty() ? found - 1 : found;
        }
    }
    std::size_t start = 0, width = needle.size();
    if (starts.size() == wanted) {
        start = starts.back();
    } else if (endCounts && starts.size() + 1 == wanted) {
        // The end of the text (or its start, counting back) stands for one more delimiter.
        start = instance > 0 ? text.size() : 0;
        width = 0;
    } else if (r.given(5)) {
        const Value fallback = r.value(5);
        return fallback.kind == ValueKind::Blank ? Value::of(std::string()) : fallback;
    } else {
        return Value::fail(CellError::NA);
    }
    const std::u16string part =
        After ? text.substr(std::min(text.size(), start + width)) : text.substr(0, start);
    return Value::of(toUtf8(part));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"TEXTAFTER", 2, 6, textAround<true>},
    FunctionInfo{"TEXTBEFORE", 2, 6, textAround<false>},
};

} // namespace

std::span<const FunctionInfo> textSplitFunctions() {
    return table;
}

} // namespace engine::formula::fn
