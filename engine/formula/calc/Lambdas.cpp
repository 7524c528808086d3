// LET, LAMBDA and the functions that call a LAMBDA over blocks: MAP, REDUCE, SCAN, BYROW,
// BYCOL and MAKEARRAY, with ISOMITTED for the parameters a call leaves out.
#include "engine/base/Limits.h"
#include "engine/formula/calc/Calculation.h"
#include "engine/formula/calc/Planning.h"

#include <cmath>
#include <limits>

namespace engine::formula::calc {

namespace {

Operand bad(CellError error = CellError::Value) {
    return Operand::of(Value::fail(error));
}

bool isParameter(const Node& node) {
    return node.kind == Node::Kind::Name &&
           node.ref.firstSheet == std::numeric_limits<std::uint32_t>::max();
}

Operand omitted() {
    Operand o = Operand::of(Value::blank());
    o.omitted = true;
    return o;
}

} // namespace

const Operand* Calculation::bound(const Node& node, const Frame& frame) const {
    if (!frame.scope)
        return nullptr;
    const std::string name = parameterName(node.text);
    for (const Scope* scope = frame.scope.get(); scope; scope = scope->outer.get())
        if (scope->name == name)
            return &scope->value;
    return nullptr;
}

Operand Calculation::lambdaForm(const Node& node, const Frame& frame) {
    const std::string& f = node.text;
    if (f == "LET")
        return let(node, frame);
    if (f == "LAMBDA")
        return makeLambda(node, frame);
    if (f == "GROUPBY" || f == "PIVOTBY")
        return groupBy(node, frame);
    if (f == "ISOMITTED") {
        if (node.children.size() != 1)
            return bad();
        const Node& arg = *node.children[0];
        if (!isParameter(arg))
            return Operand::of(Value::of(false));
        const Operand* value = bound(arg, frame);
        return Operand::of(Value::of(value && value->omitted));
    }
    return applyEach(node, frame);
}

Operand Calculation::etaLambda(std::string_view name) {
    const std::string wanted = upper(name);
    const FunctionInfo* info = findFunction(wanted);
    if (!info && !isSpecialForm(wanted) && !isLambdaForm(wanted))
        return bad(CellError::Name);
    // LAMBDA(_1, NAME(_1)), or with two parameters for a function that needs two (PERCENTOF).
    auto root = std::make_shared<Node>();
    root->kind = Node::Kind::Call;
    root->text = "LAMBDA";
    auto body = std::make_unique<Node>();
    body->kind = Node::Kind::Call;
    body->text = wanted;
    body->function = info;
    const int count = info && info->minArgs >= 2 ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        const auto parameter = [i] {
            auto p = std::make_unique<Node>();
            p->kind = Node::Kind::Name;
            p->text = " " + std::to_string(i + 1); // no name a formula can write
            p->ref.firstSheet = std::numeric_limits<std::uint32_t>::max();
            return p;
        };
        root->children.push_back(parameter());
        body->children.push_back(parameter());
    }
    root->children.push_back(std::move(body));
    auto lambda = std::make_shared<Lambda>();
    lambda->node = root.get();
    lambda->tree = std::move(root);
    Operand o = bad(CellError::Calc);
    o.lambda = std::move(lambda);
    return o;
}

Operand Calculation::lambdaArg(const Node& node, const Frame& frame) {
    Operand o = eval(node, frame);
    // A bare function name is no defined name: the function itself (BYROW(A1:B3,SUM)).
    if (!o.lambda && node.kind == Node::Kind::Name &&
        node.ref.firstSheet == std::numeric_limits<std::uint32_t>::max() &&
        o.kind == Operand::Kind::Scalar && o.value.isError() && o.value.error == CellError::Name)
        return etaLambda(node.text);
    return o;
}

// LET(name1, value1, [name2, value2 ...], result): each value sees the names before it.
Operand Calculation::let(const Node& node, const Frame& frame) {
    const auto& args = node.children;
    if (args.size() < 3 || args.size() % 2 == 0)
        return bad();
    Frame inner = frame;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (!isParameter(*args[i]))
            return bad(CellError::Name);
        auto scope = std::make_shared<Scope>();
        scope->name = parameterName(args[i]->text);
        scope->value = eval(*args[i + 1], inner);
        scope->outer = inner.scope;
        inner.scope = std::move(scope);
    }
    return eval(*args.back(), inner);
}

Operand Calculation::makeLambda(const Node& node, const Frame& frame) {
    if (node.children.empty() || node.children.size() > 254)
        return bad();
    for (std::size_t i = 0; i + 1 < node.children.size(); ++i)
        if (!isParameter(*node.children[i]))
            return bad(CellError::Name);
    auto lambda = std::make_shared<Lambda>();
    lambda->node = &node;
    lambda->captured = frame.scope;
    lambda->tree = nameTree_;
    // Shown in a cell, a function is a calculation the cell cannot hold.
    Operand o = bad(CellError::Calc);
    o.lambda = std::move(lambda);
    return o;
}

Operand Calculation::apply(const Lambda& lambda, std::vector<Operand> args, const Frame& frame) {
    const auto& params = lambda.node->children;
    const std::size_t count = params.size() - 1;
    if (args.size() > count)
        return bad();
    if (lambdaDepth_ >= limits::maxLambdaDepth)
        return bad(CellError::Num);
    Frame inner = frame;
    inner.scope = lambda.captured;
    for (std::size_t i = 0; i < count; ++i) {
        auto scope = std::make_shared<Scope>();
        scope->name = parameterName(params[i]->text);
        scope->value = i < args.size() ? std::move(args[i]) : omitted();
        scope->outer = inner.scope;
        inner.scope = std::move(scope);
    }
    ++lambdaDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{lambdaDepth_};
    return eval(*params.back(), inner);
}

// LAMBDA(x,x+1)(2), or a name holding a function called like one: f(2).
Operand Calculation::invoke(const Node& node, const Frame& frame) {
    const Operand callee = eval(*node.children[0], frame);
    if (!callee.lambda)
        return callee.kind == Operand::Kind::Scalar && callee.value.isError() ? callee : bad();
    std::vector<Operand> args;
    for (std::size_t i = 1; i < node.children.size(); ++i)
        args.push_back(node.children[i]->kind == Node::Kind::Missing
                           ? omitted()
                           : eval(*node.children[i], frame));
    return apply(*callee.lambda, std::move(args), frame);
}

Operand Calculation::callByName(const Node& node, const Frame& frame) {
    Node name;
    name.kind = Node::Kind::Name;
    name.text = node.text;
    name.ref.firstSheet = std::numeric_limits<std::uint32_t>::max();
    const Operand callee = this->name(name, frame);
    if (!callee.lambda)
        return bad(CellError::Name);
    std::vector<Operand> args;
    for (const NodePtr& child : node.children)
        args.push_back(child->kind == Node::Kind::Missing ? omitted() : eval(*child, frame));
    return apply(*callee.lambda, std::move(args), frame);
}

// MAP, REDUCE, SCAN, BYROW, BYCOL and MAKEARRAY: the LAMBDA given last, called over blocks.
Operand Calculation::applyEach(const Node& node, const Frame& frame) {
    const std::string& f = node.text;
    const auto& args = node.children;
    const std::size_t n = args.size();
    if (n < 2)
        return bad();
    const Operand last = lambdaArg(*args.back(), frame);
    if (!last.lambda)
        return last.kind == Operand::Kind::Scalar && last.value.isError() ? last : bad();
    const Lambda& lambda = *last.lambda;
    const auto one = [&](std::vector<Operand> values) {
        return scalar(apply(lambda, std::move(values), frame), frame);
    };
    const auto block = [&](std::size_t i) { return matrix(eval(*args[i], frame), frame); };
    const auto arrayOf = [](std::shared_ptr<const Matrix> m) {
        Operand o;
        o.kind = Operand::Kind::Array;
        o.array = std::move(m);
        return o;
    };
    if (f == "MAP") {
        std::vector<std::shared_ptr<const Matrix>> blocks;
        Shape shape;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            blocks.push_back(block(i));
            shape.include(*blocks.back());
        }
        return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
            std::vector<Operand> values;
            for (const auto& m : blocks)
                values.push_back(Operand::of(Shape::valueAt(*m, r, c)));
            return one(std::move(values));
        });
    }
    if (f == "REDUCE" || f == "SCAN") {
        if (n != 3)
            return bad();
        Operand accumulator =
            args[0]->kind == Node::Kind::Missing ? omitted() : eval(*args[0], frame);
        const auto values = block(1);
        if (f == "REDUCE") {
            for (const Value& v : values->values) {
                if (!charge(1))
                    throw BudgetSpent{};
                accumulator = apply(lambda, {std::move(accumulator), Operand::of(v)}, frame);
            }
            return accumulator;
        }
        Shape shape;
        shape.include(*values);
        return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
            accumulator = Operand::of(one({std::move(accumulator), Operand::of(values->at(r, c))}));
            return accumulator.value;
        });
    }
    if (f == "BYROW" || f == "BYCOL") {
        if (n != 2)
            return bad();
        const auto values = block(0);
        const bool rows = f == "BYROW";
        Shape shape;
        shape.rows = rows ? values->rows : 1;
        shape.cols = rows ? 1 : values->cols;
        return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
            auto line = std::make_shared<Matrix>();
            line->rows = rows ? 1 : values->rows;
            line->cols = rows ? values->cols : 1;
            for (std::uint32_t i = 0; i < (rows ? values->cols : values->rows); ++i)
                line->values.push_back(rows ? values->at(r, i) : values->at(i, c));
            return one({arrayOf(std::move(line))});
        });
    }
    if (f == "MAKEARRAY") {
        if (n != 3)
            return bad();
        double size[2];
        for (std::size_t i = 0; i < 2; ++i) {
            const Value v = toNumber(scalar(eval(*args[i], frame), frame), wb_.dateSystem);
            if (v.isError())
                return Operand::of(v);
            size[i] = std::trunc(v.number);
        }
        if (size[0] < 1 || size[1] < 1)
            return bad();
        if (size[0] * size[1] > static_cast<double>(limits::maxMatrixCells))
            return bad();
        Shape shape;
        shape.rows = static_cast<std::uint32_t>(size[0]);
        shape.cols = static_cast<std::uint32_t>(size[1]);
        return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
            return one(
                {Operand::of(Value::of(double(r + 1))), Operand::of(Value::of(double(c + 1)))});
        });
    }
    return bad(CellError::Name);
}

} // namespace engine::formula::calc
