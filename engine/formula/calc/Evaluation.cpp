#include "engine/base/Limits.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace engine::formula::calc {

Value Calculation::scalar(const Operand& operand, const Frame& frame) {
    switch (operand.kind) {
    case Operand::Kind::Scalar:
        return operand.value;
    case Operand::Kind::Array:
        return operand.array->rows && operand.array->cols ? operand.array->at(0, 0)
                                                          : Value::fail(CellError::Value);
    case Operand::Kind::Refs:
        break;
    }
    if (operand.refs.size() != 1)
        return Value::fail(CellError::Value);
    const Reference& r = operand.refs.front();
    if (r.firstSheet != r.lastSheet)
        return Value::fail(CellError::Value);
    if (r.isCell())
        return cellValue(r.firstSheet, r.firstRow, r.firstCol);
    // Implicit intersection: the cell of a one-column range in the caller's row, and so on.
    if (r.firstCol == r.lastCol && frame.row >= r.firstRow && frame.row <= r.lastRow)
        return cellValue(r.firstSheet, frame.row, r.firstCol);
    if (r.firstRow == r.lastRow && frame.col >= r.firstCol && frame.col <= r.lastCol)
        return cellValue(r.firstSheet, r.firstRow, frame.col);
    return Value::fail(CellError::Value);
}

std::shared_ptr<const Matrix> Calculation::matrix(const Operand& operand, const Frame& frame) {
    if (operand.kind == Operand::Kind::Array)
        return operand.array;
    if (operand.kind == Operand::Kind::Scalar)
        return single(operand.value);
    if (operand.refs.size() != 1 || operand.refs[0].firstSheet != operand.refs[0].lastSheet)
        return single(Value::fail(CellError::Value));
    // Past the sheet's last stored row and column every value is blank: a whole column
    // becomes a block no taller than the sheet's content. A range of its own size keeps it, so
    // that blocks computed from it line up with it (FILTER(A2:A12,A2:A12>10)).
    Reference r = operand.refs[0];
    const Sheet& sheet = wb_.sheets[r.firstSheet];
    const bool wholeColumns = r.firstRow == 0 && r.lastRow == maxRow;
    const bool wholeRows = r.firstCol == 0 && r.lastCol == maxCol;
    if (!sheet.cells.empty()) {
        const std::uint32_t lastRow = sheet.cells.back().row;
        if (wholeColumns)
            r.lastRow = std::max(r.firstRow, std::min(r.lastRow, lastRow));
        if (wholeRows && r.cols() > 1)
            r.lastCol = std::max(r.firstCol, std::min(r.lastCol, lastColumn(r.firstSheet)));
    } else {
        if (wholeColumns)
            r.lastRow = r.firstRow;
        if (wholeRows)
            r.lastCol = r.firstCol;
    }
    const std::uint64_t count = std::uint64_t{r.rows()} * r.cols();
    if (count > limits::maxMatrixCells || !charge(count)) {
        if (spent_)
            throw BudgetSpent{};
        return single(Value::fail(CellError::Value));
    }
    auto m = std::make_shared<Matrix>();
    m->rows = r.rows();
    m->cols = r.cols();
    m->values.resize(static_cast<std::size_t>(count));
    SheetArea area(*this, r, r.firstSheet);
    area.forEachValue([&](std::uint32_t row, std::uint32_t col, const Value& value) {
        m->values[std::size_t{row} * m->cols + col] = value;
    });
    (void)frame;
    return m;
}

Operand Calculation::eval(const Node& node, const Frame& frame) {
    if (!charge(1))
        throw BudgetSpent{};
    switch (node.kind) {
    case Node::Kind::Constant:
        return Operand::of(node.value);
    case Node::Kind::Missing:
        return Operand::of(Value::blank());
    case Node::Kind::Ref:
        return Operand::ofRef(node.ref);
    case Node::Kind::BadRef:
        return Operand::of(Value::fail(CellError::Ref));
    case Node::Kind::Name:
        return name(node, frame);
    case Node::Kind::Unary:
        return unary(node, frame);
    case Node::Kind::Binary:
        return binary(node, frame);
    case Node::Kind::Call:
        return call(node, frame);
    case Node::Kind::Invoke:
        return invoke(node, frame);
    case Node::Kind::Array: {
        auto m = std::make_shared<Matrix>();
        m->rows = node.rows;
        m->cols = node.cols;
        for (const NodePtr& child : node.children)
            m->values.push_back(child->value);
        Operand o;
        o.kind = Operand::Kind::Array;
        o.array = std::move(m);
        return o;
    }
    }
    return Operand::of(Value::fail(CellError::Value));
}

Operand Calculation::name(const Node& node, const Frame& frame) {
    const std::string wanted = upper(node.text);
    // SUM where a function is wanted, as files write it (GROUPBY(A2:A9,B2:B9,_xleta.SUM)).
    if (wanted.starts_with("_XLETA."))
        return etaLambda(std::string_view(wanted).substr(7));
    const bool qualified = node.ref.firstSheet != std::numeric_limits<std::uint32_t>::max();
    if (!qualified)
        if (const Operand* value = bound(node, frame))
            return *value;
    const std::uint32_t scope = qualified ? node.ref.firstSheet : frame.sheet;
    const DefinedName* found = nullptr;
    for (const DefinedName& defined : wb_.definedNames) {
        if (upper(defined.name) != wanted)
            continue;
        if (defined.sheet == scope) {
            found = &defined;
            break;
        }
        if (defined.sheet == DefinedName::noSheet && !qualified)
            found = &defined;
    }
    if (!found || nameDepth_ >= limits::maxNameNestingDepth)
        return Operand::of(Value::fail(CellError::Name));
    if (std::find(namesInUse_.begin(), namesInUse_.end(), found) != namesInUse_.end()) {
        // A name whose definition reaches itself is a circular reference of the formula
        // using it, which the application computes as 0.
        if (!chain_.empty() && !states_[chain_.back()].circular) {
            ++wb_.circularCells;
            states_[chain_.back()].circular = true;
        }
        return Operand::of(Value::of(0.0));
    }
    // A name's relative references are written for A1 and move with the cell that uses it.
    const std::uint32_t sheet = found->sheet == DefinedName::noSheet ? frame.sheet : found->sheet;
    ParseContext context =
        found->openDocument ? parseContext(sheet, 0, 0) : parseContext(sheet, frame.row, frame.col);
    context.originRow = context.originCol = 0;
    context.wrap = !found->openDocument;
    std::string_view text = found->formula;
    std::optional<std::string> translated;
    if (found->openDocument && (translated = translateOpenDocument(text)))
        text = *translated;
    ParseResult parsed = parseFormula(text, context);
    if (!parsed.root)
        return Operand::of(Value::fail(CellError::Name));
    ++nameDepth_;
    namesInUse_.push_back(found);
    // A LAMBDA the name holds keeps its text's tree alive past this call.
    std::shared_ptr<const Node> tree(std::move(parsed.root));
    std::shared_ptr<const Node> outerTree = std::exchange(nameTree_, tree);
    struct Leave {
        int& depth;
        std::vector<const DefinedName*>& inUse;
        std::shared_ptr<const Node>& current;
        std::shared_ptr<const Node> outer;
        ~Leave() {
            --depth;
            inUse.pop_back();
            current = std::move(outer);
        }
    } leave{nameDepth_, namesInUse_, nameTree_, std::move(outerTree)};
    // The name's formula sees none of the LET names around its use.
    Frame inner = frame;
    inner.scope = nullptr;
    return eval(*tree, inner);
}

} // namespace engine::formula::calc
