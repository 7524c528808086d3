#pragma once
// Calling worksheet functions from tests with calls written as text:
//   ROUND(2.675, 2)    SUM([1,"a";TRUE,4], "3")    MATCH("b*", {"a";"bc"}, 0)
// Arguments are numbers, "text", TRUE/FALSE, error literals (#N/A), left out (1,,2), array
// constants {1,2;3,4} (not references) and cell blocks [1,2;3,4] (references, where `_`
// is an empty cell). Results are shown as the application's text conversion shows them.

#include "engine/formula/Function.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qmtest {

using engine::formula::Value;

class TestArea : public engine::formula::Area {
public:
    TestArea(std::vector<std::vector<Value>> cells, bool reference)
        : cells_(std::move(cells)), reference_(reference) {}
    std::uint32_t rows() const override { return static_cast<std::uint32_t>(cells_.size()); }
    std::uint32_t cols() const override {
        return cells_.empty() ? 0 : static_cast<std::uint32_t>(cells_[0].size());
    }
    Value at(std::uint32_t row, std::uint32_t col) const override;
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override;
    bool isReference() const override { return reference_; }
    std::uint64_t identity() const override { return id; }
    std::uint64_t id = 0;
    mutable std::uint64_t visits = 0; // values forEachValue handed out

private:
    std::vector<std::vector<Value>> cells_;
    bool reference_;
};

// A tall column of which only the first `held` cells hold numbers 1..held, as a whole-column
// reference looks: forEachValue costs what is held, at() past it is blank.
class SparseColumn : public engine::formula::Area {
public:
    SparseColumn(std::uint32_t rows, std::uint32_t held) : rows_(rows), held_(held) {}
    std::uint32_t rows() const override { return rows_; }
    std::uint32_t cols() const override { return 1; }
    Value at(std::uint32_t row, std::uint32_t) const override;
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override;
    bool isReference() const override { return true; }
    mutable std::uint64_t atCalls = 0;

private:
    std::uint32_t rows_, held_;
};

class TestContext : public engine::formula::CallContext {
public:
    engine::DateSystem dates = engine::DateSystem::Date1900;
    std::uint64_t budget = 10'000'000;
    std::uint64_t charged = 0;
    std::uint32_t row = 0, col = 0;

    engine::DateSystem dateSystem() const override { return dates; }
    double now() const override { return 45000.5; }
    std::string formatNumber(double value, std::string_view code) override;
    bool chargeWork(std::uint64_t units) override;
    std::uint32_t callerRow() const override { return row; }
    std::uint32_t callerCol() const override { return col; }
    engine::formula::LookupIndexes* lookupIndexes() override { return indexes; }
    engine::formula::LookupIndexes* indexes = nullptr;
};

// Evaluates `call` (see above); a function the table lacks gives #NAME?, a wrong number of
// arguments #VALUE!.
Value evaluate(std::string_view call, TestContext& context);
Value evaluate(std::string_view call);

// A value as text: numbers to 15 significant digits, TRUE/FALSE, error texts, text as it is.
std::string show(const Value& v);

// Checks `expected` against the value: equal text, or for "~x" a number equal to x to the
// decimals x is written with.
bool agrees(const Value& v, std::string_view expected);

struct Case {
    const char* call;
    const char* expected;
};

// Runs every case and reports each one that disagrees.
void expectAll(const std::vector<Case>& cases,
               engine::DateSystem dates = engine::DateSystem::Date1900);

} // namespace qmtest
