#include "tests/engine/functions/FunctionCalls.h"

#include "engine/numfmt/NumberFormat.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace qmtest {

using engine::CellError;
using engine::formula::Arg;
using engine::formula::findFunction;
using engine::formula::ValueKind;

Value TestArea::at(std::uint32_t row, std::uint32_t col) const {
    return row < rows() && col < cols() ? cells_[row][col] : Value::blank();
}

void TestArea::forEachValue(
    const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const {
    for (std::uint32_t r = 0; r < rows(); ++r) {
        for (std::uint32_t c = 0; c < cols(); ++c) {
            if (cells_[r][c].kind != ValueKind::Blank) {
                ++visits;
                visit(r, c, cells_[r][c]);
            }
        }
    }
}

Value SparseColumn::at(std::uint32_t row, std::uint32_t) const {
    ++atCalls;
    return row < held_ ? Value::of(row + 1.0) : Value::blank();
}

void SparseColumn::forEachValue(
    const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const {
    for (std::uint32_t r = 0; r < held_; ++r) {
        visit(r, 0, Value::of(r + 1.0));
    }
}

std::string TestContext::formatNumber(double value, std::string_view code) {
    engine::numfmt::Shown shown;
    engine::numfmt::NumberFormat::parse(code).formatNumber(value, dates, shown);
    return shown.text;
}

bool TestContext::chargeWork(std::uint64_t units) {
    charged += units;
    return charged <= budget;
}

namespace {

class CallParser {
public:
    CallParser(std::string_view s, std::vector<std::unique_ptr<TestArea>>& areas)
        : s_(s), areas_(areas) {}

    std::string name() {
        skip();
        std::string n;
        while (i_ < s_.size() && s_[i_] != '(') {
            n += s_[i_++];
        }
        ++i_;
        return n;
    }

    std::vector<Arg> args() {
        std::vector<Arg> out;
        skip();
        if (peek() == ')') {
            return out;
        }
        while (true) {
            skip();
            if (peek() == ',' || peek() == ')') {
                out.push_back({Arg::Kind::Missing, {}, nullptr});
            } else if (peek() == '{' || peek() == '[') {
                bool ref = peek() == '[';
                out.push_back({Arg::Kind::Area, {}, block(ref)});
            } else {
                out.push_back({Arg::Kind::Scalar, scalar(), nullptr});
            }
            skip();
            if (peek() != ',') {
                break;
            }
            ++i_;
        }
        return out;
    }

private:
    char peek() const { return i_ < s_.size() ? s_[i_] : ')'; }
    void skip() {
        while (i_ < s_.size() && s_[i_] == ' ') {
            ++i_;
        }
    }

    Value scalar() {
        skip();
        if (peek() == '"') {
            std::string t;
            ++i_;
            while (i_ < s_.size()) {
                if (s_[i_] == '"' && i_ + 1 < s_.size() && s_[i_ + 1] == '"') {
                    t += '"';
                    i_ += 2;
                } else if (s_[i_] == '"') {
                    ++i_;
                    break;
                } else {
                    t += s_[i_++];
                }
            }
            return Value::of(t);
        }
        std::string word;
        while (i_ < s_.size() && s_[i_] != ',' && s_[i_] != ')' && s_[i_] != ';' && s_[i_] != '}' &&
               s_[i_] != ']') {
            word += s_[i_++];
        }
        while (!word.empty() && word.back() == ' ') {
            word.pop_back();
        }
        if (word == "TRUE" || word == "FALSE") {
            return Value::of(word == "TRUE");
        }
        if (word == "_") {
            return Value::blank();
        }
        for (CellError e : {CellError::Null, CellError::Div0, CellError::Value, CellError::Ref,
                            CellError::Name, CellError::Num, CellError::NA}) {
            if (word == engine::errorText(e)) {
                return Value::fail(e);
            }
        }
        return Value::of(std::strtod(word.c_str(), nullptr));
    }

    const TestArea* block(bool reference) {
        char close = reference ? ']' : '}';
        ++i_;
        std::vector<std::vector<Value>> rows(1);
        while (i_ < s_.size() && s_[i_] != close) {
            rows.back().push_back(scalar());
            skip();
            if (peek() == ';') {
                rows.emplace_back();
            }
            if (peek() == ',' || peek() == ';') {
                ++i_;
            }
        }
        ++i_;
        areas_.push_back(std::make_unique<TestArea>(std::move(rows), reference));
        return areas_.back().get();
    }

    std::string_view s_;
    std::size_t i_ = 0;
    std::vector<std::unique_ptr<TestArea>>& areas_;
};

} // namespace

Value evaluate(std::string_view call, TestContext& context) {
    std::vector<std::unique_ptr<TestArea>> areas;
    CallParser parser(call, areas);
    std::string name = parser.name();
    std::vector<Arg> args = parser.args();
    const auto* f = findFunction(name);
    if (!f) {
        return Value::fail(CellError::Name);
    }
    if (args.size() < f->minArgs || args.size() > f->maxArgs) {
        return Value::fail(CellError::Value);
    }
    return f->body(args, context);
}

Value evaluate(std::string_view call) {
    TestContext context;
    return evaluate(call, context);
}

std::string show(const Value& v) {
    if (v.isError()) {
        return engine::errorText(v.error);
    }
    return engine::formula::toText(v).text;
}

bool agrees(const Value& v, std::string_view expected) {
    if (!expected.starts_with("~")) {
        return show(v) == expected;
    }
    if (v.kind != ValueKind::Number) {
        return false;
    }
    std::string number(expected.substr(1));
    auto point = number.find('.');
    int decimals = point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
    double want = std::strtod(number.c_str(), nullptr);
    return std::fabs(v.number - want) <= 0.5 * std::pow(10.0, -decimals) + 1e-12;
}

void expectAll(const std::vector<Case>& cases, engine::DateSystem dates) {
    for (const Case& c : cases) {
        TestContext context;
        context.dates = dates;
        Value v = evaluate(c.call, context);
        EXPECT_TRUE(agrees(v, c.expected))
            << c.call << " gave " << show(v) << ", expected " << c.expected;
    }
}

} // namespace qmtest
