// GROUPBY and PIVOTBY: the rows of a block grouped by the keys of their fields, each group's
// values given to a function (a LAMBDA, or a worksheet function named alone: SUM), with field
// headers, totals and subtotals, a sort order and a filter.
#include "engine/base/Limits.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace engine::formula::calc {

namespace {

Operand bad(CellError error = CellError::Value) {
    return Operand::of(Value::fail(error));
}

// Keys order by kind first, so that 0, "" and an empty cell stay groups of their own.
int kindRank(ValueKind kind) {
    switch (kind) {
    case ValueKind::Number:
        return 0;
    case ValueKind::Text:
        return 1;
    case ValueKind::Boolean:
        return 2;
    case ValueKind::Error:
        return 3;
    case ValueKind::Blank:
        break;
    }
    return 4;
}

int compareKeys(const Value& a, const Value& b) {
    // Most keys are numbers apart by more than the 15 digits compareValues() rounds to.
    if (a.kind == ValueKind::Number && b.kind == ValueKind::Number &&
        std::fabs(a.number - b.number) > 1e-9 * std::fmax(std::fabs(a.number), std::fabs(b.number)))
        return a.number < b.number ? -1 : 1;
    const int ra = kindRank(a.kind), rb = kindRank(b.kind);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (a.kind == ValueKind::Error)
        return a.error == b.error ? 0 : (a.error < b.error ? -1 : 1);
    if (a.kind == ValueKind::Blank)
        return 0;
    return compareValues(a, b);
}

// One group of rows: the keys of its levels, outermost first, and the data rows it holds in
// their order in the block. `first` and `last` span the ordinals of the deepest groups under
// it once the axis is sorted, so that whether a row belongs to it is one comparison.
struct Group {
    std::vector<Value> keys;
    std::vector<std::uint32_t> rows;
    std::vector<Group> children;
    const Group* parent = nullptr;
    std::uint32_t first = 0, last = 0;
    std::vector<Value> sortValues; // the aggregates a sort order by values compares
};

// A row or a column of the result: a group of the deepest level, a subtotal or the total.
struct Slot {
    const Group* group;
    bool total;
};

// The fields grouping one axis (the rows; for PIVOTBY also the columns).
struct Axis {
    std::shared_ptr<const Matrix> fields;
    std::uint32_t levels = 0;
    bool table = false; // each field sorted on its own, no subtotals
    int depth = 0;      // 0 no totals, 1 the total, 2 and more subtotals too; < 0 at the top
    std::vector<int> sort;
    Group root;
    std::vector<std::uint32_t> leafOf; // per row of the block, the ordinal of its group
    std::vector<Slot> slots;
};

// `rows` (in key order) split into groups of equal keys from `level` on.
void split(Group& group, const Axis& axis, std::vector<std::uint32_t> rows, std::uint32_t level,
           std::uint32_t offset) {
    const std::uint32_t width = axis.table ? axis.levels : 1;
    if (level < axis.levels) {
        const auto same = [&](std::uint32_t a, std::uint32_t b) {
            for (std::uint32_t i = level; i < level + width; ++i)
                if (compareKeys(axis.fields->at(a + offset, i), axis.fields->at(b + offset, i)))
                    return false;
            return true;
        };
        for (std::size_t i = 0; i < rows.size();) {
            std::size_t j = i + 1;
            while (j < rows.size() && same(rows[i], rows[j]))
                ++j;
            Group child;
            child.keys = group.keys;
            for (std::uint32_t k = level; k < level + width; ++k)
                child.keys.push_back(axis.fields->at(rows[i] + offset, k));
            split(child, axis,
                  {rows.begin() + static_cast<std::ptrdiff_t>(i),
                   rows.begin() + static_cast<std::ptrdiff_t>(j)},
                  level + width, offset);
            group.children.push_back(std::move(child));
            i = j;
        }
        // A group of several keys holds its rows in the block's order too.
        std::sort(rows.begin(), rows.end());
    }
    group.rows = std::move(rows);
}

} // namespace

Operand Calculation::groupBy(const Node& node, const Frame& outer) {
    // Every argument is a block, as in any dynamic array formula (filters like A2:A9>10).
    Frame frame = outer;
    frame.arrayMode = true;
    const bool pivot = node.text == "PIVOTBY";
    const auto& args = node.children;
    const std::size_t minimum = pivot ? 4 : 3, maximum = pivot ? 11 : 8;
    if (args.size() < minimum || args.size() > maximum)
        return bad();
    const std::size_t at = pivot ? 1 : 0; // where the arguments after the fields begin
    const auto present = [&](std::size_t i) {
        return i < args.size() && args[i]->kind != Node::Kind::Missing;
    };
    Value failure;
    // A whole-number setting, `fallback` when left out; nullopt with `failure` set when wrong.
    const auto setting = [&](std::size_t i, int fallback) -> std::optional<int> {
        if (!present(i))
            return fallback;
        const Value v = toNumber(scalar(eval(*args[i], frame), frame), wb_.dateSystem);
        if (v.isError()) {
            failure = v;
            return std::nullopt;
        }
        if (std::fabs(v.number) > 1e6) {
            failure = Value::fail(CellError::Value);
            return std::nullopt;
        }
        return static_cast<int>(std::trunc(v.number));
    };

    Axis rowAxis, colAxis;
    rowAxis.fields = matrix(eval(*args[0], frame), frame);
    if (pivot)
        colAxis.fields = matrix(eval(*args[1], frame), frame);
    const auto values = matrix(eval(*args[at + 1], frame), frame);
    for (const Matrix* block : {rowAxis.fields.get(), colAxis.fields.get(), values.get()})
        if (block && block->rows * block->cols == 1 && block->values[0].isError())
            return Operand::of(block->values[0]);
    const std::uint32_t n = values->rows;
    if (rowAxis.fields->rows != n || (pivot && colAxis.fields->rows != n))
        return bad();
    rowAxis.levels = rowAxis.fields->cols;
    colAxis.levels = pivot ? colAxis.fields->cols : 0;
    if (rowAxis.levels > limits::maxGroupingDepth || colAxis.levels > limits::maxGroupingDepth)
        return bad();

    // The functions: one, or several side by side (HSTACK(SUM,AVERAGE)); several given as a
    // column (VSTACK) are laid out side by side as well.
    struct Aggregator {
        std::shared_ptr<const Lambda> lambda;
        std::string label;
    };
    std::vector<Aggregator> functions;
    {
        const Node& given = *args[at + 2];
        std::vector<const Node*> parts{&given};
        if (given.kind == Node::Kind::Call && (given.text == "HSTACK" || given.text == "VSTACK")) {
            parts.clear();
            for (const NodePtr& child : given.children)
                parts.push_back(child.get());
        }
        for (const Node* part : parts) {
            const Operand f = lambdaArg(*part, frame);
            if (!f.lambda)
                return f.kind == Operand::Kind::Scalar && f.value.isError() ? f : bad();
            std::string label = "LAMBDA";
            if (part->kind == Node::Kind::Name) {
                label = upper(part->text);
                if (label.starts_with("_XLETA."))
                    label.erase(0, 7);
            }
            functions.push_back({f.lambda, std::move(label)});
        }
        if (functions.empty())
            return bad();
    }

    const auto headers = setting(at + 3, -1);
    if (!headers || *headers < -1 || *headers > 3)
        return Operand::of(headers ? Value::fail(CellError::Value) : failure);
    // Left out, the block has headers when its values start with a text above a number; they
    // are shown when there are several levels of fields.
    bool hasHeaders = *headers == 1 || *headers == 3;
    bool showHeaders = *headers == 2 || *headers == 3;
    if (*headers == -1) {
        hasHeaders = n >= 2 && values->at(0, 0).kind == ValueKind::Text &&
                     values->at(1, 0).kind == ValueKind::Number;
        showHeaders = hasHeaders && (rowAxis.levels > 1 || colAxis.levels > 1);
    }
    const std::uint32_t offset = hasHeaders ? 1 : 0;
    if (n <= offset)
        return bad(CellError::Calc);

    const std::size_t totalsAt = at + 4;
    const std::size_t filterAt = pivot ? 9 : 6;
    int relation = 0, relativeTo = 0;
    if (pivot) {
        const auto rowDepth = setting(5, std::numeric_limits<int>::min());
        const auto colDepth = setting(7, std::numeric_limits<int>::min());
        const auto relative = setting(10, 0);
        if (!rowDepth || !colDepth || !relative)
            return Operand::of(failure);
        rowAxis.depth = *rowDepth;
        colAxis.depth = *colDepth;
        relativeTo = *relative;
        if (relativeTo < 0 || relativeTo > 4)
            return bad();
    } else {
        const auto depth = setting(totalsAt, std::numeric_limits<int>::min());
        const auto relationship = setting(7, 0);
        if (!depth || !relationship)
            return Operand::of(failure);
        rowAxis.depth = *depth;
        relation = *relationship;
        if (relation != 0 && relation != 1)
            return bad();
    }
    rowAxis.table = relation == 1;

    const std::uint32_t m = values->cols;
    const auto f = static_cast<std::uint32_t>(functions.size());
    const std::uint32_t measures = m * f;

    // The sort orders: column numbers of the fields and then of the values, < 0 descending.
    const auto readSort = [&](std::size_t i, Axis& axis) {
        if (!present(i))
            return true;
        const auto order = matrix(eval(*args[i], frame), frame);
        // No more numbers than fields: each comparison goes through all of them.
        if (order->values.size() > std::max<std::uint32_t>(axis.levels, 1)) {
            failure = Value::fail(CellError::Value);
            return false;
        }
        for (const Value& v : order->values) {
            const Value number = toNumber(v, wb_.dateSystem);
            if (number.isError()) {
                failure = number;
                return false;
            }
            const double k = std::trunc(number.number);
            if (k == 0 || std::fabs(k) > axis.levels + measures) {
                failure = Value::fail(CellError::Value);
                return false;
            }
            axis.sort.push_back(static_cast<int>(k));
        }
        // Several numbers sort by fields only.
        const bool byValues = std::any_of(axis.sort.begin(), axis.sort.end(), [&](int k) {
            return static_cast<std::uint32_t>(std::abs(k)) > axis.levels;
        });
        if (byValues && axis.sort.size() > 1) {
            failure = Value::fail(CellError::Value);
            return false;
        }
        return true;
    };
    if (!readSort(pivot ? 6 : 5, rowAxis) || (pivot && !readSort(8, colAxis)))
        return Operand::of(failure);

    // The rows the filter keeps.
    std::vector<std::uint32_t> kept;
    if (present(filterAt)) {
        const auto filter = matrix(eval(*args[filterAt], frame), frame);
        const std::uint32_t length = std::max(filter->rows, filter->cols);
        if (std::min(filter->rows, filter->cols) != 1 || length != n)
            return bad();
        for (std::uint32_t r = offset; r < n; ++r) {
            const Value keep = toBoolean(filter->values[r]);
            if (keep.isError())
                return Operand::of(keep);
            if (keep.number != 0)
                kept.push_back(r - offset);
        }
    } else {
        for (std::uint32_t r = offset; r < n; ++r)
            kept.push_back(r - offset);
    }
    if (kept.empty())
        return bad(CellError::Calc);
    const std::uint32_t dataRows = n - offset;
    if (!charge(std::uint64_t{dataRows} * (rowAxis.levels + colAxis.levels + 1)))
        throw BudgetSpent{};

    // The value of measure `k` (a column of the values and a function) over `rows`, with the
    // rows of `reference` as the second argument of a function that takes two.
    const auto aggregate = [&](const std::vector<std::uint32_t>& rows, std::uint32_t k,
                               const std::vector<std::uint32_t>& reference) -> Value {
        const std::uint32_t column = k / f;
        const Aggregator& function = functions[k % f];
        const auto block = [&](const std::vector<std::uint32_t>& from) {
            auto out = std::make_shared<Matrix>();
            out->rows = static_cast<std::uint32_t>(from.size());
            out->cols = 1;
            out->values.reserve(from.size());
            for (std::uint32_t r : from)
                out->values.push_back(values->at(r + offset, column));
            Operand o;
            o.kind = Operand::Kind::Array;
            o.array = std::move(out);
            return o;
        };
        if (!charge(rows.size() + 1))
            throw BudgetSpent{};
        std::vector<Operand> given{block(rows)};
        if (function.lambda->node->children.size() > 2)
            given.push_back(block(reference));
        const Operand result = apply(*function.lambda, std::move(given), frame);
        if (result.lambda)
            return Value::fail(CellError::Calc);
        if (result.kind == Operand::Kind::Array &&
            std::uint64_t{result.array->rows} * result.array->cols != 1)
            return Value::fail(CellError::Calc);
        if (result.kind == Operand::Kind::Refs &&
            (result.refs.size() != 1 || !result.refs[0].isCell()))
            return Value::fail(CellError::Calc);
        return scalar(result, frame);
    };

    std::vector<std::uint32_t> all = kept;
    const auto build = [&](Axis& axis) {
        axis.root.rows = kept;
        if (axis.levels == 0)
            return;
        std::vector<std::uint32_t> order = kept;
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (std::uint32_t i = 0; i < axis.levels; ++i)
                if (const int c =
                        compareKeys(axis.fields->at(a + offset, i), axis.fields->at(b + offset, i)))
                    return c < 0;
            return false;
        });
        split(axis.root, axis, std::move(order), 0, offset);
        axis.root.rows = kept;
        // Siblings ordered by the sort order, then by their keys.
        std::vector<std::uint32_t> byValue;
        for (int k : axis.sort)
            if (static_cast<std::uint32_t>(std::abs(k)) > axis.levels)
                byValue.push_back(static_cast<std::uint32_t>(std::abs(k)) - axis.levels - 1);
        const auto order2 = [&](auto& self, Group& group) -> void {
            for (Group& child : group.children)
                for (std::uint32_t k : byValue)
                    child.sortValues.push_back(aggregate(child.rows, k, all));
            std::stable_sort(
                group.children.begin(), group.children.end(), [&](const Group& a, const Group& b) {
                    std::size_t valueIndex = 0;
                    for (int k : axis.sort) {
                        const auto index = static_cast<std::uint32_t>(std::abs(k)) - 1;
                        int c = 0;
                        if (index < axis.levels) {
                            if (index < a.keys.size())
                                c = compareKeys(a.keys[index], b.keys[index]);
                        } else {
                            c = compareKeys(a.sortValues[valueIndex], b.sortValues[valueIndex]);
                            ++valueIndex;
                        }
                        if (c != 0)
                            return k < 0 ? c > 0 : c < 0;
                    }
                    for (std::size_t i = 0; i < a.keys.size(); ++i)
                        if (const int c = compareKeys(a.keys[i], b.keys[i]))
                            return c < 0;
                    return false;
                });
            for (Group& child : group.children)
                self(self, child);
        };
        order2(order2, axis.root);
    };
    build(rowAxis);
    if (pivot)
        build(colAxis);

    // Totals: left out, the total and every subtotal the fields allow.
    for (Axis* axis : {&rowAxis, &colAxis}) {
        if (axis == &colAxis && !pivot)
            break;
        const int most = axis->table ? 1 : static_cast<int>(axis->levels);
        if (axis->depth == std::numeric_limits<int>::min())
            axis->depth = most;
        axis->depth = std::clamp(axis->depth, -most, most);
    }

    // Parents, spans and the result's rows or columns in order.
    const auto lay = [&](Axis& axis) {
        axis.leafOf.assign(dataRows, 0);
        std::uint32_t ordinal = 0;
        const bool top = axis.depth < 0;
        const auto depth = static_cast<std::uint32_t>(std::abs(axis.depth));
        const auto walk = [&](auto& self, Group& group) -> void {
            group.first = ordinal;
            const auto level = static_cast<std::uint32_t>(group.keys.size());
            const bool leaf = level >= axis.levels;
            if (leaf) {
                for (std::uint32_t r : group.rows)
                    axis.leafOf[r] = ordinal;
                ++ordinal;
                axis.slots.push_back({&group, false});
            } else {
                const bool totalHere = level == 0 ? depth >= 1 : depth > level;
                if (totalHere && top)
                    axis.slots.push_back({&group, true});
                for (Group& child : group.children) {
                    child.parent = &group;
                    self(self, child);
                }
                if (totalHere && !top)
                    axis.slots.push_back({&group, true});
            }
            group.last = ordinal == 0 ? 0 : ordinal - 1;
        };
        if (axis.levels == 0) {
            axis.root.parent = &axis.root;
            axis.slots.push_back({&axis.root, false});
            return;
        }
        walk(walk, axis.root);
        axis.root.parent = &axis.root;
    };
    lay(rowAxis);
    lay(colAxis);

    // The rows of the data in both a row group and a column group, in the block's order.
    const auto both = [&](const Group& a, const Group& b) {
        if (&b == &colAxis.root || colAxis.levels == 0)
            return a.rows;
        if (&a == &rowAxis.root)
            return b.rows;
        const bool smaller = a.rows.size() <= b.rows.size();
        const Group& scan = smaller ? a : b;
        const Group& other = smaller ? b : a;
        const std::vector<std::uint32_t>& leaves = smaller ? colAxis.leafOf : rowAxis.leafOf;
        std::vector<std::uint32_t> rows;
        if (!charge(scan.rows.size()))
            throw BudgetSpent{};
        for (std::uint32_t r : scan.rows)
            if (leaves[r] >= other.first && leaves[r] <= other.last)
                rows.push_back(r);
        return rows;
    };

    // The header rows: the column keys level by level, then the names of the measures.
    const std::uint32_t keyCols = rowAxis.levels;
    // Several functions are named above their columns; values by their headers when shown.
    const bool measureRow = f > 1 || (showHeaders && (!pivot || m > 1));
    // The row fields' headers go in the last header row, one of their own below the column
    // keys when no row names the measures.
    const std::uint32_t headerRows =
        colAxis.levels + (measureRow || (showHeaders && pivot) ? 1 : 0);
    const auto colSlots = static_cast<std::uint32_t>(colAxis.slots.size());
    const auto rowSlots = static_cast<std::uint32_t>(rowAxis.slots.size());
    const std::uint64_t width = std::uint64_t{keyCols} + std::uint64_t{colSlots} * measures;
    const std::uint64_t height = std::uint64_t{headerRows} + rowSlots;
    if (width * height > limits::maxMatrixCells || !charge(width * height))
        return bad();
    auto out = std::make_shared<Matrix>();
    out->rows = static_cast<std::uint32_t>(height);
    out->cols = static_cast<std::uint32_t>(width);
    // What the result leaves out shows empty, not as the 0 a spilled blank shows.
    out->values.assign(static_cast<std::size_t>(width * height), Value::of(std::string()));
    // An empty key or header shows empty too.
    const auto put = [&](std::uint32_t r, std::uint64_t c, Value v) {
        if (v.kind == ValueKind::Blank)
            v = Value::of(std::string());
        out->values[static_cast<std::size_t>(r * width + c)] = std::move(v);
    };
    const auto fieldName = [&](const Axis& axis, std::uint32_t i, const char* generated) {
        return hasHeaders ? axis.fields->at(0, i)
                          : Value::of(std::string(generated) + " " + std::to_string(i + 1));
    };
    const auto valueName = [&](std::uint32_t column) {
        if (hasHeaders)
            return values->at(0, column);
        return Value::of(m == 1 ? std::string("Value") : "Value " + std::to_string(column + 1));
    };
    const auto keysOf = [](const Slot& slot, std::uint32_t levels, auto&& write) {
        if (slot.total && slot.group->keys.empty()) {
            if (levels > 0)
                write(0, Value::of(std::string("Total")));
            return;
        }
        for (std::uint32_t i = 0; i < slot.group->keys.size() && i < levels; ++i)
            write(i, slot.group->keys[i]);
    };
    for (std::uint32_t s = 0; s < colSlots; ++s) {
        const std::uint64_t left = keyCols + std::uint64_t{s} * measures;
        keysOf(colAxis.slots[s], colAxis.levels,
               [&](std::uint32_t level, Value v) { put(level, left, std::move(v)); });
        if (measureRow)
            for (std::uint32_t k = 0; k < measures; ++k)
                put(colAxis.levels, left + k,
                    f > 1 ? Value::of(functions[k % f].label) : valueName(k / f));
    }
    if (showHeaders) {
        const std::uint32_t last = headerRows - 1;
        for (std::uint32_t i = 0; i < keyCols; ++i)
            put(last, i, fieldName(rowAxis, i, "Row Field"));
        if (pivot)
            for (std::uint32_t i = 0; i < colAxis.levels && keyCols > 0; ++i)
                put(i, keyCols - 1, fieldName(colAxis, i, "Col Field"));
    }

    const bool twoParameters =
        std::any_of(functions.begin(), functions.end(),
                    [](const Aggregator& a) { return a.lambda->node->children.size() > 2; });
    for (std::uint32_t r = 0; r < rowSlots; ++r) {
        const Slot& row = rowAxis.slots[r];
        const std::uint32_t y = headerRows + r;
        keysOf(row, keyCols, [&](std::uint32_t i, Value v) { put(y, i, std::move(v)); });
        for (std::uint32_t s = 0; s < colSlots; ++s) {
            const Slot& col = colAxis.slots[s];
            const std::vector<std::uint32_t> rows = both(*row.group, *col.group);
            if (rows.empty())
                continue;
            // What a function of two parameters compares the group with.
            std::vector<std::uint32_t> reference;
            if (twoParameters) {
                switch (pivot ? relativeTo : 2) {
                case 0:
                    reference = col.group->rows;
                    break;
                case 1:
                    reference = row.group->rows;
                    break;
                case 2:
                    reference = all;
                    break;
                case 3:
                    reference = both(*row.group, *col.group->parent);
                    break;
                default:
                    reference = both(*row.group->parent, *col.group);
                    break;
                }
            }
            for (std::uint32_t k = 0; k < measures; ++k)
                out->values[static_cast<std::size_t>(y * width + keyCols +
                                                     std::uint64_t{s} * measures + k)] =
                    aggregate(rows, k, reference);
        }
    }
    if (out->values.size() == 1)
        return Operand::of(out->values.front());
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

} // namespace engine::formula::calc
