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

// Those digits rounded half away from zero (like every format, not to the nearest even) to
// `decimals` places. digit[0] stands for 10^exponent; positions before it and from `count` on
// are zeros; the places run up to position `keep`, which is negative when none is left.
struct RoundedDigits {
    char digit[16];
    int count;
    int exponent;
    int keep;
    char at(int position) const {
        return position >= 0 && position < count ? digit[position] : '0';
    }
};
RoundedDigits roundedDigits(const DecimalDigits& significant, int decimals);

} // namespace engine::numfmt
