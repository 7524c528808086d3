#pragma once
// The fifteen significant digits the application takes a number to before any format rounds it.

namespace engine::numfmt {

struct DecimalDigits {
    char digit[15]; // '0'-'9', zeros after the last significant one
    int exponent;   // the power of ten of digit[0]
};

// The first fifteen significant decimal digits of a finite value > 0, correctly rounded. Cells
// show a number each, so this avoids printing the double where it can.
DecimalDigits significantDigits(double value);

} // namespace engine::numfmt
