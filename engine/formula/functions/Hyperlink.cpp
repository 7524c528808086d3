// HYPERLINK: the value a link shows. The calculator makes the cell itself a link to the
// address (see Calculator's findLinks).

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"

namespace engine::formula::functions {
namespace {

// The friendly name as given (a number stays a number), else the address itself.
Value hyperlink(Args args, CallContext& c) {
    Reader r(args, c);
    const Value address = r.value(0);
    if (r.failed())
        return r.error();
    if (!r.given(1))
        return toText(address);
    const Value shown = r.value(1);
    if (r.failed())
        return r.error();
    return shown.kind == ValueKind::Blank ? Value::of(0.0) : shown;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"HYPERLINK", 1, 2, hyperlink},
};

} // namespace

std::span<const FunctionInfo> hyperlinkFunctions() {
    return table;
}

} // namespace engine::formula::functions
