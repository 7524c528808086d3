#pragma once
// Reading a function's arguments: single values with the application's conversions, the
// numbers of ranges and lists, and rectangular blocks whatever form they were given in.

#include "engine/formula/Function.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace engine::formula::functions {

using Args = std::span<const Arg>;

// The single value of an argument: a scalar as it stands, the cell of a one-cell block, the
// cell of a one-column or one-row reference in the caller's row or column, the first element
// of an array; Blank for a left-out argument; #VALUE! for a block that has none of these.
Value scalarOf(const Arg& arg, CallContext& context);

// Converts arguments one by one and remembers the first error met, so that a body reads all
// it needs and then checks once.
class Reader {
public:
    Reader(Args args, CallContext& context) : args_(args), context_(context) {}

    // True when argument `i` was written, even if left empty between commas.
    bool has(std::size_t i) const { return i < args_.size(); }
    // True when argument `i` was written with something in it.
    bool given(std::size_t i) const { return has(i) && args_[i].kind != Arg::Kind::Missing; }

    // The argument's single value; a left-out argument is Blank, an absent one `fallback`.
    Value value(std::size_t i, const Value& fallback = Value::blank());
    double number(std::size_t i, double fallback = 0);
    // As number(), but a boolean is #VALUE!: the engineering and securities functions read
    // text that holds a number yet refuse TRUE and FALSE.
    double numberNotBoolean(std::size_t i, double fallback = 0);
    std::string text(std::size_t i, const std::string& fallback = {});
    bool boolean(std::size_t i, bool fallback = false);

    bool failed() const { return failed_; }
    const Value& error() const { return error_; }
    void fail(CellError error);
    void fail(const Value& error);
    CallContext& context() { return context_; }

private:
    Args args_;
    CallContext& context_;
    bool failed_ = false;
    Value error_;
};

// Charges work to the context in batches so that a scan costs little bookkeeping; `spent`
// turns true at the first refusal and stays so.
class Budget {
public:
    explicit Budget(CallContext& context) : context_(context) {}
    ~Budget() { settle(); }
    Budget(const Budget&) = delete;
    Budget& operator=(const Budget&) = delete;

    bool take(std::uint64_t units = 1) {
        pending_ += units;
        if (pending_ >= 1024) {
            settle();
        }
        return !spent_;
    }
    bool settle() {
        if (pending_ > 0 && !spent_ && !context_.chargeWork(pending_)) {
            spent_ = true;
        }
        pending_ = 0;
        return !spent_;
    }
    bool spent() const { return spent_; }

private:
    CallContext& context_;
    std::uint64_t pending_ = 0;
    bool spent_ = false;
};

// An argument seen as a block of values: an area as it stands, a single value as 1 x 1.
class Grid {
public:
    Grid(const Arg& arg, CallContext& context);
    std::uint32_t rows() const { return area_ ? area_->rows() : 1; }
    std::uint32_t cols() const { return area_ ? area_->cols() : 1; }
    std::uint64_t size() const { return std::uint64_t{rows()} * cols(); }
    Value at(std::uint32_t row, std::uint32_t col) const;
    bool isReference() const { return area_ && area_->isReference(); }
    // The block itself; null for a single value.
    const Area* area() const { return area_; }
    // Visits the non-blank values row by row, charging `budget`; false when it ran out.
    bool
    forEach(Budget& budget,
            const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const;

private:
    const Area* area_ = nullptr;
    Value scalar_;
};

// How a list of arguments gives numbers. Numbers count everywhere; in blocks, text and
// booleans are skipped unless `blockTextAsZero` (the ...A functions: text 0, TRUE 1); given
// directly, text must read as a number and booleans count.
struct NumberScan {
    bool blockTextAsZero = false;
    bool directTextIsError = true; // else direct text that is no number is skipped
};

// Calls `visit` for every number of arguments [from, end); false with `error` set at the first
// error value, unreadable text or spent budget.
bool forEachNumber(Args args, std::size_t from, std::size_t end, CallContext& context,
                   const NumberScan& scan, const std::function<void(double)>& visit, Value& error);
bool collectNumbers(Args args, std::size_t from, std::size_t end, CallContext& context,
                    const NumberScan& scan, std::vector<double>& out, Value& error);

// The numbers of one block or value in block order, with their positions; text and booleans
// skipped, errors reported. For the paired statistics (CORREL, SLOPE ...).
bool numbersByPosition(const Arg& arg, CallContext& context,
                       std::vector<std::pair<std::uint64_t, double>>& out, Value& error);

} // namespace engine::formula::functions
