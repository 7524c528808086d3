// Record headers, and the shared structures inside records, decoded from bytes made for each
// case: every length is bounded, and data past the end is an error naming where it happened.

#include "engine/base/ReadError.h"
#include "engine/package/Colors.h"
#include "engine/util/ByteCursor.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "tests/engine/xlsb/RecordWriter.h"

#include <gtest/gtest.h>

using engine::ReadError;
using engine::xlsb::Record;
using engine::xlsb::RecordStream;
using testing_support::Fields;
using testing_support::RecordWriter;

namespace {

struct Seen {
    std::uint16_t type;
    std::string body;
    std::uint64_t offset;
};

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The records of `part`, fed `piece` bytes at a time.
std::vector<Seen> split(const std::string& part, std::size_t piece) {
    std::vector<Seen> seen;
    RecordStream stream([&](const Record& record) {
        seen.push_back(
            {record.type, std::string(record.body.begin(), record.body.end()), record.offset});
    });
    for (std::size_t at = 0; at < part.size(); at += piece)
        stream.feed(bytesOf(part.substr(at, piece)));
    stream.finish();
    return seen;
}

std::string failureOf(const std::string& part) {
    try {
        split(part, part.size() + 1);
    } catch (const ReadError& error) {
        EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
        return error.detail();
    }
    ADD_FAILURE() << "the records were read";
    return {};
}

TEST(XlsbRecords, HeadersOfEveryLengthSplitTheSameWhateverThePieces) {
    RecordWriter part;
    part.add(0x05, Fields().u32(7))                        // one type byte, one size byte
        .add(0x9C, Fields().raw("abc"))                    // two type bytes
        .add(0x3FFF, Fields().raw(std::string(200, 'x')))  // the largest type, two size bytes
        .add(0x92)                                         // an empty body
        .add(0x06, Fields().raw(std::string(20000, 'y'))); // three size bytes
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
        SCOPED_TRACE(piece);
        const auto seen = split(part.bytes, piece);
        ASSERT_EQ(seen.size(), 5u);
        EXPECT_EQ(seen[0].type, 0x05);
        EXPECT_EQ(seen[0].offset, 2u);
        EXPECT_EQ(seen[1].type, 0x9C);
        EXPECT_EQ(seen[1].body, "abc");
        EXPECT_EQ(seen[2].type, 0x3FFF);
        EXPECT_EQ(seen[2].body.size(), 200u);
        EXPECT_EQ(seen[3].type, 0x92);
        EXPECT_TRUE(seen[3].body.empty());
        EXPECT_EQ(seen[4].body.size(), 20000u);
    }
}

TEST(XlsbRecords, BrokenHeadersAreDamagedAndSayWhere) {
    EXPECT_NE(failureOf(RecordWriter().add(1).bytes + "\x81\x81\x01").find("type is longer"),
              std::string::npos);
    EXPECT_NE(failureOf("\x01\xFF\xFF\xFF\xFF\x01").find("size is longer"), std::string::npos);
    // 0x0FFFFFFF bytes claimed: refused at once, never waited for.
    const std::string huge = failureOf("\x01\xFF\xFF\xFF\x7F");
    EXPECT_NE(huge.find("268435455 bytes"), std::string::npos) << huge;
    EXPECT_NE(huge.find("offset 0x0"), std::string::npos) << huge;
    const std::string cut = failureOf(RecordWriter().add(2, Fields().u32(1)).bytes +
                                      RecordWriter().header(3, 10).bytes + "abc");
    EXPECT_NE(cut.find("offset 0x6"), std::string::npos) << cut;
    EXPECT_NE(cut.find("cut off"), std::string::npos) << cut;
}

double rk(std::uint32_t value) {
    return engine::xlsb::rkNumber(value);
}

TEST(XlsbRecords, RkNumbersDecodeEachOfTheirFourForms) {
    EXPECT_EQ(rk(0x3FF00000), 1.0);                               // double
    EXPECT_EQ(rk(0x3FF00000 | 1), 0.01);                          // double / 100
    EXPECT_EQ(rk(static_cast<std::uint32_t>(-7) << 2 | 2), -7.0); // integer
    EXPECT_EQ(rk(12345u << 2 | 3), 123.45);                       // integer / 100
    EXPECT_EQ(rk(0x1FFFFFFFu << 2 | 2), 536870911.0);             // the largest integer
}

engine::util::ByteCursor cursorOver(const std::string& bytes) {
    return engine::util::ByteCursor(bytesOf(bytes), "test record", 0x100);
}

TEST(XlsbRecords, StringsAreBoundedByTheirRecord) {
    const std::string ok = Fields().wide(u"h\u00e9").bytes;
    auto cursor = cursorOver(ok);
    EXPECT_EQ(engine::xlsb::wideString(cursor), "h\xC3\xA9");
    EXPECT_TRUE(cursor.atEnd());

    const std::string nullString = Fields().nullWide().bytes;
    auto nullCursor = cursorOver(nullString);
    EXPECT_FALSE(engine::xlsb::nullableWideString(nullCursor).has_value());

    for (const std::uint32_t count : {3u, 0x7FFFFFFFu, 0xFFFFFFFEu}) {
        const std::string bad = Fields().u32(count).u16('a').bytes;
        auto badCursor = cursorOver(bad);
        try {
            engine::xlsb::wideString(badCursor);
            ADD_FAILURE() << count << " characters were read from 2 bytes";
        } catch (const ReadError& error) {
            EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
            EXPECT_NE(error.detail().find("0x104"), std::string::npos) << error.detail();
        }
    }
}

TEST(XlsbRecords, RichRunsOutsideTheTextOrInsideAPairStayInside) {
    // "a" + U+1F600 (a surrogate pair) + "b"; runs at unit 2 (inside the pair), 9 (past the end).
    const std::string bytes =
        Fields().u8(1).wide(u"a\U0001F600b").u32(3).u16(0).u16(1).u16(2).u16(2).u16(9).u16(3).bytes;
    auto cursor = cursorOver(bytes);
    const engine::RichText text = engine::xlsb::richString(cursor);
    EXPECT_EQ(text.text, "a\xF0\x9F\x98\x80"
                         "b");
    ASSERT_EQ(text.runs.size(), 3u);
    EXPECT_EQ(text.runs[0].start, 0u);
    EXPECT_EQ(text.runs[1].start, 1u); // before the pair, not inside it
    EXPECT_EQ(text.runs[2].start, 6u); // at the end of the text

    const std::string tooManyRuns = Fields().u8(1).wide(u"ab").u32(1000).u32(0).bytes;
    auto badCursor = cursorOver(tooManyRuns);
    EXPECT_THROW(engine::xlsb::richString(badCursor), ReadError);
}

} // namespace

TEST(XlsbColor, ResolvesLikeTheSameReferenceInXml) {
    // The binary colour record and the XML attributes name the same references; both readers
    // must come to the same colour through the one table.
    engine::package::Colors colors;
    colors.setScheme({0x111111, 0xEEEEEE, 0x222222, 0xDDDDDD, 1, 2, 3, 4, 5, 6, 7, 8});
    const auto binary = [&](std::uint8_t kind, std::uint8_t index, std::int16_t tint,
                            std::uint32_t rgb) {
        const std::uint8_t bytes[8] = {
            static_cast<std::uint8_t>(kind << 1 | 1), index,
            static_cast<std::uint8_t>(tint & 0xFF),   static_cast<std::uint8_t>((tint >> 8) & 0xFF),
            static_cast<std::uint8_t>(rgb >> 16),     static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb),           0xFF};
        engine::util::ByteCursor cursor(bytes, "color");
        return engine::xlsb::color(cursor, colors);
    };
    const auto xml = [&](std::vector<const char*> raw) {
        raw.push_back(nullptr);
        return colors.resolve(engine::xml::Attributes(raw.data()));
    };
    EXPECT_EQ(binary(3, 0, 0, 0), xml({"theme", "0"}));
    EXPECT_EQ(binary(3, 4, -8191, 0), xml({"theme", "4", "tint", "-0.249977111117893"}));
    EXPECT_EQ(binary(1, 10, 0, 0), xml({"indexed", "10"}));
    EXPECT_TRUE(binary(1, 64, 0, 0).automatic);
    EXPECT_EQ(binary(2, 0, 0, 0x00B050), xml({"rgb", "FF00B050"}));
    EXPECT_EQ(binary(2, 0, 13106, 0x4F81BD), xml({"rgb", "4F81BD", "tint", "0.39997558519241921"}));
    EXPECT_TRUE(binary(3, 12, 0, 0).automatic);
    EXPECT_TRUE(binary(0, 0, 0, 0).automatic);
}
