// FORECAST.ETS and its companions: a timeline of values brought to an even step, then fitted
// with triple exponential smoothing (see ExponentialSmoothing.h).
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/ExponentialSmoothing.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace engine::formula::functions {
namespace {

constexpr std::size_t longestSeason = 8760; // the hours of a year
constexpr double missingAllowed = 0.3;      // share of the steps that may lack a value

// The values at an even step from the first point of the timeline to the last.
struct Series {
    std::vector<double> values;
    double last = 0, step = 0;
};

struct Point {
    double time = 0;
    std::optional<double> value; // none for a blank value cell: a point to complete
};

// Values taken together at one time, as `aggregation` says: 0 or 1 AVERAGE, 2 COUNT, 3 COUNTA,
// 4 MAX, 5 MEDIAN, 6 MIN, 7 SUM.
std::optional<double> aggregate(std::vector<double>& values, int aggregation) {
    if (aggregation == 2 || aggregation == 3) {
        return static_cast<double>(values.size());
    }
    if (values.empty()) {
        return std::nullopt;
    }
    switch (aggregation) {
    case 4:
        return *std::max_element(values.begin(), values.end());
    case 5: {
        std::sort(values.begin(), values.end());
        const std::size_t half = values.size() / 2;
        return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
    }
    case 6:
        return *std::min_element(values.begin(), values.end());
    default:
        break;
    }
    double sum = 0;
    for (double v : values) {
        sum += v;
    }
    return aggregation == 7 ? sum : sum / static_cast<double>(values.size());
}

// The cells of values and timeline paired by position. A blank timeline cell beside a blank
// value is no point; beside a value it is #VALUE!, as is text or a boolean in either.
std::optional<Value> readPoints(const Arg& valuesArg, const Arg& timelineArg, CallContext& c,
                                std::vector<Point>& points) {
    const Grid values(valuesArg, c), timeline(timelineArg, c);
    if (values.rows() != timeline.rows() || values.cols() != timeline.cols()) {
        return Value::fail(CellError::NA);
    }
    using Cell = std::pair<std::uint64_t, Value>;
    std::vector<Cell> valueCells, timeCells;
    Budget budget(c);
    const auto collect = [&](const Grid& grid, std::vector<Cell>& out) {
        return grid.forEach(budget, [&](std::uint32_t row, std::uint32_t col, const Value& v) {
            out.emplace_back(std::uint64_t{row} * grid.cols() + col, v);
        });
    };
    if (!collect(values, valueCells) || !collect(timeline, timeCells)) {
        return Value::fail(CellError::Value);
    }
    std::size_t v = 0;
    for (const auto& [position, time] : timeCells) {
        if (v < valueCells.size() && valueCells[v].first < position) {
            return Value::fail(CellError::Value); // a value without a time
        }
        if (time.isError()) {
            return time;
        }
        if (time.kind != ValueKind::Number) {
            return Value::fail(CellError::Value);
        }
        Point point{time.number, std::nullopt};
        if (v < valueCells.size() && valueCells[v].first == position) {
            const Value& value = valueCells[v++].second;
            if (value.isError()) {
                return value;
            }
            if (value.kind != ValueKind::Number) {
                return Value::fail(CellError::Value);
            }
            point.value = value.number;
        }
        points.push_back(point);
    }
    if (v < valueCells.size()) {
        return Value::fail(CellError::Value);
    }
    return std::nullopt;
}

// Reads values and timeline (arguments `at` and `at + 1`), data completion and aggregation
// (`optionsAt` and `optionsAt + 1`) into an evenly stepped series; an error value when they do
// not make one.
std::optional<Value> readSeries(Args args, std::size_t at, std::size_t optionsAt, CallContext& c,
                                Series& series) {
    Reader r(args, c);
    const double completion = r.given(optionsAt) ? r.number(optionsAt) : 1;
    const double aggregation = r.given(optionsAt + 1) ? std::trunc(r.number(optionsAt + 1)) : 1;
    if (r.failed()) {
        return r.error();
    }
    if ((completion != 0 && completion != 1) || aggregation < 0 || aggregation > 7) {
        return Value::fail(CellError::Num);
    }
    std::vector<Point> points;
    if (auto error = readPoints(args[at], args[at + 1], c, points)) {
        return error;
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const Point& a, const Point& b) { return a.time < b.time; });
    // One point a time, duplicates aggregated.
    std::vector<Point> unique;
    for (std::size_t i = 0; i < points.size();) {
        std::vector<double> together;
        std::size_t j = i;
        for (; j < points.size() && points[j].time == points[i].time; ++j) {
            if (points[j].value) {
                together.push_back(*points[j].value);
            }
        }
        unique.push_back({points[i].time, aggregate(together, static_cast<int>(aggregation))});
        i = j;
    }
    if (unique.size() < 2) {
        return Value::fail(CellError::Value);
    }
    double step = unique[1].time - unique[0].time;
    for (std::size_t i = 2; i < unique.size(); ++i) {
        step = std::min(step, unique[i].time - unique[i - 1].time);
    }
    const double span = (unique.back().time - unique.front().time) / step;
    // Every time must fall on the step, and enough of the steps must hold a value.
    if (!(step > 0) || span > static_cast<double>(unique.size()) / (1 - missingAllowed)) {
        return Value::fail(CellError::Num);
    }
    const auto slots = static_cast<std::size_t>(std::llround(span)) + 1;
    std::vector<std::optional<double>> slotted(slots);
    for (const Point& point : unique) {
        const double index = (point.time - unique.front().time) / step;
        if (std::fabs(index - std::round(index)) > 1e-6 * std::max(1.0, index)) {
            return Value::fail(CellError::Num);
        }
        slotted[static_cast<std::size_t>(std::llround(index))] = point.value;
    }
    const auto missing =
        static_cast<double>(std::count(slotted.begin(), slotted.end(), std::nullopt));
    if (missing > missingAllowed * static_cast<double>(slots)) {
        return Value::fail(CellError::Num);
    }
    // Completing: zeros, or the straight line between the nearest values either side.
    series.values.assign(slots, 0);
    std::optional<std::size_t> before;
    for (std::size_t i = 0; i < slots; ++i) {
        if (slotted[i]) {
            series.values[i] = *slotted[i];
            if (completion == 1) {
                const std::size_t from = before ? *before + 1 : 0;
                for (std::size_t k = from; k < i; ++k) {
                    series.values[k] =
                        before ? *slotted[*before] + (*slotted[i] - *slotted[*before]) *
                                                         static_cast<double>(k - *before) /
                                                         static_cast<double>(i - *before)
                               : *slotted[i];
                }
            }
            before = i;
        }
    }
    if (completion == 1 && before) {
        for (std::size_t k = *before + 1; k < slots; ++k) {
            series.values[k] = *slotted[*before];
        }
    }
    series.step = step;
    series.last = unique.back().time;
    return std::nullopt;
}

// The season length argument at `i`: 1 (or left out) to detect it, 0 for none, else the length.
std::optional<Value> seasonOf(Args args, std::size_t i, const Series& series, CallContext& c,
                              std::size_t& season) {
    Reader r(args, c);
    const double given = r.given(i) ? std::trunc(r.number(i)) : 1;
    if (r.failed()) {
        return r.error();
    }
    if (given < 0 || given > static_cast<double>(longestSeason)) {
        return Value::fail(CellError::Num);
    }
    if (given == 1) {
        Budget budget(c);
        const long found = detectSeasonLength(
            series.values, longestSeason, [&](std::size_t units) { return budget.take(units); });
        if (found < 0) {
            return Value::fail(CellError::Value);
        }
        season = static_cast<std::size_t>(found);
    } else {
        season = static_cast<std::size_t>(given);
    }
    if (season > 0 && series.values.size() < season + 2) {
        return Value::fail(CellError::Num);
    }
    return std::nullopt;
}

std::optional<Value> fitModel(const Series& series, std::size_t season, CallContext& c,
                              SmoothingModel& model) {
    Budget budget(c);
    if (!model.fit(series.values, season, [&](std::size_t units) { return budget.take(units); })) {
        return Value::fail(CellError::Value);
    }
    return std::nullopt;
}

// The steps from the last point of the timeline to `target`; #NUM! before it.
std::optional<Value> stepsTo(Reader& r, const Series& series, double& steps) {
    const double target = r.number(0);
    if (r.failed()) {
        return r.error();
    }
    if (target < series.last) {
        return Value::fail(CellError::Num);
    }
    steps = (target - series.last) / series.step;
    return std::nullopt;
}

// The model of a forecast to the target date args[0] from the values and timeline at 1 and 2,
// with the seasonality at `seasonAt` and the data completion and aggregation after it; `steps`
// is how far past the timeline's end the target lies.
std::optional<Value> forecastModel(Args args, CallContext& c, Reader& r, std::size_t seasonAt,
                                   double& steps, SmoothingModel& model) {
    Series series;
    std::size_t season = 0;
    if (auto e = readSeries(args, 1, seasonAt + 1, c, series)) {
        return e;
    }
    if (auto e = stepsTo(r, series, steps)) {
        return e;
    }
    if (auto e = seasonOf(args, seasonAt, series, c, season)) {
        return e;
    }
    return fitModel(series, season, c, model);
}

// FORECAST.ETS(target_date, values, timeline, [seasonality], [data_completion], [aggregation])
Value forecastEts(Args args, CallContext& c) {
    Reader r(args, c);
    double steps = 0;
    SmoothingModel model;
    if (auto e = forecastModel(args, c, r, 3, steps, model)) {
        return *e;
    }
    return numberOrNum(model.forecast(steps));
}

// FORECAST.ETS.CONFINT(target_date, values, timeline, [confidence_level], [seasonality],
// [data_completion], [aggregation])
Value forecastEtsConfidence(Args args, CallContext& c) {
    Reader r(args, c);
    const double level = r.given(3) ? r.number(3) : 0.95;
    if (r.failed()) {
        return r.error();
    }
    if (!(level > 0 && level < 1)) {
        return Value::fail(CellError::Num);
    }
    double steps = 0;
    SmoothingModel model;
    if (auto e = forecastModel(args, c, r, 4, steps, model)) {
        return *e;
    }
    return numberOrNum(model.intervalHalfWidth(steps, level));
}

// FORECAST.ETS.SEASONALITY(values, timeline, [data_completion], [aggregation])
Value forecastEtsSeasonality(Args args, CallContext& c) {
    Series series;
    std::size_t season = 0;
    if (auto e = readSeries(args, 0, 2, c, series)) {
        return *e;
    }
    std::vector<Arg> detect(args.begin(), args.begin() + 2);
    if (auto e = seasonOf(detect, 2, series, c, season)) {
        return *e;
    }
    return Value::of(static_cast<double>(season));
}

// FORECAST.ETS.STAT(values, timeline, statistic_type, [seasonality], [data_completion],
// [aggregation]): 1 alpha, 2 beta, 3 gamma, 4 MASE, 5 SMAPE, 6 MAE, 7 RMSE, 8 the step.
Value forecastEtsStatistic(Args args, CallContext& c) {
    Reader r(args, c);
    const double type = std::trunc(r.number(2));
    if (r.failed()) {
        return r.error();
    }
    if (type < 1 || type > 8) {
        return Value::fail(CellError::Num);
    }
    Series series;
    std::size_t season = 0;
    SmoothingModel model;
    if (auto e = readSeries(args, 0, 4, c, series)) {
        return *e;
    }
    if (type == 8) {
        return Value::of(series.step);
    }
    if (auto e = seasonOf(args, 3, series, c, season)) {
        return *e;
    }
    if (auto e = fitModel(series, season, c, model)) {
        return *e;
    }
    switch (static_cast<int>(type)) {
    case 1:
        return Value::of(model.alpha());
    case 2:
        return Value::of(model.beta());
    case 3:
        return Value::of(model.gamma());
    case 4:
        return numberOrNum(model.meanAbsoluteScaledError());
    case 5:
        return numberOrNum(model.symmetricMeanAbsolutePercentageError());
    case 6:
        return numberOrNum(model.meanAbsoluteError());
    default:
        return numberOrNum(model.rootMeanSquaredError());
    }
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"FORECAST.ETS", 3, 6, forecastEts, "sbbsss", 6, 0, nullptr, "_xlfn."},
    FunctionInfo{"FORECAST.ETS.CONFINT", 3, 7, forecastEtsConfidence, "sbbssss", 7, 0, nullptr,
                 "_xlfn."},
    FunctionInfo{"FORECAST.ETS.SEASONALITY", 2, 4, forecastEtsSeasonality, "bbss", 4, 0, nullptr,
                 "_xlfn."},
    FunctionInfo{"FORECAST.ETS.STAT", 3, 6, forecastEtsStatistic, "bbssss", 6, 0, nullptr,
                 "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> forecastFunctions() {
    return table;
}

} // namespace engine::formula::functions
