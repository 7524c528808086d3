// Base64 both ways and ASCII case folding: shared by pages, archives, metafiles, OpenDocument
// pictures and every name the application compares without regard to case.
#include "engine/util/AsciiCase.h"
#include "engine/util/Base64.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace engine::util {
namespace {

std::string encoded(std::string_view text, std::size_t lineLength = 0) {
    std::string out;
    appendBase64(out, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                 lineLength);
    return out;
}

TEST(Base64, PadsTheLastGroupAsTheAlphabetSays) {
    EXPECT_EQ(encoded(""), "");
    EXPECT_EQ(encoded("f"), "Zg==");
    EXPECT_EQ(encoded("fo"), "Zm8=");
    EXPECT_EQ(encoded("foo"), "Zm9v");
    EXPECT_EQ(encoded("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encoded("\xff\xfe\xfd"), "//79");
}

TEST(Base64, CutsLinesAndEndsEveryLineIncludingTheLast) {
    EXPECT_EQ(encoded("foobar", 4), "Zm9v\r\nYmFy\r\n");
    EXPECT_EQ(encoded("fooba", 4), "Zm9v\r\nYmE=\r\n");
    EXPECT_EQ(encoded("", 76), "");
    const std::string line(57, 'a'); // exactly one line of 76 characters
    const std::string text = encoded(line + line + "a", 76);
    EXPECT_EQ(text.size(), 76 + 2 + 76 + 2 + 4 + 2);
    EXPECT_EQ(text.substr(76, 2), "\r\n");
}

TEST(Base64, DecodesWhatItWritesAndRejectsWhatIsNotBase64) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    std::string text;
    appendBase64(text, all, 76);
    EXPECT_EQ(decodeBase64(text), all);
    EXPECT_EQ(decodeBase64(" Zm9v\nYmE= "), (std::vector<std::uint8_t>{'f', 'o', 'o', 'b', 'a'}));
    EXPECT_EQ(decodeBase64("Zm9v*"), std::nullopt);
    EXPECT_EQ(decodeBase64("Zg==Zg=="), std::nullopt); // data after the padding
    EXPECT_EQ(decodeBase64("Z"), std::nullopt);        // a lone sixth of a byte
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(asciiLowered("Sheet1 ÄÖ"), "sheet1 ÄÖ");
    EXPECT_EQ(asciiUppered("sum_x ä"), "SUM_X ä");
    EXPECT_TRUE(asciiEqualIgnoringCase("Workbook", "WORKBOOK"));
    EXPECT_FALSE(asciiEqualIgnoringCase("Workbook", "Workboo"));
    EXPECT_FALSE(asciiEqualIgnoringCase("\xc3\xa4", "\xc3\x84")); // not Unicode folding
    EXPECT_TRUE(asciiStartsIgnoringCase("HTTPS://x", "https://"));
    EXPECT_FALSE(asciiStartsIgnoringCase("http", "https://"));
}

} // namespace
} // namespace engine::util
