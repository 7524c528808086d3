#include "engine/base/Limits.h"
#include "engine/formula/ArrayParameters.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"
#include "engine/numfmt/NumberFormat.h"

namespace engine::formula::calc {

namespace {

// A row's own pattern where it has one, else the shared table's.
bool takesBlock(const FunctionInfo& info, std::size_t index) {
    const std::string_view params = info.params;
    if (params.empty())
        return takesBlockAt(info.name, index);
    if (index >= params.size()) {
        if (info.repeatFrom >= params.size())
            return false;
        index = info.repeatFrom + (index - info.repeatFrom) % (params.size() - info.repeatFrom);
    }
    return params[index] == 'b';
}

} // namespace

std::string Calculation::Context::formatNumber(double value, std::string_view code) {
    numfmt::Shown shown;
    numfmt::NumberFormat::parse(code).formatNumber(value, calc_.dates(), shown);
    // A fill has no cell width to fill inside a text.
    std::erase(shown.text, numfmt::fillMark);
    return shown.text;
}

Operand Calculation::call(const Node& node, const Frame& frame) {
    if (isSpecialForm(node.text))
        return special(node, frame);
    if (isLambdaForm(node.text))
        return lambdaForm(node, frame);
    if (!node.function)
        return callByName(node, frame);
    return library(node, frame);
}

Operand Calculation::library(const Node& node, const Frame& frame) {
    const FunctionInfo& info = *node.function;
    if (node.children.size() < info.minArgs || node.children.size() > info.maxArgs)
        return Operand::of(Value::fail(CellError::Value));
    Frame inner = frame;
    if ((info.flags & flag::ArraysAlways) || takesArrays(node.text))
        inner.arrayMode = true;
    std::vector<std::unique_ptr<Area>> areas;
    std::vector<Arg> args;
    args.reserve(node.children.size());
    // Blocks given to single-value parameters, by their place in `args`.
    std::vector<std::pair<std::size_t, Operand>> lifted;
    std::optional<Reference> returned; // XLOOKUP's results, when on one sheet
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = *node.children[i];
        Arg arg;
        if (child.kind == Node::Kind::Missing) {
            arg.kind = Arg::Kind::Missing;
            args.push_back(arg);
            continue;
        }
        Operand operand = eval(child, inner);
        if (i == 2 && node.text == "XLOOKUP" && operand.kind == Operand::Kind::Refs &&
            operand.refs.size() == 1 && operand.refs[0].firstSheet == operand.refs[0].lastSheet)
            returned = operand.refs[0];
        if (isBlock(operand, inner) && !takesBlock(info, i)) {
            lifted.emplace_back(args.size(), std::move(operand));
            args.push_back(arg);
            continue;
        }
        switch (operand.kind) {
        case Operand::Kind::Scalar:
            arg.value = std::move(operand.value);
            args.push_back(std::move(arg));
            break;
        case Operand::Kind::Array:
            areas.push_back(std::make_unique<ArrayArea>(operand.array));
            arg.kind = Arg::Kind::Area;
            arg.area = areas.back().get();
            args.push_back(std::move(arg));
            break;
        case Operand::Kind::Refs:
            // A 3-D reference or a union gives the function one area per sheet and part.
            for (const Reference& r : operand.refs)
                for (std::uint32_t s = r.firstSheet; s <= r.lastSheet && s < wb_.sheets.size();
                     ++s) {
                    Arg part;
                    part.kind = Arg::Kind::Area;
                    areas.push_back(std::make_unique<SheetArea>(*this, r, s));
                    part.area = areas.back().get();
                    part.firstRow = r.firstRow;
                    part.firstCol = r.firstCol;
                    args.push_back(std::move(part));
                }
            break;
        }
    }
    if (!lifted.empty())
        return liftedCall(info, std::move(args), lifted, inner);
    if (returned && args.size() == node.children.size())
        if (auto slice = lookupSlice(args, *returned, frame))
            return std::move(*slice);
    Context context(*this, frame);
    if (info.arrayBody) {
        ArrayValue block = info.arrayBody(args, context);
        if (spent_)
            throw BudgetSpent{};
        return fromBlock(std::move(block));
    }
    Value result = info.body(args, context);
    if (spent_)
        throw BudgetSpent{};
    return Operand::of(std::move(result));
}

// A function's block as an operand: one value stays a value; a block whose size does not match
// its values (a function's own fault) or exceeds the bound every block keeps is #VALUE!.
Operand Calculation::fromBlock(ArrayValue block) {
    const std::uint64_t count = std::uint64_t{block.rows} * block.cols;
    if (count == 0 || count != block.values.size() || count > limits::maxMatrixCells)
        return Operand::of(Value::fail(CellError::Value));
    if (count == 1)
        return Operand::of(std::move(block.values.front()));
    auto out = std::make_shared<Matrix>();
    out->rows = block.rows;
    out->cols = block.cols;
    out->values = std::move(block.values);
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

// XLOOKUP whose results are several columns of a vertical table (or rows of a horizontal one)
// answers with the whole row (column) found, as a reference: SUM(XLOOKUP(k,A:A,B:D)) adds the
// row, and a single cell shows it through implicit intersection. Nullopt leaves the call to
// the library, which also answers every case where nothing is found.
std::optional<Operand> Calculation::lookupSlice(std::span<const Arg> args,
                                                const Reference& returned, const Frame& frame) {
    const Arg& keys = args[1];
    const Arg& results = args[2];
    if (keys.kind != Arg::Kind::Area || results.kind != Arg::Kind::Area ||
        !results.area->isReference())
        return std::nullopt;
    const bool vertical = keys.area->cols() == 1 && keys.area->rows() > 1;
    const bool horizontal = keys.area->rows() == 1 && keys.area->cols() > 1;
    const std::uint32_t across = vertical ? results.area->cols() : results.area->rows();
    const bool aligned = vertical ? results.area->rows() == keys.area->rows()
                                  : results.area->cols() == keys.area->cols();
    if ((!vertical && !horizontal) || across < 2 || !aligned)
        return std::nullopt;
    static const FunctionInfo* const match = findFunction("XMATCH");
    std::vector<Arg> matchArgs{args[0], args[1]};
    for (std::size_t i = 4; i < args.size(); ++i)
        matchArgs.push_back(args[i]);
    Context context(*this, frame);
    const Value position = match->body(matchArgs, context);
    if (spent_)
        throw BudgetSpent{};
    if (position.kind != ValueKind::Number || position.number < 1)
        return std::nullopt;
    const auto offset = static_cast<std::uint32_t>(position.number) - 1;
    Reference r = returned;
    if (vertical) {
        if (offset >= r.rows())
            return std::nullopt;
        r.firstRow = r.lastRow = r.firstRow + offset;
    } else {
        if (offset >= r.cols())
            return std::nullopt;
        r.firstCol = r.lastCol = r.firstCol + offset;
    }
    return Operand::ofRef(r);
}

// The call once per element of the blocks given to single-value parameters.
Operand Calculation::liftedCall(const FunctionInfo& info, std::vector<Arg> args,
                                const std::vector<std::pair<std::size_t, Operand>>& lifted,
                                const Frame& frame) {
    std::vector<std::shared_ptr<const Matrix>> blocks;
    Shape shape;
    for (const auto& [place, operand] : lifted) {
        blocks.push_back(matrix(operand, frame));
        shape.include(*blocks.back());
    }
    Context context(*this, frame);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        for (std::size_t k = 0; k < lifted.size(); ++k) {
            Arg& arg = args[lifted[k].first];
            arg.kind = Arg::Kind::Scalar;
            arg.value = Shape::valueAt(*blocks[k], r, c);
        }
        // A function that answers with a block gives its first value for each element: one
        // cell cannot hold a block of blocks.
        Value result = info.body ? info.body(args, context) : [&] {
            ArrayValue block = info.arrayBody(args, context);
            return block.values.empty() ? Value::fail(CellError::Value) : block.values.front();
        }();
        if (spent_)
            throw BudgetSpent{};
        return result;
    });
}

} // namespace engine::formula::calc
