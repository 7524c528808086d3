// The naming rules: file names, titles, display names, extensions and repeated names.

#include "convert/Names.h"

#include "app/Utf8.h"
#include "convert/OutputFolder.h"
#include "convert/OutputOptions.h"
#include "convert/TextRules.h"
#include "tests/gui_support/Doubles.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using testing_support::FixedRandom;

struct NameRow {
    const char* what;
    int mode;
    std::string workbook;
    std::string sheet;
    std::int32_t sequenceBefore;
    std::deque<double> randoms;
    std::string expected;
    std::int32_t sequenceAfter;
    int randomizeCalls;
};

TEST(OutputFileName, FollowsTheNamingRules) {
    const std::string longName(300, 'n');
    std::string longAccented;
    for (int i = 0; i < 300; ++i)
        longAccented += "\xC3\xA9"; // U+00E9, two UTF-8 bytes
    const std::string controls = std::string("a\x01"
                                             "b\x1F"
                                             "c") +
                                 '\0' + 'd';
    const NameRow rows[] = {
        {"sheet name", 0, "Sales.xls", "Summary", 0, {}, "Summary", 0, 0},
        {"sheet named like the workbook", 0, "Sales.xls", "sales", 0, {}, "Sales_sales", 0, 0},
        {"workbook and sheet keep blanks",
         1,
         "Q1 Report.xls",
         "Totals",
         0,
         {},
         "Q1 Report_Totals",
         0,
         0},
        {"first number", 2, "Sales.xls", "Summary", 0, {}, "1", 1, 0},
        {"third number", 2, "Sales.xls", "Summary", 2, {}, "3", 3, 0},
        {"number equal to the workbook name", 2, "2.xls", "Summary", 1, {}, "2_2", 2, 0},
        {"numbers go on after a failed workbook", 2, "Sales.xls", "x", 7, {}, "8", 8, 0},
        {"no mode selected", -1, "Sales.xls", "Sales", 0, {}, "Sales", 0, 0},
        {"forbidden character removed", 0, "B.xls", "a|b", 0, {}, "ab", 0, 0},
        {"all five removed", 0, "B.xls", "a:b\"c<d>e|f", 0, {}, "abcdef", 0, 0},
        {"short cleaned name gets a prefix", 0, "B.xls", "|x", 0, {0.415}, "42x", 0, 1},
        {"one unchanged character stays", 0, "B.xls", "x", 0, {}, "x", 0, 0},
        {"leading blank discards the name", 0, "B.xls", " lead", 0, {0.5}, "500001", 0, 1},
        {"one-digit random name gets a prefix",
         0,
         "B.xls",
         " lead",
         0,
         {0.0000025, 0.105},
         "113",
         0,
         2},
        {"cleaned to nothing", 0, "B.xls", ":<>", 0, {0.25}, "250001", 0, 1},
        {"empty sheet name", 0, "B.xls", "", 0, {0.75}, "750001", 0, 1},
        {"separator removed", 0, "B.xls", "../../etc/passwd", 0, {}, "....etcpasswd", 0, 0},
        {"parent folder is no name", 0, "B.xls", "..", 0, {0.5}, "500001", 0, 1},
        {"folder itself is no name", 0, "B.xls", "/./", 0, {0.5}, "500001", 0, 1},
        {"control characters removed", 0, "B.xls", controls, 0, {}, "abcd", 0, 0},
        {"blank after a removed character", 0, "B.xls", "| x", 0, {0.5}, "500001", 0, 1},
        {"long name cut to the byte limit",
         0,
         "B.xls",
         longName,
         0,
         {},
         longName.substr(0, 200),
         0,
         0},
        {"long name cut on a whole character",
         0,
         "B.xls",
         longAccented,
         0,
         {},
         longAccented.substr(0, 200),
         0,
         0},
    };
    for (const NameRow& row : rows) {
        FixedRandom random;
        random.values = row.randoms;
        std::int32_t sequence = row.sequenceBefore;
        EXPECT_EQ(convert::OutputFileName(row.mode, row.workbook, row.sheet, sequence, random),
                  row.expected)
            << row.what;
        EXPECT_EQ(sequence, row.sequenceAfter) << row.what;
        EXPECT_EQ(random.randomizeCalls, row.randomizeCalls) << row.what;
    }
}

TEST(OutputFileName, NeverSplitsACharacterAtTheLimit) {
    // 199 ASCII bytes, then a four-byte character that does not fit.
    const std::string name = std::string(199, 'a') + "\xF0\x9F\x98\x80" + 'b';
    FixedRandom random;
    std::int32_t sequence = 0;
    EXPECT_EQ(convert::OutputFileName(0, "B.xls", name, sequence, random), std::string(199, 'a'));
}

TEST(OutputFileName, CountsAndComparesCharactersAsTheWindowDoes) {
    FixedRandom random;
    random.values = {0.415};
    std::int32_t sequence = 0;
    // One character past U+FFFF is two units long: no random prefix, unlike one accented letter.
    EXPECT_EQ(convert::OutputFileName(0, "B.xls", "|\xF0\x9F\x98\x80", sequence, random),
              "\xF0\x9F\x98\x80");
    EXPECT_EQ(random.randomizeCalls, 0);
    EXPECT_EQ(convert::OutputFileName(0, "B.xls", "|\xC3\xA9", sequence, random), "42\xC3\xA9");
    // Letter case is ignored beyond ASCII, here in "Ärger" and "ärger" and in Greek sigmas.
    EXPECT_EQ(convert::OutputFileName(0, "\xC3\x84rger.xls", "\xC3\xA4rger", sequence, random),
              "\xC3\x84rger_\xC3\xA4rger");
    EXPECT_EQ(convert::OutputFileName(0, "\xCE\xA3.xls", "\xCF\x82", sequence, random),
              "\xCE\xA3_\xCF\x82");
    EXPECT_EQ(convert::OutputFileName(0, "Strasse.xls",
                                      "Stra\xC3\x9F"
                                      "e",
                                      sequence, random),
              "Stra\xC3\x9F"
              "e"); // simple folding keeps the sharp s
}

TEST(PageTitle, FollowsTheTitleRule) {
    struct Row {
        int rule;
        const char* expected;
    } rows[] = {{0, ""},  {1, "Summary"}, {2, "Q1 Report"}, {3, "Q1 Report_Summary"},
                {-1, ""}, {4, ""}};
    for (const Row& row : rows)
        EXPECT_EQ(convert::PageTitle(row.rule, "Q1 Report.xls", "Summary"), row.expected)
            << row.rule;
    // Titles are not cleaned.
    EXPECT_EQ(convert::PageTitle(1, "B.xls", "a|b"), "a|b");
}

TEST(TextRules, StripExtensionAndDisplayName) {
    EXPECT_EQ(convert::StripExtension("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(convert::StripExtension("README"), "README");
    EXPECT_EQ(convert::StripExtension(".xls"), "");
    EXPECT_EQ(convert::StripExtension("11.0"), "11");
    EXPECT_EQ(convert::RemoveSpacesAndDots("My Book.old"), "MyBookold");
    EXPECT_EQ(convert::RemoveSpacesAndDots(""), "");
    EXPECT_EQ(convert::DisplayName("My Book.old.xls"), "MyBookold");
    EXPECT_EQ(convert::DisplayName("Sales Q1.xls"), "SalesQ1");
    EXPECT_EQ(convert::DisplayName("Sales.Q1.xls"), "SalesQ1");
    EXPECT_EQ(convert::DisplayName("no dot here"), "nodothere");
    EXPECT_EQ(convert::DisplayName(".xls"), "");
}

TEST(OutputOptions, ExtensionAndFormatByChoice) {
    struct Row {
        int fileFormat;
        bool shortExtension;
        const char* extension;
        int saveAsFormat;
    } rows[] = {{0, true, "htm", 44},    {0, false, "html", 44}, {1, true, "mht", 45},
                {1, false, "mhtml", 45}, {-1, true, "mht", 45},  {-1, false, "mhtml", 45}};
    for (const Row& row : rows) {
        convert::OutputOptions options;
        options.fileFormat = row.fileFormat;
        options.shortExtension = row.shortExtension;
        EXPECT_EQ(convert::OutputExtension(options), row.extension) << row.fileFormat;
        EXPECT_EQ(convert::SaveAsFileFormat(options), row.saveAsFormat) << row.fileFormat;
    }
}

TEST(ClaimedNames, ARepeatedNameMovesOnBeforeItsExtension) {
    convert::ClaimedNames names;
    EXPECT_EQ(names.claim("ab", "htm"), "ab");
    EXPECT_EQ(names.claim("ab", "htm"), "ab_2");
    EXPECT_EQ(names.claim("ab", "htm"), "ab_3");
    // Some file systems ignore letter case, so neither may this.
    EXPECT_EQ(names.claim("AB", "htm"), "AB_4");
    // A sheet whose own name is a suffixed one already handed out.
    EXPECT_EQ(names.claim("ab_2", "htm"), "ab_2_2");
    EXPECT_EQ(names.claim("other", "htm"), "other");
    EXPECT_EQ(names.claim("\xC3\x84rger", "htm"), "\xC3\x84rger");
    EXPECT_EQ(names.claim("\xC3\xA4rger", "HTM"), "\xC3\xA4rger_2");
}

TEST(ChooseWorkbookFolder, SuffixesAccumulateWhileTaken) {
    const std::set<std::string> existing = {"/o/Sales", "/o/Sales1", "/o/Sales12"};
    auto taken = [&](const std::string& candidate) { return existing.contains(candidate); };
    EXPECT_EQ(convert::ChooseWorkbookFolder("/o/", "Sales", taken), "/o/Sales123");
    EXPECT_EQ(convert::ChooseWorkbookFolder("/o/", "Other", taken), "/o/Other");
    EXPECT_EQ(
        convert::ChooseWorkbookFolder("/o/", "", [](const std::string& c) { return c == "/o/"; }),
        "/o/1");
    // A predicate that never lets go still ends.
    const std::string last =
        convert::ChooseWorkbookFolder("/o/", "x", [](const std::string&) { return true; });
    EXPECT_GE(last.size(), 4096u);
    EXPECT_LT(last.size(), 4200u);
    // The bound counts characters as the window does: a longer folder stops sooner in bytes.
    const std::string accented = "/o/\xC3\xA9";
    const std::string stopped =
        convert::ChooseWorkbookFolder(accented, "", [](const std::string&) { return true; });
    EXPECT_GE(app::Utf16Length(stopped), 4096u);
    EXPECT_LT(app::Utf16Length(stopped), 4200u);
}

} // namespace
