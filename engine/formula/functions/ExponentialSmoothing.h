#pragma once
// Triple exponential smoothing with additive error, trend and season (the AAA model) over a
// series of evenly spaced values: the length of its season, the fitted smoothing constants and
// forecasts with their prediction intervals.

#include <cstddef>
#include <functional>
#include <vector>

namespace engine::formula::functions {

// Called with the work a step is about to do (about one unit a value); false stops the fit.
using WorkCharge = std::function<bool(std::size_t units)>;

// The period of the strongest repeating pattern of `values` once their straight-line trend is
// taken out: the lag from 2 to min(size / 2, `longest`) at which the autocorrelation peaks
// highest above what noise gives; 0 when none does, -1 when `charge` refused.
long detectSeasonLength(const std::vector<double>& values, std::size_t longest,
                        const WorkCharge& charge);

class SmoothingModel {
public:
    // Fits the model to `values` (at least two, and two more than `season`) with season length
    // `season` (0 for none): the smoothing constants that give the least sum of squared
    // one-step errors. False when `charge` refused.
    bool fit(const std::vector<double>& values, std::size_t season, const WorkCharge& charge);

    // The value `steps` (> 0, possibly fractional) steps after the last one.
    double forecast(double steps) const;
    // Half the width of the prediction interval at `steps` for confidence `level` in (0, 1).
    double intervalHalfWidth(double steps, double level) const;

    double alpha() const { return alpha_; }
    double beta() const { return beta_; }
    double gamma() const { return gamma_; }
    // Accuracy of the one-step forecasts over the fitted values.
    double meanAbsoluteError() const;
    double rootMeanSquaredError() const;
    // MAE over the mean absolute change from one value to the next.
    double meanAbsoluteScaledError() const;
    // The mean of |error| / the mean of |value| and |forecast|, as a fraction.
    double symmetricMeanAbsolutePercentageError() const;

private:
    struct Run {
        double level = 0, trend = 0;
        std::vector<double> season;    // by phase: index t % season length
        std::vector<double> forecasts; // the one-step forecast of each value from the first fitted
        double squaredErrors = 0;
    };
    Run run(double alpha, double beta, double gamma, bool keep) const;

    std::vector<double> values_;
    std::size_t season_ = 0;
    double alpha_ = 0, beta_ = 0, gamma_ = 0;
    Run best_;
};

// The sum over the steps j = 1 .. steps of (alpha (1 + j beta) + gamma when j is a whole number of
// seasons)^2: how much the one-step errors before a forecast `steps` + 1 periods ahead add to
// its error, relative to one step's.
double carriedSpread(double steps, double alpha, double beta, double gamma, std::size_t season);

} // namespace engine::formula::functions
