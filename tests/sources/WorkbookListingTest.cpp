// The directory listing behind the workbook list, on real folders.

#include "sources/WorkbookListing.h"

#include "app/CaseFolding.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using sources::JoinPath;
using sources::ListWorkbookNames;
using testing_support::ScratchDir;
using Names = std::vector<std::string>;

bool contains(const Names& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

TEST(WorkbookListing, WorkbooksOnlySortedIgnoringCase) {
    ScratchDir dir;
    for (const char* name : {"b.xls", "A.XLSX", "c.xlsm", "d.Xlsb", "e.xlt", "notes.txt", "xls",
                             ".hidden.xls", "f.xls.bak", "g.bak.xls", "h.xlsfoo"})
        touch(dir / name);
    std::filesystem::create_directory(dir / "sub.xls");
    std::filesystem::create_symlink(dir / "b.xls", dir / "link.xls");
    std::filesystem::create_symlink(dir / "sub.xls", dir / "dirlink.xls");
    std::filesystem::create_symlink(dir / "gone.xls", dir / "dangling.xls");
    EXPECT_EQ(ListWorkbookNames(dir.path().string(), 500),
              Names({"A.XLSX", "b.xls", "c.xlsm", "d.Xlsb", "g.bak.xls", "h.xlsfoo", "link.xls"}));
}

TEST(WorkbookListing, FirstFiveHundredOfManyInNameOrder) {
    ScratchDir dir;
    // 20,000 files, 620 of them workbooks, created in an order unlike the name order.
    for (int i = 0; i < 620; ++i)
        touch(dir / ("Book" + std::to_string((i * 7919) % 620 + 1000) + ".xls"));
    for (int i = 0; i < 19380; ++i)
        touch(dir / ("other" + std::to_string(i) + ".txt"));
    const Names names = ListWorkbookNames(dir.path().string(), 500);
    ASSERT_EQ(names.size(), 500u);
    EXPECT_EQ(names.front(), "Book1000.xls");
    EXPECT_EQ(names.back(), "Book1499.xls");
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(app::CompareIgnoringCase(names[i - 1], names[i]), 0);
}

TEST(WorkbookListing, NamesThatDifferOnlyInCaseKeepAStableOrder) {
    ScratchDir dir;
    for (const char* name : {"b.xls", "B.xls", "a.xls"})
        touch(dir / name);
    EXPECT_EQ(ListWorkbookNames(dir.path().string(), 500), Names({"a.xls", "B.xls", "b.xls"}));
    EXPECT_EQ(ListWorkbookNames(dir.path().string(), 2), Names({"a.xls", "B.xls"}));
    EXPECT_TRUE(ListWorkbookNames(dir.path().string(), 0).empty());
}

TEST(WorkbookListing, OddNamesAreListedWithoutHarm) {
    ScratchDir dir;
    touch(dir / "line\nbreak.xls");
    touch(dir / "with blank 'quote\".xls");
    touch(dir / "Übersicht.xlsx");
    touch(dir / std::string("bad\xff\xfe.xls"));
    const Names names = ListWorkbookNames(dir.path().string(), 500);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_TRUE(contains(names, "line\nbreak.xls"));
    EXPECT_TRUE(contains(names, "with blank 'quote\".xls"));
    EXPECT_TRUE(contains(names, "Übersicht.xlsx"));
    // A name that is not UTF-8 keeps its bytes, so it names the file again.
    EXPECT_TRUE(contains(names, "bad\xff\xfe.xls"));
}

TEST(WorkbookListing, NothingToListGivesAnEmptyList) {
    ScratchDir dir;
    touch(dir / "a.xls");
    std::filesystem::create_directory(dir / "only-folders");
    std::filesystem::create_directory(dir / "only-folders" / "x.xls");
    EXPECT_TRUE(ListWorkbookNames((dir / "missing").string(), 500).empty());
    EXPECT_TRUE(ListWorkbookNames((dir / "a.xls").string(), 500).empty());
    EXPECT_TRUE(ListWorkbookNames("", 500).empty());
    EXPECT_TRUE(ListWorkbookNames((dir / "only-folders").string(), 500).empty());
    if (::geteuid() != 0) { // root reads every folder
        std::filesystem::create_directory(dir / "locked");
        touch(dir / "locked" / "a.xls");
        ::chmod((dir / "locked").c_str(), 0);
        EXPECT_TRUE(ListWorkbookNames((dir / "locked").string(), 500).empty());
        ::chmod((dir / "locked").c_str(), 0700);
    }
}

TEST(WorkbookListing, JoinGivesOneSeparator) {
    EXPECT_EQ(JoinPath(("/data"), ("a.xls")), ("/data/a.xls"));
    EXPECT_EQ(JoinPath(("/"), ("a.xls")), ("/a.xls"));
    EXPECT_EQ(JoinPath(("/data/"), ("a.xls")), ("/data/a.xls"));
}

} // namespace
