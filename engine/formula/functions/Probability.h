#pragma once
// The special functions the probability distributions share.

namespace engine::formula::functions {

double normalCdf(double z);
double normalPdf(double z);
// The z below which probability `p` (0 < p < 1) lies.
double normalQuantile(double p);
// The regularized incomplete beta function I_x(a, b), 0 for x <= 0 and 1 for x >= 1.
double regularizedBeta(double a, double b, double x);

// The regularized incomplete gamma functions P(a, x) and Q(a, x) = 1 - P, each from its own
// side so that a far tail keeps its digits.
struct GammaTails {
    double lower, upper;
};
GammaTails gammaTails(double a, double x);
double regularizedGamma(double a, double x);

// Student's t with `df` degrees of freedom: the probability below t, above t, its density and
// the t below which probability `p` lies.
double studentCdf(double t, double df);
double studentUpper(double t, double df);
double studentPdf(double t, double df);
double studentQuantile(double p, double df);

double chiSquaredCdf(double x, double df);

} // namespace engine::formula::functions
