#pragma once
// Sine, cosine and tangent as the application computes them. The angle is reduced by whole
// quarter turns of a pi rounded to 64 bits, as the application's own reduction does: SIN(PI())
// is then 1.22514845490862E-16, not the 1.22464679914735E-16 an exact reduction gives, and so is
// every result near a zero of the function. Elsewhere the two agree to the last bits.

namespace engine::formula::functions {

double circularSin(double x);
double circularCos(double x);
double circularTan(double x);

} // namespace engine::formula::functions
