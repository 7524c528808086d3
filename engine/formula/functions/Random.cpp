// RAND and RANDBETWEEN for cells the file holds no result for (a stored result is kept). The
// numbers come from the cell's position and the conversion's moment, so that a page converted
// twice at the same SOURCE_DATE_EPOCH is the same page.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace engine::formula::functions {
namespace {

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A number in [0, 1) drawn for the calling cell.
double draw(CallContext& c) {
    const std::uint64_t seed = mix(std::bit_cast<std::uint64_t>(c.now())) ^
                               mix((std::uint64_t{c.callerRow()} << 16) ^ c.callerCol());
    return static_cast<double>(mix(seed) >> 11) * 0x1.0p-53;
}

Value random(Args, CallContext& c) {
    return Value::of(draw(c));
}

Value randomBetween(Args args, CallContext& c) {
    Reader r(args, c);
    const double bottom = std::ceil(r.number(0)), top = std::floor(r.number(1));
    if (r.failed())
        return r.error();
    if (bottom > top)
        return numError();
    return numberOrNum(bottom + std::floor(draw(c) * (top - bottom + 1)));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"RAND", 0, 0, random, {}, 0, flag::Volatile | flag::Random},
    FunctionInfo{"RANDBETWEEN", 2, 2, randomBetween, {}, 0, flag::Volatile | flag::Random},
};

} // namespace

std::span<const FunctionInfo> randomFunctions() {
    return table;
}

} // namespace engine::formula::functions
