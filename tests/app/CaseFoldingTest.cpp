// Letter case and lengths of UTF-8 text, pinned to what the window's text library does with
// the same text in UTF-16.

#include "app/CaseFolding.h"

#include "app/Utf8.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

std::string utf8(char32_t code) {
    std::string text;
    app::AppendCodePoint(text, code);
    return text;
}

TEST(CaseFolding, FoldsEveryCodePointAsTheLibraryDoes) {
    int mismatches = 0;
    for (char32_t code = 0; code <= 0x10FFFF; ++code) {
        const char32_t expected = QChar::toCaseFolded(code);
        if (app::FoldCase(code) != expected && ++mismatches <= 10)
            ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(code) << " folds to "
                          << static_cast<unsigned>(app::FoldCase(code)) << ", expected "
                          << static_cast<unsigned>(expected);
    }
    EXPECT_EQ(mismatches, 0);
}

// Letters of several scripts and planes, the private-use area above the surrogates, a
// supplementary letter with a case pair, and the characters whose folding is not their
// lower case.
const std::vector<std::string>& samples() {
    static const std::vector<std::string> texts = {"",
                                                   "a",
                                                   "A",
                                                   "ab",
                                                   "AB",
                                                   "aB",
                                                   "abc",
                                                   "Sales",
                                                   "sALES",
                                                   "sales_2",
                                                   "\xC3\xA9",
                                                   "\xC3\x89",
                                                   "\xC3\x9F",
                                                   /* sharp s */ "ss",
                                                   "\xE1\xBA\x9E", /* capital sharp s */
                                                   "\xCE\xA3",
                                                   /* Sigma */ "\xCF\x82",
                                                   /* final sigma */ "\xCF\x83",
                                                   "\xC2\xB5",
                                                   /* micro */ "\xCE\xBC",
                                                   "\xE2\x84\xAA",
                                                   /* Kelvin */ "k",
                                                   "\xEE\x80\x80",
                                                   /* U+E000 */ "\xEF\xBF\xBF", /* U+FFFF */
                                                   "\xF0\x90\x90\x80",
                                                   /* U+10400 */ "\xF0\x90\x90\xA8", /* U+10428 */
                                                   "\xF0\x9F\x98\x80",
                                                   "a\xF0\x90\x90\x80",
                                                   "A\xF0\x90\x90\xA8"
                                                   "b",
                                                   "\xD0\x96",
                                                   "\xD0\xB6",
                                                   "\xC4\xB0",
                                                   /* dotted capital I */ "i",
                                                   "z",
                                                   "[",
                                                   "_"};
    return texts;
}

TEST(CaseFolding, ComparesAndFoldsTextAsTheLibraryDoes) {
    for (const std::string& a : samples()) {
        const QString qa = QString::fromStdString(a);
        EXPECT_EQ(app::CaseFolded(a), qa.toCaseFolded().toStdString()) << a;
        EXPECT_EQ(app::Utf16Length(a), static_cast<std::size_t>(qa.size())) << a;
        for (const std::string& b : samples()) {
            const QString qb = QString::fromStdString(b);
            EXPECT_EQ(sign(app::CompareIgnoringCase(a, b)),
                      sign(qa.compare(qb, Qt::CaseInsensitive)))
                << a << " / " << b;
            EXPECT_EQ(sign(app::CompareUtf16(a, b)), sign(qa.compare(qb))) << a << " / " << b;
        }
    }
}

TEST(CaseFolding, AKeptByteSortsAsItsLoneSurrogateDoes) {
    const std::string kept = "\xE9";                      // U+DCE9 as the window's text keeps it
    const std::string supplementary = "\xF0\x90\x90\x80"; // U+10400, D801 DC00 in UTF-16
    const QString qkept(QChar(char16_t(0xDCE9)));
    const QString qsupplementary = QString::fromStdString(supplementary);
    EXPECT_EQ(sign(app::CompareUtf16(kept, supplementary)), sign(qkept.compare(qsupplementary)));
    EXPECT_EQ(sign(app::CompareIgnoringCase(kept, "\xEE\x80\x80")),
              sign(qkept.compare(QString(QChar(char16_t(0xE000))), Qt::CaseInsensitive)));
}

TEST(Utf8, BytesThatAreNotUtf8SurviveARoundTrip) {
    // A stray continuation byte, an overlong slash, an encoded surrogate, a truncated sequence
    // and a Latin-1 letter.
    const std::string text = "a\x80/\xC0\xAF\xED\xA0\x80\xE2\x82\xE9z";
    std::string copy;
    std::vector<char32_t> codes;
    for (std::size_t at = 0; at < text.size();) {
        codes.push_back(app::NextCodePoint(text, at));
        app::AppendCodePoint(copy, codes.back());
    }
    EXPECT_EQ(copy, text);
    EXPECT_EQ(codes.front(), U'a');
    EXPECT_EQ(codes.at(1), 0xDC80u);
    EXPECT_EQ(codes.back(), U'z');
    // Folding leaves such bytes alone too.
    EXPECT_EQ(app::CaseFolded(text), "a\x80/\xC0\xAF\xED\xA0\x80\xE2\x82\xE9z");
}

TEST(Utf8, TruncatesOnWholeCharacters) {
    const std::string text = "ab\xC3\xA9\xF0\x9F\x98\x80";
    EXPECT_EQ(app::TruncateUtf8(text, 0), "");
    EXPECT_EQ(app::TruncateUtf8(text, 3), "ab");
    EXPECT_EQ(app::TruncateUtf8(text, 4), "ab\xC3\xA9");
    EXPECT_EQ(app::TruncateUtf8(text, 7), "ab\xC3\xA9");
    EXPECT_EQ(app::TruncateUtf8(text, 8), text);
    EXPECT_EQ(app::TruncateUtf8(text, 100), text);
    EXPECT_EQ(app::Utf16Length(text), 5u);
    EXPECT_EQ(utf8(0x10400), "\xF0\x90\x90\x80");
}

} // namespace
