#include "engine/formula/functions/Args.h"

namespace engine::formula::functions {

Value scalarOf(const Arg& arg, CallContext& context) {
    switch (arg.kind) {
    case Arg::Kind::Missing:
        return Value::blank();
    case Arg::Kind::Scalar:
        return arg.value;
    case Arg::Kind::Area:
        break;
    }
    const Area* a = arg.area;
    if (!a || a->rows() == 0 || a->cols() == 0) {
        return Value::fail(CellError::Value);
    }
    if (a->rows() == 1 && a->cols() == 1) {
        return a->at(0, 0);
    }
    if (!a->isReference()) {
        return a->at(0, 0);
    }
    // Implicit intersection: the cell of the block in line with the formula's own cell.
    std::uint32_t row = context.callerRow(), col = context.callerCol();
    if (a->cols() == 1 && row >= arg.firstRow && row - arg.firstRow < a->rows()) {
        return a->at(row - arg.firstRow, 0);
    }
    if (a->rows() == 1 && col >= arg.firstCol && col - arg.firstCol < a->cols()) {
        return a->at(0, col - arg.firstCol);
    }
    return Value::fail(CellError::Value);
}

void Reader::fail(CellError error) {
    fail(Value::fail(error));
}

void Reader::fail(const Value& error) {
    if (!failed_) {
        failed_ = true;
        error_ = error;
    }
}

Value Reader::value(std::size_t i, const Value& fallback) {
    Value v = has(i) ? scalarOf(args_[i], context_) : fallback;
    if (v.isError()) {
        fail(v);
    }
    return v;
}

double Reader::number(std::size_t i, double fallback) {
    if (!has(i)) {
        return fallback;
    }
    Value v = toNumber(value(i), context_.dateSystem());
    if (v.isError()) {
        fail(v);
        return 0;
    }
    return v.number;
}

double Reader::numberNotBoolean(std::size_t i, double fallback) {
    if (!has(i)) {
        return fallback;
    }
    if (scalarOf(args_[i], context_).kind == ValueKind::Boolean) {
        fail(CellError::Value);
        return 0;
    }
    return number(i, fallback);
}

std::string Reader::text(std::size_t i, const std::string& fallback) {
    if (!has(i)) {
        return fallback;
    }
    Value v = toText(value(i));
    if (v.isError()) {
        fail(v);
        return {};
    }
    return v.text;
}

bool Reader::boolean(std::size_t i, bool fallback) {
    if (!has(i)) {
        return fallback;
    }
    Value v = toBoolean(value(i));
    if (v.isError()) {
        fail(v);
        return false;
    }
    return v.number != 0;
}

Grid::Grid(const Arg& arg, CallContext& context) {
    if (arg.kind == Arg::Kind::Area && arg.area) {
        area_ = arg.area;
    } else {
        scalar_ = scalarOf(arg, context);
    }
}

Value Grid::at(std::uint32_t row, std::uint32_t col) const {
    if (area_) {
        return row < area_->rows() && col < area_->cols() ? area_->at(row, col) : Value::blank();
    }
    return row == 0 && col == 0 ? scalar_ : Value::blank();
}

bool Grid::forEach(
    Budget& budget,
    const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const {
    if (!area_) {
        if (scalar_.kind != ValueKind::Blank) {
            visit(0, 0, scalar_);
        }
        return budget.take();
    }
    area_->forEachValue([&](std::uint32_t r, std::uint32_t c, const Value& v) {
        if (budget.take()) {
            visit(r, c, v);
        }
    });
    return budget.settle();
}

bool forEachNumber(Args args, std::size_t from, std::size_t end, CallContext& context,
                   const NumberScan& scan, const std::function<void(double)>& visit, Value& error) {
    Budget budget(context);
    bool failed = false;
    for (std::size_t i = from; i < end && i < args.size() && !failed; ++i) {
        const Arg& arg = args[i];
        if (arg.kind == Arg::Kind::Missing) {
            visit(0);
            continue;
        }
        if (arg.kind == Arg::Kind::Scalar) {
            const Value& v = arg.value;
            if (v.kind == ValueKind::Blank) {
                continue;
            }
            Value n = toNumber(v, context.dateSystem());
            if (n.isError()) {
                if (v.kind == ValueKind::Text && !scan.directTextIsError) {
                    continue;
                }
                error = n;
                return false;
            }
            visit(n.number);
            continue;
        }
        if (!arg.area) {
            continue;
        }
        arg.area->forEachValue([&](std::uint32_t, std::uint32_t, const Value& v) {
            if (failed || !budget.take()) {
                return;
            }
            switch (v.kind) {
            case ValueKind::Number:
                visit(v.number);
                break;
            case ValueKind::Error:
                error = v;
                failed = true;
                break;
            case ValueKind::Text:
                if (scan.blockTextAsZero) {
                    visit(0);
                }
                break;
            case ValueKind::Boolean:
                if (scan.blockTextAsZero) {
                    visit(v.number);
                }
                break;
            case ValueKind::Blank:
                break;
            }
        });
        if (!budget.settle()) {
            error = Value::fail(CellError::Value);
            return false;
        }
    }
    return !failed;
}

bool collectNumbers(Args args, std::size_t from, std::size_t end, CallContext& context,
                    const NumberScan& scan, std::vector<double>& out, Value& error) {
    return forEachNumber(
        args, from, end, context, scan, [&](double v) { out.push_back(v); }, error);
}

bool numbersByPosition(const Arg& arg, CallContext& context,
                       std::vector<std::pair<std::uint64_t, double>>& out, Value& error) {
    Grid grid(arg, context);
    Budget budget(context);
    bool failed = false;
    std::uint64_t cols = grid.cols();
    bool ok = grid.forEach(budget, [&](std::uint32_t r, std::uint32_t c, const Value& v) {
        if (failed) {
            return;
        }
        if (v.isError()) {
            error = v;
            failed = true;
        } else if (v.kind == ValueKind::Number) {
            out.emplace_back(r * cols + c, v.number);
        }
    });
    if (!ok) {
        error = Value::fail(CellError::Value);
        return false;
    }
    return !failed;
}

} // namespace engine::formula::functions
