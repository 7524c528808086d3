// Escaping, link safety and the MIME encodings, as tables of input and output.

#include "engine/web/HtmlText.h"
#include "engine/web/ImageSize.h"
#include "engine/web/Mime.h"
#include "engine/web/SafeLink.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;

namespace {

std::string escaped(std::string_view text, LineBreaks breaks = LineBreaks::Space) {
    std::string out;
    appendEscaped(out, text, breaks);
    return out;
}

TEST(HtmlText, EscapesMarkupAndCleansCharacters) {
    const std::pair<std::string, std::string> rows[] = {
        {"plain", "plain"},
        {"<b>&\"'", "&lt;b&gt;&amp;&quot;&#39;"},
        {"a\nb\r\nc", "a b c"},
        {"tab\there", "tab\there"},
        {std::string("nul\0x", 5), "nul\xEF\xBF\xBDx"},
        {"bell\x07", "bell\xEF\xBF\xBD"},
        {"del\x7F", "del\xEF\xBF\xBD"},
        {"c1\xC2\x85", "c1\xEF\xBF\xBD"},
        {"bad\xFF", "bad\xEF\xBF\xBD"},
        {"truncated\xE2\x82", "truncated\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong\xC0\xAF", "overlong\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate\xED\xA0\x80", "surrogate\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"nonchar\xEF\xBF\xBE", "nonchar\xEF\xBF\xBD"},
        {"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80",
         "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80"},
    };
    for (const auto& [input, output] : rows)
        EXPECT_EQ(escaped(input), output) << input;
    EXPECT_EQ(escaped("one\ntwo", LineBreaks::Br), "one<br>two");
}

TEST(HtmlText, PrefixesAndPercentEncoding) {
    EXPECT_EQ(utf8Prefix("ab\xC3\xBC", 3), "ab");
    EXPECT_EQ(utf8Prefix("abc", 10), "abc");
    EXPECT_EQ(percentEncode("My Book_files"), "My%20Book_files");
    EXPECT_EQ(percentEncode("\xC3\xBC#?"), "%C3%BC%23%3F");
}

TEST(SafeLink, OnlyWebAndMailSchemes) {
    const std::pair<const char*, const char*> rows[] = {
        {"http://example.com/", "http://example.com/"},
        {"HTTPS://Example.com/a b", "HTTPS://Example.com/a%20b"},
        {"  mailto:someone@example.com ", "mailto:someone@example.com"},
        {"ftp://files.example.com/x", "ftp://files.example.com/x"},
        {"javascript:alert(1)", nullptr},
        {"JavaScript:alert(1)", nullptr},
        {"java\tscript:alert(1)", nullptr},
        {"http://x\n/", nullptr},
        {"vbscript:x", nullptr},
        {"data:text/html,<script>", nullptr},
        {"file:///etc/passwd", nullptr},
        {"\\\\server\\share\\x.xls", nullptr},
        {"other.xls", nullptr},
        {"", nullptr},
    };
    for (const auto& [target, href] : rows) {
        auto result = safeExternalHref(Hyperlink{Range{}, target, "", ""});
        if (href)
            EXPECT_EQ(result.value_or("<none>"), href) << target;
        else
            EXPECT_FALSE(result.has_value()) << target;
    }
    EXPECT_EQ(safeExternalHref(Hyperlink{Range{}, "http://x/p", "part 2", ""}).value_or(""),
              "http://x/p#part%202");
}

TEST(SafeLink, SheetOfALocation) {
    EXPECT_EQ(locationSheet("Data!B2"), "Data");
    EXPECT_EQ(locationSheet("'My ''quoted'' sheet'!A1"), "My 'quoted' sheet");
    EXPECT_EQ(locationSheet("#Sheet2!A1"), "Sheet2");
    EXPECT_EQ(locationSheet("DefinedName"), "");
    EXPECT_EQ(locationSheet("'unterminated!A1"), "");
    EXPECT_EQ(locationSheet(""), "");
}

TEST(Mime, QuotedPrintableKeepsLinesShortAndBytesSafe) {
    StringSink out;
    QuotedPrintableSink qp(out);
    qp.write(std::string(200, 'a') + "= \n\xC3\xBC trailing \nend");
    qp.finish();
    const std::string& text = out.text();
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        EXPECT_LE(end - start, 76u);
        start = end + 2;
    }
    EXPECT_NE(text.find("=3D=20\r\n"), std::string::npos);
    EXPECT_NE(text.find("=C3=BC trailing=20\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "end\r\n");
}

TEST(Mime, Base64InLinesOf76) {
    StringSink out;
    const std::vector<std::uint8_t> bytes = {'M', 'a', 'n', 'y', ' ', 'h'};
    writeBase64(out, bytes);
    EXPECT_EQ(out.text(), "TWFueSBo\r\n");
    StringSink padded;
    writeBase64(padded, std::vector<std::uint8_t>{'M', 'a'});
    EXPECT_EQ(padded.text(), "TWE=\r\n");
    StringSink longer;
    writeBase64(longer, std::vector<std::uint8_t>(100, 0));
    EXPECT_EQ(longer.text().find("\r\n"), 76u);
}

TEST(ImageSize, ReadsTheHeadersOfCommonFormats) {
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G',  0x0D, 0x0A, 0x1A, 0x0A,
                                           0,    0,   0,   13,   'I',  'H',  'D',  'R',
                                           0,    0,   1,   0x2C, 0,    0,    0,    0x64};
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x20, 0, 0x10, 0};
    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4,    0, 0, 0xFF, 0xC0, 0,
                                            11,   8,    0,    0x30, 0, 0x40, 3, 0, 0,    0};
    std::vector<std::uint8_t> bmp(26, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[18] = 10, bmp[22] = 0xF6, bmp[23] = bmp[24] = bmp[25] = 0xFF;
    auto size = imageSize(png);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 300);
    EXPECT_EQ(size->height, 100);
    size = imageSize(gif);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 32);
    EXPECT_EQ(size->height, 16);
    size = imageSize(jpeg);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 64);
    EXPECT_EQ(size->height, 48);
    size = imageSize(bmp);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 10);
    EXPECT_EQ(size->height, 10);
    EXPECT_FALSE(imageSize(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(imageSize(std::vector<std::uint8_t>{'n', 'o', 'p', 'e'}));
    EXPECT_FALSE(imageSize(std::vector<std::uint8_t>{}));
}

} // namespace
