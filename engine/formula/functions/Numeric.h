#pragma once
// Small numeric rules the function families share.

#include "engine/formula/Value.h"

#include <cmath>

namespace engine::formula::functions {

// #NUM!: an argument outside the function's domain, or a result no number can hold.
inline Value numError() {
    return Value::fail(CellError::Num);
}

// A finite result as a number, anything else as #NUM!.
inline Value numberOrNum(double v) {
    return std::isfinite(v) ? Value::of(v) : Value::fail(CellError::Num);
}

// `value` * 10^digits taken to 15 significant digits first, so that 2.675 rounds to 2.68 as
// the decimal it was written as; `round` is std::round, std::trunc or an away-from-zero ceil.
double roundDigits(double value, int digits, double (*round)(double));
double roundAwayFromZero(double v);

// A number argument used as a code or count, truncated and held to +-1e9 so that converting
// it can never overflow; NaN becomes 0.
inline int toInt(double v) {
    if (!(v == v)) {
        return 0;
    }
    return static_cast<int>(std::fmax(-1e9, std::fmin(1e9, std::trunc(v))));
}

} // namespace engine::formula::functions
