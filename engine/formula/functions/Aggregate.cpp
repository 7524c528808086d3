// AGGREGATE: one of nineteen summary functions over references or an array, optionally passing
// over the error values in them.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace engine::formula::functions {
namespace {

// A block seen without its error values: they read as empty cells, which every summary
// function passes over.
class WithoutErrors : public Area {
public:
    explicit WithoutErrors(const Area& inner) : inner_(inner) {}
    std::uint32_t rows() const override { return inner_.rows(); }
    std::uint32_t cols() const override { return inner_.cols(); }
    Value at(std::uint32_t row, std::uint32_t col) const override {
        Value v = inner_.at(row, col);
        return v.isError() ? Value::blank() : v;
    }
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override {
        inner_.forEachValue([&](std::uint32_t r, std::uint32_t c, const Value& v) {
            if (!v.isError())
                visit(r, c, v);
        });
    }
    bool isReference() const override { return inner_.isReference(); }

private:
    const Area& inner_;
};

// The functions by number: 1-13 take any number of references, 14-19 an array and k.
constexpr std::array<std::string_view, 19> functions = {
    "AVERAGE",        "COUNT",        "COUNTA",         "MAX",         "MIN",
    "PRODUCT",        "STDEV.S",      "STDEV.P",        "SUM",         "VAR.S",
    "VAR.P",          "MEDIAN",       "MODE.SNGL",      "LARGE",       "SMALL",
    "PERCENTILE.INC", "QUARTILE.INC", "PERCENTILE.EXC", "QUARTILE.EXC"};

// Options 0-7: 2, 3, 6 and 7 pass over errors. The others also ask to pass over hidden rows
// and nested SUBTOTAL and AGGREGATE results, which a computed value cannot tell apart, so they
// count as given.
bool skipsErrors(int option) {
    return option == 2 || option == 3 || option == 6 || option == 7;
}

Value aggregate(Args args, CallContext& c) {
    Reader r(args, c);
    const double number = std::trunc(r.number(0)), option = std::trunc(r.number(1, 0));
    if (r.failed())
        return r.error();
    if (number < 1 || number > 19 || option < 0 || option > 7 || args.size() < 3)
        return Value::fail(CellError::Value);
    const int which = static_cast<int>(number);
    const bool withK = which >= 14;
    if (withK && args.size() != 4)
        return Value::fail(CellError::Value);
    const FunctionInfo* f = findFunction(functions[static_cast<std::size_t>(which - 1)]);
    if (f == nullptr || f->body == nullptr)
        return Value::fail(CellError::Value);
    std::vector<Arg> passed(args.begin() + 2, args.end());
    std::vector<WithoutErrors> views;
    views.reserve(passed.size());
    if (skipsErrors(static_cast<int>(option))) {
        std::vector<Arg> kept;
        for (std::size_t i = 0; i < passed.size(); ++i) {
            Arg arg = passed[i];
            const bool isK = withK && i == 1;
            if (!isK && arg.kind == Arg::Kind::Area && arg.area != nullptr) {
                arg.area = &views.emplace_back(*arg.area);
            } else if (!isK && arg.kind == Arg::Kind::Scalar && arg.value.isError()) {
                continue;
            }
            kept.push_back(arg);
        }
        passed = std::move(kept);
        if (passed.empty() || (withK && passed.size() != 2))
            return Value::fail(CellError::Value);
    }
    return f->body(std::span<const Arg>(passed), c);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"AGGREGATE", 3, 255, aggregate, "ssb", 2, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> aggregateFunctions() {
    return table;
}

} // namespace engine::formula::functions
