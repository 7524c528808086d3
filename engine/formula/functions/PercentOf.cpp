// PERCENTOF: the share a subset of numbers makes of a whole, both summed as SUM sums.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

namespace engine::formula::functions {
namespace {

bool sumOf(Args args, std::size_t i, CallContext& c, double& sum, Value& error) {
    sum = 0;
    return forEachNumber(
        args, i, i + 1, c, NumberScan{}, [&](double n) { sum += n; }, error);
}

Value percentOf(Args args, CallContext& c) {
    double part = 0, whole = 0;
    Value error;
    if (!sumOf(args, 0, c, part, error) || !sumOf(args, 1, c, whole, error)) {
        return error;
    }
    if (whole == 0) {
        return Value::fail(CellError::Div0);
    }
    return numberOrNum(part / whole);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"PERCENTOF", 2, 2, percentOf, "bb", 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> percentOfFunctions() {
    return table;
}

} // namespace engine::formula::functions
