#include "engine/formula/functions/ExponentialSmoothing.h"

#include "engine/formula/functions/Probability.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace engine::formula::functions {

long detectSeasonLength(const std::vector<double>& values, std::size_t longest,
                        const WorkCharge& charge) {
    const std::size_t n = values.size();
    if (n < 4) {
        return 0;
    }
    // The residuals of the least-squares line through (t, value).
    const double meanT = (static_cast<double>(n) - 1) / 2;
    const double meanY =
        std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    double sxy = 0, sxx = 0;
    for (std::size_t t = 0; t < n; ++t) {
        sxy += (static_cast<double>(t) - meanT) * (values[t] - meanY);
        sxx += (static_cast<double>(t) - meanT) * (static_cast<double>(t) - meanT);
    }
    const double slope = sxy / sxx;
    std::vector<double> residuals(n);
    double energy = 0;
    for (std::size_t t = 0; t < n; ++t) {
        residuals[t] = values[t] - meanY - slope * (static_cast<double>(t) - meanT);
        energy += residuals[t] * residuals[t];
    }
    // A straight line (or a constant) repeats nothing.
    if (energy <= 1e-20 * std::max(1.0, meanY * meanY) * static_cast<double>(n)) {
        return 0;
    }
    const std::size_t last = std::min(n / 2, longest);
    std::vector<double> correlation(last + 2, 0.0);
    for (std::size_t lag = 1; lag <= std::min(last + 1, n - 1); ++lag) {
        if (!charge(n - lag)) {
            return -1;
        }
        double sum = 0;
        for (std::size_t t = lag; t < n; ++t) {
            sum += residuals[t] * residuals[t - lag];
        }
        correlation[lag] = sum / energy;
    }
    // A peak must stand above noise, whose autocorrelations spread about 1 / sqrt(n), and be
    // worth the season's cost in fitted constants.
    const double threshold = std::max(0.2, 2 / std::sqrt(static_cast<double>(n)));
    const auto peakAt = [&](std::size_t lag) {
        return correlation[lag] > correlation[lag - 1] &&
               (lag + 1 >= n || correlation[lag] >= correlation[lag + 1]);
    };
    std::size_t best = 0;
    double bestCorrelation = threshold;
    for (std::size_t lag = 2; lag <= last; ++lag) {
        if (peakAt(lag) && correlation[lag] > bestCorrelation) {
            bestCorrelation = correlation[lag];
            best = lag;
        }
    }
    // A pattern repeats at every multiple of its length too, and noise may lift a multiple a
    // little above it: the shortest length that divides the best and correlates nearly as well
    // is the season.
    for (std::size_t d = 2; d < best; ++d) {
        if (best % d == 0 && peakAt(d) && correlation[d] >= 0.8 * bestCorrelation) {
            return static_cast<long>(d);
        }
    }
    return static_cast<long>(best);
}

SmoothingModel::Run SmoothingModel::run(double alpha, double beta, double gamma, bool keep) const {
    const std::size_t n = values_.size(), m = season_;
    Run r;
    std::size_t start = 1;
    if (m == 0) {
        r.level = values_[0];
        r.trend = values_[1] - values_[0];
    } else {
        // The first season's mean, the step between the first two seasons' means, and each
        // value's distance from that line.
        const auto mean = [&](std::size_t from) {
            return std::accumulate(values_.begin() + static_cast<std::ptrdiff_t>(from),
                                   values_.begin() + static_cast<std::ptrdiff_t>(from + m), 0.0) /
                   static_cast<double>(m);
        };
        const double first = mean(0);
        r.trend = n >= 2 * m ? (mean(m) - first) / static_cast<double>(m) : 0;
        const double centre = (static_cast<double>(m) - 1) / 2;
        r.level = first + r.trend * centre;
        r.season.resize(m);
        for (std::size_t i = 0; i < m; ++i) {
            r.season[i] = values_[i] - (first + r.trend * (static_cast<double>(i) - centre));
        }
        start = m;
    }
    for (std::size_t t = start; t < n; ++t) {
        const double seasonal = m ? r.season[t % m] : 0;
        const double predicted = r.level + r.trend + seasonal;
        const double error = values_[t] - predicted;
        r.squaredErrors += error * error;
        if (keep) {
            r.forecasts.push_back(predicted);
        }
        const double level = alpha * (values_[t] - seasonal) + (1 - alpha) * (r.level + r.trend);
        r.trend = beta * (level - r.level) + (1 - beta) * r.trend;
        r.level = level;
        if (m) {
            r.season[t % m] = gamma * (values_[t] - level) + (1 - gamma) * seasonal;
        }
    }
    return r;
}

bool SmoothingModel::fit(const std::vector<double>& values, std::size_t season,
                         const WorkCharge& charge) {
    values_ = values;
    season_ = season;
    const std::size_t n = values_.size();
    std::array<double, 3> best = {0, 0, 0};
    double bestError = run(0, 0, 0, false).squaredErrors;
    const auto tryAt = [&](const std::array<double, 3>& at) {
        if (!charge(n)) {
            return false;
        }
        const double error = run(at[0], at[1], at[2], false).squaredErrors;
        if (error < bestError) {
            bestError = error;
            best = at;
        }
        return true;
    };
    // A coarse grid first, so that the search below starts in the right valley, then a pattern
    // search that halves its step down to 1e-4. Both stay inside [0, 1].
    const int gammaSteps = season_ ? 10 : 0;
    for (int a = 0; a <= 10; ++a) {
        for (int b = 0; b <= 10; ++b) {
            for (int g = 0; g <= gammaSteps; ++g) {
                if (!tryAt({a / 10.0, b / 10.0, g / 10.0})) {
                    return false;
                }
            }
        }
    }
    const std::size_t constants = season_ ? 3 : 2;
    for (double step = 0.05; step >= 1e-4; step /= 2) {
        bool moved = true;
        while (moved) {
            moved = false;
            for (std::size_t i = 0; i < constants; ++i) {
                for (const double direction : {-1.0, 1.0}) {
                    std::array<double, 3> at = best;
                    at[i] = std::clamp(at[i] + direction * step, 0.0, 1.0);
                    const double before = bestError;
                    if (!tryAt(at)) {
                        return false;
                    }
                    moved = moved || bestError < before;
                }
            }
        }
    }
    alpha_ = best[0];
    beta_ = best[1];
    gamma_ = best[2];
    best_ = run(alpha_, beta_, gamma_, true);
    return true;
}

double SmoothingModel::forecast(double steps) const {
    const std::size_t n = values_.size();
    double seasonal = 0;
    if (season_) {
        const auto ahead = static_cast<std::size_t>(std::max(0.0, std::ceil(steps)));
        seasonal = best_.season[(n - 1 + ahead) % season_];
    }
    return best_.level + steps * best_.trend + seasonal;
}

double SmoothingModel::intervalHalfWidth(double steps, double level) const {
    const double variance = best_.forecasts.empty()
                                ? 0
                                : best_.squaredErrors / static_cast<double>(best_.forecasts.size());
    // The h-step forecast error adds the one-step errors of the steps before it, each carried
    // forward through level, trend and season.
    const double ahead = std::max(1.0, std::ceil(steps));
    const double spread = 1 + carriedSpread(ahead - 1, alpha_, beta_, gamma_, season_);
    return normalQuantile((1 + level) / 2) * std::sqrt(variance * spread);
}

double carriedSpread(double steps, double alpha, double beta, double gamma, std::size_t season) {
    // Summed in closed form: a target far past the timeline must not cost a pass per period.
    const double n = std::floor(steps);
    if (!(n >= 1))
        return 0;
    const double a = alpha;
    const double b = alpha * beta;
    double sum = n * a * a + a * b * n * (n + 1) + b * b * n * (n + 1) * (2 * n + 1) / 6;
    if (season > 0) {
        // Every season-th step carries the seasonal share as well: (a + b j + gamma)^2.
        const double m = static_cast<double>(season);
        const double k = std::floor(n / m);
        sum += k * (2 * gamma * a + gamma * gamma) + gamma * b * m * k * (k + 1);
    }
    return sum;
}

double SmoothingModel::meanAbsoluteError() const {
    const std::size_t first = values_.size() - best_.forecasts.size();
    double sum = 0;
    for (std::size_t i = 0; i < best_.forecasts.size(); ++i) {
        sum += std::fabs(values_[first + i] - best_.forecasts[i]);
    }
    return best_.forecasts.empty() ? 0 : sum / static_cast<double>(best_.forecasts.size());
}

double SmoothingModel::rootMeanSquaredError() const {
    return best_.forecasts.empty()
               ? 0
               : std::sqrt(best_.squaredErrors / static_cast<double>(best_.forecasts.size()));
}

double SmoothingModel::meanAbsoluteScaledError() const {
    double change = 0;
    for (std::size_t t = 1; t < values_.size(); ++t) {
        change += std::fabs(values_[t] - values_[t - 1]);
    }
    change /= static_cast<double>(values_.size() - 1);
    return change == 0 ? 0 : meanAbsoluteError() / change;
}

double SmoothingModel::symmetricMeanAbsolutePercentageError() const {
    const std::size_t first = values_.size() - best_.forecasts.size();
    double sum = 0;
    for (std::size_t i = 0; i < best_.forecasts.size(); ++i) {
        const double actual = values_[first + i], predicted = best_.forecasts[i];
        const double scale = (std::fabs(actual) + std::fabs(predicted)) / 2;
        sum += scale == 0 ? 0 : std::fabs(actual - predicted) / scale;
    }
    return best_.forecasts.empty() ? 0 : sum / static_cast<double>(best_.forecasts.size());
}

} // namespace engine::formula::functions
