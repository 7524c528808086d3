#pragma once
// Numbers written as the client's JSON reader and late binding have always written them.

#include <string>

namespace wire {

// The shortest digits that read back as `number`, in plain or exponent form, whichever is
// shorter (plain on a tie); exponents have a sign and at least two digits ("1e+20", "1e-05").
// Precondition: `number` is finite.
std::string shortestText(double number);

// `number` as JSON: a whole number in the range of 64-bit integers without a fraction or
// exponent, anything else as shortestText; infinities and NaN, which JSON lacks, as null.
std::string jsonNumberText(double number);

} // namespace wire
