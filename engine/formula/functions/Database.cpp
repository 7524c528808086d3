// The database functions (DSUM, DGET, DAVERAGE ...): a table with a header row, the column to
// aggregate by name or number, and a criteria block whose rows are alternatives and whose
// cells in a row must all hold.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Criteria.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/formula/functions/TextUnits.h"

#include <cmath>
#include <optional>
#include <vector>

namespace engine::formula::functions {
namespace {

// The column of `table` that `field` names: a header's text in any case, or a 1-based number.
std::optional<std::uint32_t> fieldColumn(const Grid& table, const Value& field) {
    if (field.kind == ValueKind::Number || field.kind == ValueKind::Boolean) {
        const double n = std::trunc(field.number);
        if (n < 1 || n > table.cols())
            return std::nullopt;
        return static_cast<std::uint32_t>(n - 1);
    }
    if (field.kind != ValueKind::Text)
        return std::nullopt;
    for (std::uint32_t col = 0; col < table.cols(); ++col) {
        const Value header = table.at(0, col);
        if (header.kind != ValueKind::Blank && compareFolded(toText(header).text, field.text) == 0)
            return col;
    }
    return std::nullopt;
}

// A criteria cell: as COUNTIF reads it, except that plain text asks for values beginning with
// it, as the application's filters do.
Criterion databaseCriterion(const Value& cell, DateSystem dates) {
    if (cell.kind == ValueKind::Text && !cell.text.empty() && cell.text.find_first_of("<>=") != 0 &&
        !parseNumberText(cell.text, dates) && compareFolded(cell.text, "TRUE") != 0 &&
        compareFolded(cell.text, "FALSE") != 0)
        return Criterion::parse(Value::of(cell.text + "*"), dates);
    return Criterion::parse(cell, dates);
}

struct Condition {
    std::uint32_t column;
    Criterion criterion;
};

// The values of column `field` in the records of `table` that some row of `criteria` accepts;
// false with `error` set when the arguments do not make a query.
bool selectRecords(Args args, CallContext& c, bool needsField, std::vector<Value>& out,
                   Value& error) {
    const Grid table(args[0], c), criteria(args[2], c);
    // A table of headers alone holds no records to ask about.
    if (table.area() == nullptr || criteria.area() == nullptr || table.rows() < 2 ||
        criteria.rows() < 2) {
        error = Value::fail(CellError::Value);
        return false;
    }
    std::optional<std::uint32_t> field;
    if (args[1].kind != Arg::Kind::Missing) {
        const Value name = scalarOf(args[1], c);
        if (name.isError()) {
            error = name;
            return false;
        }
        field = fieldColumn(table, name);
        if (!field) {
            error = Value::fail(CellError::Value);
            return false;
        }
    } else if (needsField) {
        error = Value::fail(CellError::Value);
        return false;
    }
    Budget budget(c);
    if (!budget.take(table.size() + criteria.size())) {
        error = Value::fail(CellError::Value);
        return false;
    }
    // The criteria's labels name columns of the table; a label the table lacks can match no
    // record, so its row accepts none.
    std::vector<std::optional<std::uint32_t>> columns;
    for (std::uint32_t col = 0; col < criteria.cols(); ++col) {
        const Value label = criteria.at(0, col);
        columns.push_back(label.kind == ValueKind::Blank ? std::nullopt
                                                         : fieldColumn(table, toText(label)));
    }
    std::vector<std::vector<Condition>> alternatives;
    std::vector<bool> impossible;
    for (std::uint32_t row = 1; row < criteria.rows(); ++row) {
        std::vector<Condition> conditions;
        bool never = false;
        for (std::uint32_t col = 0; col < criteria.cols(); ++col) {
            const Value cell = criteria.at(row, col);
            if (cell.kind == ValueKind::Blank)
                continue;
            if (!columns[col]) {
                never = true;
                continue;
            }
            conditions.push_back({*columns[col], databaseCriterion(cell, c.dateSystem())});
        }
        alternatives.push_back(std::move(conditions));
        impossible.push_back(never);
    }
    for (std::uint32_t record = 1; record < table.rows(); ++record) {
        bool accepted = false;
        for (std::size_t a = 0; a < alternatives.size() && !accepted; ++a) {
            if (impossible[a])
                continue;
            accepted = true;
            for (const Condition& condition : alternatives[a])
                if (!condition.criterion.matches(table.at(record, condition.column))) {
                    accepted = false;
                    break;
                }
        }
        if (accepted)
            out.push_back(field ? table.at(record, *field) : Value::of(1.0));
    }
    return true;
}

enum class Aggregate { Sum, Average, Count, CountA, Max, Min, Product, StDev, StDevP, Var, VarP };

template <Aggregate kind> Value database(Args args, CallContext& c) {
    std::vector<Value> values;
    Value error;
    const bool fieldOptional = kind == Aggregate::Count || kind == Aggregate::CountA;
    if (!selectRecords(args, c, !fieldOptional, values, error))
        return error;
    const bool wholeRecords = args[1].kind == Arg::Kind::Missing;
    if (kind == Aggregate::CountA) {
        double n = 0;
        for (const Value& v : values)
            n += wholeRecords || v.kind != ValueKind::Blank ? 1 : 0;
        return Value::of(n);
    }
    std::vector<double> numbers;
    for (const Value& v : values)
        if (v.kind == ValueKind::Number)
            numbers.push_back(v.number);
    if (kind == Aggregate::Count)
        return Value::of(static_cast<double>(wholeRecords ? values.size() : numbers.size()));
    double sum = 0;
    for (double x : numbers)
        sum += x;
    const double n = static_cast<double>(numbers.size());
    const auto squares = [&]() {
        const double mean = sum / n;
        double total = 0;
        for (double x : numbers)
            total += (x - mean) * (x - mean);
        return total;
    };
    switch (kind) {
    case Aggregate::Sum:
        return Value::of(sum);
    case Aggregate::Average:
        return n == 0 ? Value::fail(CellError::Div0) : Value::of(sum / n);
    case Aggregate::Max:
    case Aggregate::Min: {
        if (numbers.empty())
            return Value::of(0.0);
        double best = numbers[0];
        for (double x : numbers)
            best = kind == Aggregate::Max ? std::max(best, x) : std::min(best, x);
        return Value::of(best);
    }
    case Aggregate::Product: {
        if (numbers.empty())
            return Value::of(0.0);
        double product = 1;
        for (double x : numbers)
            product *= x;
        return numberOrNum(product);
    }
    case Aggregate::StDev:
    case Aggregate::Var:
        if (n < 2)
            return Value::fail(CellError::Div0);
        return Value::of(kind == Aggregate::Var ? squares() / (n - 1)
                                                : std::sqrt(squares() / (n - 1)));
    case Aggregate::StDevP:
    case Aggregate::VarP:
        if (n < 1)
            return Value::fail(CellError::Div0);
        return Value::of(kind == Aggregate::VarP ? squares() / n : std::sqrt(squares() / n));
    case Aggregate::Count:
    case Aggregate::CountA:
        break;
    }
    return Value::fail(CellError::Value);
}

// DGET: the one value the criteria select; none is #VALUE!, several #NUM!.
Value databaseGet(Args args, CallContext& c) {
    std::vector<Value> values;
    Value error;
    if (!selectRecords(args, c, true, values, error))
        return error;
    if (values.empty())
        return Value::fail(CellError::Value);
    if (values.size() > 1)
        return numError();
    return values[0].kind == ValueKind::Blank ? Value::of(0.0) : values[0];
}

constexpr std::string_view tableFieldCriteria = "bsb";

constexpr FunctionInfo table[] = {
    FunctionInfo{"DAVERAGE", 3, 3, database<Aggregate::Average>, tableFieldCriteria, 3},
    FunctionInfo{"DCOUNT", 2, 3, database<Aggregate::Count>, tableFieldCriteria, 3},
    FunctionInfo{"DCOUNTA", 2, 3, database<Aggregate::CountA>, tableFieldCriteria, 3},
    FunctionInfo{"DGET", 3, 3, databaseGet, tableFieldCriteria, 3},
    FunctionInfo{"DMAX", 3, 3, database<Aggregate::Max>, tableFieldCriteria, 3},
    FunctionInfo{"DMIN", 3, 3, database<Aggregate::Min>, tableFieldCriteria, 3},
    FunctionInfo{"DPRODUCT", 3, 3, database<Aggregate::Product>, tableFieldCriteria, 3},
    FunctionInfo{"DSTDEV", 3, 3, database<Aggregate::StDev>, tableFieldCriteria, 3},
    FunctionInfo{"DSTDEVP", 3, 3, database<Aggregate::StDevP>, tableFieldCriteria, 3},
    FunctionInfo{"DSUM", 3, 3, database<Aggregate::Sum>, tableFieldCriteria, 3},
    FunctionInfo{"DVAR", 3, 3, database<Aggregate::Var>, tableFieldCriteria, 3},
    FunctionInfo{"DVARP", 3, 3, database<Aggregate::VarP>, tableFieldCriteria, 3},
};

} // namespace

std::span<const FunctionInfo> databaseFunctions() {
    return table;
}

} // namespace engine::formula::functions
