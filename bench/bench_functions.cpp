// The worksheet function library on its own: calls of the kinds a script-written workbook
// holds, against blocks held in memory, so that the evaluator's share is not counted here.
#include "engine/formula/Function.h"
#include "engine/formula/functions/LookupIndex.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

using engine::formula::Arg;
using engine::formula::Value;

class Block : public engine::formula::Area {
public:
    Block(std::vector<std::vector<Value>> cells, std::uint64_t id)
        : cells_(std::move(cells)), id_(id) {}
    std::uint32_t rows() const override { return static_cast<std::uint32_t>(cells_.size()); }
    std::uint32_t cols() const override { return static_cast<std::uint32_t>(cells_[0].size()); }
    Value at(std::uint32_t r, std::uint32_t c) const override { return cells_[r][c]; }
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override {
        for (std::uint32_t r = 0; r < rows(); ++r) {
            for (std::uint32_t c = 0; c < cols(); ++c) {
                visit(r, c, cells_[r][c]);
            }
        }
    }
    bool isReference() const override { return true; }
    std::uint64_t identity() const override { return id_; }

private:
    std::vector<std::vector<Value>> cells_;
    std::uint64_t id_;
};

class Context : public engine::formula::CallContext {
public:
    engine::formula::LookupIndexes* indexes = nullptr;
    engine::DateSystem dateSystem() const override { return engine::DateSystem::Date1900; }
    double now() const override { return 45000; }
    std::string formatNumber(double value, std::string_view) override {
        return std::to_string(value);
    }
    bool chargeWork(std::uint64_t) override { return true; }
    std::uint32_t callerRow() const override { return 0; }
    std::uint32_t callerCol() const override { return 0; }
    engine::formula::LookupIndexes* lookupIndexes() override { return indexes; }
};

Block lookupTable() {
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 10000; ++i) {
        rows.push_back({Value::of("item" + std::to_string(i)), Value::of(i * 0.5)});
    }
    return Block(std::move(rows), 1);
}

// 100,000 exact VLOOKUPs into a 10,000-row table keyed by text.
void exactLookups(benchmark::State& state, bool indexed) {
    Block table = lookupTable();
    const auto* vlookup = engine::formula::findFunction("VLOOKUP");
    for (auto _ : state) {
        engine::formula::LookupIndexes indexes;
        Context context;
        context.indexes = indexed ? &indexes : nullptr;
        double total = 0;
        for (int i = 0; i < 100000; ++i) {
            Arg args[4] = {
                {Arg::Kind::Scalar, Value::of("ITEM" + std::to_string(i * 7 % 10000)), nullptr},
                {Arg::Kind::Area, {}, &table},
                {Arg::Kind::Scalar, Value::of(2.0), nullptr},
                {Arg::Kind::Scalar, Value::of(false), nullptr}};
            total += vlookup->body(std::span<const Arg>(args), context).number;
        }
        benchmark::DoNotOptimize(total);
    }
}

void BM_ExactVlookupIndexed(benchmark::State& state) {
    exactLookups(state, true);
}
BENCHMARK(BM_ExactVlookupIndexed)->Unit(benchmark::kMillisecond);

void BM_ExactVlookupScanned(benchmark::State& state) {
    Block table = lookupTable();
    const auto* vlookup = engine::formula::findFunction("VLOOKUP");
    Context context;
    for (auto _ : state) {
        // 1,000 calls only: a scan costs ~ the table's length each time.
        double total = 0;
        for (int i = 0; i < 1000; ++i) {
            Arg args[4] = {
                {Arg::Kind::Scalar, Value::of("ITEM" + std::to_string(i * 7 % 10000)), nullptr},
                {Arg::Kind::Area, {}, &table},
                {Arg::Kind::Scalar, Value::of(2.0), nullptr},
                {Arg::Kind::Scalar, Value::of(false), nullptr}};
            total += vlookup->body(std::span<const Arg>(args), context).number;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ExactVlookupScanned)->Unit(benchmark::kMillisecond);

// 100,000 calls mixing SUM over ten cells, SUMIF, ROUND and text functions.
void BM_MixedCalls(benchmark::State& state) {
    std::vector<std::vector<Value>> cells;
    for (int i = 0; i < 10; ++i) {
        cells.push_back(
            {Value::of(i * 1.5), Value::of(i % 2 ? std::string("a") : std::string("b"))});
    }
    Block block(std::move(cells), 2);
    const auto* sum = engine::formula::findFunction("SUM");
    const auto* sumif = engine::formula::findFunction("SUMIF");
    const auto* round = engine::formula::findFunction("ROUND");
    const auto* upper = engine::formula::findFunction("UPPER");
    const auto* concat = engine::formula::findFunction("CONCATENATE");
    Context context;
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i < 25000; ++i) {
            Arg range{Arg::Kind::Area, {}, &block};
            total += sum->body({&range, 1}, context).number;
            Arg crit[3] = {
                range, {Arg::Kind::Scalar, Value::of(std::string(">3")), nullptr}, range};
            total += sumif->body(std::span<const Arg>(crit), context).number;
            Arg r[2] = {{Arg::Kind::Scalar, Value::of(i / 7.0), nullptr},
                        {Arg::Kind::Scalar, Value::of(2.0), nullptr}};
            total += round->body(std::span<const Arg>(r), context).number;
            Arg t[2] = {{Arg::Kind::Scalar, Value::of(std::string("name ")), nullptr},
                        {Arg::Kind::Scalar, Value::of(i * 1.0), nullptr}};
            Value joined = concat->body(std::span<const Arg>(t), context);
            Arg u{Arg::Kind::Scalar, joined, nullptr};
            total += static_cast<double>(upper->body({&u, 1}, context).text.size());
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_MixedCalls)->Unit(benchmark::kMillisecond);

// 100,000 CONVERT calls over plain, prefixed, squared and temperature units.
void BM_Convert(benchmark::State& state) {
    const auto* convert = engine::formula::findFunction("CONVERT");
    const std::pair<const char*, const char*> pairs[] = {
        {"mi", "km"}, {"lbm", "kg"}, {"F", "C"}, {"km2", "ft2"}, {"Mibyte", "kbit"}, {"cal", "eV"}};
    Context context;
    for (auto _ : state) {
        double total = 0;
        for (int i = 0; i < 100000; ++i) {
            const auto& [from, to] = pairs[i % 6];
            Arg args[3] = {{Arg::Kind::Scalar, Value::of(i * 0.25), nullptr},
                           {Arg::Kind::Scalar, Value::of(std::string(from)), nullptr},
                           {Arg::Kind::Scalar, Value::of(std::string(to)), nullptr}};
            total += convert->body(std::span<const Arg>(args), context).number;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond);

// LINEST with statistics over 10,000 points of three variables.
void BM_Linest(benchmark::State& state) {
    std::vector<std::vector<Value>> ys, xs;
    for (int i = 0; i < 10000; ++i) {
        const double a = i % 97, b = (i * 7) % 89, c = std::sqrt(static_cast<double>(i));
        xs.push_back({Value::of(a), Value::of(b), Value::of(c)});
        ys.push_back({Value::of(3 + 2 * a - b + 0.5 * c + (i % 5) * 0.01)});
    }
    Block y(std::move(ys), 3), x(std::move(xs), 4);
    const auto* linest = engine::formula::findFunction("LINEST");
    Context context;
    for (auto _ : state) {
        Arg args[4] = {{Arg::Kind::Area, {}, &y},
                       {Arg::Kind::Area, {}, &x},
                       {Arg::Kind::Scalar, Value::of(true), nullptr},
                       {Arg::Kind::Scalar, Value::of(true), nullptr}};
        benchmark::DoNotOptimize(linest->arrayBody(std::span<const Arg>(args), context));
    }
}
BENCHMARK(BM_Linest)->Unit(benchmark::kMillisecond);

// FORECAST.ETS over 1,000 points of a twelve-step wave with trend and noise: the season found,
// then the smoothing constants fitted.
void BM_ForecastEts(benchmark::State& state) {
    std::vector<std::vector<Value>> values, times;
    for (int t = 0; t < 1000; ++t) {
        values.push_back(
            {Value::of(100 + 0.3 * t + 10 * std::sin(t * std::numbers::pi / 6) + (t * 37 % 11))});
        times.push_back({Value::of(t + 1.0)});
    }
    Block v(std::move(values), 5), x(std::move(times), 6);
    const auto* ets = engine::formula::findFunction("FORECAST.ETS");
    Context context;
    for (auto _ : state) {
        Arg args[3] = {{Arg::Kind::Scalar, Value::of(1010.0), nullptr},
                       {Arg::Kind::Area, {}, &v},
                       {Arg::Kind::Area, {}, &x}};
        benchmark::DoNotOptimize(ets->body(std::span<const Arg>(args), context));
    }
}
BENCHMARK(BM_ForecastEts)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
