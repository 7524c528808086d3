// Byte limits on UTF-8 text: the cut never leaves part of a character behind.

#include "engine/util/Utf8.h"

#include <gtest/gtest.h>

using engine::util::appendUtf8Bounded;
using engine::util::utf8Prefix;

TEST(Utf8, CutsFallBetweenCharacters) {
    const struct {
        const char* name;
        std::string_view text;
        std::size_t maxBytes;
        std::string_view prefix;
    } rows[] = {
        {"short text whole", "abc", 10, "abc"},
        {"exact fit", "ab\xC3\xBC", 4, "ab\xC3\xBC"},
        {"inside a two-byte character", "ab\xC3\xBC", 3, "ab"},
        {"inside a four-byte character", "\xF0\x9F\x98\x80z", 3, ""},
        {"after a four-byte character", "\xF0\x9F\x98\x80z", 4, "\xF0\x9F\x98\x80"},
        {"nothing allowed", "abc", 0, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(utf8Prefix(row.text, row.maxBytes), row.prefix) << row.name;
}

TEST(Utf8, BoundedAppendsFillOnlyTheRoomLeft) {
    std::string out = "x";
    appendUtf8Bounded(out, "\xE2\x82\xAC\xE2\x82\xAC", 5);
    EXPECT_EQ(out, "x\xE2\x82\xAC");
    appendUtf8Bounded(out, "y", 5);
    EXPECT_EQ(out, "x\xE2\x82\xAC"
                   "y");
    appendUtf8Bounded(out, "z", 5);
    EXPECT_EQ(out, "x\xE2\x82\xAC"
                   "y");
    // Text already past the limit (a limit lowered between calls) is left as it is.
    appendUtf8Bounded(out, "z", 2);
    EXPECT_EQ(out, "x\xE2\x82\xAC"
                   "y");
}
