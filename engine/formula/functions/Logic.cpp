// Logical functions and the information functions that ask what a value is.
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"

#include <array>
#include <cmath>

namespace engine::formula::functions {
namespace {

// AND, OR, XOR: booleans and numbers count, text in blocks is skipped, direct text must say
// TRUE or FALSE or be empty; nothing to count at all is #VALUE!.
enum class Junction { And, Or, Xor };

template <Junction J> Value junction(Args args, CallContext& c) {
    int trues = 0, seen = 0;
    Budget budget(c);
    Value error;
    bool failed = false;
    auto take = [&](bool b) {
        ++seen;
        trues += b;
    };
    for (const Arg& a : args) {
        if (a.kind == Arg::Kind::Missing) {
            take(false);
        } else if (a.kind == Arg::Kind::Scalar) {
            // An empty text given directly counts as nothing, as an empty cell does.
            if (a.value.kind == ValueKind::Blank ||
                (a.value.kind == ValueKind::Text && a.value.text.empty())) {
                continue;
            }
            Value b = toBoolean(a.value);
            if (b.isError()) {
                return b;
            }
            take(b.number != 0);
        } else if (a.area) {
            a.area->forEachValue([&](std::uint32_t, std::uint32_t, const Value& v) {
                if (failed || !budget.take()) {
                    return;
                }
                if (v.isError()) {
                    error = v;
                    failed = true;
                } else if (v.kind == ValueKind::Number || v.kind == ValueKind::Boolean) {
                    take(v.number != 0);
                }
            });
            if (failed) {
                return error;
            }
        }
    }
    if (!budget.settle()) {
        return Value::fail(CellError::Value);
    }
    if (seen == 0) {
        return Value::fail(CellError::Value);
    }
    switch (J) {
    case Junction::And:
        return Value::of(trues == seen);
    case Junction::Or:
        return Value::of(trues > 0);
    case Junction::Xor:
        return Value::of(trues % 2 == 1);
    }
    return Value::fail(CellError::Value);
}

Value notOf(Args args, CallContext& c) {
    Reader r(args, c);
    bool b = r.boolean(0);
    if (r.failed()) {
        return r.error();
    }
    return Value::of(!b);
}

Value trueOf(Args, CallContext&) {
    return Value::of(true);
}
Value falseOf(Args, CallContext&) {
    return Value::of(false);
}
Value na(Args, CallContext&) {
    return Value::fail(CellError::NA);
}

template <bool (*Test)(const Value&)> Value is(Args args, CallContext& c) {
    return Value::of(Test(scalarOf(args[0], c)));
}

bool blankTest(const Value& v) {
    return v.kind == ValueKind::Blank;
}
bool errTest(const Value& v) {
    return v.isError() && v.error != CellError::NA;
}
bool errorTest(const Value& v) {
    return v.isError();
}
bool naTest(const Value& v) {
    return v.isError() && v.error == CellError::NA;
}
bool numberTest(const Value& v) {
    return v.kind == ValueKind::Number;
}
bool textTest(const Value& v) {
    return v.kind == ValueKind::Text;
}
bool nonTextTest(const Value& v) {
    return v.kind != ValueKind::Text;
}
bool logicalTest(const Value& v) {
    return v.kind == ValueKind::Boolean;
}

template <bool Even> Value parity(Args args, CallContext& c) {
    Value v = scalarOf(args[0], c);
    if (v.kind == ValueKind::Boolean || v.kind == ValueKind::Text) {
        Value n = toNumber(v, c.dateSystem());
        if (v.kind == ValueKind::Boolean || n.isError()) {
            return Value::fail(CellError::Value);
        }
        v = n;
    }
    if (v.isError()) {
        return v;
    }
    double n = std::trunc(std::fabs(v.number));
    bool even = std::fmod(n, 2) == 0;
    return Value::of(even == Even);
}

Value isRef(Args args, CallContext&) {
    return Value::of(args[0].kind == Arg::Kind::Area && args[0].area &&
                     args[0].area->isReference());
}

Value n(Args args, CallContext& c) {
    Value v = scalarOf(args[0], c);
    switch (v.kind) {
    case ValueKind::Number:
    case ValueKind::Error:
        return v;
    case ValueKind::Boolean:
        return Value::of(v.number);
    default:
        return Value::of(0.0);
    }
}

Value t(Args args, CallContext& c) {
    Value v = scalarOf(args[0], c);
    if (v.kind == ValueKind::Text || v.isError()) {
        return v;
    }
    return Value::of(std::string());
}

Value type(Args args, CallContext& c) {
    const Arg& a = args[0];
    if (a.kind == Arg::Kind::Area && a.area && (a.area->rows() > 1 || a.area->cols() > 1)) {
        return Value::of(64.0);
    }
    switch (scalarOf(a, c).kind) {
    case ValueKind::Text:
        return Value::of(2.0);
    case ValueKind::Boolean:
        return Value::of(4.0);
    case ValueKind::Error:
        return Value::of(16.0);
    default:
        return Value::of(1.0);
    }
}

Value errorType(Args args, CallContext& c) {
    Value v = scalarOf(args[0], c);
    if (!v.isError()) {
        return Value::fail(CellError::NA);
    }
    switch (v.error) {
    case CellError::Null:
        return Value::of(1.0);
    case CellError::Div0:
        return Value::of(2.0);
    case CellError::Value:
        return Value::of(3.0);
    case CellError::Ref:
        return Value::of(4.0);
    case CellError::Name:
        return Value::of(5.0);
    case CellError::Num:
        return Value::of(6.0);
    case CellError::NA:
        return Value::of(7.0);
    case CellError::GettingData:
        return Value::of(8.0);
    case CellError::Spill:
        return Value::of(9.0);
    case CellError::Calc:
        return Value::of(14.0);
    }
    return Value::fail(CellError::NA);
}

constexpr std::array table = {
    FunctionInfo{"AND", 1, 255, junction<Junction::And>, "b", 0},
    FunctionInfo{"ERROR.TYPE", 1, 1, errorType},
    FunctionInfo{"FALSE", 0, 0, falseOf},
    FunctionInfo{"ISBLANK", 1, 1, is<blankTest>},
    FunctionInfo{"ISERR", 1, 1, is<errTest>},
    FunctionInfo{"ISERROR", 1, 1, is<errorTest>},
    FunctionInfo{"ISEVEN", 1, 1, parity<true>},
    FunctionInfo{"ISLOGICAL", 1, 1, is<logicalTest>},
    FunctionInfo{"ISNA", 1, 1, is<naTest>},
    FunctionInfo{"ISNONTEXT", 1, 1, is<nonTextTest>},
    FunctionInfo{"ISNUMBER", 1, 1, is<numberTest>},
    FunctionInfo{"ISODD", 1, 1, parity<false>},
    FunctionInfo{"ISREF", 1, 1, isRef, "b", 0},
    FunctionInfo{"ISTEXT", 1, 1, is<textTest>},
    FunctionInfo{"N", 1, 1, n},
    FunctionInfo{"NA", 0, 0, na},
    FunctionInfo{"NOT", 1, 1, notOf},
    FunctionInfo{"OR", 1, 255, junction<Junction::Or>, "b", 0},
    FunctionInfo{"T", 1, 1, t},
    FunctionInfo{"TRUE", 0, 0, trueOf},
    FunctionInfo{"TYPE", 1, 1, type, "b", 0},
    FunctionInfo{"XOR", 1, 255, junction<Junction::Xor>, "b", 0, 0, nullptr, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> logicFunctions() {
    return table;
}

} // namespace engine::formula::functions
