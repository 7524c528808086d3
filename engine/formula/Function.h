#pragma once
// The contract between the evaluator and the worksheet functions: how a function receives its
// arguments and what it may ask of the evaluation it runs in.

#include "engine/formula/Value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine::formula {

class LookupIndexes;

// A rectangular block of values an argument refers to: cells of a sheet, an array constant
// ({1,2;3,4}) or an array an operator computed (A1:A3*B1:B3).
class Area {
public:
    virtual ~Area() = default;
    virtual std::uint32_t rows() const = 0;
    virtual std::uint32_t cols() const = 0;
    // The value at 0-based (row, col) of the block; Blank past the cells a sheet holds.
    virtual Value at(std::uint32_t row, std::uint32_t col) const = 0;
    // Calls `visit` for each value that is not blank, row by row. A reference to a whole
    // column costs only the cells the sheet holds, never a million empty ones, so every
    // function that scans a range (SUM, COUNTIF, MATCH ...) goes through here.
    virtual void forEachValue(const std::function<void(std::uint32_t row, std::uint32_t col,
                                                       const Value&)>& visit) const = 0;
    // True for cells of a sheet, false for arrays: SUM and its kin skip text and booleans in
    // references but count them when they are given directly.
    virtual bool isReference() const = 0;
    // A key naming the cells this block shows, equal for every Area over the same cells of the
    // same sheet during one evaluation; 0 (the default) for arrays and blocks without one.
    // Lets exact lookups keep an index of a table across calls.
    virtual std::uint64_t identity() const { return 0; }
};

// One argument of a call, already evaluated.
struct Arg {
    enum class Kind : std::uint8_t {
        Scalar,  // `value`
        Area,    // `area`, valid for the length of the call
        Missing, // left out between commas: SUM(1,,2), ROUND(1.5,)
    };
    Kind kind = Kind::Scalar;
    Value value;
    const formula::Area* area = nullptr;
    // For an Area that is a reference: where it starts on its sheet (0-based), so that
    // functions answering with a position or an offset can say where.
    std::uint32_t firstRow = 0, firstCol = 0;
};

// What a function may ask of the evaluation it runs in.
class CallContext {
public:
    virtual ~CallContext() = default;
    virtual DateSystem dateSystem() const = 0;
    // The moment of the conversion as a serial number of the workbook's date system, in local
    // time (SOURCE_DATE_EPOCH when set, so that pages are reproducible).
    virtual double now() const = 0;
    // `value` shown through number format `code` as a cell with that format shows it (TEXT,
    // FIXED, DOLLAR).
    virtual std::string formatNumber(double value, std::string_view code) = 0;
    // Charges `units` of work (about one per value visited) to the workbook's budget; false
    // when the budget is spent, and the function then answers #VALUE! at once.
    virtual bool chargeWork(std::uint64_t units) = 0;
    // The 0-based position of the cell whose formula is being computed.
    virtual std::uint32_t callerRow() const = 0;
    virtual std::uint32_t callerCol() const = 0;
    // The indexes exact lookups keep for one evaluation of a workbook (see
    // functions/LookupIndex.h), or null when the evaluation keeps none; lookups then scan.
    virtual LookupIndexes* lookupIndexes() { return nullptr; }
};

using FunctionBody = Value (*)(std::span<const Arg> args, CallContext& context);

// What a function that may answer with a block (SORT, FILTER, MMULT ...) gives: `rows` x `cols`
// values, row by row. A 1 x 1 block is a single value.
struct ArrayValue {
    std::uint32_t rows = 1, cols = 1;
    std::vector<Value> values;
};

using ArrayFunctionBody = ArrayValue (*)(std::span<const Arg> args, CallContext& context);

// What the evaluator must know of a function beyond its arguments.
namespace flag {
constexpr std::uint16_t Volatile = 1 << 0;         // computed at every calculation (NOW, OFFSET)
constexpr std::uint16_t Random = 1 << 1;           // RAND, RANDARRAY: the stored result is kept
constexpr std::uint16_t ReturnsReference = 1 << 2; // may answer with cells (INDEX, OFFSET, IF)
constexpr std::uint16_t OutsideWorld = 1 << 3;     // cube, RTD, web service: the stored result is
                                                   // kept and the page note counts the cell
constexpr std::uint16_t SpecialForm = 1 << 4;      // the evaluator's own: lazy arguments or
                                                   // references; `body` stays null
constexpr std::uint16_t ArraysAlways = 1 << 5;     // computes its arguments as arrays in any
                                                   // formula (SUMPRODUCT(A1:A3*B1:B3))
constexpr std::uint16_t Session = 1 << 6;          // tells of the session the workbook is open in
                                                   // (CELL, INFO): the stored result, from the
                                                   // machine that saved it, is kept
} // namespace flag

// One row per worksheet function: everything the parser, the binary token decoder, the planner
// and the evaluator know of it.
struct FunctionInfo {
    std::string_view name; // upper case, without the _xlfn./_xlws. prefix ("STDEV.S")
    std::uint8_t minArgs = 0;
    std::uint8_t maxArgs = 255;
    FunctionBody body = nullptr;
    // One letter a parameter: 'b' takes a block as a whole, 's' a single value (a block given
    // there makes the call run once per element). Parameters past the pattern repeat it from
    // `repeatFrom` on; an empty pattern makes every parameter a single value.
    std::string_view params = {};
    std::uint8_t repeatFrom = 0;
    std::uint16_t flags = 0;
    // Instead of `body`, for a function that may answer with a block.
    ArrayFunctionBody arrayBody = nullptr;
    // The prefix .xlsx writes before the name ("_xlfn.", "_xlfn._xlws."), empty for none.
    std::string_view prefix = {};
    // The binary formats' built-in function number (PtgFunc, PtgFuncVar); -1 for a function
    // they call by name.
    std::int16_t binaryIndex = -1;
};

// The function named `upperName` (upper case, no prefix), or null when the engine does not know
// it. Functions that need references or lazy arguments (IF, IFERROR, CHOOSE, OFFSET,
// INDIRECT, INDEX, ROW ...) are the evaluator's own: their rows carry flag::SpecialForm and no
// body.
const FunctionInfo* findFunction(std::string_view upperName);

// Every row of the library, sorted by name.
std::span<const FunctionInfo* const> allFunctions();

} // namespace engine::formula
