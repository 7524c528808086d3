// Stand-ins for the worksheet function library and the value conversions, built only while
// the library itself is not part of the tree: a handful of functions the evaluator's tests use.

#include "engine/formula/Function.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace engine::formula {

std::optional<double> parseNumberText(std::string_view text, DateSystem) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

Value toNumber(const Value& v, DateSystem dates) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(0.0);
    case ValueKind::Number:
    case ValueKind::Error:
        return v;
    case ValueKind::Boolean:
        return Value::of(v.number);
    case ValueKind::Text:
        if (const auto n = parseNumberText(v.text, dates))
            return Value::of(*n);
        return Value::fail(CellError::Value);
    }
    return Value::fail(CellError::Value);
}

Value toText(const Value& v) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(std::string());
    case ValueKind::Number: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15g", v.number);
        return Value::of(std::string(buffer));
    }
    case ValueKind::Boolean:
        return Value::of(std::string(v.number != 0 ? "TRUE" : "FALSE"));
    case ValueKind::Text:
    case ValueKind::Error:
        return v;
    }
    return v;
}

Value toBoolean(const Value& v) {
    switch (v.kind) {
    case ValueKind::Blank:
        return Value::of(false);
    case ValueKind::Number:
    case ValueKind::Boolean:
        return Value::of(v.number != 0);
    case ValueKind::Error:
        return v;
    case ValueKind::Text: {
        std::string up = v.text;
        for (char& c : up)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (up == "TRUE" || up == "FALSE")
            return Value::of(up == "TRUE");
        return Value::fail(CellError::Value);
    }
    }
    return Value::fail(CellError::Value);
}

double roundTo15Digits(double value) {
    if (value == 0 || !std::isfinite(value))
        return value;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    return std::strtod(buffer, nullptr);
}

int compareValues(const Value& a, const Value& b) {
    const auto rank = [](const Value& v, const Value& other) {
        ValueKind kind = v.kind;
        if (kind == ValueKind::Blank)
            kind = other.kind == ValueKind::Blank ? ValueKind::Number : other.kind;
        switch (kind) {
        case ValueKind::Number:
            return 0;
        case ValueKind::Text:
            return 1;
        default:
            return 2;
        }
    };
    const int ra = rank(a, b), rb = rank(b, a);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 1) {
        std::string x = a.text, y = b.text;
        for (char& c : x)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : y)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = a.number, y = b.number;
    if (x == y || std::fabs(x - y) <= 5e-15 * std::max(std::fabs(x), std::fabs(y)))
        return 0;
    return x < y ? -1 : 1;
}

namespace {

Value sum(std::span<const Arg> args, CallContext&) {
    double total = 0;
    for (const Arg& arg : args) {
        if (arg.kind == Arg::Kind::Scalar) {
            const Value n = toNumber(arg.value, DateSystem::Date1900);
            if (n.isError())
                return n;
            total += n.number;
        } else if (arg.kind == Arg::Kind::Area) {
            std::optional<Value> error;
            arg.area->forEachValue([&](std::uint32_t, std::uint32_t, const Value& v) {
                if (v.isError() && !error)
                    error = v;
                else if (v.kind == ValueKind::Number)
                    total += v.number;
            });
            if (error)
                return *error;
        }
    }
    return Value::of(total);
}

Value scalarOf(const Arg& arg) {
    if (arg.kind == Arg::Kind::Area)
        return arg.area->rows() == 1 && arg.area->cols() == 1 ? arg.area->at(0, 0)
                                                              : Value::fail(CellError::Value);
    return arg.value;
}

Value vlookup(std::span<const Arg> args, CallContext& context) {
    const Value key = scalarOf(args[0]);
    if (key.isError())
        return key;
    if (args[1].kind != Arg::Kind::Area)
        return Value::fail(CellError::NA);
    const Value col = toNumber(scalarOf(args[2]), context.dateSystem());
    if (col.isError())
        return col;
    const Area& table = *args[1].area;
    if (col.number < 1 || col.number > table.cols())
        return Value::fail(CellError::Ref);
    bool exact = false;
    if (args.size() > 3 && args[3].kind != Arg::Kind::Missing)
        exact = toBoolean(scalarOf(args[3])).number == 0;
    std::optional<std::uint32_t> found;
    if (exact)
        if (const auto row = table.findExact(0, key)) {
            if (*row == Area::noRow)
                return Value::fail(CellError::NA);
            return table.at(*row, static_cast<std::uint32_t>(col.number) - 1);
        }
    for (std::uint32_t r = 0; r < table.rows(); ++r) {
        const Value v = table.at(r, 0);
        if (v.kind == ValueKind::Blank && !exact)
            break;
        const int order = compareValues(v, key);
        if (order == 0 && (v.kind == ValueKind::Text) == (key.kind == ValueKind::Text)) {
            found = r;
            if (exact)
                break;
        } else if (!exact && order > 0) {
            break;
        } else if (!exact) {
            found = r;
        }
    }
    if (!found)
        return Value::fail(CellError::NA);
    return table.at(*found, static_cast<std::uint32_t>(col.number) - 1);
}

Value len(std::span<const Arg> args, CallContext&) {
    const Value text = toText(scalarOf(args[0]));
    if (text.isError())
        return text;
    return Value::of(static_cast<double>(text.text.size()));
}

Value upperText(std::span<const Arg> args, CallContext&) {
    Value text = toText(scalarOf(args[0]));
    for (char& c : text.text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

constexpr FunctionInfo table[] = {
    {"LEN", 1, 1, len},
    {"SUM", 1, 255, sum},
    {"UPPER", 1, 1, upperText},
    {"VLOOKUP", 3, 4, vlookup},
};

} // namespace

const FunctionInfo* findFunction(std::string_view upperName) {
    for (const FunctionInfo& info : table)
        if (info.name == upperName)
            return &info;
    return nullptr;
}

} // namespace engine::formula
