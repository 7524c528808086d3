// The conversions late binding applies to results, pinned against what the client's callers
// got from QVariant before: a count, a sheet name and a version text mean what they meant.

#include "wire/Value.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace {

using wire::Value;

QVariant asVariant(const Value& value) {
    if (value.is<bool>())
        return value.as<bool>();
    if (value.is<std::int64_t>())
        return static_cast<qint64>(value.as<std::int64_t>());
    if (value.is<double>())
        return value.as<double>();
    if (value.is<std::string>())
        return QString::fromStdString(value.as<std::string>());
    if (value.is<Value::List>())
        return QVariantList{};
    return QVariant();
}

std::optional<qint64> variantInteger(const Value& value) {
    bool ok = false;
    const qint64 number = asVariant(value).toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

TEST(WireValue, IntegerIsWhatQVariantGaveWithinRange) {
    const Value values[] = {Value(),
                            Value(true),
                            Value(false),
                            Value(0),
                            Value(std::int64_t{-9007199254740993}),
                            Value(std::numeric_limits<std::int64_t>::max()),
                            Value(2.5),
                            Value(3.5),
                            Value(-2.5),
                            Value(2.4999),
                            Value(-0.4),
                            Value(1e15 + 0.5),
                            Value("12"),
                            Value(" 12 "),
                            Value("\t-7\n"),
                            Value("+5"),
                            Value("12.5"),
                            Value("1e3"),
                            Value("abc"),
                            Value(""),
                            Value("0x10"),
                            Value("+-5"),
                            Value("--5"),
                            Value("-+5"),
                            Value("-"),
                            Value("9223372036854775807"),
                            Value("9223372036854775808"),
                            Value("-9223372036854775808"),
                            Value(Value::List{Value(1)}),
                            Value(wire::Omitted{}),
                            Value(wire::ObjectRef{3})};
    for (const Value& value : values) {
        SCOPED_TRACE(value.text());
        const std::optional<std::int64_t> ours = value.integer();
        const std::optional<qint64> theirs = variantInteger(value);
        ASSERT_EQ(ours.has_value(), theirs.has_value());
        if (ours) {
            EXPECT_EQ(*ours, *theirs);
        }
    }
}

// Beyond the 64-bit range QVariant gave the lowest number, so a count of 1e30 read as a huge
// negative one; it is the nearest end of the range now, so that it stays too many.
TEST(WireValue, IntegerBeyondTheRangeIsItsNearestEnd) {
    EXPECT_EQ(Value(1e30).integer(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Value(9223372036854775808.0).integer(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Value(-1e30).integer(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Value(-9223372036854775808.0).integer(), std::numeric_limits<std::int64_t>::min());
}

TEST(WireValue, TextIsWhatQVariantGave) {
    const Value values[] = {Value(),        Value(true),     Value(false),
                            Value(-5),      Value(0.1),      Value(1e20),
                            Value(1e-5),    Value(16.0),     Value(123456789012.5),
                            Value("16.0"),  Value("Лист1"),  Value(Value::List{Value("a")}),
                            Value(-2.5e-7), Value(1.0 / 3.0)};
    for (const Value& value : values)
        EXPECT_EQ(value.text(), asVariant(value).toString().toStdString());
}

} // namespace

TEST(WireValue, NumberTakesOneSignAsQVariantDid) {
    const char* const texts[] = {"5",   "+5",  "-5",  " -2.5 ", "1e3",  "+-5", "-+5",
                                 "--5", "++5", "abc", "",       "0x10", "1,5"};
    for (const char* text : texts) {
        bool ok = false;
        const double qt = QVariant(QString::fromUtf8(text)).toDouble(&ok);
        const std::optional<double> ours = Value(text).number();
        EXPECT_EQ(ours.has_value(), ok) << text;
        if (ours && ok) {
            EXPECT_EQ(*ours, qt) << text;
        }
    }
}
